// Window objects: one object per form or label window, holding what the program reads and
// changes about the window and applying every change to the live window at once.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/graphics.h"
#include "toolkit/helpers.h"
#include "toolkit/object.h"
#include "toolkit/text.h"

// The modifier keys and buttons of a mouse or key event, one bit each.
using TShiftFlags = uint8_t;
inline constexpr TShiftFlags kShiftKey = 0x01;
inline constexpr TShiftFlags kAltKey = 0x02;
inline constexpr TShiftFlags kCtrlKey = 0x04;
inline constexpr TShiftFlags kLeftButton = 0x08;
inline constexpr TShiftFlags kRightButton = 0x10;
inline constexpr TShiftFlags kMiddleButton = 0x20;

enum class TMouseButtonKind : uint8_t { Left = 0, Right = 1 };

using TNotifyEvent = Method<void(TObject* sender)>;
// Returns true to let the close or the minimise go on.
using TQueryEvent = Method<bool(TObject* sender)>;
using TMouseButtonEvent =
    Method<void(TObject* sender, TMouseButtonKind button, TShiftFlags shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = Method<void(TObject* sender, TShiftFlags shift, int32_t x, int32_t y)>;
// The handler may change the key; default processing then sees the changed key.
using TKeyEvent = Method<void(TObject* sender, uint16_t& key, TShiftFlags shift)>;

// Kind
inline constexpr uint8_t kPlainControl = 0;
inline constexpr uint8_t kFormControl = 1;
inline constexpr uint8_t kPushButtonControl = 2;

// BackgroundMode
inline constexpr uint8_t kOpaqueBackground = 0;       // the object's own brush
inline constexpr uint8_t kParentBackground = 1;       // the parent's brush
inline constexpr uint8_t kTransparentBackground = 2;  // nothing painted

class TWinControl : public TObject {
 public:
  // The fields common to controls; makes no window.
  explicit TWinControl(TWinControl* parent);

  // The window procedure of the object's class: forms register it, labels subclass to it.
  [[nodiscard]] virtual WNDPROC WindowProcedure() const;
  // Fires OnPaint, then default processing paints.
  virtual void Paint(TWindowMessage& message);
  virtual void Click();   // fires OnClick
  virtual void Change();  // fires OnChange, then repaints

  // Table handlers first; a message they leave at result 0 gets default processing: the
  // window's previous procedure, or DefWindowProcA.
  void Dispatch(TWindowMessage& message) override;
  // Turns window messages into events and built-in behaviour.
  void HandleMessage(TWindowMessage& message);

  // Setters that compare with the stored value and do nothing when it is equal.
  void SetLeft(int32_t x);
  void SetTop(int32_t y);
  void SetWidth(int32_t width);
  void SetHeight(int32_t height);
  void SetColor(TColor color);
  void SetStyle(uint32_t style);
  void SetExStyle(uint32_t exStyle);
  // These act on every call.
  void SetBounds(int32_t x, int32_t y, int32_t width, int32_t height);
  void SetCaption(const Text& text);
  // A text whose bytes are in `codePage`, shown as the same characters on every system.
  void SetCaptionInCodePage(const Text& text, uint32_t codePage);
  void Invalidate();

  // The live window's outer size, not the stored one.
  [[nodiscard]] int32_t GetWidth() const;
  [[nodiscard]] int32_t GetHeight() const;
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
  [[nodiscard]] HWND GetParentHandle() const;

  // Every field starts as zero, null or empty, as a new object does: the constructors
  // value-initialise this base before they set anything. (A derived class's own fields are not
  // covered by that, and keep values of their own.)
  uint8_t BackgroundMode;
  HBRUSH BackgroundBrush;
  Text Caption;
  WNDCLASSA WindowClass;
  TColor Color;
  WNDPROC PreviousWindowProcedure;
  TFont* Font;
  HICON Icon;
  uint8_t Kind;
  COLORREF TextColor;
  int32_t Left;
  int32_t Top;
  int32_t Width;
  int32_t Height;
  HWND Handle;
  TWinControl* Parent;
  HWND ParentHandle;
  uint32_t ExStyle;
  bool Enabled;
  bool Visible;
  TQueryEvent OnClose;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnClick;
  TMouseButtonEvent OnMouseDown;
  TQueryEvent OnMinimize;
  TNotifyEvent OnPaint;
  TCanvas* Canvas;
  HCURSOR Cursor;
  TNotifyEvent OnShow;
  TNotifyEvent OnChange;
  TMouseButtonEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TKeyEvent OnKeyUp;
  TKeyEvent OnKeyDown;
  TNotifyEvent OnResize;
  Text WindowClassName;
  uint32_t Style;

 protected:
  // Not user-provided: `TWinControl()` value-initialises, zeroing every field first.
  TWinControl() = default;
};

// The program's icon resource, which forms take for their class and window.
inline constexpr char kMainIcon[] = "MAINICON";

// A top-level window of the toolkit's own class "TForm".
class TForm : public TWinControl {
 public:
  // Registers "TForm" (only the first registration takes) and creates a hidden window.
  TForm(TWinControl* parent, const Text& caption, bool dropShadow);

  // Compares with the stored value; 0 to 5 pick a border, others only store.
  void SetBorderStyle(uint8_t value);

  // Layered transparency: both compare with the stored value.
  void SetAlphaBlend(bool on);
  void SetAlphaBlendValue(uint8_t alpha);
  // Brings the window in line with the four layered attributes.
  void ApplyLayeredAttributes();

  uint8_t BorderStyle = 0;
  bool AlphaBlend = false;
  uint8_t AlphaBlendValue = 0;
  bool TransparentColor = false;
  TColor TransparentColorValue = 0;
};

// A child "static" window, subclassed so that its messages pass through the toolkit.
class TLabel : public TWinControl {
 public:
  // Without a parent the process ends at once with exit code 0.
  TLabel(TWinControl* parent, const Text& caption);
};

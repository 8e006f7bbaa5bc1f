// Drawing objects: a label's font, and the canvas with pen and brush that every window gets.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/object.h"
#include "toolkit/text.h"

class TWinControl;

// A GDI font made afresh from its description at every change and handed to its owner label.
class TFont : public TObject {
 public:
  TFont();

  // Always makes a new font object, also for an unchanged value.
  void SetOwner(TWinControl* owner);
  void SetName(const Text& face);  // no repaint
  void SetSize(int32_t points);    // also sets Height for the screen's resolution; repaints
  // The same for a resolution of `dotsPerInch`: a monitor's, which may differ from the screen's.
  void SetSize(int32_t points, int32_t dotsPerInch);

  HFONT Handle = nullptr;
  TWinControl* Owner = nullptr;
  Text Name;
  int32_t Weight = 0;
  int32_t Italic = 0;
  int32_t Underline = 0;
  int32_t StrikeOut = 0;
  int32_t Height = -11;  // logical units; negative: character height
  int32_t Width = 0;
  int32_t Size = 0;  // points last given to SetSize; not derived from Height
  int32_t Pitch = 0;
  uint8_t CharSet = DEFAULT_CHARSET;

 private:
  void RecreateFont();
};

class TPen;
class TBrush;

// Holds a window's device context for the canvas's life.
class TCanvas : public TObject {
 public:
  // The window handle -1 stands for no window: the canvas then has no device context.
  explicit TCanvas(HWND window);
  ~TCanvas() override;

  HDC Handle = nullptr;
  TPen* Pen = nullptr;
  TBrush* Brush = nullptr;
  uint32_t CopyMode = SRCCOPY;

 private:
  HWND window_ = nullptr;
};

class TPen : public TObject {
 public:
  explicit TPen(const TCanvas& canvas) : CanvasHandle(canvas.Handle) {}
  HDC CanvasHandle;
};

class TBrush : public TObject {
 public:
  explicit TBrush(const TCanvas& canvas) : CanvasHandle(canvas.Handle) {}
  HDC CanvasHandle;
};

// Gives a window its canvas, with the canvas's pen and brush.
[[nodiscard]] TCanvas* MakeCanvas(HWND window);

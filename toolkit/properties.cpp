// Property operations of window objects: geometry, caption, colour and styles.
#include "toolkit/controls.h"

#include <cstdlib>

namespace {

// Keep z-order and activation as they are.
constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE;
// Recompute the frame after a style change, and change nothing else.
constexpr UINT kFrameChangedFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

struct BorderRow {
  bool setsStyle;
  uint32_t style;
  bool setsExStyle;
  uint32_t exStyle;
};

constexpr BorderRow kBorderRows[] = {
    {true, WS_POPUP, false, 0},
    {true, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false, 0},
    {true, WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false, 0},
    {true, WS_POPUP | WS_CAPTION | WS_SYSMENU, true, WS_EX_DLGMODALFRAME},
    {true, WS_CAPTION | WS_SYSMENU, true, WS_EX_TOOLWINDOW},
    {false, 0, true, WS_EX_TOOLWINDOW},
};
static_assert(kBorderRows[0].style == 0x80000000u && kBorderRows[1].style == 0x00CB0000u &&
                  kBorderRows[2].style == 0x000F0000u && kBorderRows[3].style == 0x80C80000u &&
                  kBorderRows[4].style == 0x00C80000u,
              "border styles");

void WriteWindowLong(HWND window, int index, uint32_t value) {
  if (!window) return;
  SetWindowLongA(window, index, static_cast<LONG>(value));
  SetWindowPos(window, nullptr, 0, 0, 0, 0, kFrameChangedFlags);
}

}  // namespace

void TWinControl::SetLeft(int32_t x) {
  if (x == Left) return;
  Left = x;
  SetBounds(x, Top, GetWidth(), GetHeight());
}

void TWinControl::SetTop(int32_t y) {
  if (y == Top) return;
  Top = y;
  SetBounds(Left, y, GetWidth(), GetHeight());
}

void TWinControl::SetWidth(int32_t width) {
  if (width == Width) return;
  Width = width;
  SetBounds(Left, Top, width, GetHeight());
}

void TWinControl::SetHeight(int32_t height) {
  if (height == Height) return;
  Height = height;
  SetBounds(Left, Top, GetWidth(), height);
}

void TWinControl::SetBounds(int32_t x, int32_t y, int32_t width, int32_t height) {
  Left = x;
  Top = y;
  Width = width;
  Height = height;
  if (Handle) SetWindowPos(Handle, nullptr, x, y, width, height, kMoveFlags);
}

// Without a window there is no live size: the stored one stands in, so that a setter called
// before the window exists keeps the other dimension instead of zeroing it.
int32_t TWinControl::GetWidth() const {
  RECT bounds{};
  if (!Handle || !GetWindowRect(Handle, &bounds)) return Width;
  return bounds.right - bounds.left;
}

int32_t TWinControl::GetHeight() const {
  RECT bounds{};
  if (!Handle || !GetWindowRect(Handle, &bounds)) return Height;
  return bounds.bottom - bounds.top;
}

void TWinControl::SetCaption(const Text& text) {
  Caption = text;
  Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Caption.CStr()));
}

void TWinControl::SetCaptionInCodePage(const Text& text, uint32_t codePage) {
  // SetWindowTextA would read the bytes in the process's code page, and a W message would
  // still pass this window's ANSI procedure and be squeezed through that code page on its
  // way to the control. DefWindowProcW stores the characters as they are, and the control
  // draws what the window stores once it repaints.
  const int count = MultiByteToWideChar(codePage, 0, text.CStr(), -1, nullptr, 0);
  auto* wide = static_cast<WCHAR*>(std::malloc(sizeof(WCHAR) * (count > 0 ? count : 1)));
  if (!wide) return;
  if (count <= 0 || !MultiByteToWideChar(codePage, 0, text.CStr(), -1, wide, count)) wide[0] = 0;
  DefWindowProcW(Handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide));
  // The object keeps the text as the rest of the program reads text: in the process's code
  // page (a UTF-8 character takes at most three bytes for one UTF-16 unit).
  const int room = count > 0 ? count * 3 : 1;
  auto* bytes = static_cast<char*>(std::malloc(static_cast<size_t>(room)));
  if (bytes) {
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes, room, nullptr, nullptr);
    Caption = Text(bytes, length > 0 ? static_cast<size_t>(length - 1) : 0);
    std::free(bytes);
  }
  std::free(wide);
  Invalidate();
}

void TWinControl::SetColor(TColor color) {
  if (color == Color) return;
  Color = color;
  HBRUSH brush = CreateSolidBrush(ResolveColor(color));
  if (BackgroundBrush) DeleteObject(BackgroundBrush);
  BackgroundBrush = brush;
  Invalidate();
}

void TWinControl::SetStyle(uint32_t style) {
  if (style == Style) return;
  Style = style;
  WriteWindowLong(Handle, GWL_STYLE, style);
}

void TWinControl::SetExStyle(uint32_t exStyle) {
  if (exStyle == ExStyle) return;
  ExStyle = exStyle;
  WriteWindowLong(Handle, GWL_EXSTYLE, exStyle);
}

// InvalidateRect with no window would repaint every window of the desktop.
void TWinControl::Invalidate() {
  if (Handle) InvalidateRect(Handle, nullptr, TRUE);
}

LRESULT TWinControl::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(Handle, message, wParam, lParam);
}

HWND TWinControl::GetParentHandle() const {
  return Parent ? Parent->Handle : ParentHandle;
}

void TForm::SetBorderStyle(uint8_t value) {
  if (value == BorderStyle) return;
  BorderStyle = value;
  if (value >= sizeof(kBorderRows) / sizeof(kBorderRows[0])) return;
  const BorderRow& row = kBorderRows[value];
  if (row.setsStyle) SetStyle(row.style);
  if (row.setsExStyle) SetExStyle(row.exStyle);
}

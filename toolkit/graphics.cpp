#include "toolkit/graphics.h"

#include "toolkit/controls.h"
#include "toolkit/helpers.h"

TFont::TFont() : Name("MS Sans Serif") {}

void TFont::SetOwner(TWinControl* owner) {
  Owner = owner;
  RecreateFont();
}

void TFont::SetName(const Text& face) {
  Name = face;
  RecreateFont();
}

void TFont::SetSize(int32_t points) {
  // Read the resolution each time: nothing caches it, so a changed screen setting counts.
  SetSize(points, ScreenDpi());
}

void TFont::SetSize(int32_t points, int32_t dotsPerInch) {
  Size = points;
  Height = -MulDiv(points, dotsPerInch, 72);
  RecreateFont();
  if (Owner) Owner->Invalidate();
}

void TFont::RecreateFont() {
  HFONT previous = Handle;
  Handle = CreateFontA(Height, Width, 0, 0, Weight, static_cast<DWORD>(Italic),
                       static_cast<DWORD>(Underline), static_cast<DWORD>(StrikeOut), CharSet,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       static_cast<DWORD>(Pitch) | FF_DONTCARE, Name.CStr());
  if (Owner) {
    SendMessageA(Owner->Handle, WM_SETFONT, reinterpret_cast<WPARAM>(Handle), 0);
  }
  // Only now: until the label has the new font it may still draw with the old one.
  if (previous) DeleteObject(previous);
}

TCanvas::TCanvas(HWND window) {
  if (reinterpret_cast<intptr_t>(window) != -1) {
    window_ = window;
    Handle = GetDC(window);
  }
}

// The program never destroys a canvas; one that is destroyed gives its device context back.
TCanvas::~TCanvas() {
  delete Pen;
  delete Brush;
  if (Handle) ReleaseDC(window_, Handle);
}

TCanvas* MakeCanvas(HWND window) {
  auto* canvas = new TCanvas(window);
  canvas->Pen = new TPen(*canvas);
  canvas->Brush = new TBrush(*canvas);
  return canvas;
}

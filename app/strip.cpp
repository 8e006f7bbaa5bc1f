// The strip: the popup form, its label, the progress line, the label's font and the timers.
#include <windows.h>

#include "app/win32_host.h"
#include "display/display_cycle.h"
#include "display/events.h"
#include "toolkit/pump.h"
#include "toolkit/routing.h"

namespace {

// EVENT_OBJECT_LIVEREGIONCHANGED (Windows 8 and later; older systems pass it over).
constexpr DWORD kEventLiveRegionChanged = 0x8019;

// The live timer's tick (LivePosition, Progress); its data is the host.
void LiveTickEvent(void* /*host*/, TObject* /*sender*/) {
  OnLiveTick(PopupHost());
}

}  // namespace

void Win32Host::FormSetAlphaBlend(bool layered) {
  strip_->SetAlphaBlend(layered);
}
void Win32Host::FormSetAlphaBlendValue(uint8_t alpha) {
  strip_->SetAlphaBlendValue(alpha);
}
void Win32Host::FormSetHeight(int32_t height) {
  strip_->SetHeight(height);
}
int32_t Win32Host::FormGetHeight() {
  return strip_->GetHeight();
}
int32_t Win32Host::FormGetWidth() {
  return strip_->GetWidth();
}
void Win32Host::FormSetColor(uint32_t color) {
  strip_->SetColor(color);
}
uint32_t Win32Host::FormColor() {
  return strip_->Color;
}
void Win32Host::FormProcessMessages() {
  ProcessMessages(form_);
}
void Win32Host::FormHide() {
  ::ShowWindow(strip_->Handle, SW_HIDE);
}
void Win32Host::FormRestoreWithoutActivation() {
  ::ShowWindow(strip_->Handle, SW_SHOWNOACTIVATE);
}
void Win32Host::FormShowWithoutActivation() {
  ::ShowWindow(strip_->Handle, SW_SHOWNA);
}
void Win32Host::FormMinimiseWithoutActivation() {
  ::ShowWindow(strip_->Handle, SW_SHOWMINNOACTIVE);
}

void Win32Host::FormSetWindowPosTopmost() {
  ::SetWindowPos(strip_->Handle, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

uint32_t Win32Host::FormSetRoundRegion(int32_t width, int32_t height, int32_t ellipse) {
  // The window owns the region from here on; it is never deleted by the program.
  HRGN region = ::CreateRoundRectRgn(0, 0, width, height, ellipse, ellipse);
  ::SetWindowRgn(strip_->Handle, region, FALSE);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(region));
}

HotKeyAnswer Win32Host::FormRegisterHotKey(int32_t id, uint32_t modifiers, uint32_t virtualKey) {
  if (::RegisterHotKey(form_.Handle, id, modifiers, virtualKey)) return HotKeyAnswer::kRegistered;
  return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotKeyAnswer::kHeldElsewhere
                                                             : HotKeyAnswer::kRefused;
}

void Win32Host::FormUnregisterHotKey(int32_t id) {
  ::UnregisterHotKey(form_.Handle, id);
}

void Win32Host::FormHoldBounds() {
  RECT rect;
  if (!::GetWindowRect(strip_->Handle, &rect) || ::IsIconic(strip_->Handle)) return;
  if (rect.left == strip_->Left && rect.top == strip_->Top &&
      rect.right - rect.left == strip_->Width && rect.bottom - rect.top == strip_->Height) {
    return;
  }
  ::SetWindowPos(strip_->Handle, nullptr, strip_->Left, strip_->Top, strip_->Width, strip_->Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32Host::FormSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  strip_->SetBounds(left, top, width, height);
}
uint32_t Win32Host::FormGetDpi() {
  return WindowDpi(strip_->Handle);
}

void Win32Host::LabelSetLeft(int32_t left) {
  strip_->Label->SetLeft(left);
}
void Win32Host::LabelSetTop(int32_t top) {
  strip_->Label->SetTop(top);
}
void Win32Host::LabelSetHeight(int32_t height) {
  strip_->Label->SetHeight(height);
}
void Win32Host::LabelSetWidth(int32_t width) {
  strip_->Label->SetWidth(width);
}
int32_t Win32Host::LabelGetWidth() {
  return strip_->Label->GetWidth();
}
int32_t Win32Host::LabelGetHeight() {
  return strip_->Label->GetHeight();
}
void Win32Host::LabelSetCaption(const Text& caption) {
  strip_->Label->SetCaption(caption);
}
void Win32Host::LabelSetCaptionInCodePage(const Text& caption, uint32_t codePage) {
  strip_->Label->SetCaptionInCodePage(caption, codePage);
}
void Win32Host::LabelSetColor(uint32_t color) {
  strip_->Label->SetColor(color);
}

void Win32Host::ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  TLabel*& progress = strip_->Progress;
  if (!progress) {
    progress = new TLabel(strip_, Text());
    // Above the label, which spans the whole strip: both clip their siblings, so neither paints
    // over the other.
    ::SetWindowPos(progress->Handle, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // The label's text colour, looked up every time, as it may change while the program runs.
  progress->SetColor(strip_->Label->TextColor);
  progress->SetBounds(left, top, width, height);
}

void Win32Host::LabelSetTextColor(uint32_t color) {
  TLabel& label = *strip_->Label;
  if (label.TextColor == color) return;
  label.TextColor = color;
  label.Invalidate();
}
void Win32Host::LabelAnnounce() {
  ::NotifyWinEvent(kEventLiveRegionChanged, strip_->Label->Handle, OBJID_CLIENT, CHILDID_SELF);
}

void Win32Host::FontSetSize(int32_t points, uint32_t dpi) {
  strip_->Label->Font->SetSize(points, static_cast<int32_t>(dpi));
}
void Win32Host::FontSetName(const Text& name) {
  strip_->Label->Font->SetName(name);
}
int32_t Win32Host::FontSize() {
  return strip_->Label->Font->Size;
}

void Win32Host::TimerSetEnabled(bool enabled) {
  form_.Timer->SetEnabled(enabled);
}
void Win32Host::TimerSetInterval(uint32_t milliseconds) {
  form_.Timer->SetInterval(milliseconds);
}

// A strip of Monitor=all: the form's window style and click, without its timers, keys and
// announcements (the form's own messages stay the form's).
void Win32Host::StripSelect(uint32_t strip) {
  if (strip >= kMostStrips) return;
  TForm1*& chosen = strips_[strip];
  if (!chosen) {
    chosen = new TForm1(nullptr, Text(), false);
    chosen->Copy = true;
    chosen->SetExStyle(form_.ExStyle);
    chosen->SetBorderStyle(form_.BorderStyle);
    chosen->OnMouseUp = form_.OnMouseUp;
    chosen->Label = new TLabel(chosen, Text());
  }
  strip_ = chosen;
}

namespace {

// Before the window goes, the object lets go of it (SetProp's documentation: a property is
// removed before the window is destroyed): a subclassed control gets its own window procedure
// back for its last messages, the others DefWindowProcA's, and the device context goes back while
// the window is there.
void Unlink(TWinControl& control) {
  if (control.PreviousWindowProcedure) {
    ::SetWindowLongA(control.Handle, GWL_WNDPROC,
                     reinterpret_cast<LONG>(control.PreviousWindowProcedure));
  }
  ::RemovePropA(control.Handle, kObjectProperty);
  delete control.Canvas;
  control.Canvas = nullptr;
}

// Once its window is gone: the brush it was painted with and its font.
void Free(TWinControl* control) {
  if (control->BackgroundBrush) ::DeleteObject(control->BackgroundBrush);
  if (control->Font) {
    if (control->Font->Handle) ::DeleteObject(control->Font->Handle);
    delete control->Font;
  }
  delete control;
}

}  // namespace

void Win32Host::StripsKeep(uint32_t count) {
  for (uint32_t strip = count < 1 ? 1 : count; strip < kMostStrips; ++strip) {
    TForm1*& gone = strips_[strip];
    if (!gone) continue;
    for (TLabel* label : {gone->Label, gone->Progress}) {
      if (label) Unlink(*label);
    }
    Unlink(*gone);
    // The children go with the window.
    ::DestroyWindow(gone->Handle);
    for (TLabel* label : {gone->Label, gone->Progress}) {
      if (label) Free(label);
    }
    Free(gone);
    gone = nullptr;
  }
}

void Win32Host::LiveTimerSetEnabled(bool enabled) {
  if (!liveTimer_) {
    liveTimer_ = new TTimer;
    liveTimer_->SetEnabled(false);
    liveTimer_->SetInterval(kLiveTickMs);
    liveTimer_->SetOnTimer({&LiveTickEvent, this});
  }
  liveTimer_->SetEnabled(enabled);
}

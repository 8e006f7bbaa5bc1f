// The strip: the popup form, its label, the progress line, the label's font and the timers.
#include <windows.h>

#include "app/win32_host.h"
#include "display/display_cycle.h"
#include "display/events.h"
#include "toolkit/pump.h"

namespace {

// EVENT_OBJECT_LIVEREGIONCHANGED (Windows 8 and later; older systems pass it over).
constexpr DWORD kEventLiveRegionChanged = 0x8019;

// The live timer's tick (LivePosition, Progress); its data is the host.
void LiveTickEvent(void* /*host*/, TObject* /*sender*/) {
  OnLiveTick(PopupHost());
}

}  // namespace

void Win32Host::FormSetAlphaBlend(bool layered) {
  form_.SetAlphaBlend(layered);
}
void Win32Host::FormSetAlphaBlendValue(uint8_t alpha) {
  form_.SetAlphaBlendValue(alpha);
}
void Win32Host::FormSetHeight(int32_t height) {
  form_.SetHeight(height);
}
int32_t Win32Host::FormGetHeight() {
  return form_.GetHeight();
}
int32_t Win32Host::FormGetWidth() {
  return form_.GetWidth();
}
void Win32Host::FormSetColor(uint32_t color) {
  form_.SetColor(color);
}
uint32_t Win32Host::FormColor() {
  return form_.Color;
}
void Win32Host::FormProcessMessages() {
  ProcessMessages(form_);
}
void Win32Host::FormHide() {
  ::ShowWindow(form_.Handle, SW_HIDE);
}
void Win32Host::FormRestoreWithoutActivation() {
  ::ShowWindow(form_.Handle, SW_SHOWNOACTIVATE);
}
void Win32Host::FormShowWithoutActivation() {
  ::ShowWindow(form_.Handle, SW_SHOWNA);
}
void Win32Host::FormMinimiseWithoutActivation() {
  ::ShowWindow(form_.Handle, SW_SHOWMINNOACTIVE);
}

void Win32Host::FormSetWindowPosTopmost() {
  ::SetWindowPos(form_.Handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

uint32_t Win32Host::FormSetRoundRegion(int32_t width, int32_t height, int32_t ellipse) {
  // The window owns the region from here on; it is never deleted by the program.
  HRGN region = ::CreateRoundRectRgn(0, 0, width, height, ellipse, ellipse);
  ::SetWindowRgn(form_.Handle, region, FALSE);
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
  if (!::GetWindowRect(form_.Handle, &rect) || ::IsIconic(form_.Handle)) return;
  if (rect.left == form_.Left && rect.top == form_.Top && rect.right - rect.left == form_.Width &&
      rect.bottom - rect.top == form_.Height) {
    return;
  }
  ::SetWindowPos(form_.Handle, nullptr, form_.Left, form_.Top, form_.Width, form_.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32Host::FormSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  form_.SetBounds(left, top, width, height);
}
uint32_t Win32Host::FormGetDpi() {
  return WindowDpi(form_.Handle);
}

void Win32Host::LabelSetLeft(int32_t left) {
  form_.Label->SetLeft(left);
}
void Win32Host::LabelSetTop(int32_t top) {
  form_.Label->SetTop(top);
}
void Win32Host::LabelSetHeight(int32_t height) {
  form_.Label->SetHeight(height);
}
void Win32Host::LabelSetWidth(int32_t width) {
  form_.Label->SetWidth(width);
}
int32_t Win32Host::LabelGetWidth() {
  return form_.Label->GetWidth();
}
int32_t Win32Host::LabelGetHeight() {
  return form_.Label->GetHeight();
}
void Win32Host::LabelSetCaption(const Text& caption) {
  form_.Label->SetCaption(caption);
}
void Win32Host::LabelSetCaptionInCodePage(const Text& caption, uint32_t codePage) {
  form_.Label->SetCaptionInCodePage(caption, codePage);
}
void Win32Host::LabelSetColor(uint32_t color) {
  form_.Label->SetColor(color);
}

void Win32Host::ProgressSetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!progress_) {
    progress_ = new TLabel(&form_, Text());
    // Above the label, which spans the whole strip: both clip their siblings, so neither paints
    // over the other.
    ::SetWindowPos(progress_->Handle, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // The label's text colour, looked up every time, as it may change while the program runs.
  progress_->SetColor(form_.Label->TextColor);
  progress_->SetBounds(left, top, width, height);
}

void Win32Host::LabelSetTextColor(uint32_t color) {
  TLabel& label = *form_.Label;
  if (label.TextColor == color) return;
  label.TextColor = color;
  label.Invalidate();
}
void Win32Host::LabelAnnounce() {
  ::NotifyWinEvent(kEventLiveRegionChanged, form_.Label->Handle, OBJID_CLIENT, CHILDID_SELF);
}

void Win32Host::FontSetSize(int32_t points, uint32_t dpi) {
  form_.Label->Font->SetSize(points, static_cast<int32_t>(dpi));
}
void Win32Host::FontSetName(const Text& name) {
  form_.Label->Font->SetName(name);
}
int32_t Win32Host::FontSize() {
  return form_.Label->Font->Size;
}

void Win32Host::TimerSetEnabled(bool enabled) {
  form_.Timer->SetEnabled(enabled);
}
void Win32Host::TimerSetInterval(uint32_t milliseconds) {
  form_.Timer->SetInterval(milliseconds);
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

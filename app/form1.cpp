#include "app/form1.h"

#include "app/settings_window.h"
#include "app/win32_host.h"
#include "display/events.h"

namespace {

// void OnHotKeyMessage(WM_HOTKEY): WParam is the hot-key id. Sets no result, so
// DefWindowProcA sees the message too.
// A hot-key control of the settings window that has the focus takes a key of the program's
// own instead: the user is setting that key.
void OnHotKeyMessage(TObject* /*form*/, TWindowMessage& message) {
  if (SettingsWindowTakesKey(static_cast<uint32_t>(message.LParam))) return;
  OnHotKey(PopupHost(), message.WParam);
}

// int OnMouseActivate(WM_MOUSEACTIVATE): a click on the strip (or its label, whose default
// processing asks the form) leaves the foreground where it is; the click itself still arrives.
void OnMouseActivateMessage(TObject* /*form*/, TWindowMessage& message) {
  message.Result = MA_NOACTIVATE;
}

const MessageHandler kForm1Handlers[] = {
    {WM_HOTKEY, &OnHotKeyMessage},
    {WM_MOUSEACTIVATE, &OnMouseActivateMessage},
};

}  // namespace

// Filled at the first call rather than by a guarded static: zeroed storage, no guard.
const MessageTable* TForm1::Messages() const {
  static MessageTable table;
  if (!table.entries) {
    table = {TForm::Messages(), kForm1Handlers, sizeof kForm1Handlers / sizeof kForm1Handlers[0]};
  }
  return &table;
}

// WM_DPICHANGED: the system moved the window to another resolution (its monitor's scale
// changed, or it moved to a monitor of another scale). The strip is laid out afresh when it next
// comes out, in the place it chooses itself, so the suggested rectangle is not used.
// WM_DISPLAYCHANGE and a new work area (WM_SETTINGCHANGE with SPI_SETWORKAREA): a monitor
// changed its size, came or went, or a taskbar moved; the strip is fitted to its monitor anew.
// A new accent colour (WM_DWMCOLORIZATIONCOLORCHANGED, or WM_SETTINGCHANGE with
// "ImmersiveColorSet", the colour scheme) is taken at the next display.
// Another copy's request for the settings window and the player's announcement
// "WinampSongChange" arrive here too: registered messages are numbered from 0xC000 on, which
// Dispatch never looks up in the tables. Default processing follows either, as for any message
// the tables do not answer.
void TForm1::DefaultHandler(TWindowMessage& message) {
  if (Copy) return;
  if (message.Msg == WM_DPICHANGED) OnDpiChanged(HIWORD(message.WParam));
  if (message.Msg == WM_DISPLAYCHANGE ||
      (message.Msg == WM_SETTINGCHANGE && message.WParam == SPI_SETWORKAREA)) {
    OnScreenChanged(PopupHost());
  }
  if (SongChangeMessage != 0 && message.Msg == SongChangeMessage) OnSongChange(PopupHost());
  if (OpenSettingsMessage != 0 && message.Msg == OpenSettingsMessage) {
    OnTrayCommand(PopupHost(), TrayCommand::kSettingsWindow);
  }
  if (message.Msg == WM_DWMCOLORIZATIONCOLORCHANGED ||
      (message.Msg == WM_SETTINGCHANGE && message.LParam != 0 &&
       lstrcmpA(reinterpret_cast<const char*>(static_cast<uintptr_t>(message.LParam)),
                "ImmersiveColorSet") == 0)) {
    OnAccentChanged();
  }
}

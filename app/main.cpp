// The program's entry: one copy only, the popup with its label and timer, wired to the
// now-playing logic, then the message loop, which never returns.
#include <windows.h>

#include "app/form1.h"
#include "app/language_files.h"
#include "app/settings_store.h"
#include "app/win32_host.h"
#include "display/events.h"
#include "display/settings_watch.h"
#include "display/song_change.h"
#include "toolkit/helpers.h"
#include "toolkit/pump.h"

namespace {

constexpr char kInstanceEventName[] = "TunelampEvent";
// Posted by a copy started while another runs, to the window that carries a property of the
// same name: the popup of the running copy.
constexpr char kOpenSettingsName[] = "TunelampOpenSettings";
// WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE: always on top, no taskbar button; and
// WS_EX_NOACTIVATE: it never takes the foreground, not even when clicked.
constexpr uint32_t kPopupExStyle = 0x188 | WS_EX_NOACTIVATE;
constexpr uint8_t kNoBorder = 0;
constexpr uint32_t kFirstCheckMs = 100;
constexpr int32_t kLabelLeft = 20;
// Ends a copy that cannot run here; 0 is an orderly end.
constexpr UINT kExitCannotRun = 1;

// Why the program cannot run, in the language settings.ini chooses: the settings are not read
// yet, and only Language= is.
[[gnu::noinline]] const wchar_t* CannotRunText() {
  Text bytes;
  char language[256] = "";
  if (PopupHost().ReadSettingsFile(bytes) == SettingsRead::kRead) {
    (void)IniFile(bytes.View()).ReadText("Main", "Language", "", language, sizeof language);
  }
  TakeLanguage(PopupHost(), language);
  static wchar_t text[kLanguageTextMost + 1];
  Utf8ToWide(Say(TextId::kNoExecutableMemory), text, kLanguageTextMost + 1);
  return text;
}

// The events' data is the form; the logic reaches it through the process's host.
void LoadSettingsEvent(void* /*form*/, TObject* /*sender*/) {
  LoadSettings(PopupHost());
}

void DisplayCycleEvent(void* /*form*/, TObject* /*sender*/) {
  OnTimerTick(PopupHost());
}

// The settings watch's timer, and how many folders tell it of a change (0: it looks at the files
// every time, as where a folder cannot be watched), and their change notifications.
TTimer* watchTimer = nullptr;
DWORD watchedFolders = 0;
HANDLE folderChanges[2] = {};

// A file changed in a watched folder (any file): the looks go on until the change has settled.
void SettingsFolderChanged(DWORD /*folder*/) {
  watchTimer->SetEnabled(true);
}

void WatchSettingsEvent(void* /*form*/, TObject* /*sender*/) {
  // The looks stop until a folder tells of the next change once the watch wants none: a change
  // read (and read once more after the file time's grain), or none there.
  if (OnSettingsLook(PopupHost()) || watchedFolders == 0) return;
  if (!WatchSettingsFoldersAgain(folderChanges, watchedFolders)) {
    watchedFolders = 0;
    return;
  }
  watchTimer->SetEnabled(false);
  WaitForFolders(folderChanges, watchedFolders, &SettingsFolderChanged);
}

void PopupMouseUpEvent(void* /*form*/, TObject* /*sender*/, TMouseButtonKind /*button*/,
                       TShiftFlags /*shift*/, int32_t /*x*/, int32_t /*y*/) {
  OnPopupMouseUp(PopupHost());
}

// The user started the program again, as tray programs are asked for their window when their
// icon is hidden: the running copy opens its settings window, and may take the foreground this
// copy was given.
[[noreturn]] void OpenSettingsOfTheRunningCopy() {
  const UINT message = RegisterWindowMessageA(kOpenSettingsName);
  for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "TForm", nullptr));) {
    if (message == 0 || !GetPropA(window, kOpenSettingsName)) continue;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    AllowSetForegroundWindow(process);
    PostMessageA(window, message, 0, 0);
  }
  ExitProcess(0);
}

// Another copy holds the event: it is asked for its settings window, and this copy ends. The
// event is never closed, signalled or waited on; it only marks that a copy runs, and goes away
// with its process.
void EndIfAnotherCopyRuns() {
  if (OpenEventA(EVENT_ALL_ACCESS, FALSE, kInstanceEventName)) OpenSettingsOfTheRunningCopy();
  HANDLE marker = CreateEventA(nullptr, TRUE, TRUE, kInstanceEventName);
  // Two copies started at the same instant can both miss each other's event above; the
  // second to create it learns so here.
  if (marker && GetLastError() == ERROR_ALREADY_EXISTS) OpenSettingsOfTheRunningCopy();
}

// A planted copy of a DLL in the current or the program's folder would run as Tunelamp. The
// program's own DLLs come through LoadSystemLibrary, from the system folder on every system.
// Those that Windows loads for it come from there too where SetDefaultDllDirectories is known:
// Windows 8, and Vista and 7 with their 2011 loader update (KB2533623); without the update
// Windows searches for them as it always did.
void LoadDllsFromSystemOnly() {
  using Proc = BOOL(WINAPI*)(DWORD);
  const auto restrict = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32"), "SetDefaultDllDirectories")));
  if (restrict) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  LoadDllsFromSystemOnly();
  EndIfAnotherCopyRuns();

  // Locals of an entry that never returns: they live as long as the process.
  TForm1 form(nullptr, Text(), false);
  BindPopupHost(form);
  // The player broadcasts it to every top-level window right after it sets a new caption.
  form.SongChangeMessage = RegisterWindowMessageA(kSongChangeMessage);
  form.OpenSettingsMessage = RegisterWindowMessageA(kOpenSettingsName);
  SetPropA(form.Handle, kOpenSettingsName, form.Handle);
  form.SetExStyle(form.ExStyle | kPopupExStyle);
  form.SetLeft(0);
  form.SetTop(0);
  form.SetWidth(ScreenWidth());
  form.SetBorderStyle(kNoBorder);
  form.OnCreate = {&LoadSettingsEvent, &form};
  form.OnMouseUp = {&PopupMouseUpEvent, &form};

  TTimer timer;
  // Without its stub the timer would never tick: a program that runs on, deaf. Say why, once.
  if (!timer.CanTick()) {
    MessageBoxW(nullptr, CannotRunText(), L"Tunelamp", MB_OK | MB_ICONERROR);
    ExitProcess(kExitCannotRun);
  }
  form.Timer = &timer;
  timer.SetInterval(kFirstCheckMs);
  timer.SetOnTimer({&DisplayCycleEvent, &form});

  // Its own timer, so that saves are seen also while the display timer waits (CheckTitle=0). At
  // rest it is off while the system watches both folders: a look every half second would wake
  // the program as often as its display timer, for nothing but a save now and then.
  TTimer settingsWatch;
  settingsWatch.SetInterval(kSettingsLookMs);
  settingsWatch.SetOnTimer({&WatchSettingsEvent, &form});
  watchTimer = &settingsWatch;
  // From before the settings are read: a save from here on is seen. The looks go on until the
  // watch has read the file once more after the start, then rest.
  watchedFolders = WatchSettingsFolders(folderChanges);
  if (watchedFolders != 0) WaitForFolders(folderChanges, watchedFolders, &SettingsFolderChanged);

  TLabel label(&form, Text());
  form.Label = &label;
  label.SetLeft(kLabelLeft);
  label.SetWidth(form.GetWidth());
  label.SetColor(form.Color);
  MarkLiveRegion(label.Handle);

  Run(form);
}

// The settings window: a dialog made from its template (tunelamp.rc) with the system's common
// controls and pickers, modeless, so that the strip goes on working while it is open. It shows
// every value as the file in use has it (the defaults where it has none) and writes back only the
// values the user changed (settings_store.cpp); the settings watch then applies them as it does a
// saved file. "Start with Windows" is the one registry value the program writes.
#include "app/settings_window.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>

#include "app/language_files.h"
#include "app/settings_store.h"
#include "app/settings_window_ids.h"
#include "app/share_file_win.h"
#include "app/win32_host.h"
#include "display/colors.h"
#include "display/display_cycle.h"
#include "display/events.h"
#include "display/hot_keys.h"
#include "display/language.h"
#include "display/placement.h"
#include "display/settings_writer.h"
#include "display/share_file.h"
#include "display/state.h"
#include "display/strips.h"
#include "display/title_template.h"
#include "display/tray.h"
#include "toolkit/format.h"
#include "toolkit/helpers.h"
#include "toolkit/pump.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The value's name is the program's: "Tunelamp".
const wchar_t* const kRunValue = reinterpret_cast<const wchar_t*>(kProgramName);
// The id under which a key is tried before it is written: none of the program's own.
constexpr int kTriedKeyId = 0x100;
// The text colour's items.
constexpr ColorSetting kTextColourValues[] = {
    {kBlack, ColorSource::kValue}, {kWhite, ColorSource::kValue}, {0, ColorSource::kAuto}};
constexpr int kDefaultOpacity = 78;  // the percent of 255 nearest the 200 the strip rests at
// The system's pickers; each one's number is also its timer's, by which a picker that waited
// for an animation to end is asked for again this soon.
enum class Picker : UINT_PTR { kColour = 1, kFont, kShareFile };
constexpr UINT kPickAgainMs = 30;

// Every control's text, and the window's title, in the language spoken.
struct ControlText {
  int control;
  TextId text;
};
constexpr ControlText kControlTexts[] = {
    {IDC_SHOW_NOW_LABEL, TextId::kShowNowLabel},
    {IDC_AUTOMATIC_LABEL, TextId::kAutomaticLabel},
    {IDC_QUIT_LABEL, TextId::kQuitLabel},
    {IDC_MONITOR_LABEL, TextId::kMonitorLabel},
    {IDC_EDGE_LABEL, TextId::kEdgeLabel},
    {IDC_KEEP_LABEL, TextId::kKeepLabel},
    {IDC_CHECK_LABEL, TextId::kCheckLabel},
    {IDC_LANGUAGE_LABEL, TextId::kLanguageLabel},
    {IDC_COLOUR, TextId::kColourButton},
    {IDC_ACCENT, TextId::kAccentBox},
    {IDC_FONT, TextId::kFontButton},
    {IDC_TEXT_COLOUR_LABEL, TextId::kTextColourLabel},
    {IDC_OPACITY_LABEL, TextId::kOpacityLabel},
    {IDC_FULL_SCREEN, TextId::kFullScreenBox},
    {IDC_LIVE_POSITION, TextId::kLivePositionBox},
    {IDC_PROGRESS, TextId::kProgressBox},
    {IDC_MEMORY_ECONOMY, TextId::kMemoryEconomyBox},
    {IDC_TRAY_ICON, TextId::kTrayIconBox},
    {IDC_START_WITH_WINDOWS, TextId::kStartWithWindowsBox},
    {IDC_TEXT_LABEL, TextId::kTemplateLabel},
    {IDC_TEXT_FIELDS, TextId::kTemplateFields},
    {IDC_PREVIEW_LABEL, TextId::kPreviewLabel},
    {IDC_SHARE_FILE_LABEL, TextId::kShareFileLabel},
    {IDC_SHARE_BROWSE, TextId::kShareBrowse},
    {IDC_FILE_TEXT_LABEL, TextId::kFileTextLabel},
    {IDC_FILE_STOPPED_LABEL, TextId::kFileStoppedLabel},
    {IDC_DISCORD_APP_LABEL, TextId::kDiscordAppLabel},
    {IDC_DISCORD_DETAILS_LABEL, TextId::kDiscordDetailsLabel},
    {IDC_DISCORD_STATE_LABEL, TextId::kDiscordStateLabel},
    {IDOK, TextId::kOkButton},
    {IDCANCEL, TextId::kCancelButton},
    {IDC_APPLY, TextId::kApplyButton},
};
// The lists' items, in the order of their values.
constexpr TextId kMonitorItems[] = {TextId::kMonitorPrimary, TextId::kMonitorActive,
                                    TextId::kMonitorPointer, TextId::kMonitorAll};
// Monitor's items: the primary, -1, -2, every monitor, then the monitors by number; a choice of
// a monitor that is not connected, last.
constexpr int kMonitorItemsBefore = sizeof kMonitorItems / sizeof kMonitorItems[0];
constexpr TextId kEdgeItems[] = {TextId::kEdgeTop, TextId::kEdgeBottom};
constexpr TextId kTextColourItems[] = {TextId::kTextBlack, TextId::kTextWhite,
                                       TextId::kTextAutomatic};

// Each key's control, the note beside it and its value.
struct KeyControl {
  int control;
  int note;
  KeySetting Settings::*setting;
};
constexpr KeyControl kKeys[] = {{IDC_SHOW_NOW_KEY, IDC_SHOW_NOW_NOTE, &Settings::showNowKey},
                                {IDC_AUTOMATIC_KEY, IDC_AUTOMATIC_NOTE, &Settings::automaticKey},
                                {IDC_QUIT_KEY, IDC_QUIT_NOTE, &Settings::quitKey}};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];
// Each check box and its value; "Start with Windows" is no setting.
struct BoxControl {
  int control;
  bool Settings::*setting;
};
constexpr BoxControl kBoxes[] = {{IDC_FULL_SCREEN, &Settings::overFullScreen},
                                 {IDC_LIVE_POSITION, &Settings::livePosition},
                                 {IDC_PROGRESS, &Settings::progress},
                                 {IDC_MEMORY_ECONOMY, &Settings::memoryEconomy},
                                 {IDC_TRAY_ICON, &Settings::trayIcon}};

KeySetting& KeyOf(Settings& settings, int index) {
  return settings.*kKeys[index].setting;
}

using InitCommonControlsProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using ThreadContextProc = DPI_AWARENESS_CONTEXT(WINAPI*)();
using ContextsEqualProc = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
using PickerProc = BOOL(WINAPI*)(void*);

// What the open window holds besides its controls.
struct Window {
  Settings shown;   // as the file had them when the window opened, or as it last wrote them
  Settings now;     // as the controls have them
  COLORREF picked;  // the colour button's, also while the accent is ticked
  LRESULT keys[3];  // what the hot-key controls held when filled or last written
  bool startsWithWindows;
  COLORREF customColors[16];      // the colour picker's own
  uint32_t dpi;                   // the resolution the controls are laid out for
  uint32_t madeDpi;               // the one the window was made at
  HFONT font;                     // the font scaled for it, once the window has one of its own
  wchar_t program[MAX_PATH + 3];  // "<the running tunelamp.exe>", as the Run value holds it
  // The Language list after English: the files of lang\.
  LanguageChoice languages[kLanguagesMost];
  int languageCount;
};
static_assert(sizeof Window::keys / sizeof(LRESULT) == kKeyCount, "a value for each key field");

// Made afresh each time the window opens.
Window window;
HWND dialog = nullptr;

Window& W() {
  return window;
}

// The Run value is there and names this program.
bool StartsWithWindows() {
  wchar_t value[MAX_PATH + 3];
  DWORD size = sizeof value;
  return ::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, value,
                        &size) == ERROR_SUCCESS &&
         ::lstrcmpiW(value, W().program) == 0;
}

// A system picker runs a modal loop of its own, in which no animation may run.
bool Pick(const char* name, void* choice) {
  const HMODULE comdlg32 = LoadSystemLibrary(L"comdlg32.dll");
  const auto pick = reinterpret_cast<PickerProc>(
      reinterpret_cast<void (*)()>(comdlg32 ? ::GetProcAddress(comdlg32, name) : nullptr));
  if (!pick) return false;
  OnModalLoop(PopupHost(), true);
  const bool chosen = pick(choice);
  OnModalLoop(PopupHost(), false);
  return chosen;
}

// Windows 10 1703 and later rescale a dialog themselves in a thread that is per-monitor aware in
// the second way (PerMonitorV2); before, and in the first way, a dialog stays as it was made.
bool SystemScalesDialogs() {
  const HMODULE user32 = ::GetModuleHandleA("user32");
  const auto context = reinterpret_cast<ThreadContextProc>(
      reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
  const auto equal = reinterpret_cast<ContextsEqualProc>(
      reinterpret_cast<void (*)()>(::GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
  return context && equal && equal(context(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

bool IsComboBox(HWND control) {
  char name[16];
  return ::GetClassNameA(control, name, sizeof name) && ::lstrcmpiA(name, "ComboBox") == 0;
}

// A control's rectangle in the window's client area; a combo box's with its list dropped, which
// is the height SetWindowPos gives it.
RECT ControlRect(HWND control) {
  RECT box;
  if (IsComboBox(control)) {
    ::SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&box));
  } else {
    ::GetWindowRect(control, &box);
  }
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
  return box;
}

// WM_DPICHANGED where the system leaves the window as it is: its font and its controls scaled by
// the new resolution over the old, and the window where the system suggests, which keeps it on
// the monitor it moved to without moving it back.
void Rescale(uint32_t dpi, const RECT& suggested) {
  Window& w = W();
  const auto scale = [&](LONG value) {
    return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(w.dpi));
  };
  // The controls' font: the dialog's own (which stays the dialog's), or the one scaled last.
  const HFONT current =
      w.font ? w.font : reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW look;
  HFONT font = nullptr;
  if (::GetObjectW(current, sizeof look, &look)) {
    look.lfHeight = scale(look.lfHeight);
    font = ::CreateFontIndirectW(&look);
  }
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const RECT box = ControlRect(child);
    ::SetWindowPos(child, nullptr, scale(box.left), scale(box.top), scale(box.right - box.left),
                   scale(box.bottom - box.top), SWP_NOZORDER | SWP_NOACTIVATE);
    if (font) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (font) {
    if (w.font) ::DeleteObject(w.font);
    w.font = font;
  }
  w.dpi = dpi;
  ::SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(dialog, nullptr, TRUE);
}

LRESULT Send(int control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return ::SendDlgItemMessageA(dialog, control, message, wParam, lParam);
}

void SetText(int control, const char* text) {
  Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// wvsprintfA's format into `text`, which holds at most 1024 bytes, as wvsprintfA writes.
void Format(char* text, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  ::wvsprintfA(text, format, arguments);
  va_end(arguments);
}

// A text of the language spoken (UTF-8) in a control, with room for the values put in (a font's
// name, the colour's numbers).
[[gnu::noinline]] void Show(int control, const char* text) {
  wchar_t wide[2 * kLanguageTextMost];
  Utf8ToWide(text, wide, 2 * kLanguageTextMost);
  ::SetDlgItemTextW(dialog, control, wide);
}

[[gnu::noinline]] void AddItem(int control, const char* text) {
  wchar_t wide[kLanguageTextMost + 1];
  Utf8ToWide(text, wide, kLanguageTextMost + 1);
  ::SendDlgItemMessageW(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
}

template <size_t kCount>
void AddItems(int control, const TextId (&items)[kCount]) {
  for (const TextId item : items) AddItem(control, Say(item));
}

bool Checked(int control) {
  return Send(control, BM_GETCHECK) == BST_CHECKED;
}

void Check(int control, bool checked) {
  Send(control, BM_SETCHECK, checked);
}

// The hot-key control's modifiers (HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4) and
// RegisterHotKey's (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4) swap Shift and Alt.
uint32_t SwapShiftAndAlt(uint32_t modifiers) {
  return (modifiers & 2) | (modifiers & 1) << 2 | (modifiers & 4) >> 2;
}

// A key in a hot-key control; one of the keys the control would name from the keypad without
// its HOTKEYF_EXT (the arrows, Insert, Delete, Home, End, PageUp and PageDown) with it.
void ShowKey(int control, uint32_t modifiers, uint32_t key) {
  const bool extended = (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE;
  Send(control, HKM_SETHOTKEY,
       MAKEWORD(key, SwapShiftAndAlt(modifiers & 7u) | (extended ? HOTKEYF_EXT : 0)));
}

// The colour and the font the buttons chose, in words.
void ShowPicks() {
  const Window& w = W();
  const uint32_t colour = w.picked;
  const auto part = [&](int shift) {
    return IntToText(static_cast<int32_t>(colour >> shift & 0xFF));
  };
  Show(IDC_COLOUR_TEXT,
       FillIn(Say(TextId::kColourValue), {part(0).View(), part(8).View(), part(16).View()}).CStr());
  const Text name = PopupHost().SystemTextToUtf8(w.now.fontName.View());
  Show(IDC_FONT_TEXT,
       FillIn(Say(TextId::kFontValue), {name.View(), IntToText(w.now.fontPoints).View()}).CStr());
}

// What the hot-key controls hold, to tell later which the user changed.
void RememberKeys() {
  for (int i = 0; i < kKeyCount; ++i) W().keys[i] = Send(kKeys[i].control, HKM_GETHOTKEY);
}

// A template (or a text as long) as typed, cut as settings.ini's reader cuts it.
void ReadTemplate(SettingTemplate& text, int control = IDC_TEXT) {
  Send(control, WM_GETTEXT, sizeof text.bytes, reinterpret_cast<LPARAM>(text.bytes));
  text.Set(text.View());
}

// The fields of [Share] that hold a template or a text as long, beside the setting each shows.
struct ShareField {
  int control;
  SettingTemplate Settings::*setting;
};
constexpr ShareField kShareFields[] = {{IDC_SHARE_FILE, &Settings::shareFile},
                                       {IDC_FILE_TEXT, &Settings::fileText},
                                       {IDC_FILE_STOPPED, &Settings::fileStopped},
                                       {IDC_DISCORD_DETAILS, &Settings::discordDetails},
                                       {IDC_DISCORD_STATE, &Settings::discordState}};

// The file's picker: a name to save under, which the file's field then holds.
void PickShareFile() {
  wchar_t name[MAX_PATH];
  if (!::GetDlgItemTextW(dialog, IDC_SHARE_FILE, name, MAX_PATH)) name[0] = L'\0';
  OPENFILENAMEW choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = dialog;
  // Each kind's name and its pattern, zero after each, and a zero last.
  wchar_t filter[2 * kLanguageTextMost + 16];
  wchar_t* at = filter;
  for (const auto& [kind, pattern] : {std::pair{TextId::kShareFilterText, L"*.txt"},
                                      std::pair{TextId::kShareFilterAll, L"*.*"}}) {
    Utf8ToWide(Say(kind), at, kLanguageTextMost);
    at += ::lstrlenW(at) + 1;
    ::lstrcpyW(at, pattern);
    at += ::lstrlenW(at) + 1;
  }
  *at = L'\0';
  choice.lpstrFilter = filter;
  choice.lpstrFile = name;
  choice.nMaxFile = MAX_PATH;
  choice.lpstrDefExt = L"txt";
  choice.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (Pick("GetSaveFileNameW", &choice)) ::SetDlgItemTextW(dialog, IDC_SHARE_FILE, name);
}

// The current track as the strip would show it with the template typed.
void ShowPreview() {
  const NowPlayingState& state = NowPlaying();
  SettingTemplate typed;
  ReadTemplate(typed);
  Text text;
  const UINT codePage =
      TrackText(PopupHost(), typed.View(), state.shownLength, state.shownPosition, true, text)
          ? CP_UTF8
          : CP_ACP;
  const int units = ::MultiByteToWideChar(codePage, 0, text.CStr(), -1, nullptr, 0);
  auto* wide = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * (units > 0 ? units : 1)));
  if (!wide) return;
  if (units <= 0 || !::MultiByteToWideChar(codePage, 0, text.CStr(), -1, wide, units)) *wide = 0;
  ::SetDlgItemTextW(dialog, IDC_TEXT_PREVIEW, wide);
  std::free(wide);
}

// The item of the settings' choice: a monitor that is not connected, by number or identity,
// is the one after the monitors.
int MonitorItem(const Settings& settings, int32_t monitors) {
  if (AllMonitors(settings)) return kMonitorItemsBefore - 1;
  int32_t number = settings.monitor;
  if (settings.monitorWord.bytes[0] != '\0') {
    number = IdentifiedMonitor(PopupHost(), settings.monitorWord.View());
  }
  if (number > monitors || (number == 0 && settings.monitorWord.bytes[0] != '\0')) {
    number = monitors + 1;
  }
  return number > 0 ? kMonitorItemsBefore - 1 + number : number < -2 ? 0 : -number;
}

// The monitors by the names Windows shows for them ("2: DELL U2720Q"), in UTF-16, as the
// system has them. Out of line: its device record stays off the dialog procedure's stack.
[[gnu::noinline]] void FillMonitors(const Settings& shown) {
  AddItems(IDC_MONITOR, kMonitorItems);
  const int32_t monitors = MonitorCount();
  wchar_t name[160];
  for (int32_t number = 1; number <= monitors; ++number) {
    DISPLAY_DEVICEW device;
    // "2: Monitor" where the system names none.
    if (!MonitorDevice(MonitorByNumber(number), device) || device.DeviceString[0] == L'\0') {
      Utf8ToWide(Say(TextId::kMonitorUnnamed), device.DeviceString,
                 sizeof device.DeviceString / sizeof(wchar_t));
    }
    ::wsprintfW(name, L"%d: %s", number, device.DeviceString);
    ::SendDlgItemMessageW(dialog, IDC_MONITOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  const int item = MonitorItem(shown, monitors);
  if (item == kMonitorItemsBefore + monitors) {
    AddItem(IDC_MONITOR, Say(TextId::kMonitorAbsent));
  }
  Send(IDC_MONITOR, CB_SETCURSEL, static_cast<WPARAM>(item));
}

// A monitor chosen anew is written by its identity, where the system names one.
void ReadMonitorChoice(const Settings& shown, Settings& now) {
  const auto item = static_cast<int>(Send(IDC_MONITOR, CB_GETCURSEL));
  const int32_t monitors = MonitorCount();
  if (item < 0 || item == MonitorItem(shown, monitors) || item >= kMonitorItemsBefore + monitors) {
    return;
  }
  now.monitorWord.bytes[0] = '\0';
  now.monitor = item < kMonitorItemsBefore - 1 ? -item : 0;
  if (item == kMonitorItemsBefore - 1) Format(now.monitorWord.bytes, "%s", kAllWord);
  if (item < kMonitorItemsBefore) return;
  now.monitor = item - kMonitorItemsBefore + 1;
  Text identity;
  if (PopupHost().MonitorGetIdentity(now.monitor, identity) &&
      identity.View().substr(0, 2) == kIdentityStart &&
      identity.View().size() < sizeof now.monitorWord.bytes) {
    Format(now.monitorWord.bytes, "%s", identity.CStr());
    now.monitor = 0;
  }
}

// The Language item of the settings' choice: the file that Language= (or, with none, the system's
// display language) chooses, when the folder has it; else English, the first.
int LanguageItem(const Settings& settings) {
  const Text code = LanguageCode(settings.language.View(), PopupHost().LanguageOfSystem().View());
  const Window& w = W();
  for (int item = 0; item < w.languageCount; ++item) {
    if (::lstrcmpiA(w.languages[item].code, code.CStr()) == 0) return item + 1;
  }
  return 0;
}

// A language chosen anew is written by its file's code, or as English.
void ReadLanguageChoice(const Settings& shown, Settings& now) {
  const auto item = static_cast<int>(Send(IDC_LANGUAGE, CB_GETCURSEL));
  if (item < 0 || item == LanguageItem(shown) || item > W().languageCount) return;
  Format(now.language.bytes, "%s", item == 0 ? "English" : W().languages[item - 1].code);
}

// The lists, in the language spoken, each at the settings' choice.
void FillLists(const Settings& shown) {
  for (const int list : {IDC_TEXT_COLOUR, IDC_MONITOR, IDC_EDGE, IDC_LANGUAGE}) {
    Send(list, CB_RESETCONTENT);
  }
  // A colour the file names otherwise selects none, and stays unless another is chosen.
  AddItems(IDC_TEXT_COLOUR, kTextColourItems);
  for (int item = 0; item < 3; ++item) {
    if (kTextColourValues[item] == shown.textColor) Send(IDC_TEXT_COLOUR, CB_SETCURSEL, item);
  }
  FillMonitors(shown);
  AddItems(IDC_EDGE, kEdgeItems);
  Send(IDC_EDGE, CB_SETCURSEL, shown.bottom);
  // English by its own name, then each file by the name it gives itself.
  AddItem(IDC_LANGUAGE, kTextEntries[static_cast<int>(TextId::kLanguageInItself)].english);
  const Window& w = W();
  for (int item = 0; item < w.languageCount; ++item) {
    AddItem(IDC_LANGUAGE, w.languages[item].name.CStr());
  }
  Send(IDC_LANGUAGE, CB_SETCURSEL, static_cast<WPARAM>(LanguageItem(shown)));
}

// Russian words are longer than English ones: each label, box and button as wide as its text
// needs, measured with the window's font, and the controls after it in its row, its column and
// the window as much wider. The columns are the template's (in dialog units): the left one to
// kLeftEnd, the right one from kRightStart to kRightEnd, and the controls that span both. Never
// narrower than it was: a window laid out for a longer language stays as wide.
constexpr int kLeftEnd = 157;
constexpr int kRightStart = 163;
constexpr int kRightEnd = 329;
constexpr int kControlsMost = 64;

struct Placed {
  HWND control;
  RECT box;
  int grow;    // what its text needs more than it has
  int shift;   // what the controls before it in its row grew
  int column;  // 0 left, 1 right, 2 both
};

// The width `control`'s text needs, or 0 for one whose text wraps or that holds no text of ours.
[[gnu::noinline]] int NeededWidth(HWND control, HDC context, const RECT& box, int units) {
  char name[16];
  if (!::GetClassNameA(control, name, sizeof name)) return 0;
  const LONG style = ::GetWindowLongW(control, GWL_STYLE);
  const bool button = ::lstrcmpiA(name, "Button") == 0;
  if (!button && ::lstrcmpiA(name, "Static") != 0) return 0;
  wchar_t text[kLanguageTextMost + 1];
  const int length = ::GetWindowTextW(control, text, kLanguageTextMost + 1);
  RECT need = {0, 0, 0, 0};
  if (length == 0 || !::DrawTextW(context, text, length, &need,
                                  DT_CALCRECT | DT_SINGLELINE |
                                      ((style & SS_NOPREFIX) && !button ? DT_NOPREFIX : 0))) {
    return 0;
  }
  // A static of more than one line wraps its text.
  if (!button && box.bottom - box.top >= 2 * (need.bottom - need.top)) return 0;
  if (!button) return need.right + 1;
  const LONG kind = style & BS_TYPEMASK;
  // A check box's box and the gap after it; a push button's edges.
  const bool check = kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX;
  return need.right + (check ? units * 14 : units * 8) / 4;
}

[[gnu::noinline]] void FitTexts() {
  Placed placed[kControlsMost];
  int count = 0;
  // Dialog units as the window was made, scaled as Rescale scaled its controls since.
  const Window& w = W();
  RECT units = {0, 0, 4, 8};
  ::MapDialogRect(dialog, &units);
  units.right = ::MulDiv(units.right, static_cast<int>(w.dpi), static_cast<int>(w.madeDpi));
  const auto x = [&](int dialogUnits) { return ::MulDiv(dialogUnits, units.right, 4); };
  const HDC context = ::GetDC(dialog);
  const HFONT font =
      w.font ? w.font : reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  const HGDIOBJ was = ::SelectObject(context, font);
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child && count < kControlsMost;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    // The arrows follow their field.
    char name[24];
    if (::GetClassNameA(child, name, sizeof name) && ::lstrcmpiA(name, UPDOWN_CLASSA) == 0)
      continue;
    Placed& p = placed[count++];
    p.control = child;
    p.box = ControlRect(child);
    const int need = NeededWidth(child, context, p.box, units.right);
    p.grow = need > p.box.right - p.box.left ? need - (p.box.right - p.box.left) : 0;
    p.shift = 0;
    p.column = p.box.right <= x(kLeftEnd) + 1 ? 0 : p.box.left >= x(kRightStart) ? 1 : 2;
  }
  ::SelectObject(context, was);
  ::ReleaseDC(dialog, context);
  // A control grows the ones after it in its row: of its column, or spanning both.
  int grows[2] = {0, 0};
  const int ends[2] = {x(kLeftEnd), x(kRightEnd)};
  for (int i = 0; i < count; ++i) {
    Placed& p = placed[i];
    for (int j = 0; j < count; ++j) {
      const Placed& before = placed[j];
      const bool inRow = before.box.top < p.box.bottom && p.box.top < before.box.bottom;
      if (j != i && inRow && before.box.right <= p.box.left &&
          (before.column == p.column || p.column == 2)) {
        p.shift += before.grow;
      }
    }
  }
  for (int i = 0; i < count; ++i) {
    const Placed& p = placed[i];
    if (p.column == 2) continue;
    const int over = p.box.right + p.shift + p.grow - ends[p.column];
    if (over > grows[p.column]) grows[p.column] = over;
  }
  // Inside the monitor's work area, whatever the language.
  RECT frame;
  ::GetWindowRect(dialog, &frame);
  MONITORINFO monitor = {sizeof monitor, {}, {}, 0};
  ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int room = (work.right - work.left) - (frame.right - frame.left);
  if (grows[0] + grows[1] > room) {
    const int both = grows[0] + grows[1];
    grows[0] = room > 0 ? ::MulDiv(grows[0], room, both) : 0;
    grows[1] = room > 0 ? room - grows[0] : 0;
  }
  const int grown = grows[0] + grows[1];
  if (grown == 0) return;
  for (int i = 0; i < count; ++i) {
    const Placed& p = placed[i];
    RECT box = p.box;
    box.left += p.shift + (p.column == 1 ? grows[0] : 0);
    box.right = box.left + (p.box.right - p.box.left) + p.grow;
    // A control that reached its column's end reaches it still.
    const int end = p.column == 0 ? ends[0] : ends[1];
    if (p.box.right >= end - x(2)) box.right = end + (p.column == 0 ? grows[0] : grown);
    ::SetWindowPos(p.control, nullptr, box.left, box.top, box.right - box.left,
                   box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Send(IDC_OPACITY_ARROWS, UDM_SETBUDDY,
       reinterpret_cast<WPARAM>(::GetDlgItem(dialog, IDC_OPACITY)));
  // As wide as it grew, about the same middle, inside the work area.
  const int width = frame.right - frame.left + grown;
  int left = frame.left - grown / 2;
  if (left + width > work.right) left = work.right - width;
  if (left < work.left) left = work.left;
  int top = frame.top;
  if (top + (frame.bottom - frame.top) > work.bottom)
    top = work.bottom - (frame.bottom - frame.top);
  if (top < work.top) top = work.top;
  ::SetWindowPos(dialog, nullptr, left, top, width, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every control's text and the window's title in the language spoken, the lists too, and the
// controls as wide as those texts need.
[[gnu::noinline]] void ShowTexts(const Settings& shown) {
  wchar_t title[kLanguageTextMost + 1];
  Utf8ToWide(Say(TextId::kWindowTitle), title, kLanguageTextMost + 1);
  ::SetWindowTextW(dialog, title);
  for (const ControlText& text : kControlTexts) Show(text.control, Say(text.text));
  FillLists(shown);
  ShowPicks();
  FitTexts();
}

// Every value as the file in use has it, the defaults where it has none: the values the settings
// watch read last, those that wait for the strip to be away included.
void Fill() {
  Window& w = W();
  Settings& shown = w.shown;
  const NowPlayingState& state = NowPlaying();
  shown = state.settingsWaiting ? state.waiting : state.settings;
  w.now = shown;
  for (int i = 0; i < kKeyCount; ++i) {
    // As Windows' own shortcut fields: a key typed without Ctrl or Alt gets both.
    Send(kKeys[i].control, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
         MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    const KeySetting& key = KeyOf(shown, i);
    if (key.reading == KeyReading::kKey && !(key.key.modifiers & kModWin)) {
      ShowKey(kKeys[i].control, key.key.modifiers, key.key.virtualKey);
      // Not taken at the start, as the keys' notice said.
      if (TakesTheKeyboard(key.key)) Show(kKeys[i].note, Say(TextId::kKeyTakesTheKeyboard));
    } else if (key.reading != KeyReading::kNone) {
      // A key with Win, or a value that is no key: shown as written, and kept unless changed.
      SetText(kKeys[i].note, key.written.bytes);
    }
  }

  const ColorSetting colour = shown.color;
  w.picked = colour.source == ColorSource::kValue ? colour.value : AccentColor(PopupHost());
  Check(IDC_ACCENT, colour.source == ColorSource::kAccent);

  // A colour the file names otherwise selects none, and stays unless another is chosen.
  Send(IDC_OPACITY_ARROWS, UDM_SETRANGE32, kPercentLeast, kPercentMost);
  Send(IDC_OPACITY_ARROWS, UDM_SETPOS32, 0, shown.opacity ? shown.opacity : kDefaultOpacity);

  w.languageCount = ListLanguages(w.languages);
  ShowTexts(shown);

  SetText(IDC_KEEP, SecondsText(shown.keepInterval).CStr());
  SetText(IDC_CHECK, SecondsText(shown.checkInterval).CStr());
  for (const BoxControl& box : kBoxes) Check(box.control, shown.*box.setting);
  Send(IDC_TEXT, EM_SETLIMITTEXT, kTemplateMost);
  SetText(IDC_TEXT, shown.titleFormat.bytes);
  ShowPreview();
  for (const ShareField& field : kShareFields) {
    Send(field.control, EM_SETLIMITTEXT, kTemplateMost);
    SetText(field.control, (shown.*field.setting).bytes);
  }
  Send(IDC_DISCORD_APP, EM_SETLIMITTEXT, sizeof shown.discordApp.bytes - 1);
  SetText(IDC_DISCORD_APP, shown.discordApp.bytes);
  const DWORD length = ::GetModuleFileNameW(nullptr, w.program + 1, MAX_PATH);
  w.program[0] = w.program[length + 1] = L'"';
  w.startsWithWindows = StartsWithWindows();
  Check(IDC_START_WITH_WINDOWS, w.startsWithWindows);
  RememberKeys();
}

// Seconds as the user wrote them; a note below when they are none.
bool ReadSecondsOf(int control, uint32_t& milliseconds) {
  char text[32];
  Send(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  const bool read = ReadSeconds(text, milliseconds);
  if (!read) Show(IDC_STATUS, Say(TextId::kSecondsNote));
  return read;
}

bool SameKey(const KeySetting& a, const KeySetting& b) {
  return a.reading == KeyReading::kKey && b.reading == KeyReading::kKey &&
         a.key.virtualKey == b.key.virtualKey && a.key.modifiers == b.key.modifiers;
}

// The key the user set in a hot-key control (cleared: no key); a note when settings.ini cannot
// name it.
const char* ReadKey(int index, KeySetting& setting) {
  const auto value = static_cast<uint32_t>(Send(kKeys[index].control, HKM_GETHOTKEY));
  const KeyCombination key = {SwapShiftAndAlt(HIBYTE(value) & 7u), LOBYTE(value)};
  setting.reading = KeyReading::kNone;
  setting.key = key;
  Format(setting.written.bytes, "None");
  if (key.virtualKey == 0) return "";
  // A key that KeyName cannot name ends its name with "+", or leaves it empty.
  const Text name = KeyName(key);
  if (name.IsEmpty() || name[name.Length() - 1] == '+') return Say(TextId::kKeyNotAKey);
  if (TakesTheKeyboard(key)) return Say(TextId::kKeyTakesTheKeyboard);
  setting.reading = KeyReading::kKey;
  Format(setting.written.bytes, "%s", name.CStr());
  return "";
}

// A key is tried before it is written: one that another action has, that another program holds
// or that Windows refuses gets a note. A key that the program holds already is free.
const char* TryKey(int index, Settings& now) {
  const KeySetting& setting = KeyOf(now, index);
  if (setting.reading != KeyReading::kKey) return "";
  for (int other = 0; other < kKeyCount; ++other) {
    if (other != index && SameKey(KeyOf(now, other), setting)) return Say(TextId::kKeySetTwice);
  }
  const KeyCombination key = setting.key;
  bool free = ::RegisterHotKey(dialog, kTriedKeyId, key.modifiers | kModNoRepeat, key.virtualKey) ||
              ::RegisterHotKey(dialog, kTriedKeyId, key.modifiers, key.virtualKey);
  const bool held = ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
  ::UnregisterHotKey(dialog, kTriedKeyId);
  for (int own = 0; own < kKeyCount; ++own)
    free = free || SameKey(KeyOf(NowPlaying().settings, own), setting);
  if (free) return "";
  return Say(held ? TextId::kKeyHeldElsewhere : TextId::kKeyRefused);
}

// OK and Apply: the controls' values; then, when each can be had, the changed ones written.
bool Save() {
  Window& w = W();
  Settings& now = w.now;
  const Settings& shown = w.shown;
  SetText(IDC_STATUS, "");
  bool good = ReadSecondsOf(IDC_KEEP, now.keepInterval);
  good = ReadSecondsOf(IDC_CHECK, now.checkInterval) && good;
  // A key is changed when its control holds another: a key shown as text (with Win) stays.
  const char* notes[kKeyCount] = {"", "", ""};
  bool changed[kKeyCount];
  for (int i = 0; i < kKeyCount; ++i) {
    changed[i] = Send(kKeys[i].control, HKM_GETHOTKEY) != w.keys[i];
    if (changed[i]) notes[i] = ReadKey(i, KeyOf(now, i));
  }
  for (int i = 0; i < kKeyCount; ++i) {
    if (!changed[i]) continue;
    if (*notes[i] == '\0') notes[i] = TryKey(i, now);
    Show(kKeys[i].note, notes[i]);
    good = good && *notes[i] == '\0';
  }
  if (!good) return false;

  now.color = Checked(IDC_ACCENT) ? ColorSetting{0, ColorSource::kAccent}
                                  : ColorSetting{w.picked, ColorSource::kValue};
  const auto text = static_cast<int>(Send(IDC_TEXT_COLOUR, CB_GETCURSEL));
  if (text >= 0) now.textColor = kTextColourValues[text];
  // Within the range the arrows were given, whatever was typed.
  const auto percent = static_cast<int32_t>(Send(IDC_OPACITY_ARROWS, UDM_GETPOS32));
  if (percent != (shown.opacity ? shown.opacity : kDefaultOpacity)) now.opacity = percent;
  ReadMonitorChoice(shown, now);
  now.bottom = Send(IDC_EDGE, CB_GETCURSEL) == 1;
  for (const BoxControl& box : kBoxes) now.*box.setting = Checked(box.control);
  ReadTemplate(now.titleFormat);
  for (const ShareField& field : kShareFields) ReadTemplate(now.*field.setting, field.control);
  Send(IDC_DISCORD_APP, WM_GETTEXT, sizeof now.discordApp.bytes,
       reinterpret_cast<LPARAM>(now.discordApp.bytes));
  // A new file is tried before it is written, as a key is.
  if (!now.shareFile.View().empty() && now.shareFile.View() != shown.shareFile.View()) {
    const FileWrite file =
        CheckShareFile(PopupHost().SystemTextToUtf8(now.shareFile.View()).View());
    if (file != FileWrite::kWritten) {
      Show(IDC_STATUS, FillIn(Say(TextId::kShareFileRefused), {FileWriteWords(file)}).CStr());
      return false;
    }
  }
  ReadLanguageChoice(shown, now);

  if (const char* const unwritten = WriteSettingsChanges(shown, now)) {
    Show(IDC_STATUS, unwritten);
    return false;
  }
  // A new language is spoken at once, also by this window.
  const bool relabel = now.language != w.shown.language;
  w.shown = now;
  if (relabel) {
    TakeLanguage(PopupHost(), now.language.View());
    ShowTexts(now);
  }
  RememberKeys();
  if (Checked(IDC_START_WITH_WINDOWS) != w.startsWithWindows) {
    if (w.startsWithWindows) {
      ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
    } else {
      ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, w.program,
                        static_cast<DWORD>((::lstrlenW(w.program) + 1) * sizeof(wchar_t)));
    }
  }
  // The box shows what the registry holds now.
  w.startsWithWindows = StartsWithWindows();
  Check(IDC_START_WITH_WINDOWS, w.startsWithWindows);
  return true;
}

void PickColour() {
  Window& w = W();
  CHOOSECOLORW choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = dialog;
  choice.rgbResult = w.picked;
  choice.lpCustColors = w.customColors;
  choice.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!Pick("ChooseColorW", &choice)) return;
  w.picked = choice.rgbResult;
  Check(IDC_ACCENT, false);
  ShowPicks();
}

void PickFont() {
  Settings& now = W().now;
  LOGFONTW font = {};
  font.lfHeight = -::MulDiv(now.fontPoints, ScreenDpi(), 72);
  ::MultiByteToWideChar(CP_ACP, 0, now.fontName.bytes, -1, font.lfFaceName, LF_FACESIZE);
  CHOOSEFONTW choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = dialog;
  choice.lpLogFont = &font;
  choice.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_NOVERTFONTS;
  if (!Pick("ChooseFontW", &choice)) return;
  now.fontPoints = (choice.iPointSize + 5) / 10;
  ::WideCharToMultiByte(CP_ACP, 0, font.lfFaceName, -1, now.fontName.bytes,
                        sizeof now.fontName.bytes, nullptr, nullptr);
  ShowPicks();
}

// Inside an animation (a click pumped by one of its frames) the picker would freeze the strip
// half-faded: the animation hurries to its end, and the picker is asked for again after it.
void OpenPicker(Picker picker) {
  if (!ModalLoopMayOpen()) {
    ::SetTimer(dialog, static_cast<UINT_PTR>(picker), kPickAgainMs, nullptr);
  } else if (picker == Picker::kColour) {
    PickColour();
  } else if (picker == Picker::kFont) {
    PickFont();
  } else {
    PickShareFile();
  }
}

// The key field that `control` is, or -1.
int KeyField(HWND control) {
  if (!dialog || !control || ::GetParent(control) != dialog) return -1;
  const int id = ::GetDlgCtrlID(control);
  for (int i = 0; i < kKeyCount; ++i) {
    if (kKeys[i].control == id) return i;
  }
  return -1;
}

// A key field takes the keys typed into it. Alt+letter is the key being set, which the field took
// as WM_SYSKEYDOWN, and not a control's access key. A key that may stand alone keeps the
// modifiers it was typed with, where the field's rules would give it Ctrl+Alt.
bool KeyFieldFirst(const MSG& record) {
  const int index = KeyField(record.hwnd);
  if (index < 0) return false;
  if (record.message == WM_SYSCHAR) return true;
  const auto key = static_cast<uint32_t>(record.wParam);
  if ((record.message != WM_KEYDOWN && record.message != WM_SYSKEYDOWN) || !MayStandAlone(key)) {
    return false;
  }
  const auto held = [](int virtualKey, uint32_t modifier) {
    return ::GetKeyState(virtualKey) < 0 ? modifier : 0u;
  };
  ShowKey(kKeys[index].control,
          held(VK_CONTROL, kModControl) | held(VK_MENU, kModAlt) | held(VK_SHIFT, kModShift), key);
  return true;
}

INT_PTR CALLBACK DialogProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    dialog = handle;
    W().dpi = W().madeDpi = WindowDpi(handle);
    Fill();
    return TRUE;
  }
  if (message == WM_DPICHANGED) {
    if (SystemScalesDialogs() || LOWORD(wParam) == W().dpi) return FALSE;
    Rescale(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    return TRUE;
  }
  // The window's own move and size loop and its system menu are modal loops too: a display
  // waits for them to close rather than take the drag's mouse.
  if (message == WM_ENTERSIZEMOVE || message == WM_ENTERMENULOOP || message == WM_EXITSIZEMOVE ||
      message == WM_EXITMENULOOP) {
    OnModalLoop(PopupHost(), message == WM_ENTERSIZEMOVE || message == WM_ENTERMENULOOP);
    return FALSE;
  }
  // A picker that waited for an animation is asked for again.
  if (message == WM_TIMER) {
    ::KillTimer(handle, wParam);
    if (wParam >= static_cast<UINT_PTR>(Picker::kColour) &&
        wParam <= static_cast<UINT_PTR>(Picker::kShareFile)) {
      OpenPicker(static_cast<Picker>(wParam));
    }
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int control = LOWORD(wParam);
  if (control == IDC_TEXT && HIWORD(wParam) == EN_CHANGE) {
    ShowPreview();
    return TRUE;
  }
  if (control == IDOK || control == IDC_APPLY) {
    if (!Save() || control == IDC_APPLY) return TRUE;
  } else if (control == IDC_COLOUR || control == IDC_FONT || control == IDC_SHARE_BROWSE) {
    OpenPicker(control == IDC_COLOUR ? Picker::kColour
               : control == IDC_FONT ? Picker::kFont
                                     : Picker::kShareFile);
    return TRUE;
  } else if (control != IDCANCEL) {
    return FALSE;
  }
  // OK written, or Cancel (Esc, the close box): the window goes, and the font scaled for it.
  ::DestroyWindow(dialog);
  if (W().font) ::DeleteObject(W().font);
  dialog = ModelessDialog = nullptr;
  return TRUE;
}

}  // namespace

// One at a time: chosen again, the open one comes to the front. The user asked for it, so it
// takes the foreground (the icon's menu gave the program the right to).
void Win32Host::SettingsWindow() {
  if (!dialog) {
    // Made afresh in place: a fresh copy on the stack would be larger than a frame may be.
    window.~Window();
    new (&window) Window();
    // Version 6 of the common controls, with the visual styles, for the window's controls only:
    // the strip's own "static" label keeps the look it always had.
    // Made once; a context that could not be made is not tried again.
    static HANDLE context = nullptr;
    if (!context) {
      ACTCTXW description = {};
      description.cbSize = sizeof description;
      description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
      description.hModule = ::GetModuleHandleA(nullptr);
      description.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS);
      context = ::CreateActCtxW(&description);
    }
    ULONG_PTR cookie = 0;
    const bool active = context != INVALID_HANDLE_VALUE && ::ActivateActCtx(context, &cookie);
    // Version 6 registers its classes only when asked to, as version 5 does. Loaded by its name,
    // inside the activation context that names version 6; a system that must be given the
    // system folder's path gets version 5, without visual styles.
    const HMODULE comctl32 = LoadSystemLibrary(L"comctl32.dll");
    const auto initialise = reinterpret_cast<InitCommonControlsProc>(reinterpret_cast<void (*)()>(
        comctl32 ? ::GetProcAddress(comctl32, "InitCommonControlsEx") : nullptr));
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_HOTKEY_CLASS | ICC_UPDOWN_CLASS};
    if (initialise) initialise(&classes);
    const HINSTANCE module = ::GetModuleHandleA(nullptr);
    ModelessDialogFirst = KeyFieldFirst;
    ModelessDialog =
        ::CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, DialogProcedure, 0);
    if (active) ::DeactivateActCtx(0, cookie);
    if (!ModelessDialog) return;
    ::SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(form_.Icon));
    ::ShowWindow(dialog, SW_SHOW);
  }
  ::SetForegroundWindow(dialog);
}

bool SettingsWindowTakesKey(uint32_t modifiersAndKey) {
  const int index = KeyField(::GetFocus());
  if (index < 0) return false;
  // The field cannot hold Win: the key is not taken without it.
  if (LOWORD(modifiersAndKey) & kModWin) {
    Show(kKeys[index].note, Say(TextId::kKeyWithWin));
  } else {
    ShowKey(kKeys[index].control, LOWORD(modifiersAndKey), HIWORD(modifiersAndKey));
  }
  return true;
}

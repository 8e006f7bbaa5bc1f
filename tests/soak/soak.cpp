// soak.exe TRACKS: a long run of tunelamp.exe beside a busy player, watched from outside.
//
// Started in a fresh folder that holds tunelamp.exe, player.exe and a settings.ini with
// short intervals. It starts both programs, then changes track TRACKS times at short and
// uneven intervals while it clicks the strip, asks for a display by hot key, shows odd
// captions and answers, switches automatic display off and on, makes the player hang for a
// few seconds, stops and restarts it. Through all of it Tunelamp must answer messages promptly and
// must not end. At the end it must still show a new title and come out on the show-now hot key, and
// the objects and memory it holds must be where they were after the first few displays. Then a
// thread of the watcher broadcasts the player's announcement "WinampSongChange" in a tight loop:
// Tunelamp must still show a new title, dismiss it on a click and cost little more CPU than a
// window that ignores the broadcasts (soak.exe --listen, a process of its own). It ends
// Tunelamp with the quit hot key, during the flood, which must end the process with exit code 0.
//
// Every figure is read from outside through what Windows reports about the process:
// GetGuiResources (GDI and USER objects), the system's process list and
// GetProcessHandleCount (handles, threads), GetProcessMemoryInfo (working set, private
// bytes), VirtualQueryEx (committed private memory) and the windows of the process. Wine
// implements some of these only in part; a figure the system cannot give is printed as "n/a"
// and not compared.
//
// Exit code 0 when everything held, 1 otherwise. The last line says which.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
// Tunelamp pumps messages every animation frame: it should answer within milliseconds. Under
// qemu a frame can take a while, and the machine may be busy; a hang is forever.
constexpr DWORD kAnswerTimeoutMs = 10000;
constexpr DWORD kDisplayTimeoutMs = 20000;
// Growth allowed between the first measurement and the last (see CompareFigures).
constexpr long long kHandleSlack = 2;
constexpr long long kWorkingSetSlackKb = 1024;
constexpr long long kPrivateSlackKb = 512;
constexpr long long kCommittedSlackKb = 64;
// The flood of announcements: how long CPU is measured at rest and in the flood. In the flood
// Tunelamp may spend twice what it spends at rest and what a window that ignores the broadcasts
// spends (Wine's delivery of each), and 1 % of one core more.
constexpr DWORD kRestMs = 5000;
constexpr DWORD kFloodMs = 10000;
constexpr long long kFloodCpuFactor = 2;
constexpr long long kFloodCpuSlackPercent = 1;
constexpr char kListenerClass[] = "SoakListener";

// What the popup shows without a player; label texts are compared as UTF-8.
constexpr char kNotRunning[] = "WinAMP не запущен!";

void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(ms < 10 ? ms : 10);
  } while (GetTickCount() - start < ms);
}

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Pump(15);
  }
}

struct Process {
  HANDLE handle = nullptr;
  DWORD pid = 0;

  bool Start(const std::string& exe, const std::string& arguments) {
    std::string line = "\"" + exe + "\"";
    if (!arguments.empty()) line += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
      return false;
    }
    CloseHandle(info.hThread);
    handle = info.hProcess;
    pid = info.dwProcessId;
    return true;
  }
  bool Running() const { return handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT; }
  void Kill() {
    if (Running()) {
      TerminateProcess(handle, 99);
      WaitForSingleObject(handle, 15000);
    }
  }
};

struct Search {
  const char* className;
  DWORD pid;
  HWND found;
  int windows;  // every window of the process, top-level and child
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
  ++reinterpret_cast<Search*>(param)->windows;
  return TRUE;
}

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid) return TRUE;
  ++search->windows;
  EnumChildWindows(window, CountChild, param);
  char name[64] = {};
  if (search->className && !search->found && GetClassNameA(window, name, sizeof name) &&
      lstrcmpA(name, search->className) == 0) {
    search->found = window;
  }
  return TRUE;
}

Search Windows(const char* className, DWORD pid) {
  Search search = {className, pid, nullptr, 0};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search;
}

int AlphaOf(HWND popup) {
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  return GetLayeredWindowAttributes(popup, &key, &alpha, &flags) ? alpha : -1;
}

// The label's text as UTF-8, whatever this process's code page.
std::string LabelText(HWND popup) {
  HWND label = FindWindowExA(popup, nullptr, "static", nullptr);
  wchar_t wide[2048] = {};
  if (GetWindowTextW(label, wide, 2048) <= 0) return "";
  char text[8192] = {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return std::string(text, n > 1 ? static_cast<size_t>(n - 1) : 0);
}

// What the process holds, as the system reports it; -1 where it reports nothing.
struct Figures {
  long long gdi = -1;
  long long user = -1;
  long long handles = -1;
  long long threads = -1;
  long long windows = -1;
  long long workingSetKb = -1;
  long long privateKb = -1;
  long long committedKb = -1;  // private memory committed, region by region
  long long cpuMs = -1;        // user and kernel time so far
};

// The private memory the process has committed, summed over its regions (VirtualQueryEx).
// Unlike the working set this does not move with what qemu or the system keep resident: it
// grows only when the program's heap does.
long long CommittedPrivateKb(HANDLE process) {
  long long total = 0;
  bool any = false;
  MEMORY_BASIC_INFORMATION region = {};
  for (ULONG_PTR at = 0; VirtualQueryEx(process, reinterpret_cast<const void*>(at), &region,
                                        sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
      total += static_cast<long long>(region.RegionSize);
      any = true;
    }
    const ULONG_PTR next = reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return any ? total / 1024 : -1;
}

// The system's process list (NtQuerySystemInformation, SystemProcessInformation): handle and
// thread counts and private memory, for processes whose own queries Wine does not answer.
void FromProcessList(DWORD pid, Figures& figures) {
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const FARPROC found = GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
  if (!found) return;
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(found));
  constexpr ULONG kSystemProcessInformation = 5;
  std::vector<char> buffer(1 << 16);
  ULONG needed = 0;
  LONG status = 0;
  // STATUS_INFO_LENGTH_MISMATCH: the list grew; try again with more room.
  while ((status = query(kSystemProcessInformation, buffer.data(),
                         static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<LONG>(0xC0000004)) {
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return;
  for (size_t at = 0;;) {
    const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[at]);
    if (reinterpret_cast<ULONG_PTR>(process->UniqueProcessId) == pid) {
      if (process->HandleCount != 0) figures.handles = process->HandleCount;
      if (process->NumberOfThreads != 0) figures.threads = process->NumberOfThreads;
      if (figures.privateKb < 0 && process->PrivatePageCount != 0) {
        figures.privateKb = static_cast<long long>(process->PrivatePageCount / 1024);
      }
      const long long cpu = process->UserTime.QuadPart + process->KernelTime.QuadPart;
      if (cpu != 0) figures.cpuMs = cpu / 10000;  // from 100 ns units
      return;
    }
    if (process->NextEntryOffset == 0) return;
    at += process->NextEntryOffset;
  }
}

// User and kernel time of a process so far, in ms; -1 when the system gives none.
long long CpuMs(const Process& process) {
  Figures figures;
  FromProcessList(process.pid, figures);
  return figures.cpuMs;
}

Figures Measure(const Process& tunelamp) {
  Figures figures;
  const DWORD gdi = GetGuiResources(tunelamp.handle, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(tunelamp.handle, GR_USEROBJECTS);
  // Both zero means "not counted": a live window alone is a USER object.
  if (gdi != 0 || user != 0) {
    figures.gdi = gdi;
    figures.user = user;
  }
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(tunelamp.handle, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory)) {
    if (memory.WorkingSetSize != 0) figures.workingSetKb = memory.WorkingSetSize / 1024;
    if (memory.PrivateUsage != 0) figures.privateKb = memory.PrivateUsage / 1024;
  }
  FromProcessList(tunelamp.pid, figures);
  figures.committedKb = CommittedPrivateKb(tunelamp.handle);
  DWORD handles = 0;
  if (figures.handles < 0 && GetProcessHandleCount(tunelamp.handle, &handles) && handles != 0) {
    figures.handles = handles;
  }
  figures.windows = Windows(nullptr, tunelamp.pid).windows;
  return figures;
}

std::string Show(long long value) {
  return value < 0 ? "n/a" : std::to_string(value);
}

void Print(const char* when, const Figures& f) {
  Say("figures %-7s gdi=%s user=%s handles=%s threads=%s windows=%s working_set_kb=%s "
      "private_kb=%s committed_kb=%s cpu_ms=%s",
      when, Show(f.gdi).c_str(), Show(f.user).c_str(), Show(f.handles).c_str(),
      Show(f.threads).c_str(), Show(f.windows).c_str(), Show(f.workingSetKb).c_str(),
      Show(f.privateKb).c_str(), Show(f.committedKb).c_str(), Show(f.cpuMs).c_str());
}

// Broadcasts the player's announcement from a thread of its own, as fast as it can, from Start
// until Stop.
class Flood {
 public:
  Flood() = default;
  Flood(const Flood&) = delete;
  Flood& operator=(const Flood&) = delete;
  ~Flood() { Stop(); }
  void Start() {
    thread_ = std::thread([this] {
      while (!stop_) {
        SendNotifyMessageA(HWND_BROADCAST, message_, 0, 0);
        ++sent_;
      }
    });
  }
  [[nodiscard]] long Sent() const { return sent_; }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

 private:
  const UINT message_ = RegisterWindowMessageA("WinampSongChange");
  std::atomic<bool> stop_{false};
  std::atomic<long> sent_{0};
  std::thread thread_;
};

// soak.exe --listen: the yardstick for the flood. Two hidden top-level windows, as Tunelamp has
// (the popup and its timer's window), that leave every message to DefWindowProcA.
int Listen() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kListenerClass;
  if (!RegisterClassA(&windowClass)) return 1;
  for (int i = 0; i < 2; ++i) {
    if (!CreateWindowExA(WS_EX_TOOLWINDOW, kListenerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, windowClass.hInstance, nullptr)) {
      return 1;
    }
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

class Soak {
 public:
  explicit Soak(int tracks) : tracks_(tracks) {}
  Soak(const Soak&) = delete;
  Soak& operator=(const Soak&) = delete;
  // Whatever happened, nothing of the run is left behind.
  ~Soak() {
    tunelamp_.Kill();
    player_.Kill();
  }
  int Run();

 private:
  bool StartPlayer();
  bool SendPlayer(const std::string& command);
  // Ends the player and waits until its window is gone, so that a probe cannot find a window
  // that no longer answers.
  void StopPlayer();
  bool StartTunelamp();
  // Fails the run when Tunelamp has ended or does not answer a message in time.
  bool Alive(const char* when);
  void Step(int i);
  // Waits until no animation runs: the alpha is 0 or 200 and stays so for a while.
  bool Settle();
  // Waits until the strip is out, showing a caption that starts with `prefix`.
  bool ShowsCaption(const std::string& prefix);
  // Posts the show-now hot key; the strip must fade in anew and come out with `prefix`.
  bool ComesOutOnShowNow(const std::string& prefix);
  bool CompareFigures(const Figures& before, const Figures& after);
  // Starts the flood and keeps it up: a new title and a click must still work, and Tunelamp's
  // CPU in it must stay near its CPU at rest and the listener's. False when something failed.
  bool UnderFlood(Flood& flood, Process& listener);
  // Tells what the popup shows beside what was expected.
  void Report(const std::string& expected);
  // Prints why the run failed; answers the exit code of a failed run.
  int Fail(const char* format, ...);

  int tracks_;
  Process player_;
  Process tunelamp_;
  HWND playerWindow_ = nullptr;
  HWND popup_ = nullptr;
  DWORD slowestAnswerMs_ = 0;
  int clicks_ = 0;
  int showNows_ = 0;
  int oddCaptions_ = 0;
  int playerRestarts_ = 0;
  int playerHangs_ = 0;
};

int Soak::Fail(const char* format, ...) {
  std::printf("soak: FAILED: ");
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);
  return 1;
}

bool Soak::StartPlayer() {
  // Tracks of ten minutes: they change only when the soak says so.
  std::string list = "\"list ";
  for (int i = 1; i <= 16; ++i) {
    if (i > 1) list += "|";
    list += "600 Soak Artist " + std::to_string(i) + " - Song " + std::to_string(i);
  }
  list += "\"";
  if (!player_.Start("player.exe", list)) {
    Fail("player.exe does not start");
    return false;
  }
  const bool up = WaitUntil(
      [&] {
        playerWindow_ = Windows("Winamp v1.x", player_.pid).found;
        return (playerWindow_ && GetWindowTextLengthA(playerWindow_) > 0) || !player_.Running();
      },
      kStartTimeoutMs);
  if (!up || !player_.Running()) {
    Fail("the player's window does not come up");
    return false;
  }
  return true;
}

void Soak::StopPlayer() {
  player_.Kill();
  (void)WaitUntil([] { return FindWindowA("Winamp v1.x", nullptr) == nullptr; }, kStartTimeoutMs);
  playerWindow_ = nullptr;
}

bool Soak::SendPlayer(const std::string& command) {
  COPYDATASTRUCT data = {0, static_cast<DWORD>(command.size()), const_cast<char*>(command.data())};
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(playerWindow_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) != 0 &&
         answer != 0;
}

bool Soak::StartTunelamp() {
  if (!tunelamp_.Start("tunelamp.exe", "")) {
    Fail("tunelamp.exe does not start");
    return false;
  }
  // The popup is shown and layered once the settings are applied.
  const bool up = WaitUntil(
      [&] {
        popup_ = Windows("TForm", tunelamp_.pid).found;
        return (popup_ && IsWindowVisible(popup_) &&
                (GetWindowLongA(popup_, GWL_EXSTYLE) & WS_EX_LAYERED)) ||
               !tunelamp_.Running();
      },
      kStartTimeoutMs);
  if (!up || !tunelamp_.Running()) {
    Fail("Tunelamp's popup does not come up");
    return false;
  }
  return true;
}

bool Soak::Alive(const char* when) {
  if (!tunelamp_.Running()) {
    DWORD code = 0;
    GetExitCodeProcess(tunelamp_.handle, &code);
    Fail("Tunelamp ended (exit code %lu) %s", code, when);
    return false;
  }
  const DWORD start = GetTickCount();
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(popup_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer)) {
    Fail("Tunelamp does not answer within %lu ms %s", kAnswerTimeoutMs, when);
    return false;
  }
  const DWORD took = GetTickCount() - start;
  if (took > slowestAnswerMs_) slowestAnswerMs_ = took;
  return true;
}

// One track change, and in between whatever the step's number asks for. The pattern mixes
// displays that run to their end with ones cut short at every stage.
void Soak::Step(int i) {
  static const DWORD kPauses[] = {120, 500, 2400, 250, 1100, 60, 3000, 700};
  // Long titles make a caption that is kept once too often plain in the memory figures.
  const std::string number = std::to_string(i);
  if (i % 10 == 0) {
    SendPlayer("title Soak Artist - Renamed " + number + " " + std::string(200, 'r'));
  } else if (i % 2 == 0) {
    SendPlayer("caption " + number + ". Soak Artist " + number + " - " + std::string(900, 'c') +
               " - Winamp");
  } else {
    SendPlayer("next");
  }
  Pump(kPauses[i % 8]);

  if (i % 3 == 0) {
    PostMessageA(popup_, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    ++clicks_;
  }
  if (i % 5 == 0) {
    PostMessageA(popup_, WM_HOTKEY, 0, 0);
    ++showNows_;
  }
  if (i % 7 == 0) {
    // A show-now right behind a click, and the automatic display off and on again.
    PostMessageA(popup_, WM_LBUTTONUP, 0, MAKELPARAM(300, 10));
    PostMessageA(popup_, WM_HOTKEY, 0, 0);
    PostMessageA(popup_, WM_HOTKEY, 1, 0);
    PostMessageA(popup_, WM_HOTKEY, 1, 0);
    clicks_ += 1;
    showNows_ += 1;
  }
  if (i % 11 == 0) {
    // Captions and answers no real player gives.
    static const char* const kOdd[] = {"caption ", "caption NoSpaceAtAll", "caption 1. ",
                                       "caption 1. No mark here",
                                       "caption 7. \xC0\xFF\x80\xE9 - Winamp [x]"};
    std::string command = kOdd[(i / 11) % 5];
    if ((i / 11) % 6 == 5) command = "caption 1. " + std::string(1011, 'L') + " - Winamp";
    SendPlayer(command);
    SendPlayer((i / 11) % 2 ? "length -1" : "length 2147483647");
    SendPlayer("answer-state 7");
    Pump(kPauses[(i + 3) % 8]);
    SendPlayer("answer-state");
    SendPlayer("length 600");
    ++oddCaptions_;
  }
  if (i % 13 == 0) {
    // The player's window stops answering for a few seconds while the strip is asked for;
    // the next command waits for it to answer again.
    SendPlayer("hang 2500");
    Pump(600);
    PostMessageA(popup_, WM_HOTKEY, 0, 0);
    ++showNows_;
    ++playerHangs_;
  }
  if (i % 17 == 0) {
    SendPlayer("state 0");
    Pump(300);
    SendPlayer("state 3");
    Pump(300);
    SendPlayer("state 1");
  }
}

bool Soak::Settle() {
  int last = -2;
  DWORD since = GetTickCount();
  return WaitUntil(
      [&] {
        const int alpha = AlphaOf(popup_);
        if (alpha != last) {
          last = alpha;
          since = GetTickCount();
        }
        // Longer than the keep interval and a check: a display in progress would move.
        return (alpha == 0 || alpha == 200) && GetTickCount() - since > 2500;
      },
      kDisplayTimeoutMs);
}

bool Soak::ShowsCaption(const std::string& prefix) {
  const bool shown =
      WaitUntil([&] { return AlphaOf(popup_) == 200 && LabelText(popup_).rfind(prefix, 0) == 0; },
                kDisplayTimeoutMs);
  if (!shown) Report("\"" + prefix + "...\" at alpha 200");
  return shown;
}

bool Soak::ComesOutOnShowNow(const std::string& prefix) {
  PostMessageA(popup_, WM_HOTKEY, 0, 0);
  bool rising = false;
  const bool shown = WaitUntil(
      [&] {
        const int alpha = AlphaOf(popup_);
        if (alpha >= 0 && alpha < 200) rising = true;
        return rising && alpha == 200 && LabelText(popup_).rfind(prefix, 0) == 0;
      },
      kDisplayTimeoutMs);
  if (!shown) {
    Report(std::string("a fade-in (") + (rising ? "seen" : "not seen") + ") to \"" + prefix +
           "...\"");
  }
  return shown;
}

void Soak::Report(const std::string& expected) {
  Say("soak: expected %s; the popup has alpha %d and shows \"%s\"", expected.c_str(),
      AlphaOf(popup_), LabelText(popup_).c_str());
}

// Objects, handles, threads and windows must come back to the count they had: a display
// makes none for good. Two handles of slack, because Wine's own machinery (the server
// connection, a thread it may start for a message) can hold one or two more at a given moment.
// Committed private memory may take one more step of the heap (64 KiB) for fragmentation; a
// program that keeps one caption of the long titles below per display takes three such steps
// in 150 tracks. The working set (what is resident, qemu's translated code included) may move
// by 1 MiB, private bytes by 512 KiB, where the system reports them.
bool Soak::CompareFigures(const Figures& before, const Figures& after) {
  bool ok = true;
  auto check = [&](const char* name, long long was, long long is, long long slack) {
    if (was < 0 || is < 0) return;
    if (is > was + slack) {
      (void)Fail("%s grew from %lld to %lld (allowed %lld)", name, was, is, slack);
      ok = false;
    }
  };
  check("GDI objects", before.gdi, after.gdi, 0);
  check("USER objects", before.user, after.user, 0);
  check("windows", before.windows, after.windows, 0);
  check("threads", before.threads, after.threads, 0);
  check("handles", before.handles, after.handles, kHandleSlack);
  check("working set (KiB)", before.workingSetKb, after.workingSetKb, kWorkingSetSlackKb);
  check("private bytes (KiB)", before.privateKb, after.privateKb, kPrivateSlackKb);
  check("committed private memory (KiB)", before.committedKb, after.committedKb, kCommittedSlackKb);
  return ok;
}

bool Soak::UnderFlood(Flood& flood, Process& listener) {
  if (!listener.Start("soak.exe", "--listen") ||
      !WaitUntil([&] { return Windows(kListenerClass, listener.pid).found != nullptr; },
                 kStartTimeoutMs)) {
    (void)Fail("the listener does not start");
    return false;
  }
  // At rest first: the strip away, Tunelamp polling, no flood.
  const bool settled = Settle();
  const long long restStart = CpuMs(tunelamp_);
  const DWORD restAt = GetTickCount();
  Pump(kRestMs);
  const long long restEnd = CpuMs(tunelamp_);
  const long long restMs = settled && restStart >= 0 && restEnd >= 0
                               ? (restEnd - restStart) * kFloodMs / (GetTickCount() - restAt)
                               : -1;

  flood.Start();
  const std::string title = "Soak Artist - Flooded";
  SendPlayer("title " + title);
  if (!ShowsCaption(title + " [10:00] - ")) {
    (void)Fail("a new title is not shown during the flood");
    return false;
  }
  PostMessageA(popup_, WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
  ++clicks_;
  if (!WaitUntil([&] { return AlphaOf(popup_) == 0; }, kAnswerTimeoutMs)) {
    (void)Fail("a click does not dismiss the strip during the flood");
    return false;
  }
  if (!Alive("during the flood") || !Settle()) {
    (void)Fail("Tunelamp does not settle during the flood");
    return false;
  }

  // The same stretch of the flood, the strip away again.
  const long long tunelampStart = CpuMs(tunelamp_);
  const long long listenerStart = CpuMs(listener);
  const long sentBefore = flood.Sent();
  const DWORD start = GetTickCount();
  Pump(kFloodMs);
  const long long tunelampEnd = CpuMs(tunelamp_);
  const long long listenerEnd = CpuMs(listener);
  const long long wallMs = GetTickCount() - start;
  const long sent = flood.Sent() - sentBefore;
  if (!Alive("during the flood")) return false;
  if (restMs < 0 || tunelampStart < 0 || listenerStart < 0 || tunelampEnd < 0 || listenerEnd < 0) {
    Say("soak: flood of %ld broadcasts in %lld ms; CPU n/a", sent, wallMs);
    return true;
  }
  // Scaled to kFloodMs, as the rest figure is.
  const long long tunelampMs = (tunelampEnd - tunelampStart) * kFloodMs / wallMs;
  const long long listenerMs = (listenerEnd - listenerStart) * kFloodMs / wallMs;
  Say("soak: flood of %ld broadcasts in %lld ms; CPU per %lu ms: tunelamp %lld ms at rest, %lld "
      "ms in the flood; a process whose windows ignore the broadcasts %lld ms",
      sent, wallMs, kFloodMs, restMs, tunelampMs, listenerMs);
  const long long allowedMs =
      kFloodCpuFactor * (restMs + listenerMs) + kFloodMs * kFloodCpuSlackPercent / 100;
  if (tunelampMs > allowedMs) {
    (void)Fail("Tunelamp spent %lld ms of CPU per %lu ms in the flood (allowed %lld ms)",
               tunelampMs, kFloodMs, allowedMs);
    return false;
  }
  return true;
}

int Soak::Run() {
  const DWORD started = GetTickCount();
  Say("soak: %d track changes", tracks_);
  if (!StartPlayer() || !StartTunelamp()) return 1;
  Say("soak: tunelamp pid %lu, player pid %lu", tunelamp_.pid, player_.pid);
  if (!ShowsCaption("Soak Artist 1 - Song 1 [10:00] - ")) {
    return Fail("the first title is not shown");
  }

  // The first few displays: each kind of step once, and the player gone and back, so that
  // every path has run before the figures are first taken.
  for (int i = 1; i <= 22; ++i) {
    Step(i);
    if (!Alive("during the first displays")) return 1;
  }
  StopPlayer();
  // A show-now inside a running fade-out plays its fade-in within it, and the fade-out then
  // ends at alpha 0: only a quiet strip shows plainly what a show-now does.
  if (!Settle()) return Fail("Tunelamp does not settle after the first displays");
  if (!ComesOutOnShowNow(kNotRunning)) return Fail("show-now does not say the player is gone");
  if (!StartPlayer()) return 1;
  ++playerRestarts_;
  if (!Settle()) return Fail("Tunelamp does not settle with the player back");
  const Figures first = Measure(tunelamp_);
  Print("first", first);

  for (int i = 1; i <= tracks_; ++i) {
    Step(i);
    if (!Alive("while the tracks change")) return 1;
    if (i % 100 == 0) {
      // The player closes and comes back under a new window now and then.
      StopPlayer();
      Pump(1000);
      if (!StartPlayer()) return 1;
      ++playerRestarts_;
      if (!Alive("after the player came back")) return 1;
    }
    if (i % 50 == 0) {
      Say("soak: %d of %d tracks, %lu s, slowest answer %lu ms", i, tracks_,
          (GetTickCount() - started) / 1000, slowestAnswerMs_);
      Print("running", Measure(tunelamp_));
    }
  }

  // Still alive and still working: a new title comes out, and so does a show-now.
  if (!Settle()) return Fail("Tunelamp does not settle after the run");
  const std::string finalTitle = "Soak Artist - Final";
  SendPlayer("answer-state");
  SendPlayer("length 600");
  SendPlayer("state 1");
  SendPlayer("title " + finalTitle);
  const std::string finalCaption = finalTitle + " [10:00] - ";
  if (!ShowsCaption(finalCaption)) {
    // A click left waiting swallows the next display (no animation); a show-now then
    // brings the strip out at the tick after.
    PostMessageA(popup_, WM_HOTKEY, 0, 0);
    if (!ShowsCaption(finalCaption)) return Fail("a new title is no longer shown");
  }
  if (!Settle()) return Fail("Tunelamp does not settle after the new title");
  if (!ComesOutOnShowNow(finalCaption)) return Fail("show-now no longer brings the strip out");
  if (!Settle()) return Fail("Tunelamp does not settle after show-now");
  const Figures last = Measure(tunelamp_);
  Print("last", last);
  const bool kept = CompareFigures(first, last);

  // A flood of announcements; the quit hot key ends Tunelamp cleanly while it lasts.
  Flood flood;
  Process listener;
  const bool flooded = UnderFlood(flood, listener);
  const DWORD quitAt = GetTickCount();
  PostMessageA(popup_, WM_HOTKEY, 2, 0);
  DWORD code = 99;
  const bool ended = WaitForSingleObject(tunelamp_.handle, kStartTimeoutMs) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(tunelamp_.handle, &code) && code == 0;
  const DWORD quitMs = GetTickCount() - quitAt;
  flood.Stop();
  listener.Kill();
  player_.Kill();
  Say("soak: the quit hot key took %lu ms during the flood", quitMs);
  Say("soak: %d tracks in %lu s: %d clicks, %d show-now, %d odd captions, %d player restarts, "
      "%d player hangs, slowest answer %lu ms",
      tracks_, (GetTickCount() - started) / 1000, clicks_, showNows_, oddCaptions_, playerRestarts_,
      playerHangs_, slowestAnswerMs_);
  if (!ended) {
    tunelamp_.Kill();
    return Fail("the quit hot key did not end Tunelamp with exit code 0 (%lu)", code);
  }
  if (!kept || !flooded) return 1;
  Say("soak: passed");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--listen") == 0) return Listen();
  const int tracks = argc > 1 ? std::atoi(argv[1]) : 150;
  if (tracks < 1) {
    std::printf("usage: soak.exe TRACKS\n");
    return 2;
  }
  Soak soak(tracks);
  return soak.Run();
}

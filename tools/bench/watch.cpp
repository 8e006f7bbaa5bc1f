// The benchmark's eyes inside Wine: watches tunelamp.exe (its popup, class "TForm") and the
// baseline program from outside, through what Windows reports, and prints one result per line
// for scripts/bench.sh.
//
//   watch.exe delay N CHECK_MS announced|quiet
//                                N displays: renames the player's track, then times how long
//                                the popup takes to show an alpha above 0; waits for each
//                                display to end. Prints "delay K MS". First turns the player's
//                                "WinampSongChange" broadcast on (announced) or off (quiet).
//   watch.exe file N CHECK_MS PATH
//                                as delay, announced, with [Share] File=PATH: times both the
//                                popup's first alpha above 0 and the file's first holding the
//                                new title. Prints "file K MS", the file's time less the
//                                strip's (below 0: the file came first).
//   watch.exe settle TIMEOUT_MS [display]
//                                waits until the popup exists and no display runs (alpha 0
//                                twice, 300 ms apart); with "display", first until the
//                                player's window exists and its first display has come and
//                                gone. Prints "settled MS".
//   watch.exe pace N             N runs of an animation loop without work: the frame ceiling.
//   watch.exe mem                what Wine reports of the memory of tunelamp.exe and of the
//                                plain baseline (GetProcessMemoryInfo).
//
// GetProcessTimes is not used: Wine 8 answers it for another process with the caller's own
// figures, so CPU time is read from Linux (/proc) by the script instead.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kPopupClass[] = "TForm";
constexpr char kPlayerClass[] = "Winamp v1.x";
constexpr char kBaselineClass[] = "TunelampBenchBaseline";
// A display is 2 s appearing, 3 s kept, 2 s disappearing; under qemu allow plenty more.
constexpr DWORD kDisplayTimeoutMs = 30000;
constexpr DWORD kAppearTimeoutMs = 10000;
constexpr DWORD kFirstDisplayWaitMs = 10000;

double NowMs() {
  static LARGE_INTEGER frequency = {};
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The popup's alpha, or -1 when there is no popup or it is not layered.
int PopupAlpha(HWND popup) {
  BYTE alpha = 0;
  DWORD flags = 0;
  if (!popup || !GetLayeredWindowAttributes(popup, nullptr, &alpha, &flags)) return -1;
  return (flags & LWA_ALPHA) ? alpha : -1;
}

// Polls until the popup's alpha satisfies `wanted`; answers false on timeout.
template <typename Wanted>
bool WaitAlpha(HWND popup, Wanted wanted, DWORD timeoutMs, DWORD pollMs) {
  const double deadline = NowMs() + timeoutMs;
  while (NowMs() < deadline) {
    if (wanted(PopupAlpha(popup))) return true;
    Sleep(pollMs);
  }
  return false;
}

HANDLE OpenProgram(const char* windowClass) {
  HWND window = FindWindowA(windowClass, nullptr);
  if (!window) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
}

bool SendPlayerCommand(HWND player, const char* command) {
  COPYDATASTRUCT data = {};
  data.cbData = static_cast<DWORD>(std::strlen(command));
  data.lpData = const_cast<char*>(command);
  return SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

int Delay(int samples, int checkMs, bool announced) {
  HWND popup = FindWindowA(kPopupClass, nullptr);
  HWND player = FindWindowA(kPlayerClass, nullptr);
  if (!popup || !player) {
    std::printf("error no popup or player\n");
    return 1;
  }
  if (!SendPlayerCommand(player, announced ? "announce 1" : "announce 0")) {
    std::printf("error player refused announce\n");
    return 1;
  }
  for (int k = 1; k <= samples; ++k) {
    if (!WaitAlpha(
            popup, [](int a) { return a == 0; }, kDisplayTimeoutMs, 20)) {
      std::printf("error popup never idle\n");
      return 1;
    }
    // Spread the change over the phase of the popup's check timer, so the samples cover it
    // from just after a tick to just before the next.
    Sleep(static_cast<DWORD>(37 + (k * 211) % checkMs));
    char command[64];
    std::snprintf(command, sizeof command, "title Bench Track %d-%lu", k, GetTickCount());
    // Taken before the send: the delay includes the caption change itself.
    const double start = NowMs();
    if (!SendPlayerCommand(player, command)) {
      std::printf("error player refused %s\n", command);
      return 1;
    }
    if (!WaitAlpha(
            popup, [](int a) { return a > 0; }, kAppearTimeoutMs, 1)) {
      std::printf("error popup never appeared\n");
      return 1;
    }
    std::printf("delay %d %.1f\n", k, NowMs() - start);
    std::fflush(stdout);
    // The display ends when the strip has faded out again.
    if (!WaitAlpha(
            popup, [](int a) { return a == 0; }, kDisplayTimeoutMs, 20)) {
      std::printf("error display never ended\n");
      return 1;
    }
  }
  return 0;
}

// Whether the file holds `text` somewhere: read as an overlay reads it, sharing everything.
bool FileHolds(const char* path, const char* text) {
  const HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char bytes[512];
  DWORD count = 0;
  const bool read = ReadFile(file, bytes, sizeof bytes - 1, &count, nullptr);
  CloseHandle(file);
  bytes[read ? count : 0] = '\0';
  return std::strstr(bytes, text) != nullptr;
}

int FileDelay(int samples, int checkMs, const char* path) {
  HWND popup = FindWindowA(kPopupClass, nullptr);
  HWND player = FindWindowA(kPlayerClass, nullptr);
  if (!popup || !player || !SendPlayerCommand(player, "announce 1")) {
    std::printf("error no popup or player\n");
    return 1;
  }
  for (int k = 1; k <= samples; ++k) {
    if (!WaitAlpha(
            popup, [](int a) { return a == 0; }, kDisplayTimeoutMs, 20)) {
      std::printf("error popup never idle\n");
      return 1;
    }
    Sleep(static_cast<DWORD>(37 + (k * 211) % checkMs));
    char title[64];
    std::snprintf(title, sizeof title, "Bench Track %d-%lu", k, GetTickCount());
    char command[80];
    std::snprintf(command, sizeof command, "title %s", title);
    if (!SendPlayerCommand(player, command)) return 1;
    double strip = 0;
    double file = 0;
    const double deadline = NowMs() + kAppearTimeoutMs;
    while ((strip == 0 || file == 0) && NowMs() < deadline) {
      if (strip == 0 && PopupAlpha(popup) > 0) strip = NowMs();
      if (file == 0 && FileHolds(path, title)) file = NowMs();
      Sleep(1);
    }
    if (strip == 0 || file == 0) {
      std::printf("error %s never came\n", strip == 0 ? "the strip" : "the file");
      return 1;
    }
    std::printf("file %d %.1f\n", k, file - strip);
    std::fflush(stdout);
  }
  return 0;
}

int Settle(DWORD timeoutMs, bool firstDisplay) {
  const double start = NowMs();
  const double deadline = start + timeoutMs;
  HWND popup = nullptr;
  while (!(popup = FindWindowA(kPopupClass, nullptr)) && NowMs() < deadline) Sleep(50);
  // Once the player's window is there, the popup's next tick shows its title: wait for that
  // display to begin (it lasts seven seconds, so it cannot slip by unseen) and then to end.
  if (firstDisplay) {
    while (!FindWindowA(kPlayerClass, nullptr) && NowMs() < deadline) Sleep(50);
    (void)WaitAlpha(
        popup, [](int a) { return a > 0; }, kFirstDisplayWaitMs, 20);
  }
  // Two idle readings apart rule out catching the first frame of an appearance.
  while (NowMs() < deadline) {
    if (PopupAlpha(popup) == 0) {
      Sleep(300);
      if (PopupAlpha(popup) == 0) {
        std::printf("settled %.0f\n", NowMs() - start);
        return 0;
      }
    }
    Sleep(50);
  }
  std::printf("error not settled\n");
  return 1;
}

// What an animation loop whose frames do no work gets here: 2000 ms of pumping messages and
// Sleep(10), as the display cycle's loops do, so the frames it counts are the ceiling that the
// machine, its load and Wine's timer grain leave. Prints "pace FRAMES" per run.
int Pace(int runs) {
  constexpr DWORD kAnimationMs = 2000;
  for (int k = 0; k < runs; ++k) {
    int frames = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kAnimationMs) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      ++frames;
      Sleep(10);
    }
    std::printf("pace %d\n", frames);
  }
  return 0;
}

void PrintMemory(const char* name, const char* windowClass) {
  HANDLE process = OpenProgram(windowClass);
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!process ||
      !GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters)) {
    std::printf("mem %s unavailable\n", name);
    return;
  }
  std::printf("mem %s private %lu workingset %lu\n", name,
              static_cast<unsigned long>(counters.PrivateUsage),
              static_cast<unsigned long>(counters.WorkingSetSize));
}

int Usage() {
  std::printf(
      "usage: watch.exe delay N CHECK_MS announced|quiet | file N CHECK_MS PATH | settle MS "
      "[display] | pace N | mem\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* mode = argv[1];
  if (!std::strcmp(mode, "delay") && argc == 5) {
    const int samples = std::atoi(argv[2]);
    const int checkMs = std::atoi(argv[3]);
    const bool announced = !std::strcmp(argv[4], "announced");
    if (samples < 1 || checkMs < 1 || (!announced && std::strcmp(argv[4], "quiet"))) {
      return Usage();
    }
    return Delay(samples, checkMs, announced);
  }
  if (!std::strcmp(mode, "file") && argc == 5) {
    const int samples = std::atoi(argv[2]);
    const int checkMs = std::atoi(argv[3]);
    if (samples < 1 || checkMs < 1) return Usage();
    return FileDelay(samples, checkMs, argv[4]);
  }
  if (!std::strcmp(mode, "settle") && (argc == 3 || argc == 4)) {
    const bool firstDisplay = argc == 4 && !std::strcmp(argv[3], "display");
    if (argc == 4 && !firstDisplay) return Usage();
    return Settle(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)), firstDisplay);
  }
  if (!std::strcmp(mode, "pace") && argc == 3) {
    const int runs = std::atoi(argv[2]);
    if (runs < 1) return Usage();
    return Pace(runs);
  }
  if (!std::strcmp(mode, "mem")) {
    PrintMemory("tunelamp", kPopupClass);
    PrintMemory("baseline", kBaselineClass);
    return 0;
  }
  return Usage();
}

// The track's fields from the player's process: ReadTrackFields (display/track_fields.cpp) bound
// to Win32. The process is opened with the access these calls need and nothing more; nothing is
// written there but the request and its strings, and nothing runs there.
#include <windows.h>

#include "app/win32_host.h"
#include "display/track_fields.h"

namespace {

// PROCESS_QUERY_LIMITED_INFORMATION, for IsWow64Process (Vista and later).
constexpr DWORD kProcessAccess = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | 0x1000;

class Win32PlayerProcess final : public PlayerProcess {
 public:
  explicit Win32PlayerProcess(uint32_t window) : window_(window) {}
  Win32PlayerProcess(const Win32PlayerProcess&) = delete;
  Win32PlayerProcess& operator=(const Win32PlayerProcess&) = delete;
  ~Win32PlayerProcess() override {
    if (process_) ::CloseHandle(process_);
  }

  PlayerAnswer Ask(uint32_t wParam, int32_t lParam) override {
    return AskPlayer(window_, WM_USER, wParam, lParam);
  }
  // The process id is read from the window, and again once the process is open: a player that
  // ended between the two could have left its id to another program, which must never get a
  // request block. While the handle is open the id cannot pass on.
  bool Open() override {
    if (process_) return true;
    const DWORD id = ProcessOf(window_);
    if (id == 0) return false;
    process_ = ::OpenProcess(kProcessAccess, FALSE, id);
    if (process_ && ProcessOf(window_) != id) {
      ::CloseHandle(process_);
      process_ = nullptr;
    }
    return process_ != nullptr;
  }
  bool IsWow64(bool self, bool& wow64) override {
    BOOL answer = FALSE;
    const bool known = ::IsWow64Process(self ? ::GetCurrentProcess() : process_, &answer);
    wow64 = answer != FALSE;
    return known;
  }
  uint32_t Allocate(uint32_t bytes) override {
    return Address(
        ::VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  bool Write(uint32_t address, const void* bytes, uint32_t count) override {
    SIZE_T done = 0;
    return ::WriteProcessMemory(process_, Pointer(address), bytes, count, &done) && done == count;
  }
  bool Read(uint32_t address, void* bytes, uint32_t count) override {
    SIZE_T done = 0;
    return ::ReadProcessMemory(process_, Pointer(address), bytes, count, &done) && done == count;
  }
  void Free(uint32_t address) override {
    ::VirtualFreeEx(process_, Pointer(address), 0, MEM_RELEASE);
  }
  // Only AIMP's own record: its remote-access window must belong to the player's process, or
  // another player's tags would stand under this one's caption.
  bool ReadRemoteInfo(uint8_t* bytes) override {
    const HWND aimp = ::FindWindowA(kAimpRemoteInfo, nullptr);
    if (!aimp || ProcessOf(Address(aimp)) != ProcessOf(window_)) return false;
    const HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ, FALSE, kAimpRemoteInfo);
    if (!mapping) return false;
    const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kAimpRemoteInfoBytes);
    if (view) {
      ::CopyMemory(bytes, view, kAimpRemoteInfoBytes);
      ::UnmapViewOfFile(view);
    }
    ::CloseHandle(mapping);
    return view != nullptr;
  }

 private:
  static uint32_t Address(const void* pointer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
  }
  static void* Pointer(uint32_t address) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(address));
  }
  static DWORD ProcessOf(uint32_t window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(static_cast<HWND>(Pointer(window)), &process);
    return process;
  }

  uint32_t window_;
  HANDLE process_ = nullptr;
};

}  // namespace

// The request of a message a hung player has yet to handle, in that player's window. A block
// left in another window's player went with it, or stays there: it is not this one's to free.
bool Win32Host::PlayerReadFields(uint32_t window, TrackFields& fields) {
  static uint32_t leftWindow = 0;
  static uint32_t leftBlock = 0;
  if (window != leftWindow) leftBlock = 0;
  leftWindow = window;
  Win32PlayerProcess player(window);
  return ReadTrackFields(player, fields, leftBlock);
}

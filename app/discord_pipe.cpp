// Discord's local RPC pipe, as Discord's published client opens it (discord-rpc's
// connection_win.cpp): \\?\pipe\discord-ipc-N with GENERIC_READ | GENERIC_WRITE. Unlike that
// client it never waits: a busy pipe is passed over (no WaitNamedPipe), a read is overlapped and
// its event is one of Run's waits, and a write that the pipe does not take at once is given up.
#include <windows.h>

#include "app/win32_host.h"
#include "display/events.h"

namespace {

// A write that a healthy pipe takes into its buffer at once; a Discord that reads nothing for
// this long is taken for gone.
constexpr DWORD kWriteWaitMs = 5;
// What one call reads at most, so that a Discord that writes without end never holds the thread.
constexpr int kReadsACall = 16;

void DiscordTickEvent(void* /*host*/, TObject* /*sender*/) {
  OnDiscordTick(PopupHost());
}

}  // namespace

// The first of discord-ipc-0 to -9 that opens. The server learns who Tunelamp is, and may not
// act as it (SECURITY_IDENTIFICATION).
bool Win32Host::DiscordOpen() {
  wchar_t name[] = L"\\\\?\\pipe\\discord-ipc-0";
  wchar_t& digit = name[sizeof name / sizeof name[0] - 2];
  for (digit = L'0'; digit <= L'9'; ++digit) {
    const HANDLE pipe = CreateFileW(
        name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) continue;
    if (!discordReadEvent_) discordReadEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!discordWriteEvent_) discordWriteEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!discordReadEvent_ || !discordWriteEvent_) {
      CloseHandle(pipe);
      return false;
    }
    discordPipe_ = pipe;
    discordBroken_ = false;
    StartDiscordRead();
    return true;
  }
  return false;
}

// One read under way; its event tells Run when it has ended (with bytes, or the pipe broken).
void Win32Host::StartDiscordRead() {
  discordRead_ = OVERLAPPED();
  discordRead_.hEvent = discordReadEvent_;
  ResetEvent(discordReadEvent_);
  discordReading_ =
      ReadFile(discordPipe_, discordBuffer_, sizeof discordBuffer_, nullptr, &discordRead_) ||
      GetLastError() == ERROR_IO_PENDING || GetLastError() == ERROR_MORE_DATA;
  if (!discordReading_) {
    discordBroken_ = true;
    SetEvent(discordReadEvent_);
  }
  WaitForDiscord(discordReadEvent_);
}

bool Win32Host::DiscordRead(Text& bytes) {
  if (discordPipe_ == INVALID_HANDLE_VALUE) return false;
  for (int i = 0; i < kReadsACall && !discordBroken_; ++i) {
    DWORD count = 0;
    if (!GetOverlappedResult(discordPipe_, &discordRead_, &count, FALSE)) {
      const DWORD error = GetLastError();
      if (error == ERROR_IO_INCOMPLETE) break;
      if (error != ERROR_MORE_DATA) {
        discordReading_ = false;
        discordBroken_ = true;
        break;
      }
    }
    bytes += std::string_view(discordBuffer_, count);
    StartDiscordRead();
  }
  if (!discordBroken_) WaitForDiscord(discordReadEvent_);
  return !discordBroken_;
}

bool Win32Host::DiscordWrite(std::string_view bytes) {
  if (discordPipe_ == INVALID_HANDLE_VALUE || discordBroken_) return false;
  OVERLAPPED write = {};
  write.hEvent = discordWriteEvent_;
  ResetEvent(discordWriteEvent_);
  const DWORD size = static_cast<DWORD>(bytes.size());
  DWORD written = 0;
  if (!WriteFile(discordPipe_, bytes.data(), size, nullptr, &write)) {
    if (GetLastError() != ERROR_IO_PENDING) return false;
    if (WaitForSingleObject(discordWriteEvent_, kWriteWaitMs) != WAIT_OBJECT_0) {
      // Cancelled, the write ends at once; the pipe is closed after it.
      CancelIo(discordPipe_);
      GetOverlappedResult(discordPipe_, &write, &written, TRUE);
      discordReading_ = false;
      return false;
    }
  }
  return GetOverlappedResult(discordPipe_, &write, &written, FALSE) && written == size;
}

void Win32Host::DiscordClose() {
  WaitForDiscord(nullptr);
  if (discordPipe_ == INVALID_HANDLE_VALUE) return;
  // The read under way ends with the handle; its buffer and record live as long as the host.
  CloseHandle(discordPipe_);
  discordPipe_ = INVALID_HANDLE_VALUE;
  discordReading_ = false;
}

void Win32Host::DiscordTimer(uint32_t milliseconds) {
  if (!discordTimer_) {
    if (milliseconds == 0) return;
    discordTimer_ = new TTimer;
    discordTimer_->SetEnabled(false);
    discordTimer_->SetOnTimer({&DiscordTickEvent, this});
  }
  // From now on, also when the interval is the one it had.
  discordTimer_->SetEnabled(false);
  discordTimer_->SetInterval(milliseconds);
  discordTimer_->SetEnabled(milliseconds != 0);
}

uint32_t Win32Host::ProcessId() {
  return GetCurrentProcessId();
}

int64_t Win32Host::UnixTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime;
  // FILETIME counts 100-ns steps from 1601; Unix seconds from 1970.
  return static_cast<int64_t>((ticks - 116444736000000000ULL) / 10000000ULL);
}

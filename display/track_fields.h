// The playing track's own fields, read from the player: Winamp 5 and WACUP answer IPC messages
// about a request placed in their memory, AIMP keeps a mapping of its remote-access record.
// Other players (foobar2000's emulation among them) tell none. Portable: the player's process
// is reached through PlayerProcess, which Win32 binds and the tests fake.
#pragma once

#include <cstdint>

#include "display/host.h"

// Winamp's IPC numbers (WM_USER, lParam) for the playing file and its extended file info.
inline constexpr int32_t kIpcGetPlayingFilename = 3031;
inline constexpr int32_t kIpcGetExtendedFileInfoW = 3026;
// AIMP's remote-access mapping: its name and size.
inline constexpr char kAimpRemoteInfo[] = "AIMP2_RemoteInfo";
inline constexpr uint32_t kAimpRemoteInfoBytes = 2048;

// What the reader asks of the player's process, each call as Win32 answers it. Addresses are the
// player's; the player is a 32-bit process (a wider one is refused before memory is touched).
class PlayerProcess {
 public:
  virtual ~PlayerProcess() = default;
  // WM_USER to the player's window, sent with the hung-player timeout.
  [[nodiscard]] virtual PlayerAnswer Ask(uint32_t wParam, int32_t lParam) = 0;
  // OpenProcess on the window's process, with no access beyond these calls: false when refused.
  [[nodiscard]] virtual bool Open() = 0;
  // IsWow64Process of the player, or of this program (`self`): false when the call fails.
  [[nodiscard]] virtual bool IsWow64(bool self, bool& wow64) = 0;
  // VirtualAllocEx, committed read-write: 0 when refused.
  [[nodiscard]] virtual uint32_t Allocate(uint32_t bytes) = 0;
  // WriteProcessMemory and ReadProcessMemory: true only when every byte was copied.
  [[nodiscard]] virtual bool Write(uint32_t address, const void* bytes, uint32_t count) = 0;
  [[nodiscard]] virtual bool Read(uint32_t address, void* bytes, uint32_t count) = 0;
  virtual void Free(uint32_t address) = 0;  // VirtualFreeEx, MEM_RELEASE
  // A copy of the remote-access mapping of AIMP, when the player's process is AIMP and holds
  // one (kAimpRemoteInfoBytes bytes): false when there is none.
  [[nodiscard]] virtual bool ReadRemoteInfo(uint8_t* bytes) = 0;
};

// Reads the fields once: false, every field empty, when the player tells none or any step
// fails. Stops at the first message the player leaves unanswered, so a hung player costs one
// timeout. That message stays in the player's queue and is handled when it wakes, so its request
// must stay where it points: `leftBlock` keeps it (0: none) until a later read finds the player
// answering again, which frees it. Nothing else is ever left allocated in the player.
[[nodiscard]] bool ReadTrackFields(PlayerProcess& player, TrackFields& fields, uint32_t& leftBlock);

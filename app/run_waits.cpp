// What Run waits on besides the messages (toolkit/pump.h): the settings folders while the
// settings watch rests, and Discord's pipe while a read is under way on it. The list is made
// anew whenever either changes, so that one's signal never spends the other's wait.
#include "app/win32_host.h"
#include "display/events.h"
#include "toolkit/pump.h"

namespace {

const HANDLE* folders = nullptr;
DWORD folderCount = 0;
void (*onFolders)(DWORD index) = nullptr;
HANDLE discord = nullptr;

void ListWaits() {
  DWORD count = 0;
  for (DWORD i = 0; i < folderCount; ++i) RunWaits.Handles[count++] = folders[i];
  if (discord) RunWaits.Handles[count++] = discord;
  RunWaits.Count = count;
}

void Signalled(DWORD index) {
  const DWORD listed = folderCount;
  const bool failed = index == WAIT_FAILED;
  const bool pipe = discord && (failed || index == listed);
  if (failed || index < listed) {
    folderCount = 0;
    onFolders(index);
  }
  if (pipe) {
    discord = nullptr;
    OnDiscordTick(PopupHost());
  }
  ListWaits();
}

}  // namespace

void WaitForFolders(const HANDLE* handles, DWORD count, void (*onSignal)(DWORD index)) {
  folders = handles;
  folderCount = count;
  onFolders = onSignal;
  RunWaits.OnSignal = &Signalled;
  ListWaits();
}

void WaitForDiscord(HANDLE event) {
  discord = event;
  RunWaits.OnSignal = &Signalled;
  ListWaits();
}

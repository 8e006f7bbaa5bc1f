#include "display/hot_keys.h"

#include "display/display_cycle.h"
#include "display/settings.h"
#include "display/state.h"

void OnHotKey(NowPlayingHost& host, uint32_t id) {
  NowPlayingState& state = NowPlaying();
  switch (id) {
    case kHotKeyShowNow:
      // Forced, the cycle always goes on; with shown cleared it plays the appearing
      // animation, also over a strip that is already out.
      state.forced = true;
      state.shown = false;
      DisplayCycle(host);
      break;
    case kHotKeyAutomatic:
      state.automatic = !state.automatic;
      break;
    case kHotKeyQuit:
      // Nothing is freed or unregistered: the system reclaims it all with the process.
      state.exiting = true;
      host.ExitProcess(0);
      return;
    default:
      break;
  }
}

void OnPopupMouseUp(NowPlayingHost& host) {
  host.FormSetAlphaBlendValue(0);
  // A running animation stops at its next loop test; otherwise the next run of the cycle
  // that goes on skips its animation.
  NowPlaying().cancel = true;
}

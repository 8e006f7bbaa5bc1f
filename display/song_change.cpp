#include "display/song_change.h"

bool AnnouncementRuns(NowPlayingHost& host, NowPlayingState& state) {
  // Only where a tick could come as well. A run under way pumps messages in its animations and
  // while its probe waits for the player, so an announcement can arrive inside it: running
  // again there would cut a display short or restart it. Nor over a strip that is out, whose
  // stay the timer measures, unless a click took it away; nor once the timer has stopped
  // polling (CheckTitle=0), where only the hot keys start a display.
  if (!state.settingsLoaded || state.exiting || state.cycleRuns != 0 ||
      (state.shown && !state.cancel) || !state.ticking) {
    return false;
  }
  // A flood of announcements costs a comparison each; only runs count towards the spacing.
  const uint32_t now = host.GetTickCount();
  if (state.songChangeRan && now - state.songChangeRunAt < kSongChangeSpacingMs) return false;
  state.songChangeRan = true;
  state.songChangeRunAt = now;
  return true;
}

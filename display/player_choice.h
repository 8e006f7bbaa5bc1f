// Which player the program follows when several "Winamp v1.x" windows are open (foobar2000's
// emulator beside Winamp or AIMP, say): the one that plays.
#pragma once

#include <cstdint>

// A player window as the probe saw it: whether it plays, and when (a count of probes) the title
// it shows last changed.
struct PlayerSeen {
  uint32_t window;
  bool playing;
  uint32_t changedAt;
};

// Of several windows, in the z-order: the one that plays; of several playing, the one whose title
// changed last; with none playing, `followed` (the one followed before) while it is there. Ties
// go to `followed`, else to the first in the z-order. 0 when there is no window.
[[nodiscard]] uint32_t ChoosePlayer(const PlayerSeen* seen, uint32_t count, uint32_t followed);

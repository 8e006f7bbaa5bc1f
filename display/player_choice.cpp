#include "display/player_choice.h"

uint32_t ChoosePlayer(const PlayerSeen* seen, uint32_t count, uint32_t followed) {
  const PlayerSeen* best = nullptr;
  const PlayerSeen* followedSeen = nullptr;
  for (uint32_t at = 0; at < count; ++at) {
    const PlayerSeen& each = seen[at];
    if (each.window == followed) followedSeen = &each;
    if (!each.playing) continue;
    if (!best || each.changedAt > best->changedAt ||
        (each.changedAt == best->changedAt && each.window == followed)) {
      best = &each;
    }
  }
  if (best) return best->window;
  if (followedSeen) return followed;
  return count != 0 ? seen[0].window : 0;
}

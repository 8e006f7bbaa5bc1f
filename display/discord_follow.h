// What the probe found, told to Discord ([Share] DiscordApp): the player's state, the track's
// two lines from DiscordDetails and DiscordState, its length and position.
#pragma once

#include "display/host.h"
#include "display/state.h"

// After every probe. With DiscordApp empty (and no pipe left to close), the player is asked
// nothing more.
void FollowPlayerForDiscord(NowPlayingHost& host, NowPlayingState& state);

// Discord's timer, or news on its pipe.
void RunDiscord(NowPlayingHost& host, NowPlayingState& state);

// Discord's error, once the strip is away: shown by the next display, as the keys' notice is.
void TakeDiscordNotice(NowPlayingState& state);

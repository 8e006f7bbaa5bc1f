// Discord's "Listening to": what plays, told to Discord over its local RPC pipe, as Discord's
// published client (discord-rpc) speaks it. Driven by the probe's looks at the player, Discord's
// own timer and the pipe's news; it never waits on the pipe.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/discord_frames.h"
#include "display/discord_json.h"
#include "display/host.h"
#include "toolkit/text.h"

// A jump of the position by more than this from where it should be is a seek.
inline constexpr int32_t kSeekMs = 2000;
// Discord allows this many updates in any such time, and drops what comes faster.
inline constexpr uint32_t kUpdatesMost = 5;
inline constexpr uint32_t kUpdatesWindowMs = 20000;
// No pipe: tried again after this long (and at each new track). No READY this long after the
// handshake: the pipe is closed.
inline constexpr uint32_t kRetryMs = 30000;
inline constexpr uint32_t kReadyWaitMs = 5000;
// While READY is awaited the pipe is also looked at this often: the timer's ticks come also
// inside the strip's animations, whose message pump the pipe's news does not reach.
inline constexpr uint32_t kReadyLookMs = 50;

// What plays, as the player last told it: a track (not paused, stopped or closed) with the two
// lines of DiscordDetails and DiscordState filled in (UTF-8), its length in seconds (-1 or 0
// while not known, as for a stream) and its position.
struct Listening {
  bool playing = false;
  Text details;
  Text state;
  int32_t lengthSeconds = -1;
  int32_t positionMs = 0;
};

// The link to Discord: plain data, owned by the functions below.
struct DiscordLink {
  enum class Stage : uint8_t { kClosed, kHandshake, kReady };
  Stage stage = Stage::kClosed;
  Text app;  // the Application ID the pipe was opened for
  FrameReader reader;
  // What Discord is to show, and what this pipe last told it (a closed pipe shows nothing).
  Activity wanted;
  Activity told;
  // The track being followed: its position at the last look, and when that was.
  bool following = false;
  int32_t lengthSeconds = -1;
  int32_t positionMs = 0;
  uint32_t lookedAt = 0;
  // The last try to open the pipe; a new track tries at once.
  bool tried = false;
  uint32_t triedAt = 0;
  bool tryNow = false;
  uint32_t openedAt = 0;
  // The times of the last updates, a ring whose next slot holds the oldest.
  uint32_t sentAt[kUpdatesMost] = {};
  uint32_t sent = 0;
  uint32_t nonce = 0;
  uint32_t timerMs = 0;  // as last asked of DiscordTimer
  // Discord's error, to be told on the strip once per Application ID; taken by the caller.
  bool errorTold = false;
  Text notice;
};

// A look at the player (every probe): a new track, a seek, a resumed track set the activity
// anew; a pause, a stop, a player that closed clear it. Empty `app`: Discord is not told.
void FollowPresence(NowPlayingHost& host, DiscordLink& link, std::string_view app,
                    const Listening& now, bool newTrack);
// Discord's timer ticked, or the pipe has news: reads, answers and sends what waits.
void RunPresence(NowPlayingHost& host, DiscordLink& link, std::string_view app);
// The program ends: the activity cleared, the pipe closed.
void EndPresence(NowPlayingHost& host, DiscordLink& link);

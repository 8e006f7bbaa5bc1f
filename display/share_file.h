// The now-playing file (File= in [Share]): what plays, for stream overlays and chat bots. It
// follows the player, not the strip: it is written whenever the text it would hold changes,
// whatever the strip does.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/state.h"

// A write that a reader refused is tried again this soon; a text that follows the position is
// looked at this often while the player plays.
inline constexpr uint32_t kFileRetryMs = 500;
inline constexpr uint32_t kFileLiveMs = 1000;

// How the file's look came about: its own timer's tick, or another way in (the start, a saved
// settings file, the popup timer's tick, the player's announcement).
enum class FileLook : uint8_t { kOwnTick, kOther };

// Looks at the player and writes the file when its text changed: FileText= filled in while the
// player plays, FileStopped= while it is paused, stopped or closed. A text that changed only
// with the position is written at the file's own tick, at most once a second. Sets the file's
// timer as the next look needs it: none without a file, or once the file is refused for good.
void FollowPlayerInFile(NowPlayingHost& host, NowPlayingState& state, FileLook look);

// At quit: the file is given the stopped text, once, without waiting for a reader.
void StopFile(NowPlayingHost& host, NowPlayingState& state);

// The words for a write refused for good, as the strip's notice and the settings window tell it.
[[nodiscard]] const char* FileWriteWords(FileWrite result);

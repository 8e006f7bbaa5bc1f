// When settings.ini is read again: a look at the file in both places every half second, on a
// timer of its own, finds a saved change once it has settled.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/state.h"

inline constexpr uint32_t kSettingsLookMs = 500;
// The coarsest file time there is (FAT keeps 2-second times).
inline constexpr uint32_t kStampGrainMs = 2000;

// Notes the files as they are before the start reads them: a save from then on is read again.
void StartWatchingSettings(NowPlayingHost& host, NowPlayingState& state);

// One look: true when the file is to be read now. A change (a file's last write time or size, a
// file appearing or going away, in either place) is read at the first look that finds the files
// as the one before, and once more when a file time's grain has passed, because a second save
// within it can leave the same stamp (FAT times, or a copy that keeps its source's time).
[[nodiscard]] bool LookAtSettings(NowPlayingHost& host, NowPlayingState& state);

// A change seen and not yet read, or a read to be made once more: the looks must go on.
[[nodiscard]] bool SettingsWatchBusy(const NowPlayingState& state);

// The read that a look asked for failed (the file held shut, or gone between the look and the
// read): it is tried again at the next look.
void SettingsReadFailed(NowPlayingState& state);

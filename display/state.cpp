#include "display/state.h"

#include <new>

namespace {

// Made by a static constructor, in zeroed storage.
[[gnu::section(".bss")]] alignas(NowPlayingState) unsigned char storage[sizeof(NowPlayingState)];
[[maybe_unused]] const NowPlayingState* const made = new (storage) NowPlayingState();

}  // namespace

NowPlayingState& NowPlaying() {
  return *std::launder(reinterpret_cast<NowPlayingState*>(storage));
}

void ResetNowPlaying() {
  NowPlaying() = NowPlayingState();
}

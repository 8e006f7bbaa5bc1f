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

// Made afresh in place: a fresh copy on the stack would be larger than a frame may be.
void ResetNowPlaying() {
  NowPlaying().~NowPlayingState();
  new (storage) NowPlayingState();
}

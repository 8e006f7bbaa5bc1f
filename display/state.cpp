#include "display/state.h"

#include <new>

namespace {

// Made by a static constructor in zeroed storage: a record with initial values would be stored
// whole among the program's initialised data, the settings' texts with it. In .bss itself: the
// linker would place a section of its own among the initialised data as well.
[[gnu::section(".bss")]] alignas(NowPlayingState) unsigned char storage[sizeof(NowPlayingState)];
[[maybe_unused]] const NowPlayingState* const made = new (storage) NowPlayingState();

}  // namespace

NowPlayingState& NowPlaying() {
  return *std::launder(reinterpret_cast<NowPlayingState*>(storage));
}

void ResetNowPlaying() {
  NowPlaying() = NowPlayingState();
}

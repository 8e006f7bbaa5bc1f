#include "display/state.h"

#include <new>

namespace {

NowPlayingState state;

}  // namespace

NowPlayingState& NowPlaying() {
  return state;
}

// Made afresh in place: a fresh copy on the stack would be larger than a frame may be.
void ResetNowPlaying() {
  state.~NowPlayingState();
  new (&state) NowPlayingState();
}

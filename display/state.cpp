#include "display/state.h"

namespace {

NowPlayingState state;

}  // namespace

NowPlayingState& NowPlaying() {
  return state;
}

// Made afresh in place: a fresh copy on the stack would be larger than a frame may be.
void ResetNowPlaying() {
  NowPlaying().~NowPlayingState();
  new (storage) NowPlayingState();
}

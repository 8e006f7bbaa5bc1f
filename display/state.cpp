#include "display/state.h"

namespace {

NowPlayingState state;

}  // namespace

NowPlayingState& NowPlaying() {
  return state;
}

void ResetNowPlaying() {
  NowPlaying() = NowPlayingState();
}

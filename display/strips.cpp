#include "display/strips.h"

#include <utility>

#include "display/colors.h"

namespace {

// The chosen strip's resolutions and place are the state's own; the others wait in theirs.
void SwapPlace(NowPlayingState& state, StripPlace& place) {
  std::swap(state.layoutDpi, place.layoutDpi);
  std::swap(state.stripDpi, place.stripDpi);
  std::swap(state.dpiReading, place.dpiReading);
  std::swap(state.relayout, place.relayout);
  std::swap(state.fitted, place.fitted);
}

// A new strip looks as the form does after start-up: invisible, on top, in the settings' font
// and colours; its first display sizes and places it.
void MakeStrip(NowPlayingHost& host, NowPlayingState& state) {
  host.FormSetAlphaBlend(true);
  host.FormSetAlphaBlendValue(0);
  host.FormSetWindowPosTopmost();
  host.FontSetSize(state.settings.fontPoints, state.layoutDpi);
  host.FontSetName(Text(state.settings.fontName.bytes));
  PaintStrip(host, state);
  state.relayout = true;
  host.FormRestoreWithoutActivation();
}

}  // namespace

bool AllMonitors(const Settings& settings) {
  // The reader keeps no other word than these two.
  const char first = settings.monitorWord.bytes[0];
  return first != '\0' && first != kIdentityStart[0];
}

void SelectStrip(NowPlayingHost& host, NowPlayingState& state, uint32_t strip) {
  if (strip == state.strip || strip >= kMostStrips) return;
  SwapPlace(state, state.places[state.strip]);
  SwapPlace(state, state.places[strip]);
  state.strip = strip;
  host.StripSelect(strip);
  if (strip < state.stripsMade) return;
  state.stripsMade = strip + 1;
  MakeStrip(host, state);
}

void UseStrips(NowPlayingHost& host, NowPlayingState& state, uint32_t count) {
  state.strips = count == 0 ? 1 : count;
  if (state.stripsMade <= state.strips) return;
  host.StripsKeep(state.strips);
  state.stripsMade = state.strips;
  // A constant, so that the fresh place is read-only data.
  static constexpr StripPlace kFresh;
  for (uint32_t strip = state.strips; strip < kMostStrips; ++strip) state.places[strip] = kFresh;
}

void EachStripCall(NowPlayingHost& host, NowPlayingState& state,
                   void (*call)(const void* step, uint32_t strip), const void* step) {
  if (state.strips <= 1) {
    call(step, 0);
    return;
  }
  for (uint32_t strip = 0; strip < state.strips; ++strip) {
    SelectStrip(host, state, strip);
    call(step, strip);
  }
  SelectStrip(host, state, 0);
}

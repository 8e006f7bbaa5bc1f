// Where the strip comes out and how large it is: on which monitor, along which edge, scaled to
// that monitor's resolution, and whether a new title keeps quiet while a full-screen program is
// in front. With every setting at its default on a 96-dpi screen the strip keeps the place,
// width and size that start-up and the settings gave it until the system reports a new screen.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/host.h"
#include "display/state.h"

inline constexpr int32_t kMonitorPrimary = 0;
// Where the label rests while the strip is out, at 96 dpi.
inline constexpr int32_t kLabelRestLeft = 20;
inline constexpr int32_t kLabelRestTop = 8;
inline constexpr int32_t kPositionBottom = 1;
inline constexpr int32_t kCornerEllipse = 50;  // at 96 dpi, as every length of the strip
inline constexpr int32_t kStripPadding = 30;   // the strip is the font's size in points plus this

// Win32 window styles that make a window something other than a full-screen program.
inline constexpr uint32_t kWindowCaption = 0x00C00000;      // WS_CAPTION
inline constexpr uint32_t kWindowSizingFrame = 0x00040000;  // WS_THICKFRAME

// A resolution as the host read it, or 96 when it is not one.
[[nodiscard]] uint32_t UsableDpi(uint32_t dpi);

// The strip's height from the font (its size in points plus 30, at the layout resolution) and
// the label's from the window; then the rounded corners over the window's width.
void SizeStrip(NowPlayingHost& host, const NowPlayingState& state);
void RoundCorners(NowPlayingHost& host, NowPlayingState& state, int32_t width);

// Before the strip comes out: finds its monitor (the primary when the chosen one is not there)
// and answers false when a new title must keep quiet because a full-screen program covers that
// monitor, or when there is no monitor at all. A display asked for by hand comes out over a
// full-screen program.
[[nodiscard]] bool ChooseMonitor(NowPlayingHost& host, const NowPlayingState& state,
                                 ScreenArea& monitor);

// The same for every strip of the display: Monitor=all lists every monitor but those a full-screen
// program covers (none when it is asked for by hand), and answers false when that leaves none.
struct StripMonitors;
[[nodiscard]] bool ChooseMonitors(NowPlayingHost& host, const NowPlayingState& state,
                                  StripMonitors& monitors);

// The number the monitor with the identity has now (1..n); 0, the primary, while none has it.
[[nodiscard]] int32_t IdentifiedMonitor(NowPlayingHost& host, std::string_view identity);

// A window that covers the whole monitor without a caption or a sizing border: a game, a video,
// a slide show. A maximised window has a frame, and is no full-screen program.
[[nodiscard]] bool IsFullScreen(const FrontWindow& window, const ScreenRect& monitor);

// Once the form is restored and still invisible: lays the strip out anew when its monitor's
// resolution changed, then moves it along the chosen edge of `monitor`, as wide as that edge
// allows (at the default place: only after a new screen moved that edge). Answers true when the
// resolution changed.
[[nodiscard]] bool FitStrip(NowPlayingHost& host, NowPlayingState& state,
                            const ScreenArea& monitor);

// A new screen or work area: the next display fits the strip to its monitor, and a strip that
// is out is fitted at once.
void RefitStrip(NowPlayingHost& host, NowPlayingState& state);

// The system moved the strip's window to another resolution; the next display takes it. Values
// that are no resolution are ignored.
void NoteStripDpi(NowPlayingState& state, uint32_t dpi);

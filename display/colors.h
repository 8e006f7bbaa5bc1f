// The strip's colours: the settings' colour or the Windows accent colour, its text in the
// colour the settings name or in whichever of black and white stands out more, and in high
// contrast the system's window colours.
#pragma once

#include <cstdint>

#include "display/host.h"
#include "display/state.h"

inline constexpr uint32_t kBlack = 0x00000000;
inline constexpr uint32_t kWhite = 0x00FFFFFF;

// The Windows accent colour, 0x00BBGGRR: DwmGetColorizationColor where it answers, else
// AccentColor under HKCU\Software\Microsoft\Windows\DWM, else the system's highlight colour.
[[nodiscard]] uint32_t AccentColor(NowPlayingHost& host);

// Black or white, whichever has the higher contrast ratio against `background` (0x00BBGGRR) by
// the WCAG relative luminance; black at a tie.
[[nodiscard]] uint32_t ContrastingText(uint32_t background);

// Gives the form, the label and its text their colours: in high contrast the system's window
// colours, else the settings'.
void PaintStrip(NowPlayingHost& host, NowPlayingState& state);

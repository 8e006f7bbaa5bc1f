#include "display/colors.h"

namespace {

constexpr uint32_t kSystemColorFlag = 0x80000000;

// A channel of the sRGB colour space as light: the WCAG formula, whose power of 2.4 is taken as
// the fifth root of the twelfth power, by Newton's method from the square (which lies above
// it), so that no mathematics library is needed.
[[nodiscard]] float Light(uint32_t channel) {
  const float c = static_cast<float>(channel & 0xFF) / 255;
  if (c <= 0.04045f) return c / 12.92f;
  const float x = (c + 0.055f) / 1.055f;
  const float x4 = x * x * x * x;
  const float x12 = x4 * x4 * x4;
  float y = x * x;
  for (int i = 0; i < 12; ++i) {
    const float y4 = y * y * y * y;
    y -= (y4 * y - x12) / (5 * y4);
  }
  return y;
}

// A colour as it shows: a system colour resolved as GetSysColor does.
[[nodiscard]] uint32_t Shown(NowPlayingHost& host, uint32_t color) {
  return color & kSystemColorFlag ? host.SystemColor(color) : color;
}

[[nodiscard]] uint32_t ColorOf(NowPlayingHost& host, const ColorSetting& color, uint32_t back) {
  switch (color.source) {
    case ColorSource::kAccent:
      return AccentColor(host);
    case ColorSource::kAuto:
      return ContrastingText(Shown(host, back));
    case ColorSource::kValue:
      break;
  }
  return color.value;
}

}  // namespace

uint32_t AccentColor(NowPlayingHost& host) {
  uint32_t color = 0;
  // The accent the user chose (Windows 8 and later), 0xAABBGGRR.
  if (host.SystemAccentColor(color)) return color & 0x00FFFFFF;
  // Windows 7 has none: its glass colour, 0xAARRGGBB, whose alpha is the glass's own
  // transparency. Blended at that alpha it would be a near-black, which is no accent.
  if (host.SystemColorization(color)) {
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
  }
  return host.SystemColor(kColorHighlight);
}

uint32_t ContrastingText(uint32_t background) {
  const float luminance = 0.2126f * Light(background) + 0.7152f * Light(background >> 8) +
                          0.0722f * Light(background >> 16);
  // The ratios (1.05) / (L + 0.05) for white and (L + 0.05) / 0.05 for black, compared.
  const float lighter = luminance + 0.05f;
  return lighter * lighter < 1.05f * 0.05f ? kWhite : kBlack;
}

void PaintStrip(NowPlayingHost& host, NowPlayingState& state) {
  state.accentChanged = false;
  uint32_t back;
  uint32_t text;
  if (state.highContrast) {
    back = host.SystemColor(kColorWindow);
    text = host.SystemColor(kColorWindowText);
  } else {
    back = ColorOf(host, state.settings.color, 0);
    text = Shown(host, ColorOf(host, state.settings.textColor, back));
  }
  host.FormSetColor(back);
  host.LabelSetColor(host.FormColor());
  host.LabelSetTextColor(text);
}

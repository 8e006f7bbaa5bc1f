// The title probe and the caption of the display cycle, fed with any caption, playing state,
// caption count and length and position answers a player could give. Checks that the probe
// ends, agrees with a literal model of the cut (of the caption a step of the scroll turns),
// reports a title only when it is new (and never with the trailing " - Winamp"), leaves the
// last title alone when it answers false, and that the popup's caption is the title with the
// answers (0 and 0 from a player that hangs).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "display/display_cycle.h"
#include "display/scrolled_caption.h"
#include "display/state.h"
#include "display/title_probe.h"
#include "tests/fuzz/fuzz_host.h"

namespace {

constexpr std::string_view kMark = " - Winamp";

// 1-based substring with the forgiving bounds of the cut: a start below 1 counts as 1 with
// the count unchanged, a count past the end stops there, a start past the end gives "".
std::string Copy(const std::string& text, int64_t start, int64_t count) {
  if (start < 1) start = 1;
  if (count <= 0 || start > static_cast<int64_t>(text.size())) return {};
  const auto from = static_cast<size_t>(start - 1);
  return text.substr(from, static_cast<size_t>(count));
}

// Where the title starts: after the first word when it is the list number, digits and ".".
size_t TitleStart(std::string_view caption) {
  const size_t space = caption.find(' ');
  const bool number = space != std::string_view::npos && space > 1 && caption[space - 1] == '.' &&
                      caption.find_first_not_of("0123456789") == space - 1;
  return number ? space + 1 : 0;
}

// The cut step by step as the player's caption is meant to be read: drop the list number,
// take `count` - p characters, then drop one character at a time until the text ends in
// the mark, and the mark. Answers false where that loop would run for ever.
bool ModelCut(const char* buffer, int32_t count, std::string& title) {
  std::string caption;
  for (uint32_t i = 0; i < kCaptionMostSize && buffer[i] != '\0'; ++i) caption += buffer[i];
  const auto p = static_cast<int64_t>(TitleStart(caption));
  title = Copy(caption, p + 1, int64_t{count} - p);
  while (Copy(title, static_cast<int64_t>(title.size()) - 8, 9) != kMark) {
    if (title.empty()) return false;
    title.pop_back();
  }
  title.resize(title.size() - kMark.size());
  // An empty title tells nothing.
  return !title.empty();
}

std::string TwoDigits(uint32_t value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

// "<title> [m:ss] - m:ss"; without the length when it is below 0, and a position below 0 as 0.
std::string ModelCaption(const std::string& title, int32_t length, int32_t positionMs) {
  const int32_t position = std::max(positionMs / 1000, 0);
  std::string caption = title;
  if (length >= 0) {
    caption += " [" + std::to_string(length / 60) + ":" + TwoDigits(length % 60) + "]";
  }
  return caption + " - " + std::to_string(position / 60) + ":" + TwoDigits(position % 60);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const uint8_t flags = input.Byte();
  FuzzHost host;
  host.playerRunning = (flags & 0x07) != 0;
  host.terminate = (flags & 0x08) == 0;
  host.answerCount = (flags & 0x10) == 0;
  host.hung = (flags & 0x40) != 0;
  host.playingState = static_cast<int32_t>(input.Word());
  host.captionAnswer = static_cast<int32_t>(input.Word());
  host.lengthAnswer = static_cast<int32_t>(input.Word());
  host.positionAnswer = static_cast<int32_t>(input.Word());
  const std::string_view before = input.Piece(255);
  host.caption = input.Rest();

  ResetNowPlaying();
  NowPlayingState& state = NowPlaying();
  state.lastTitle = Text(before);

  // What the probe will read: the player's copy into a zeroed buffer, and its answer. A
  // caption that the player scrolls is cut as the caption it turns.
  const bool plays = host.playerRunning && !host.hung && host.playingState != 0;
  char buffer[kCaptionMostSize] = {};
  int32_t count = 0;
  if (plays) count = host.PlayerGetCaption(host.playerWindow, buffer, kCaptionBufferSize).value;
  const auto copied = [&](uint32_t room) {
    return std::string_view(
        buffer, std::min<size_t>(strnlen(buffer, room), static_cast<size_t>(std::max(count, 0))));
  };
  std::string_view read = copied(kCaptionBufferSize);
  // A copy that may have been cut is read again as long as the player says the caption is,
  // up to the most the probe reads; only one longer than that is cut.
  bool cut = false;
  if (plays && read.size() + 4 >= kCaptionBufferSize && host.caption.size() > read.size()) {
    const uint32_t room =
        static_cast<uint32_t>(std::min<size_t>(host.caption.size() + 1, kCaptionMostSize));
    std::memset(buffer, 0, sizeof buffer);
    count = host.PlayerGetCaption(host.playerWindow, buffer, room).value;
    read = copied(room);
    cut = host.caption.size() >= kCaptionMostSize && read.size() + 4 >= room;
  }
  // The likeliest reading of a step of the scroll, then of the plain circle; one that reads
  // more than one way gives no news where another reading is the last title.
  std::string turned;
  bool otherIsLast = false;
  const auto consider = [&](std::string_view reading) {
    FUZZ_CHECK(reading.size() < read.size());  // at least the stars are gone
    std::string title;
    if (!ModelCut(std::string(reading).c_str(), static_cast<int32_t>(reading.size()), title)) {
      return;
    }
    otherIsLast = otherIsLast || title == before;
    if (turned.empty()) turned = reading;
  };
  std::string_view reading;
  for (ScrollReadings readings(cut ? std::string_view() : read); readings.Next(reading);) {
    consider(reading);
  }
  Text circle;
  if (!cut && UnturnCircle(read, circle)) consider(circle.View());
  if (!turned.empty()) {
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, turned.data(), turned.size());
    count = static_cast<int32_t>(turned.size());
  }
  std::string modelTitle;
  const bool hasTitle =
      plays && !(cut && MayBeScrolled(read)) && ModelCut(buffer, count, modelTitle);
  const bool modelNews = hasTitle && modelTitle != before && !otherIsLast;

  const bool news = ProbeTitle(host);
  FUZZ_CHECK(state.playerWindow == (host.playerRunning ? host.playerWindow : 0u));
  FUZZ_CHECK(news == modelNews);
  if (news) {
    const std::string_view title = state.lastTitle.View();
    FUZZ_CHECK(title == modelTitle);
    FUZZ_CHECK(title != before);
    // The title is what stood between the list number, if any, and the last mark: the mark
    // itself and what followed it are gone.
    const std::string_view seen(buffer, strnlen(buffer, sizeof buffer));
    const size_t start = TitleStart(seen);
    FUZZ_CHECK(seen.substr(start, title.size()) == title);
    FUZZ_CHECK(seen.substr(start + title.size(), kMark.size()) == kMark);
    FUZZ_CHECK(state.lastTitle.CStr()[title.size()] == '\0');
  } else {
    FUZZ_CHECK(state.lastTitle.View() == before);
  }

  // The same caption again is no news, and the title stays.
  const std::string kept(state.lastTitle.View());
  FUZZ_CHECK(!ProbeTitle(host));
  FUZZ_CHECK(state.lastTitle.View() == kept);

  // A display asked for by hand captions the last title with the player's answers, or says
  // that the player is not running. Whether the strip moves does not matter here.
  state.forced = true;
  state.cancel = (flags & 0x20) != 0;
  DisplayCycle(host);
  // A player that hangs answers neither length nor position: both read as 0.
  const std::string expected = !host.playerRunning ? std::string(kPlayerNotRunning)
                               : host.hung
                                   ? ModelCaption(kept, 0, 0)
                                   : ModelCaption(kept, host.lengthAnswer, host.positionAnswer);
  FUZZ_CHECK(host.labelCaption.View() == expected);
  FUZZ_CHECK(host.labelCodePage == (host.playerRunning ? 0u : kPlayerNotRunningCodePage));
  FUZZ_CHECK(state.lastTitle.View() == kept);
  return 0;
}

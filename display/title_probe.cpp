#include "display/title_probe.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "display/bytes.h"
#include "display/player_choice.h"
#include "display/scrolled_caption.h"
#include "display/state.h"

namespace {

// The list number that opens a caption: one or more digits and a full stop.
[[nodiscard]] bool IsListNumber(std::string_view word) {
  if (word.size() < 2 || word.back() != '.') return false;
  for (size_t i = 0; i + 1 < word.size(); ++i) {
    if (word[i] < '0' || word[i] > '9') return false;
  }
  return true;
}

// A playing player's caption is "<n>. <title> - Winamp<anything>", or "<title> - Winamp<anything>"
// with the list number switched off: the title starts after the first word only when that word
// is the number, and everything from the last " - Winamp" on is dropped. A caption without that
// mark, or with nothing before it, has no title (an empty one would tell the user nothing):
// answers false.
[[nodiscard]] bool CutTitle(std::string_view caption, Text& title) {
  const size_t space = caption.find(' ');
  const std::string_view rest =
      space != std::string_view::npos && IsListNumber(Slice(caption, 0, space))
          ? Slice(caption, space + 1)
          : caption;
  // Dropping one character at a time until the text ends in the mark is a search for its
  // last occurrence; when there is none that loop would never end, so stop here.
  const size_t mark = rest.rfind(kWinampMark);
  if (mark == std::string_view::npos || mark == 0) return false;
  title = Text(Slice(rest, 0, mark));
  return true;
}

// The caption in the buffer: as far as the player says it copied, and no further than its zero
// byte.
[[nodiscard]] std::string_view Copied(const char* buffer, uint32_t size, int32_t count) {
  const void* end = std::memchr(buffer, '\0', size);
  const size_t terminated =
      end ? static_cast<size_t>(static_cast<const char*>(end) - buffer) : size;
  const size_t copied = count > 0 ? static_cast<size_t>(count) : 0;
  return std::string_view(buffer, std::min(copied, terminated));
}

// A copy never splits a character, so one that was cut can end up to three bytes (the rest of
// a UTF-8 character) before the end of the buffer.
[[nodiscard]] bool MayBeCut(std::string_view copy, uint32_t size) {
  return copy.size() + 4 >= size;
}

}  // namespace

bool ReadCaptionTitle(NowPlayingHost& host, uint32_t window, const Text& last, Text& title) {
  // Read into its first 1024 bytes, and all of it when the caption is read again.
  char buffer[kCaptionMostSize];
  std::memset(buffer, 0, kCaptionBufferSize);
  const int32_t count = host.PlayerGetCaption(window, buffer, kCaptionBufferSize).value;
  std::string_view caption = Copied(buffer, kCaptionBufferSize, count);
  bool cut = false;
  if (MayBeCut(caption, kCaptionBufferSize)) {
    // WM_GETTEXTLENGTH answers the whole length, or more in another code page: a buffer of that
    // size holds the caption whole, up to the most this probe reads.
    const PlayerAnswer length = host.PlayerGetCaptionLength(window);
    const uint32_t whole = static_cast<uint32_t>(length.value);
    cut = !length.answered;
    if (length.answered && whole > caption.size()) {
      const uint32_t size = whole < kCaptionMostSize ? whole + 1 : kCaptionMostSize;
      std::memset(buffer, 0, size);
      caption = Copied(buffer, size, host.PlayerGetCaption(window, buffer, size).value);
      cut = whole >= kCaptionMostSize && MayBeCut(caption, size);
    }
  }
  // A step of the taskbar scroll that was cut short cannot be read back: no news.
  if (cut && MayBeScrolled(caption)) return false;
  // A step reads as the caption it turns, of Winamp's scroll first, then of the plain circle.
  // One that reads more than one way is the title already known when one of its readings is;
  // otherwise the likeliest one counts.
  bool turned = false;
  const auto isLastTitle = [&](std::string_view reading) {
    Text candidate;
    if (!CutTitle(reading, candidate)) return false;
    if (candidate == last) return true;
    if (!turned) title = std::move(candidate);
    turned = true;
    return false;
  };
  std::string_view reading;
  for (ScrollReadings readings(cut ? std::string_view() : caption); readings.Next(reading);) {
    if (isLastTitle(reading)) {
      title = last;
      return true;
    }
  }
  Text circle;
  if (!cut && UnturnCircle(caption, circle) && isLastTitle(circle.View())) {
    title = last;
    return true;
  }
  return turned || CutTitle(caption, title);
}

namespace {

// The title in `window`'s caption, when it is one other than `known`: true, with it in `title`. A
// caption that reads as `known` in any of its readings (a step of a scroll) is no news.
[[nodiscard]] bool ReadNewTitle(NowPlayingHost& host, uint32_t window, const Text& known,
                                Text& title) {
  return ReadCaptionTitle(host, window, known, title) && !(title == known);
}

// A player that does not answer gives no news, as a stopped one.
[[nodiscard]] int32_t PlayingState(NowPlayingHost& host, uint32_t window) {
  return host.PlayerSendQuery(window, kQueryPlayingState.wParam, kQueryPlayingState.lParam).value;
}

// Of several players, the one to follow: each window's title is followed on its own, so that the
// one whose title changed last is known. A window's first title counts as a change.
[[nodiscard]] uint32_t FollowedPlayer(NowPlayingHost& host, NowPlayingState& state,
                                      const uint32_t (&windows)[kMostPlayers], uint32_t count) {
  ++state.probes;
  PlayerTrack tracks[kMostPlayers];
  PlayerSeen seen[kMostPlayers];
  for (uint32_t at = 0; at < count; ++at) {
    PlayerTrack& track = tracks[at];
    track = {windows[at], Text(), 0};
    for (uint32_t known = 0; known < state.playersSeen; ++known) {
      if (state.players[known].window == windows[at]) track = std::move(state.players[known]);
    }
    const int32_t playing = PlayingState(host, track.window);
    Text title;
    if (playing != 0 && ReadNewTitle(host, track.window, track.title, title)) {
      track.title = std::move(title);
      track.changedAt = state.probes;
    }
    // Paused (3) is not playing here: a player that plays wins over one that waits.
    seen[at] = {track.window, playing == kPlayingStatePlaying, track.changedAt};
  }
  for (uint32_t at = 0; at < count; ++at) state.players[at] = std::move(tracks[at]);
  state.playersSeen = count;
  return ChoosePlayer(seen, count, state.playerWindow);
}

}  // namespace

uint32_t FollowPlayer(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  uint32_t windows[kMostPlayers];
  const uint32_t count = host.PlayerListWindows(windows);
  if (count > 1) {
    state.playerWindow = FollowedPlayer(host, state, windows, count);
  } else {
    state.playersSeen = 0;
    state.playerWindow = count == 1 ? windows[0] : 0;
  }
  return state.playerWindow;
}

bool ProbeTitle(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  static_cast<void>(FollowPlayer(host));
  state.playingState = 0;
  if (state.playerWindow == 0) return false;
  state.playingState = PlayingState(host, state.playerWindow);
  if (state.playingState == 0) return false;
  Text title;
  if (!ReadNewTitle(host, state.playerWindow, state.lastTitle, title)) return false;
  state.lastTitle = std::move(title);
  return true;
}

#include "display/title_probe.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "display/bytes.h"
#include "display/scrolled_caption.h"
#include "display/state.h"

namespace {

// A playing player's caption is "<word> <title> - Winamp<anything>": the title starts after
// the first space, and everything from the last " - Winamp" on is dropped. A caption without
// that mark after the first space has no title: answers false.
[[nodiscard]] bool CutTitle(std::string_view caption, Text& title) {
  const size_t space = caption.find(' ');
  const std::string_view rest =
      space == std::string_view::npos ? caption : Slice(caption, space + 1);
  // Dropping one character at a time until the text ends in the mark is a search for its
  // last occurrence; when there is none that loop would never end, so stop here.
  const size_t mark = rest.rfind(kWinampMark);
  if (mark == std::string_view::npos) return false;
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

bool ProbeTitle(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  // Read into its first 1024 bytes, and all of it when the caption is read again.
  char buffer[kCaptionMostSize];
  std::memset(buffer, 0, kCaptionBufferSize);

  state.playerWindow = host.PlayerFindWindow();
  if (state.playerWindow == 0) return false;
  // A player that does not answer gives no news, as a stopped one.
  if (host.PlayerSendQuery(state.playerWindow, kQueryPlayingState.wParam, kQueryPlayingState.lParam)
          .value == 0) {
    return false;
  }
  const int32_t count = host.PlayerGetCaption(state.playerWindow, buffer, kCaptionBufferSize).value;
  std::string_view caption = Copied(buffer, kCaptionBufferSize, count);
  bool cut = false;
  if (MayBeCut(caption, kCaptionBufferSize)) {
    // WM_GETTEXTLENGTH answers the whole length, or more in another code page: a buffer of that
    // size holds the caption whole, up to the most this probe reads.
    const PlayerAnswer length = host.PlayerGetCaptionLength(state.playerWindow);
    const uint32_t whole = static_cast<uint32_t>(length.value);
    cut = !length.answered;
    if (length.answered && whole > caption.size()) {
      const uint32_t size = whole < kCaptionMostSize ? whole + 1 : kCaptionMostSize;
      std::memset(buffer, 0, size);
      caption = Copied(buffer, size, host.PlayerGetCaption(state.playerWindow, buffer, size).value);
      cut = whole >= kCaptionMostSize && MayBeCut(caption, size);
    }
  }
  Unturned unturned;
  const ScrollStep step = Unscroll(caption, cut, unturned);
  if (step == ScrollStep::Broken) return false;
  if (step == ScrollStep::Turned) caption = unturned.caption.View();
  Text title;
  if (!CutTitle(caption, title)) return false;
  if (title == state.lastTitle) return false;
  // A step that reads two ways: the reading that is the title already out wins.
  Text other;
  if (!unturned.other.IsEmpty() && CutTitle(unturned.other.View(), other) &&
      other == state.lastTitle) {
    return false;
  }
  state.lastTitle = std::move(title);
  return true;
}

#include "display/title_probe.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "display/bytes.h"
#include "display/state.h"

namespace {

constexpr std::string_view kWinampMark = " - Winamp";

// A playing player's caption is "<word> <title> - Winamp<anything>". The title starts after
// the first space and runs `count` - p characters (count being what WM_GETTEXT answered),
// then everything from the last " - Winamp" on is dropped. A caption without that mark
// after the first space has no title: answers false.
[[nodiscard]] bool CutTitle(std::string_view caption, int32_t count, Text& title) {
  const size_t space = caption.find(' ');
  // The 1-based position of the space is the 0-based offset of what follows it.
  const size_t first = space == std::string_view::npos ? 0 : space + 1;
  const int64_t wanted = static_cast<int64_t>(count) - static_cast<int64_t>(first);
  std::string_view rest;
  if (wanted > 0 && first < caption.size()) {
    rest = Slice(caption, first, static_cast<size_t>(wanted));
  }
  // Dropping one character at a time until the text ends in the mark is a search for its
  // last occurrence; when there is none that loop would never end, so stop here.
  const size_t mark = rest.rfind(kWinampMark);
  if (mark == std::string_view::npos) return false;
  title = Text(Slice(rest, 0, mark));
  return true;
}

}  // namespace

bool ProbeTitle(NowPlayingHost& host) {
  NowPlayingState& state = NowPlaying();
  char buffer[kCaptionBufferSize];
  std::memset(buffer, 0, sizeof buffer);

  state.playerWindow = host.PlayerFindWindow();
  if (state.playerWindow == 0) return false;
  if (host.PlayerSendQuery(state.playerWindow, kQueryPlayingState.wParam,
                           kQueryPlayingState.lParam) == 0) {
    return false;
  }
  const int32_t count = host.PlayerGetCaption(state.playerWindow, buffer, sizeof buffer);
  const void* end = std::memchr(buffer, '\0', sizeof buffer);
  const size_t length =
      end ? static_cast<size_t>(static_cast<const char*>(end) - buffer) : sizeof buffer;

  Text title;
  if (!CutTitle(std::string_view(buffer, length), count, title)) return false;
  if (title == state.lastTitle) return false;
  state.lastTitle = std::move(title);
  return true;
}

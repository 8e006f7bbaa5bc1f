#include "display/scrolled_caption.h"

#include "display/bytes.h"

namespace {

constexpr std::string_view kScrollMark = " - Winamp *** ";

[[nodiscard]] bool StartsWith(std::string_view text, std::string_view head) {
  return text.size() >= head.size() && Slice(text, 0, head.size()) == head;
}
[[nodiscard]] bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && Slice(text, text.size() - tail.size()) == tail;
}

// A caption that reads as "12. Artist - Title - Winamp": the usual cut finds a title in it.
[[nodiscard]] bool HasTitle(std::string_view caption) {
  const size_t space = caption.find(' ');
  return space != std::string_view::npos &&
         Slice(caption, space + 1).rfind(kWinampMark) != std::string_view::npos;
}

// The mark whole, or an end of it opening the caption (down to its last space, which opens
// the last step), or its start from " - Winamp" on ending the caption where the cut fell
// inside it: a step of the scroll even when its end is lost. A playing caption opens with its
// number.
[[nodiscard]] bool CarriesMark(std::string_view caption) {
  if (caption.find(kScrollMark) != std::string_view::npos) return true;
  for (size_t right = kWinampMark.size(); right < kScrollMark.size(); ++right) {
    if (EndsWith(caption, Slice(kScrollMark, 0, right))) return true;
  }
  for (size_t left = kScrollMark.size() - 1; left > 0; --left) {
    if (StartsWith(caption, Slice(kScrollMark, kScrollMark.size() - left))) return true;
  }
  return false;
}

}  // namespace

ScrollStep Unscroll(std::string_view caption, bool cut, Unturned& unturned) {
  // What the cut took may be any part of the caption it turns, and half a character can end
  // it: what is left cannot tell. A cut caption without the mark is read the usual way.
  if (cut) return CarriesMark(caption) ? ScrollStep::Broken : ScrollStep::NotTurned;
  unturned.other = Text();
  // The whole mark inside the caption: before it the end of the title, after it the caption
  // from its start, up to the turn (or, in the second form, the whole caption again).
  const size_t mark = caption.find(kScrollMark);
  if (mark != std::string_view::npos) {
    const std::string_view head = Slice(caption, 0, mark);
    const std::string_view tail = Slice(caption, mark + kScrollMark.size());
    const bool wholeCaptionFollows =
        EndsWith(tail, kWinampMark) &&
        EndsWith(Slice(tail, 0, tail.size() - kWinampMark.size()), head);
    if (wholeCaptionFollows) {
      unturned.caption = Text(tail);
      // The first form reads so too where the title ends in " - Winamp" and the turn falls
      // right after it: " - Winamp *** 1. Song - Winamp" turns "1. Song - Winamp - Winamp".
      unturned.other = Text(tail) + head + kWinampMark;
      return ScrollStep::Turned;
    }
    unturned.caption = Text(tail) + head + kWinampMark;
    return ScrollStep::Turned;
  }
  // The turn splits the mark: its start ends the caption and its rest begins it.
  for (size_t split = 1; split < kScrollMark.size() && caption.size() >= kScrollMark.size();
       ++split) {
    if (EndsWith(caption, Slice(kScrollMark, 0, split)) &&
        StartsWith(caption, Slice(kScrollMark, split))) {
      const size_t rest = kScrollMark.size() - split;
      unturned.caption = Text(Slice(caption, rest, caption.size() - rest - split)) + kWinampMark;
      return ScrollStep::Turned;
    }
  }
  // The second form, turned so far that only the mark's end is left before the whole caption.
  for (size_t left = kScrollMark.size() - 1; left > 0; --left) {
    if (!StartsWith(caption, Slice(kScrollMark, kScrollMark.size() - left))) continue;
    const std::string_view after = Slice(caption, left);
    if (EndsWith(after, kWinampMark) && HasTitle(after)) {
      unturned.caption = Text(after);
      return ScrollStep::Turned;
    }
  }
  return ScrollStep::NotTurned;
}

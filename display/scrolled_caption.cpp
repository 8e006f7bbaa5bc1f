#include "display/scrolled_caption.h"

#include "display/bytes.h"

namespace {

constexpr std::string_view kStars = " *** ";
constexpr std::string_view kScrollMark = " - Winamp *** ";
// U+FFFD in UTF-8: Windows copies half a surrogate pair as this.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

[[nodiscard]] bool StartsWith(std::string_view text, std::string_view head) {
  return text.size() >= head.size() && Slice(text, 0, head.size()) == head;
}
[[nodiscard]] bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && Slice(text, text.size() - tail.size()) == tail;
}

// Whether `head` is `caption` from one of its UTF-16 units on, as a step shows it before the
// stars. A step that splits a surrogate pair (a character of four UTF-8 bytes) begins with
// its second half, which Windows copies as U+FFFD.
[[nodiscard]] bool IsTurnedFrom(std::string_view head, std::string_view caption) {
  if (head.empty() || head.size() > caption.size()) return false;
  if (EndsWith(caption, head)) return true;
  if (!StartsWith(head, kReplacement)) return false;
  const std::string_view rest = Slice(head, kReplacement.size());
  return caption.size() >= rest.size() + 4 && EndsWith(caption, rest) &&
         (static_cast<unsigned char>(caption[caption.size() - rest.size() - 4]) & 0xF8) == 0xF0;
}

}  // namespace

// The mark whole, or its start from " - Winamp" on ending the copy where the cut fell inside
// it, or an end of it opening the copy (the first steps after the mark, and the end steps).
bool MayBeScrolled(std::string_view cut) {
  if (cut.find(kScrollMark) != std::string_view::npos) return true;
  for (size_t right = kWinampMark.size(); right < kScrollMark.size(); ++right) {
    if (EndsWith(cut, Slice(kScrollMark, 0, right))) return true;
  }
  for (size_t left = kScrollMark.size() - 1; left > 0; --left) {
    if (StartsWith(cut, Slice(kScrollMark, kScrollMark.size() - left))) return true;
  }
  return false;
}

bool ScrollReadings::Next(std::string_view& caption) {
  // An end step: " *** ", "*** " or "** ", then the caption, then " *** ".
  if (endSteps_) {
    endSteps_ = false;
    for (size_t from = 0; from < 3 && EndsWith(step_, kStars); ++from) {
      const std::string_view opening = Slice(kStars, from);
      if (step_.size() > opening.size() + kStars.size() && StartsWith(step_, opening)) {
        caption = Slice(step_, opening.size(), step_.size() - opening.size() - kStars.size());
        return true;
      }
    }
  }
  // Any other step: the caption from a unit on, " *** ", then the caption whole. A title
  // that holds " *** " gives more places to try; the last one that fits is the likeliest.
  while (at_ > 0) {
    const size_t stars = step_.rfind(kStars, at_ - 1);
    if (stars == std::string_view::npos) break;
    at_ = stars;
    const std::string_view whole = Slice(step_, stars + kStars.size());
    if (IsTurnedFrom(Slice(step_, 0, stars), whole)) {
      caption = whole;
      return true;
    }
  }
  at_ = 0;
  return false;
}

bool UnturnCircle(std::string_view step, Text& caption) {
  // The mark whole: before it the caption's end, after it its start up to the turn.
  const size_t mark = step.find(kScrollMark);
  if (mark != std::string_view::npos) {
    caption = Text(Slice(step, mark + kScrollMark.size())) + Slice(step, 0, mark) + kWinampMark;
    return true;
  }
  // The turn splits the mark: its start ends the step, and its rest opens it.
  for (size_t split = 1; split < kScrollMark.size() && step.size() >= kScrollMark.size(); ++split) {
    const size_t rest = kScrollMark.size() - split;
    if (EndsWith(step, Slice(kScrollMark, 0, split)) &&
        StartsWith(step, Slice(kScrollMark, split))) {
      caption = Text(Slice(step, rest, step.size() - rest - split)) + kWinampMark;
      return true;
    }
  }
  return false;
}

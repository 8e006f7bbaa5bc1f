// Winamp can scroll its caption in the taskbar ("Scroll title in the Windows taskbar"), one
// UTF-16 unit a step. For a caption C of L units, step k < L shows C from unit k on, " *** "
// and C whole; steps L, L + 1 and L + 2 show " *** ", "*** " and "** ", then C and " *** ";
// then step 0 comes again. Older versions turn it as a plain circle instead: "C *** " rotated
// one character a step. Read at any step of either, one track must still give one title.
#pragma once

#include <cstddef>
#include <string_view>

#include "toolkit/text.h"

// What ends the title in every caption of a playing Winamp.
inline constexpr std::string_view kWinampMark = " - Winamp";

// A copy of a caption that filled the buffer, so that its end is lost: true when it may be a
// step of the scroll, which then cannot be read back whole.
[[nodiscard]] bool MayBeScrolled(std::string_view cut);

// The captions of which `step` can be a step of the scroll, the likeliest first: the one an
// end step turns, then the one after each " *** ", from the last on. Each is a part of `step`.
class ScrollReadings {
 public:
  explicit ScrollReadings(std::string_view step) : step_(step), at_(step.size()) {}
  // The next reading; false when there is none left.
  [[nodiscard]] bool Next(std::string_view& caption);

 private:
  std::string_view step_;
  size_t at_;             // the next " *** " to try starts before this
  bool endSteps_ = true;  // the end steps' reading is still to try
};

// The caption that `step` turns as a plain circle, where it can be a step of one: false where it
// holds no part of " - Winamp *** " that a turn could leave.
[[nodiscard]] bool UnturnCircle(std::string_view step, Text& caption);

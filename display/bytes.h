// Slices of byte views without std::string_view::substr, whose range check would bring the
// exception machinery into the program. Callers keep `from` and `count` inside the view.
#pragma once

#include <cstddef>
#include <string_view>

// The bytes from `from` on, at most `count` of them.
[[nodiscard]] inline std::string_view Slice(std::string_view bytes, size_t from,
                                            size_t count = std::string_view::npos) {
  const size_t rest = bytes.size() - from;
  return std::string_view(bytes.data() + from, count < rest ? count : rest);
}

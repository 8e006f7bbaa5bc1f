// Text: a byte string in the Windows ANSI code page, with copy semantics.
// Small on purpose: std::string would pull the exception and locale machinery into the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class Text {
 public:
  Text() = default;
  Text(const char* zeroTerminated);  // NOLINT: implicit, like a string literal
  Text(const char* bytes, size_t count);
  explicit Text(std::string_view bytes) : Text(bytes.data(), bytes.size()) {}
  Text(const Text& other);
  Text(Text&& other) noexcept;
  Text& operator=(const Text& other);
  Text& operator=(Text&& other) noexcept;
  ~Text();

  // Always zero-terminated, also when empty.
  [[nodiscard]] const char* CStr() const { return bytes_ ? bytes_ : ""; }
  [[nodiscard]] size_t Length() const { return length_; }
  [[nodiscard]] bool IsEmpty() const { return length_ == 0; }
  [[nodiscard]] std::string_view View() const { return {CStr(), length_}; }
  [[nodiscard]] char operator[](size_t index) const { return bytes_[index]; }

  Text& operator+=(std::string_view tail);
  Text& operator+=(const Text& tail) { return *this += tail.View(); }
  Text& operator+=(const char* tail) { return *this += std::string_view(tail); }

  // 1-based substring with forgiving bounds: a start below 1 counts as 1, a count that runs
  // past the end stops at the end, a start past the end gives the empty text.
  [[nodiscard]] Text Copy(int32_t start, int32_t count) const;
  // Removes the last `count` bytes (all of them when count exceeds the length).
  void DropLast(size_t count);

 private:
  void Assign(const char* bytes, size_t count);

  char* bytes_ = nullptr;
  size_t length_ = 0;
};

[[nodiscard]] inline bool operator==(const Text& a, const Text& b) {
  return a.View() == b.View();
}
[[nodiscard]] inline bool operator!=(const Text& a, const Text& b) {
  return !(a == b);
}
[[nodiscard]] inline bool operator==(const Text& a, std::string_view b) {
  return a.View() == b;
}
[[nodiscard]] inline bool operator!=(const Text& a, std::string_view b) {
  return !(a == b);
}
[[nodiscard]] Text operator+(const Text& a, std::string_view b);
[[nodiscard]] inline Text operator+(const Text& a, const Text& b) {
  return a + b.View();
}
[[nodiscard]] inline Text operator+(const Text& a, const char* b) {
  return a + std::string_view(b);
}
[[nodiscard]] inline bool operator==(const Text& a, const char* b) {
  return a.View() == b;
}
[[nodiscard]] inline bool operator!=(const Text& a, const char* b) {
  return !(a == b);
}

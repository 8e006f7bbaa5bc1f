#include "toolkit/text.h"

#include <cstdlib>
#include <cstring>

Text::Text(const char* zeroTerminated) {
  if (zeroTerminated) Assign(zeroTerminated, std::strlen(zeroTerminated));
}

Text::Text(const char* bytes, size_t count) {
  Assign(bytes, count);
}

Text::Text(const Text& other) {
  Assign(other.CStr(), other.length_);
}

Text::Text(Text&& other) noexcept : bytes_(other.bytes_), length_(other.length_) {
  other.bytes_ = nullptr;
  other.length_ = 0;
}

Text& Text::operator=(const Text& other) {
  if (this != &other) Assign(other.CStr(), other.length_);
  return *this;
}

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    std::free(bytes_);
    bytes_ = other.bytes_;
    length_ = other.length_;
    other.bytes_ = nullptr;
    other.length_ = 0;
  }
  return *this;
}

Text::~Text() {
  std::free(bytes_);
}

void Text::Assign(const char* bytes, size_t count) {
  // Allocate before freeing: `bytes` may point into our own buffer.
  char* fresh = nullptr;
  if (count > 0) {
    fresh = static_cast<char*>(std::malloc(count + 1));
    if (!fresh)
      count = 0;  // out of memory: the text becomes empty rather than crashing
    else {
      std::memcpy(fresh, bytes, count);
      fresh[count] = '\0';
    }
  }
  std::free(bytes_);
  bytes_ = fresh;
  length_ = count;
}

Text& Text::operator+=(std::string_view tail) {
  if (tail.empty()) return *this;
  const size_t total = length_ + tail.size();
  char* grown = static_cast<char*>(std::malloc(total + 1));
  if (!grown) return *this;
  if (length_) std::memcpy(grown, bytes_, length_);
  std::memcpy(grown + length_, tail.data(), tail.size());
  grown[total] = '\0';
  std::free(bytes_);
  bytes_ = grown;
  length_ = total;
  return *this;
}

Text Text::Copy(int32_t start, int32_t count) const {
  if (start < 1) start = 1;
  const int64_t first = start - 1;
  if (count <= 0 || first >= static_cast<int64_t>(length_)) return Text();
  int64_t available = static_cast<int64_t>(length_) - first;
  if (count < available) available = count;
  return Text(bytes_ + first, static_cast<size_t>(available));
}

void Text::DropLast(size_t count) {
  if (count >= length_) {
    Assign(nullptr, 0);
    return;
  }
  length_ -= count;
  bytes_[length_] = '\0';
}

Text operator+(const Text& a, std::string_view b) {
  Text joined(a);
  joined += b;
  return joined;
}

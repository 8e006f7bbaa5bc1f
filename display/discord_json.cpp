#include "display/discord_json.h"

#include "display/bytes.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

[[nodiscard]] bool IsContinuation(char byte) {
  return (static_cast<uint8_t>(byte) & 0xC0) == 0x80;
}

[[nodiscard]] size_t CharacterCount(std::string_view text) {
  size_t count = 0;
  for (const char byte : text) count += IsContinuation(byte) ? 0 : 1;
  return count;
}

void AppendNumber(Text& json, int64_t number) {
  char digits[24];
  size_t at = sizeof digits;
  const bool negative = number < 0;
  uint64_t rest = negative ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
  do {
    digits[--at] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (negative) digits[--at] = '-';
  json += std::string_view(digits + at, sizeof digits - at);
}

// A line Discord would refuse (under 2 characters) is left out; a long one is cut.
void AppendLine(Text& json, const char* key, const Text& line) {
  const std::string_view cut = CutAtCharacter(line.View(), kActivityTextMost);
  if (CharacterCount(cut) < 2) return;
  json += ",\"";
  json += key;
  json += "\":";
  AppendJsonString(json, cut);
}

// A reader of one JSON text (RFC 8259) that keeps only what ReadDiscordMessage asks for. Nesting
// deeper than Discord's answers ever go is refused, so that no frame can exhaust the stack.
class Reader {
 public:
  Reader(std::string_view json, DiscordMessage& message) : json_(json), message_(message) {}

  [[nodiscard]] bool Whole() {
    Blanks();
    if (!Peek('{') || !Value(0, Place::kTop)) return false;
    Blanks();
    return at_ == json_.size();
  }

 private:
  enum class Place : uint8_t { kTop, kData, kOther };
  static constexpr int kDeepest = 32;

  void Blanks() {
    while (at_ < json_.size() &&
           (json_[at_] == ' ' || json_[at_] == '\t' || json_[at_] == '\n' || json_[at_] == '\r')) {
      ++at_;
    }
  }
  [[nodiscard]] bool Peek(char c) const { return at_ < json_.size() && json_[at_] == c; }
  [[nodiscard]] bool Take(char c) {
    if (!Peek(c)) return false;
    ++at_;
    return true;
  }
  [[nodiscard]] bool Word(std::string_view word) {
    if (Slice(json_, at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  // A string's raw contents, escapes checked but left as they are.
  [[nodiscard]] bool String(std::string_view& contents) {
    if (!Take('"')) return false;
    const size_t from = at_;
    while (at_ < json_.size()) {
      const char c = json_[at_];
      if (c == '"') {
        contents = Slice(json_, from, at_ - from);
        ++at_;
        return true;
      }
      if (static_cast<uint8_t>(c) < 0x20) return false;
      ++at_;
      if (c != '\\') continue;
      if (at_ >= json_.size()) return false;
      const char e = json_[at_++];
      if (e == 'u') {
        for (int i = 0; i < 4; ++i, ++at_) {
          if (at_ >= json_.size()) return false;
          const char h = json_[at_];
          const bool hex =
              (h >= '0' && h <= '9') || (h >= 'a' && h <= 'f') || (h >= 'A' && h <= 'F');
          if (!hex) return false;
        }
      } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
        return false;
      }
    }
    return false;
  }

  [[nodiscard]] bool Digits() {
    const size_t from = at_;
    while (at_ < json_.size() && json_[at_] >= '0' && json_[at_] <= '9') ++at_;
    return at_ > from;
  }
  [[nodiscard]] bool Number() {
    static_cast<void>(Take('-'));
    if (!Take('0') && !Digits()) return false;
    if (Take('.') && !Digits()) return false;
    if (Take('e') || Take('E')) {
      if (!Take('+')) static_cast<void>(Take('-'));
      if (!Digits()) return false;
    }
    return true;
  }

  [[nodiscard]] bool Members(int depth, Place place) {
    Blanks();
    if (Take('}')) return true;
    for (;;) {
      Blanks();
      std::string_view key;
      if (!String(key)) return false;
      Blanks();
      if (!Take(':')) return false;
      Blanks();
      Place inner = Place::kOther;
      std::string_view* keep = nullptr;
      if (place == Place::kTop) {
        if (key == "cmd") keep = &message_.cmd;
        if (key == "evt") keep = &message_.evt;
        if (key == "data") inner = Place::kData;
      }
      // An ERROR's message is in its data; a close carries one at the top.
      if ((place == Place::kTop || place == Place::kData) && key == "message") {
        keep = &message_.message;
      }
      if (keep != nullptr && Peek('"')) {
        if (!String(*keep)) return false;
      } else if (!Value(depth + 1, inner)) {
        return false;
      }
      Blanks();
      if (Take('}')) return true;
      if (!Take(',')) return false;
    }
  }

  [[nodiscard]] bool Elements(int depth) {
    Blanks();
    if (Take(']')) return true;
    for (;;) {
      Blanks();
      if (!Value(depth + 1, Place::kOther)) return false;
      Blanks();
      if (Take(']')) return true;
      if (!Take(',')) return false;
    }
  }

  [[nodiscard]] bool Value(int depth, Place place) {
    if (depth > kDeepest || at_ >= json_.size()) return false;
    std::string_view ignored;
    switch (json_[at_]) {
      case '{':
        ++at_;
        return Members(depth, place);
      case '[':
        ++at_;
        return Elements(depth);
      case '"':
        return String(ignored);
      case 't':
        return Word("true");
      case 'f':
        return Word("false");
      case 'n':
        return Word("null");
      default:
        return Number();
    }
  }

  std::string_view json_;
  DiscordMessage& message_;
  size_t at_ = 0;
};

}  // namespace

void AppendJsonString(Text& json, std::string_view text) {
  json += "\"";
  size_t plain = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    json += Slice(text, plain, i - plain);
    plain = i + 1;
    if (c == '"' || c == '\\') {
      const char escaped[] = {'\\', static_cast<char>(c)};
      json += std::string_view(escaped, 2);
    } else {
      const char escaped[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
      json += std::string_view(escaped, sizeof escaped);
    }
  }
  json += Slice(text, plain);
  json += "\"";
}

std::string_view CutAtCharacter(std::string_view text, size_t most) {
  if (text.size() <= most) return text;
  size_t end = most;
  while (end > 0 && IsContinuation(text[end])) --end;
  return Slice(text, 0, end);
}

bool operator==(const Activity& a, const Activity& b) {
  if (a.active != b.active) return false;
  return !a.active ||
         (a.details == b.details && a.state == b.state && a.start == b.start && a.end == b.end);
}

Text HandshakeJson(std::string_view clientId) {
  Text json = "{\"v\":1,\"client_id\":";
  AppendJsonString(json, clientId);
  json += "}";
  return json;
}

Text ActivityJson(uint32_t pid, const Activity& activity, uint32_t nonce) {
  Text json = "{\"cmd\":\"SET_ACTIVITY\",\"args\":{\"pid\":";
  AppendNumber(json, pid);
  if (activity.active) {
    // Type 2 is "Listening to".
    json += ",\"activity\":{\"type\":2";
    AppendLine(json, "details", activity.details);
    AppendLine(json, "state", activity.state);
    json += ",\"timestamps\":{\"start\":";
    AppendNumber(json, activity.start);
    if (activity.end != 0) {
      json += ",\"end\":";
      AppendNumber(json, activity.end);
    }
    json += "}}";
  }
  json += "},\"nonce\":\"";
  AppendNumber(json, nonce);
  json += "\"}";
  return json;
}

bool ReadDiscordMessage(std::string_view json, DiscordMessage& message) {
  message = DiscordMessage();
  Reader reader(json, message);
  if (reader.Whole()) return true;
  message = DiscordMessage();
  return false;
}

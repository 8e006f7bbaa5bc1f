#include "display/title_template.h"

#include <cstdlib>
#include <cstring>

#include "display/bytes.h"
#include "toolkit/format.h"

namespace {

constexpr size_t kNone = std::string_view::npos;

// The names a template knows, each ended by a zero byte: the player's seven fields in
// TrackField's order, then those made here.
constexpr char kNames[] =
    "title\0artist\0album\0albumartist\0tracknumber\0year\0genre\0filename\0caption\0length\0"
    "position\0";
constexpr size_t kFileNameIndex = 7;
constexpr size_t kCaptionIndex = 8;
constexpr size_t kLengthIndex = 9;

// Field names are read in any letter case, as foobar2000 reads them.
[[nodiscard]] bool SameName(std::string_view written, const char* name) {
  size_t at = 0;
  for (; at < written.size() && name[at] != '\0'; ++at) {
    const char c = written[at];
    if ((c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) != name[at]) return false;
  }
  return at == written.size() && name[at] == '\0';
}

// The file's name without its folder and its extension.
[[nodiscard]] std::string_view FileName(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash != kNone) path = Slice(path, slash + 1);
  const size_t dot = path.rfind('.');
  return dot != kNone && dot > 0 ? Slice(path, 0, dot) : path;
}

// A value with its control characters as blanks, so that no tag can break the strip's line.
void AppendValue(Text& text, std::string_view value) {
  size_t from = 0;
  for (size_t at = 0; at <= value.size(); ++at) {
    const auto c = at < value.size() ? static_cast<unsigned char>(value[at]) : 0u;
    if (at < value.size() && c >= 0x20 && c != 0x7F) continue;
    text += Slice(value, from, at - from);
    if (at < value.size()) text += " ";
    from = at + 1;
  }
}

// The value of the field `name`; false for a name no field has.
[[nodiscard]] bool FieldValue(std::string_view name, const TrackValues& track, Text& value) {
  const char* known = kNames;
  size_t index = 0;
  for (; *known != '\0' && !SameName(name, known); known += std::strlen(known) + 1) ++index;
  if (*known == '\0') return false;
  if (index < kFileNameIndex) {
    value = track.fields.value[index];
    // A player that tells no title has the caption's.
    if (index == 0 && value.IsEmpty()) value = Text(track.caption);
  } else if (index == kFileNameIndex) {
    value = Text(FileName(track.fields[TrackField::kFileName].View()));
  } else if (index == kCaptionIndex) {
    value = Text(track.caption);
  } else if (index == kLengthIndex) {
    if (track.length >= 0) AppendTime(value, static_cast<uint32_t>(track.length));
  } else {
    AppendTime(value, track.position < 0 ? 0 : static_cast<uint32_t>(track.position));
  }
  return true;
}

// Where the section opened at `open` ends (its "]"), past the quoted text in it; none when it
// is not closed.
[[nodiscard]] size_t SectionEnd(std::string_view format, size_t open) {
  size_t depth = 0;
  for (size_t at = open; at < format.size(); ++at) {
    if (format[at] == '\'') {
      at = format.find('\'', at + 1);
      if (at == kNone) return kNone;
    } else if (format[at] == '[') {
      ++depth;
    } else if (format[at] == ']' && --depth == 0) {
      return at;
    }
  }
  return kNone;
}

// A section open in the text: where its output begins, and whether a field in it has a value.
struct Open {
  size_t at;
  bool shown;
};

}  // namespace

// The profile functions cut a value at a byte; a character cut short at the end goes whole.
std::string_view CutTemplate(std::string_view format) {
  if (format.size() > kTemplateMost) format = Slice(format, 0, kTemplateMost);
  const auto byte = [&](size_t at) { return static_cast<unsigned char>(format[at]); };
  size_t lead = format.size();
  while (lead > 0 && format.size() - lead < 4 && (byte(lead - 1) & 0xC0) == 0x80) --lead;
  if (lead-- == 0) return format;
  const size_t length = byte(lead) >= 0xF0   ? 4
                        : byte(lead) >= 0xE0 ? 3
                        : byte(lead) >= 0xC0 ? 2
                                             : 1;
  return format.size() - lead < length ? Slice(format, 0, lead) : format;
}

void AppendTime(Text& text, uint32_t seconds) {
  text += IntToText(static_cast<int32_t>(seconds / 60));
  text += ":";
  text += FormatText("%.2d", {seconds % 60});
}

// One pass; a "[" whose section never closes, and an opening "'" or "%" without its closing
// one, take the rest of the template as it stands.
Text FormatTitle(std::string_view format, const TrackValues& track) {
  Text text;
  // At most one open section for every two bytes of the template.
  auto* open = static_cast<Open*>(std::malloc(sizeof(Open) * (format.size() / 2 + 1)));
  if (!open) return text;
  size_t depth = 0;
  for (size_t at = 0; at < format.size(); ++at) {
    const char c = format[at];
    const size_t close = c == '\'' || c == '%' ? format.find(c, at + 1) : kNone;
    if ((c == '\'' || c == '%') && close == kNone) {
      text += Slice(format, c == '\'' ? at + 1 : at);
      break;
    }
    if (c == '\'') {
      // '' is one quote.
      text += close == at + 1 ? std::string_view("'") : Slice(format, at + 1, close - at - 1);
      at = close;
    } else if (c == '%') {
      Text value;
      if (!FieldValue(Slice(format, at + 1, close - at - 1), track, value)) {
        text += "?";
      } else if (!value.IsEmpty()) {
        AppendValue(text, value.View());
        if (depth > 0) open[depth - 1].shown = true;
      }
      at = close;
    } else if (c == '[') {
      if (SectionEnd(format, at) == kNone) {
        text += Slice(format, at);
        break;
      }
      open[depth++] = {text.Length(), false};
    } else if (c == ']' && depth > 0) {
      const Open section = open[--depth];
      if (!section.shown) {
        text.DropLast(text.Length() - section.at);
      } else if (depth > 0) {
        open[depth - 1].shown = true;
      }
    } else {
      text += std::string_view(&format[at], 1);
    }
  }
  std::free(open);
  for (const char c : text.View()) {
    if (c != ' ') return text;
  }
  return Text();
}

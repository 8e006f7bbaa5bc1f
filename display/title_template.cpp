#include "display/title_template.h"

#include <cstdlib>

#include "display/bytes.h"
#include "toolkit/format.h"

namespace {

constexpr size_t kNone = std::string_view::npos;

// How a template's field is made from the track.
enum class Made : uint8_t {
  kTag,          // the first of its tags that has a value
  kTitle,        // the title tag, else the caption's title
  kTrackNumber,  // the number before a "/" ("7/12"), a single digit with a 0 before it
  kDisc,         // the number before a "/" ("1/2")
  kFileName,     // the file's name without its folder and extension
  kCaption,
  kLength,
  kPosition,
};

// The names a template knows, as foobar2000 reads them, with its fallbacks among the tags.
struct TemplateField {
  std::string_view name;
  Made made;
  TrackField tag = TrackField::kTitle;
  TrackField second = tag;
  TrackField third = second;
};
constexpr TemplateField kTemplateFields[] = {
    {"title", Made::kTitle, TrackField::kTitle},
    {"artist", Made::kTag, TrackField::kArtist, TrackField::kAlbumArtist, TrackField::kComposer},
    {"album artist", Made::kTag, TrackField::kAlbumArtist, TrackField::kArtist,
     TrackField::kComposer},
    {"albumartist", Made::kTag, TrackField::kAlbumArtist, TrackField::kArtist,
     TrackField::kComposer},
    {"album", Made::kTag, TrackField::kAlbum},
    {"tracknumber", Made::kTrackNumber, TrackField::kTrackNumber},
    {"track", Made::kTrackNumber, TrackField::kTrackNumber},
    {"discnumber", Made::kDisc, TrackField::kDisc},
    {"disc", Made::kDisc, TrackField::kDisc},
    {"composer", Made::kTag, TrackField::kComposer},
    {"year", Made::kTag, TrackField::kYear},
    {"genre", Made::kTag, TrackField::kGenre},
    {"filename", Made::kFileName, TrackField::kFileName},
    {"caption", Made::kCaption},
    {"length", Made::kLength},
    {"position", Made::kPosition},
};

// Field names are read in any letter case, as foobar2000 reads them.
[[nodiscard]] bool SameName(std::string_view written, std::string_view name) {
  if (written.size() != name.size()) return false;
  for (size_t at = 0; at < written.size(); ++at) {
    const char c = written[at];
    if ((c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) != name[at]) return false;
  }
  return true;
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

// The value of the field `name`: empty for a field without one, as for a name no field has.
[[nodiscard]] Text FieldValue(std::string_view name, const TrackValues& track) {
  for (const TemplateField& field : kTemplateFields) {
    if (!SameName(name, field.name)) continue;
    std::string_view tag;
    for (const TrackField each : {field.tag, field.second, field.third}) {
      if (tag.empty()) tag = track.fields[each].View();
    }
    Text value;
    switch (field.made) {
      case Made::kTag:
        return Text(tag);
      case Made::kTitle:
        // A player that tells no title has the caption's.
        return Text(tag.empty() ? track.caption : tag);
      case Made::kTrackNumber:
      case Made::kDisc:
        tag = Slice(tag, 0, tag.find('/'));
        if (field.made == Made::kTrackNumber && tag.size() == 1 && tag[0] >= '0' && tag[0] <= '9') {
          value = "0";
        }
        value += tag;
        return value;
      case Made::kFileName:
        return Text(FileName(tag));
      case Made::kCaption:
        return Text(track.caption);
      case Made::kLength:
        if (track.length >= 0) AppendTime(value, static_cast<uint32_t>(track.length));
        return value;
      case Made::kPosition:
        AppendTime(value, track.position < 0 ? 0 : static_cast<uint32_t>(track.position));
        return value;
    }
  }
  return Text();
}

// Where the quoted text or the field's name opened at `at` ends, with its closing "'" or "%";
// none for a "%" never closed. A "'" never closed is an apostrophe, and ends where it stands.
// Sections and the text are read by this one rule.
[[nodiscard]] size_t TokenEnd(std::string_view format, size_t at) {
  const size_t close = format.find(format[at], at + 1);
  return close == kNone && format[at] == '\'' ? at : close;
}

// Where the section opened at `open` ends (its "]"), past the quoted text and the fields in it;
// none when it is not closed.
[[nodiscard]] size_t SectionEnd(std::string_view format, size_t open) {
  size_t depth = 0;
  for (size_t at = open; at < format.size(); ++at) {
    if (format[at] == '\'' || format[at] == '%') {
      at = TokenEnd(format, at);
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

// One pass; a "[" whose section never closes, and an opening "%" without its closing one, take
// the rest of the template as it stands. A field without a value shows "?", as foobar2000 shows
// it, and is false: a section shows only when a field in it is true.
Text FormatTitle(std::string_view format, const TrackValues& track) {
  Text text;
  // At most one open section for every two bytes of the template.
  auto* open = static_cast<Open*>(std::malloc(sizeof(Open) * (format.size() / 2 + 1)));
  if (!open) return text;
  size_t depth = 0;
  for (size_t at = 0; at < format.size(); ++at) {
    const char c = format[at];
    const size_t close = c == '\'' || c == '%' ? TokenEnd(format, at) : kNone;
    if (c == '%' && close == kNone) {
      text += Slice(format, at);
      break;
    }
    if (c == '\'') {
      // '' is one quote, and so is one never closed.
      text += close <= at + 1 ? std::string_view("'") : Slice(format, at + 1, close - at - 1);
      at = close;
    } else if (c == '%') {
      const Text value = FieldValue(Slice(format, at + 1, close - at - 1), track);
      if (value.IsEmpty()) {
        text += "?";
      } else {
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

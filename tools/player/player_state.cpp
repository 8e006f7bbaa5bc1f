#include "player_state.h"

#include <cstdio>
#include <cstring>

namespace {

// The list the player plays when nobody gives it another: short tracks, so a demo sees
// several title changes in a minute.
struct BuiltInTrack {
  const char* title;
  int32_t lengthSeconds;
};
constexpr BuiltInTrack kBuiltIn[] = {
    {"The Quiet Engines - Paper Lanterns", 10},
    {"Низкая орбита - Невесомость", 12},  // in Cyrillic: the pictures show every script
    {"Harbour Lights - Tide Tables", 9},
    {"Kettle and Crane - Slow Boil", 11},
};

// The list of `tagged`: files with tags in several scripts, a file without tags (Winamp then
// shows its name), and a stream, which has no file name.
struct TaggedTrack {
  const char* caption;
  const char* file;
  const char* fields[kFieldCount];
  int32_t lengthSeconds;
};
constexpr TaggedTrack kTagged[] = {
    {"The Quiet Engines - Paper Lanterns",
     "C:\\Music\\The Quiet Engines\\03 Paper Lanterns.mp3",
     {"Paper Lanterns", "The Quiet Engines", "Harbour Nights", "The Quiet Engines", "3/9", "2019",
      "Ambient", "1/2", "Ada Quill"},
     10},
    {"Низкая орбита - Невесомость",
     "C:\\Music\\Низкая орбита\\Невесомость.mp3",
     {"Невесомость", "Низкая орбита", "Спутник", "", "1", "2021", "", "", ""},
     12},
    {"青い鳥 - 夜明けの歌",
     "C:\\Music\\青い鳥\\夜明けの歌.flac",
     {"夜明けの歌", "青い鳥", "東京の空", "", "", "2018", "J-Pop", "", ""},
     9},
    {"untitled take 4", "C:\\Music\\untitled take 4.wav", {"", "", "", "", "", "", "", "", ""}, 8},
    {"Radio Tide - Morning Show", "", {"", "", "", "", "", "", "", "", ""}, -1},
};

bool Equals(const char* a, size_t length, const char* word) {
  return std::strlen(word) == length && std::memcmp(a, word, length) == 0;
}

// A whole decimal number with an optional minus sign, nothing else.
bool ParseInt(const char* text, const char* end, int32_t& out) {
  bool negative = text < end && *text == '-';
  if (negative) ++text;
  if (text == end || end - text > 10) return false;
  int64_t value = 0;
  for (; text < end; ++text) {
    if (*text < '0' || *text > '9') return false;
    value = value * 10 + (*text - '0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  out = static_cast<int32_t>(value);
  return true;
}

void CopyText(char* out, size_t size, const char* text, const char* end) {
  size_t n = static_cast<size_t>(end - text);
  if (n > size - 1) n = size - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

}  // namespace

PlayerState::PlayerState(uint32_t now) : startTick_(now) {
  for (const BuiltInTrack& t : kBuiltIn) {
    Track& track = tracks_[count_++];
    CopyText(track.title, kTitleBytes, t.title, t.title + std::strlen(t.title));
    CopyText(track.tags, kTitleBytes, t.title, t.title + std::strlen(t.title));
    track.lengthSeconds = t.lengthSeconds;
  }
}

uint32_t PlayerState::ElapsedMs(uint32_t now) const {
  if (opening_ != Opening::kNo) return 0;
  return state_ == kPlaying ? baseMs_ + (now - startTick_) : baseMs_;
}

// While a file opens the player is not playing and knows no length.
int32_t PlayerState::StateAnswer() const {
  if (stateForced_) return forcedState_;
  return opening_ != Opening::kNo ? kStopped : state_;
}

int32_t PlayerState::PositionAnswer(uint32_t now) const {
  return state_ == kStopped || opening_ != Opening::kNo ? -1 : static_cast<int32_t>(ElapsedMs(now));
}

int32_t PlayerState::LengthAnswer() const {
  return opening_ != Opening::kNo ? -1 : tracks_[current_].lengthSeconds;
}

uint32_t PlayerState::TakeOpening() {
  const bool pending = openPending_;
  openPending_ = false;
  return pending ? openMs_ : 0;
}

void PlayerState::Opened() {
  if (opening_ == Opening::kPlayList) opening_ = Opening::kTags;
}

void PlayerState::Started(uint32_t now) {
  if (opening_ != Opening::kTags) return;
  opening_ = Opening::kNo;
  baseMs_ = 0;
  startTick_ = now;
}

void PlayerState::Caption(char (&out)[kCaptionBytes]) const {
  if (rawCaption_) {
    std::memcpy(out, caption_, kCaptionBytes);
    return;
  }
  // foobar2000's emulation: the play list's position from 0, its title formatting of
  // [%artist% - ]%title%, and no mark of the state.
  if (mode_ == Mode::kFoobar) {
    std::snprintf(out, kCaptionBytes, "%u. %s - Winamp", static_cast<unsigned>(current_),
                  tracks_[current_].tags);
    return;
  }
  const char* suffix = state_ == kPaused ? " [Paused]" : state_ == kStopped ? " [Stopped]" : "";
  const Track& track = tracks_[current_];
  const char* title = opening_ == Opening::kPlayList ? track.title : track.tags;
  if (number_) {
    std::snprintf(out, kCaptionBytes, "%u. %s - Winamp%s", static_cast<unsigned>(current_ + 1),
                  title, suffix);
  } else {
    std::snprintf(out, kCaptionBytes, "%s - Winamp%s", title, suffix);
  }
}

void PlayerState::SetState(int32_t state, uint32_t now) {
  opening_ = Opening::kNo;
  baseMs_ = state == kStopped ? 0 : ElapsedMs(now);
  startTick_ = now;
  state_ = state;
}

void PlayerState::GoTo(size_t index, uint32_t now) {
  current_ = index;
  baseMs_ = 0;
  startTick_ = now;
  // A stopped or paused player only moves in its play list.
  if (openMs_ != 0 && state_ == kPlaying) {
    opening_ = Opening::kPlayList;
    openPending_ = true;
  }
}

bool PlayerState::Advance(uint32_t now) {
  int32_t length = tracks_[current_].lengthSeconds;
  if (state_ != kPlaying || opening_ != Opening::kNo || length <= 0) return false;
  if (ElapsedMs(now) < static_cast<uint32_t>(length) * 1000u) return false;
  GoTo((current_ + 1) % count_, now);
  rawCaption_ = false;
  return true;
}

uint32_t PlayerState::TakeFieldHang() {
  const uint32_t ms = fieldHangMs_;
  fieldHangMs_ = 0;
  return ms;
}

uint32_t PlayerState::TakeHang() {
  const uint32_t ms = hangMs_;
  hangMs_ = 0;
  return ms;
}

// "S TITLE|S TITLE|...": replaces the list; playing goes on from the first track. A TITLE of
// "LIST>TAGS" is LIST in the play list and TAGS in the file.
bool PlayerState::SetList(const char* text, const char* end) {
  Track parsed[kMaxTracks] = {};
  size_t n = 0;
  while (text < end) {
    const char* bar = static_cast<const char*>(std::memchr(text, '|', end - text));
    const char* itemEnd = bar ? bar : end;
    const char* space = static_cast<const char*>(std::memchr(text, ' ', itemEnd - text));
    if (!space || n == kMaxTracks || !ParseInt(text, space, parsed[n].lengthSeconds)) return false;
    const char* tags = static_cast<const char*>(std::memchr(space + 1, '>', itemEnd - space - 1));
    CopyText(parsed[n].title, kTitleBytes, space + 1, tags ? tags : itemEnd);
    CopyText(parsed[n].tags, kTitleBytes, tags ? tags + 1 : space + 1, itemEnd);
    ++n;
    text = bar ? bar + 1 : end;
  }
  if (n == 0) return false;
  std::memcpy(tracks_, parsed, sizeof(Track) * n);
  count_ = n;
  return true;
}

bool PlayerState::Execute(const char* command, size_t length, uint32_t now) {
  const char* end = command + length;
  const char* space = static_cast<const char*>(std::memchr(command, ' ', length));
  size_t verbLength = space ? static_cast<size_t>(space - command) : length;
  const char* arg = space ? space + 1 : end;
  int32_t number = 0;

  if (Equals(command, verbLength, "state")) {
    if (!ParseInt(arg, end, number) ||
        (number != kStopped && number != kPlaying && number != kPaused)) {
      return false;
    }
    SetState(number, now);
  } else if (Equals(command, verbLength, "position")) {
    if (!ParseInt(arg, end, number) || number < 0) return false;
    baseMs_ = static_cast<uint32_t>(number);
    startTick_ = now;
    return true;  // the caption does not show the position
  } else if (Equals(command, verbLength, "length")) {
    if (!ParseInt(arg, end, number)) return false;
    tracks_[current_].lengthSeconds = number;
    return true;
  } else if (Equals(command, verbLength, "title")) {
    if (!space) return false;
    CopyText(tracks_[current_].title, kTitleBytes, arg, end);
    CopyText(tracks_[current_].tags, kTitleBytes, arg, end);
  } else if (Equals(command, verbLength, "caption")) {
    if (!space) return false;
    CopyText(caption_, kCaptionBytes, arg, end);
    rawCaption_ = true;
    return true;
  } else if (Equals(command, verbLength, "answer-state")) {
    if (!space) {
      stateForced_ = false;
      return true;
    }
    if (!ParseInt(arg, end, number)) return false;
    stateForced_ = true;
    forcedState_ = number;
    return true;
  } else if (Equals(command, verbLength, "next") && !space) {
    GoTo((current_ + 1) % count_, now);
  } else if (Equals(command, verbLength, "track")) {
    if (!ParseInt(arg, end, number) || number < 1 || static_cast<size_t>(number) > count_) {
      return false;
    }
    GoTo(static_cast<size_t>(number - 1), now);
  } else if (Equals(command, verbLength, "list")) {
    if (!SetList(arg, end)) return false;
    GoTo(0, now);
  } else if (Equals(command, verbLength, "scroll")) {
    if (!ParseInt(arg, end, number) || number < 0 || number > 1) return false;
    scroll_ = number == 1;
  } else if (Equals(command, verbLength, "number")) {
    if (!ParseInt(arg, end, number) || number < 0 || number > 1) return false;
    number_ = number == 1;
  } else if (Equals(command, verbLength, "hang")) {
    if (Equals(arg, static_cast<size_t>(end - arg), "forever")) {
      hangMs_ = kHangForever;
    } else if (!ParseInt(arg, end, number) || number <= 0) {
      return false;
    } else {
      hangMs_ = static_cast<uint32_t>(number);
    }
    return true;
  } else if (Equals(command, verbLength, "open")) {
    if (!ParseInt(arg, end, number) || number < 0) return false;
    openMs_ = static_cast<uint32_t>(number);
    return true;
  } else if (Equals(command, verbLength, "announce")) {
    if (!ParseInt(arg, end, number) || number < 0 || number > 1) return false;
    announce_ = number == 1;
    return true;
  } else if (Equals(command, verbLength, "mode")) {
    const size_t n = static_cast<size_t>(end - arg);
    if (Equals(arg, n, "winamp")) {
      mode_ = Mode::kWinamp;
    } else if (Equals(arg, n, "foobar")) {
      mode_ = Mode::kFoobar;
    } else if (Equals(arg, n, "aimp")) {
      mode_ = Mode::kAimp;
    } else {
      return false;
    }
  } else if (Equals(command, verbLength, "tagged") && !space) {
    std::memset(tracks_, 0, sizeof tracks_);
    count_ = 0;
    for (const TaggedTrack& t : kTagged) {
      Track& track = tracks_[count_++];
      CopyText(track.title, kTitleBytes, t.caption, t.caption + std::strlen(t.caption));
      std::memcpy(track.tags, track.title, kTitleBytes);
      CopyText(track.file, kTitleBytes, t.file, t.file + std::strlen(t.file));
      for (size_t i = 0; i < kFieldCount; ++i) {
        CopyText(track.fields[i], kFieldBytes, t.fields[i], t.fields[i] + std::strlen(t.fields[i]));
      }
      track.lengthSeconds = t.lengthSeconds;
    }
    GoTo(0, now);
  } else if (Equals(command, verbLength, "broken-record")) {
    if (!ParseInt(arg, end, number) || number < 0 || number > 1) return false;
    brokenRecord_ = number == 1;
  } else if (Equals(command, verbLength, "hang-fields")) {
    if (Equals(arg, static_cast<size_t>(end - arg), "forever")) {
      fieldHangMs_ = kHangForever;
    } else if (!ParseInt(arg, end, number) || number <= 0) {
      return false;
    } else {
      fieldHangMs_ = static_cast<uint32_t>(number);
    }
    return true;
  } else if (Equals(command, verbLength, "close") && !space) {
    close_ = true;
    return true;
  } else {
    return false;
  }
  // A change of track, title or state draws the caption afresh.
  rawCaption_ = false;
  return true;
}

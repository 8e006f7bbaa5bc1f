// The stand-in player's state: a play list, a playing state and a position that runs with the
// clock. No Win32 here; the window in main.cpp feeds it tick counts and text commands.
#pragma once

#include <cstddef>
#include <cstdint>

// The playing-state answers, as Winamp gives them.
constexpr int32_t kStopped = 0;
constexpr int32_t kPlaying = 1;
constexpr int32_t kPaused = 3;

constexpr size_t kMaxTracks = 16;
constexpr size_t kTitleBytes = 256;
// Text is UTF-8. Captions may be longer than the 1024 bytes a reader's buffer holds.
constexpr size_t kCaptionBytes = 4096;
// Winamp's display timer: with the taskbar scroll on, a step of it shows this often.
constexpr uint32_t kScrollStepMs = 150;
// A hang that lasts until the program is killed.
constexpr uint32_t kHangForever = 0xFFFFFFFF;

// Which player the program stands in for (see README.md).
enum class Mode : uint8_t { kWinamp, kFoobar, kAimp };

// A file's tags, in the order of the names Winamp's input plug-ins answer
// IPC_GET_EXTENDED_FILE_INFOW for (main.cpp, README.md).
enum Tag : size_t {
  kTagTitle,
  kTagArtist,
  kTagAlbum,
  kTagAlbumArtist,
  kTagTrack,
  kTagYear,
  kTagGenre,
  kTagDisc,
  kTagComposer,
  kFieldCount
};
constexpr size_t kFieldBytes = 96;

struct Track {
  char title[kTitleBytes];                // as the play list has it
  char tags[kTitleBytes];                 // as the file's tags have it, once it is open
  int32_t lengthSeconds;                  // 0 or less: the track never ends by itself; -1 a stream
  char file[kTitleBytes];                 // the file's path; empty for a stream or a `list` track
  char fields[kFieldCount][kFieldBytes];  // empty: no such tag
};

class PlayerState {
 public:
  // Starts playing the built-in list at the tick count `now`.
  explicit PlayerState(uint32_t now);

  // Runs one text command (see README.md); false when it is unknown or malformed.
  [[nodiscard]] bool Execute(const char* command, size_t length, uint32_t now);
  // Moves to the next track when the current one has played to its end. True when it did.
  [[nodiscard]] bool Advance(uint32_t now);
  // How long the window's thread is to stop answering, asked by the last command (0: not).
  [[nodiscard]] uint32_t TakeHang();
  // With `open MS`, a new track opens as Winamp opens it: the caption from the play list while
  // the player reports not playing and no length, then the thread busy for MS ms opening the
  // file, then the caption from the tags, then playing. How long the thread is to be busy
  // opening the track that just started (0: none is opening).
  [[nodiscard]] uint32_t TakeOpening();
  // The file is open: the caption from its tags; then it starts playing at `now`.
  void Opened();
  void Started(uint32_t now);

  [[nodiscard]] int32_t StateAnswer() const;
  [[nodiscard]] int32_t PositionAnswer(uint32_t now) const;  // ms, -1 when stopped
  [[nodiscard]] int32_t LengthAnswer() const;                // s
  // The caption as Winamp sets it, zero-terminated, at most kCaptionBytes - 1 bytes: "N. Artist -
  // Title - Winamp", without "N. " when the list number is off.
  void Caption(char (&out)[kCaptionBytes]) const;
  // Whether the caption scrolls in the taskbar (a `caption TEXT` never does).
  [[nodiscard]] bool Scrolls() const { return scroll_ && !rawCaption_; }
  [[nodiscard]] bool CloseRequested() const { return close_; }
  // Whether a change of the caption is announced ("WinampSongChange"), as Winamp does and
  // foobar2000's emulation does not.
  [[nodiscard]] bool Announces() const { return announce_ && mode_ != Mode::kFoobar; }
  [[nodiscard]] Mode PlayerMode() const { return mode_; }
  [[nodiscard]] const Track& Current() const { return tracks_[current_]; }
  // AIMP's record written with lengths that run past its mapping.
  [[nodiscard]] bool BrokenRecord() const { return brokenRecord_; }
  // How long the thread is to stop answering at the next field request (0: not).
  [[nodiscard]] uint32_t TakeFieldHang();

 private:
  [[nodiscard]] bool SetList(const char* text, const char* end);
  void SetState(int32_t state, uint32_t now);
  void GoTo(size_t index, uint32_t now);
  [[nodiscard]] uint32_t ElapsedMs(uint32_t now) const;

  Track tracks_[kMaxTracks] = {};
  size_t count_ = 0;
  size_t current_ = 0;
  int32_t state_ = kPlaying;
  uint32_t baseMs_ = 0;     // position when the clock was last started or frozen
  uint32_t startTick_ = 0;  // tick count when playing last started
  bool stateForced_ = false;
  int32_t forcedState_ = 0;
  bool rawCaption_ = false;
  char caption_[kCaptionBytes] = {};
  bool close_ = false;
  bool scroll_ = false;
  bool number_ = true;  // "Show playlist number in taskbar", on in Winamp by default
  uint32_t hangMs_ = 0;
  bool announce_ = true;
  uint32_t openMs_ = 0;  // 0: a new track plays at once
  Mode mode_ = Mode::kWinamp;
  bool brokenRecord_ = false;
  uint32_t fieldHangMs_ = 0;
  enum class Opening : uint8_t { kNo, kPlayList, kTags } opening_ = Opening::kNo;
  bool openPending_ = false;
};

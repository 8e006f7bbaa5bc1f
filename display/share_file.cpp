#include "display/share_file.h"

#include "display/language.h"
#include "display/title_probe.h"
#include "display/title_template.h"

namespace {

// What the player plays, as the file tells it.
struct FileTrack {
  bool playing;
  Text title;
  Text text;
  bool live;  // the text changes with the position
};

// The settings the file is written with, in UTF-8 as the strip's template is.
[[nodiscard]] bool SameSettings(NowPlayingHost& host, const ShareFileState& file,
                                const Settings& settings) {
  return file.path == host.SystemTextToUtf8(settings.shareFile.View()) &&
         file.format == host.SystemTextToUtf8(settings.fileText.View()) &&
         file.stopped == host.SystemTextToUtf8(settings.fileStopped.View());
}

// False when the player gives no news: it does not answer, or its caption cannot be read now.
// A paused player (3) shows the stopped text; so does a stopped or closed one.
[[nodiscard]] bool ReadTrack(NowPlayingHost& host, ShareFileState& file, FileTrack& track) {
  track = {false, Text(), file.stopped, false};
  const uint32_t window = FollowPlayer(host);
  if (window == 0) return true;
  const PlayerAnswer playing =
      host.PlayerSendQuery(window, kQueryPlayingState.wParam, kQueryPlayingState.lParam);
  if (!playing.answered) return false;
  if (playing.value == 0 || playing.value == 3) return true;
  if (!ReadCaptionTitle(host, window, file.title, track.title)) return false;
  if (track.title != file.title) {
    file.title = track.title;
    file.fields = TrackFields();
    file.fieldsRead = false;
  }
  const PlayerAnswer length =
      host.PlayerSendQuery(window, kQueryTrackLength.wParam, kQueryTrackLength.lParam);
  const PlayerAnswer position =
      host.PlayerSendQuery(window, kQueryPosition.wParam, kQueryPosition.lParam);
  if (!length.answered || !position.answered) return false;
  if (!file.fieldsRead) {
    file.fieldsRead = true;
    static_cast<void>(host.PlayerReadFields(window, file.fields));
  }
  const Text caption = host.SystemTextToUtf8(track.title.View());
  const int32_t seconds = position.value < 0 ? 0 : position.value / 1000;
  const auto fill = [&](int32_t at) {
    return FormatTitle(file.format.View(), {file.fields, caption.View(), length.value, at});
  };
  track.playing = true;
  track.text = fill(seconds);
  // A template that gives nothing but blanks gives the title, as the strip's does.
  if (track.text.IsEmpty()) track.text = caption;
  track.live = fill(seconds + 1) != fill(seconds);
  return true;
}

void SetTimer(NowPlayingHost& host, ShareFileState& file, uint32_t interval, bool anew) {
  if (interval == file.interval && !(anew && interval != 0)) return;
  file.interval = interval;
  host.ShareTimerSet(interval);
}

[[nodiscard]] Text Notice(const ShareFileState& file, FileWrite result) {
  return FillIn(Say(TextId::kShareFileNotWritten), {file.path.View(), FileWriteWords(result)});
}

// The notice waits for the strip to be away, and is then told at its next display, beside the
// keys' notice.
void PassNotice(NowPlayingState& state) {
  ShareFileState& file = state.file;
  if (file.notice.IsEmpty() || state.shown || state.cycleRuns != 0) return;
  if (!state.keyNotice.IsEmpty()) state.keyNotice += "; ";
  state.keyNotice += file.notice;
  file.notice = Text();
}

}  // namespace

namespace {

void Look(NowPlayingHost& host, NowPlayingState& state, FileLook look) {
  ShareFileState& file = state.file;
  const Settings& settings = state.settings;
  if (settings.shareFile.View().empty()) {
    SetTimer(host, file, 0, false);
    file = ShareFileState();
    file.looking = true;
    return;
  }
  if (!SameSettings(host, file, settings)) {
    const uint32_t interval = file.interval;
    file = ShareFileState();
    file.interval = interval;
    file.looking = true;
    file.path = host.SystemTextToUtf8(settings.shareFile.View());
    file.format = host.SystemTextToUtf8(settings.fileText.View());
    file.stopped = host.SystemTextToUtf8(settings.fileStopped.View());
  }
  PassNotice(state);
  if (file.givenUp) return;

  FileTrack track;
  const bool news = ReadTrack(host, file, track);
  // Between the ticks of its own timer, the file waits for a new track or a new player state:
  // a text that follows the position is written at most once a second.
  const bool sameTrack =
      file.holds && track.playing == file.wrotePlaying && track.title == file.wroteTitle;
  const bool write = news && (!file.holds || track.text != file.written || file.held) &&
                     (look == FileLook::kOwnTick || !sameTrack || file.held);
  if (write) {
    const FileWrite result = host.ShareFileWrite(file.path.View(), track.text.View());
    file.held = result == FileWrite::kHeld;
    if (result == FileWrite::kWritten) {
      file.holds = true;
      file.written = track.text;
      file.wrotePlaying = track.playing;
      file.wroteTitle = track.title;
    } else if (!file.held) {
      file.givenUp = true;
      file.notice = Notice(file, result);
      PassNotice(state);
      SetTimer(host, file, 0, false);
      return;
    }
  }
  // The file's own timer looks at the player while the popup timer does not: each other look
  // starts its countdown anew.
  if (file.held) return SetTimer(host, file, kFileRetryMs, false);
  if (track.playing && track.live) return SetTimer(host, file, kFileLiveMs, false);
  SetTimer(host, file, settings.checkInterval, look == FileLook::kOther);
}

}  // namespace

// A look made inside another (the player's announcement comes while it is asked) would be
// overtaken by the outer one's older reading: it is made after it instead.
void FollowPlayerInFile(NowPlayingHost& host, NowPlayingState& state, FileLook look) {
  if (!state.settingsLoaded || state.exiting) return;
  ShareFileState& file = state.file;
  if (file.looking) {
    file.lookAgain = true;
    return;
  }
  file.looking = true;
  do {
    file.lookAgain = false;
    Look(host, state, look);
  } while (file.lookAgain && !state.exiting);
  file.looking = false;
}

void StopFile(NowPlayingHost& host, NowPlayingState& state) {
  ShareFileState& file = state.file;
  if (state.settings.shareFile.View().empty() || file.givenUp || !file.holds ||
      file.written == file.stopped) {
    return;
  }
  static_cast<void>(host.ShareFileWrite(file.path.View(), file.stopped.View()));
}

const char* FileWriteWords(FileWrite result) {
  switch (result) {
    case FileWrite::kWritten:
      return "written";
    case FileWrite::kHeld:
      return Say(TextId::kFileHeld);
    case FileWrite::kNoFolder:
      return Say(TextId::kFileNoFolder);
    case FileWrite::kDenied:
      return Say(TextId::kFileDenied);
    case FileWrite::kFolder:
      return Say(TextId::kFileIsFolder);
    case FileWrite::kTooLong:
      return Say(TextId::kFilePathTooLong);
    case FileWrite::kReadOnly:
      return Say(TextId::kFileReadOnly);
    case FileWrite::kFailed:
      break;
  }
  return Say(TextId::kFileFailed);
}

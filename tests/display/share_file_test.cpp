#include "display/share_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "display/events.h"
#include "display/hot_keys.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

using Log = std::vector<std::string>;

constexpr char kShare[] = "[Main]\nMemEconomy=0\n[Share]\nFile=now.txt\n";

TrackFields Fields(const char* artist, const char* title, const char* album = "") {
  TrackFields fields;
  fields[TrackField::kArtist] = artist;
  fields[TrackField::kTitle] = title;
  fields[TrackField::kAlbum] = album;
  return fields;
}

// What the file and its timer did, in order.
Log FileLog(FakeHost& host) {
  Log entries;
  for (const std::string& entry : host.Take()) {
    if (entry.rfind("file", 0) == 0 || entry.rfind("share.timer", 0) == 0) {
      entries.push_back(entry);
    }
  }
  return entries;
}

class ShareFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetNowPlaying(); }
  void Start(const std::string& settings) {
    host.settingsFile = settings;
    LoadSettings(host);
  }
  FakeHost host;
};

// The file holds FileText= filled in from the fields the strip's template uses while the player
// plays, and FileStopped= while it is paused, stopped or closed.
TEST_F(ShareFileTest, TheFileHoldsWhatPlaysInEveryPlayerState) {
  struct Case {
    const char* what;
    const char* share;  // lines of [Share] after File=
    const char* holds;
    const char* caption = nullptr;  // none: the player is closed
    TrackFields fields = {};
    int32_t length = 0;
    int32_t positionMs = 0;
    int state = 1;
  };
  const char* const kRussian = "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F";
  const char* const kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC";
  const TrackFields kNone;
  const Case cases[] = {
      {"playing, with fields", "", "Artist - Title", "3. Caption Artist - Caption Title - Winamp",
       Fields("Artist", "Title"), 200, 5000},
      {"playing, a player that tells no fields", "", "Caption Artist - Caption Title",
       "3. Caption Artist - Caption Title - Winamp", kNone, 200},
      {"the fields of the strip's template", "FileText=%album% (%length%) %position%\n",
       "Album (2:05) 0:59", "1. A - T - Winamp", Fields("A", "T", "Album"), 125, 59999},
      {"a stream: no length, a position before its start",
       "FileText=[%artist% - ]%title%[ %length%] %position%\n", "Radio One: Song 0:00",
       "Radio One: Song - Winamp", kNone, -1, -1},
      {"not Latin, in UTF-8", "",
       "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F - \xE6\x97\xA5\xE6\x9C\xAC", "1. x - Winamp",
       Fields(kRussian, kJapanese)},
      {"a template of blanks gives the title", "FileText=\" \"\n", "A - T", "1. A - T - Winamp"},
      {"paused", "FileStopped=Nothing plays\n", "Nothing plays", "1. A - T - Winamp", kNone, 0, 0,
       3},
      {"stopped", "FileStopped=Nothing plays\n", "Nothing plays", "1. A - T - Winamp", kNone, 0, 0,
       0},
      {"closed", "FileStopped=Nothing plays\n", "Nothing plays"},
      {"closed, by default emptied", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetNowPlaying();
    host = FakeHost();
    if (c.caption) {
      host.player.Play(c.caption, c.length, c.positionMs);
      host.player.fields = c.fields;
      host.player.state = c.state;
    }
    Start(std::string(kShare) + c.share);
    ASSERT_EQ(host.files.count("now.txt"), 1u);
    EXPECT_EQ(host.files["now.txt"], c.holds);
    host.playerLog.clear();
    OnShareTick(host);
    OnShareTick(host);
    EXPECT_EQ(std::count(host.playerLog.begin(), host.playerLog.end(), "fields"), 0)
        << "once a track";
  }
}

// The file is written when its text changes, whatever the strip does, and only then.
TEST_F(ShareFileTest, TheFileIsWrittenWhenItsTextChanges) {
  struct Step {
    std::function<void(FakeHost&)> act;
    Log expected;
  };
  struct Case {
    const char* what;
    const char* settings;
    std::vector<Step> steps;
  };
  const auto popupTick = [](FakeHost& h) { OnTimerTick(h); };
  const auto ownTick = [](FakeHost& h) { OnShareTick(h); };
  const auto tick = [](std::function<void(FakeHost&)> change) {
    return [change](FakeHost& h) {
      change(h);
      OnShareTick(h);
    };
  };
  const auto reload = [](const char* settings) {
    return [settings](FakeHost& h) {
      h.settingsFile = settings;
      LoadSettings(h);
    };
  };
  const auto play = [](const char* caption) {
    return [caption](FakeHost& h) {
      h.player.Play(caption, 100, 1000);
      OnTimerTick(h);
    };
  };
  const Case cases[] = {
      {"no file: no timer, nothing written",
       "[Main]\nMemEconomy=0\n",
       {{[](FakeHost& h) { h.player.Play("1. A - B - Winamp"); }, {}},
        {popupTick, {}},
        {ownTick, {}}}},
      {"a new track, with the strip's automatic display off",
       kShare,
       {{[](FakeHost& h) { OnHotKey(h, kHotKeyAutomatic); }, {}},
        {play("1. A - B - Winamp"), {"file A - B", "share.timer 500"}},
        {popupTick, {"share.timer 500"}},
        {ownTick, {}},
        {play("2. C - D - Winamp"), {"file C - D", "share.timer 500"}}}},
      {"the strip held out by KeepTitle=0: the file's own timer looks",
       "[Main]\nMemEconomy=0\nKeepTitle=0\n[Share]\nFile=now.txt\n",
       {{play("1. A - B - Winamp"), {"file A - B", "share.timer 500"}},
        {[](FakeHost& h) { h.player.Play("2. C - D - Winamp"); }, {}},
        {ownTick, {"file C - D"}}}},
      {"pause, stop, close, come back",
       "[Main]\nMemEconomy=0\n[Share]\nFile=now.txt\nFileStopped=-\n",
       {{play("1. A - B - Winamp"), {"file A - B", "share.timer 500"}},
        {tick([](FakeHost& h) { h.player.state = 3; }), {"file -"}},
        {tick([](FakeHost& h) { h.player.state = 0; }), {}},
        {[](FakeHost& h) {
           h.player.state = 1;
           OnSongChange(h);
         },
         {"file A - B", "share.timer 500"}},
        {tick([](FakeHost& h) { h.player.running = false; }), {"file -"}},
        {play("1. A - B - Winamp"), {"file A - B", "share.timer 500"}}}},
      {"a stream's new title",
       kShare,
       {{tick([](FakeHost& h) { h.player.Play("Radio: Song one - Winamp", -1); }),
         {"file Radio: Song one"}},
        {tick([](FakeHost& h) { h.player.caption = "Radio: Song two - Winamp"; }),
         {"file Radio: Song two"}}}},
      {"%position%: once a second, at the file's own tick",
       "[Main]\nMemEconomy=0\n[Share]\nFile=now.txt\nFileText=%title% %position%\n",
       {{tick([](FakeHost& h) { h.player.Play("1. A - B - Winamp", 100, 1000); }),
         {"file A - B 0:01", "share.timer 1000"}},
        {[](FakeHost& h) {
           h.player.positionMs = 2000;
           OnTimerTick(h);
           OnSongChange(h);
         },
         {}},
        {tick([](FakeHost& h) { h.player.positionMs = 2000; }), {"file A - B 0:02"}},
        {tick([](FakeHost& h) { h.player.state = 3; }), {"file ", "share.timer 500"}}}},
      {"a reader holds the file: tried again until it lets go, with the newest text",
       "[Main]\nMemEconomy=0\nCheckTitle=2000\n[Share]\nFile=now.txt\n",
       {{[](FakeHost& h) { h.fileReaders = true; }, {}},
        {tick([](FakeHost& h) { h.player.Play("1. A - B - Winamp"); }),
         {"file held", "share.timer 500"}},
        {ownTick, {"file held"}},
        {tick([](FakeHost& h) { h.player.Play("2. C - D - Winamp"); }), {"file held"}},
        {tick([](FakeHost& h) { h.fileReaders = false; }), {"file C - D", "share.timer 2000"}},
        {ownTick, {}}}},
      {"quit leaves the stopped text, and nothing is written after it",
       "[Main]\nMemEconomy=0\n[Share]\nFile=now.txt\nFileStopped=off\n",
       {{play("1. A - B - Winamp"), {"file A - B", "share.timer 500"}},
        {[](FakeHost& h) { OnHotKey(h, kHotKeyQuit); }, {"file off"}},
        {play("2. C - D - Winamp"), {}},
        {ownTick, {}}}},
      {"the file turned off and on again is written anew",
       kShare,
       {{play("1. A - B - Winamp"), {"file A - B", "share.timer 500"}},
        {reload("[Main]\nMemEconomy=0\n"), {"share.timer 0"}},
        {reload(kShare), {"file A - B", "share.timer 500"}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetNowPlaying();
    host = FakeHost();
    Start(c.settings);
    host.Take();
    int at = 0;
    for (const Step& step : c.steps) {
      SCOPED_TRACE(++at);
      step.act(host);
      EXPECT_EQ(FileLog(host), step.expected);
    }
  }
}

// Winamp's announcement is a sent message: it reaches the program while the file's look waits
// for the caption, whose reading is then the older one. The file ends with the newer track.
TEST_F(ShareFileTest, AnAnnouncementInsideTheFilesLookIsNotOvertakenByIt) {
  class AnnouncingHost : public FakeHost {
   public:
    bool announce = false;
    PlayerAnswer PlayerGetCaption(uint32_t window, char* buffer, uint32_t size) override {
      const PlayerAnswer answer = FakeHost::PlayerGetCaption(window, buffer, size);
      if (std::exchange(announce, false)) {
        player.Play("2. C - D - Winamp");
        OnSongChange(*this);
      }
      return answer;
    }
  };
  // At the first look after the settings are read, and at one of the file's own.
  for (const bool atStart : {true, false}) {
    SCOPED_TRACE(atStart);
    ResetNowPlaying();
    AnnouncingHost announcing;
    announcing.settingsFile = kShare;
    announcing.player.Play("1. A - B - Winamp");
    announcing.announce = atStart;
    LoadSettings(announcing);
    announcing.announce = true;
    if (!atStart) OnShareTick(announcing);
    EXPECT_EQ(announcing.files["now.txt"], "C - D");
  }
}

// A player that stops answering at any of the file's questions gives no news: the file keeps
// what it holds, and is not told the player stopped.
TEST_F(ShareFileTest, APlayerThatStopsAnsweringLeavesTheFileAsItIs) {
  for (int answers = 0; answers < 8; ++answers) {
    SCOPED_TRACE(answers);
    ResetNowPlaying();
    host = FakeHost();
    host.player.Play("1. A - B - Winamp", 100, 1000);
    Start(std::string(kShare) + "FileText=%title% %position%\nFileStopped=-\n");
    host.player.Play("1. A - B - Winamp", 100, 1000);
    host.player.hangAfterMessages = answers;
    OnShareTick(host);
    EXPECT_EQ(host.files["now.txt"], "A - B 0:01");
  }
}

// A path the file cannot be written to is told once, on the strip as a taken key is, and left
// alone until the settings change.
TEST_F(ShareFileTest, ABadPathIsToldOnceAndLeftAlone) {
  host.fileRefusal = FileWrite::kNoFolder;
  host.player.Play("1. A - B - Winamp");
  Start("[Main]\nMemEconomy=0\n[Share]\nFile=X:\\gone\\now.txt\n");
  EXPECT_EQ(FileLog(host), Log{}) << "no timer";
  EXPECT_EQ(NowPlaying().keyNotice, "Tunelamp file not written: X:\\gone\\now.txt: no such folder");
  OnShareTick(host);
  OnTimerTick(host);
  const Log log = host.Take();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "caption Tunelamp file not written: X:\\gone\\now.txt: no such folder"),
            log.end());
  EXPECT_TRUE(host.files.empty());
  host.player.Play("2. C - D - Winamp");
  OnShareTick(host);
  OnTimerTick(host);
  EXPECT_EQ(NowPlaying().keyNotice, "") << "told once";
  // A saved file with a new path is tried at once.
  host.fileRefusal.reset();
  host.Save("[Main]\nMemEconomy=0\n[Share]\nFile=now.txt\n");
  for (int look = 0; look < 10 && host.files.empty(); ++look) {
    host.now += 1000;
    static_cast<void>(OnSettingsLook(host));
  }
  EXPECT_EQ(host.files["now.txt"], "C - D");
}

}  // namespace

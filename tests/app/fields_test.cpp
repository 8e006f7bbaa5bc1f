// The field reader as the program binds it (app/player_fields.cpp), asking the stand-in player
// across processes in each of its modes, as Tunelamp asks a real player.
#include <gtest/gtest.h>

#include "app/win32_host.h"
#include "tests/app/harness.h"

namespace e2e {
namespace {

constexpr UINT kCountForeignMessage = WM_APP + 10;  // the stand-in's count of foreign blocks

std::string Shown(const TrackFields& fields) {
  static const char* const kNames[] = {"title",       "artist", "album", "albumartist",
                                       "tracknumber", "year",   "genre", "file"};
  std::string text;
  for (size_t i = 0; i < kTrackFieldCount; ++i) {
    if (!fields.value[i].IsEmpty())
      text += std::string(kNames[i]) + "=" + fields.value[i].CStr() + ";";
  }
  return text;
}

uint32_t Handle(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

struct ModeRow {
  std::vector<std::string> commands;
  std::string fields;
  const wchar_t* caption;
};

TEST(TrackFields, EachPlayerTellsWhatItsPublishedCodeTells) {
  const std::vector<ModeRow> rows = {
      {{"tagged"},
       "title=Paper Lanterns;artist=The Quiet Engines;album=Harbour Nights;albumartist=The Quiet "
       "Engines;tracknumber=3;year=2019;genre=Ambient;file=C:\\Music\\The Quiet Engines\\03 Paper "
       "Lanterns.mp3;",
       L"1. The Quiet Engines - Paper Lanterns - Winamp"},
      {{"tagged", "track 2"},
       "title=Невесомость;artist=Низкая "
       "орбита;album=Спутник;tracknumber=1;year=2021;file=C:\\Music\\"
       "Низкая орбита\\Невесомость.mp3;",
       L"2. Низкая орбита - Невесомость - Winamp"},
      {{"tagged", "track 4"},
       "file=C:\\Music\\untitled take 4.wav;",
       L"4. untitled take 4 - Winamp"},
      {{"tagged", "track 5"}, "", L"5. Radio Tide - Morning Show - Winamp"},
      {{"mode foobar", "tagged", "track 2"}, "", L"1. Низкая орбита - Невесомость - Winamp"},
      {{"mode aimp", "tagged", "track 3"},
       "title=夜明けの歌;artist=青い鳥;album=東京の空;year=2018;genre=J-Pop;file=C:"
       "\\Music\\青い鳥\\"
       "夜明けの歌.flac;",
       L"3. 青い鳥 - 夜明けの歌 - Winamp"},
      {{"mode aimp", "tagged", "broken-record 1"},
       "",
       L"1. The Quiet Engines - Paper Lanterns - Winamp"},
  };
  for (const ModeRow& row : rows) {
    SCOPED_TRACE(row.commands.front() + " " + row.commands.back());
    Player player;
    ASSERT_TRUE(player.Start(row.commands));
    wchar_t caption[256] = {};
    GetWindowTextW(player.Window(), caption, 256);
    EXPECT_STREQ(row.caption, caption);
    TrackFields fields;
    EXPECT_EQ(!row.fields.empty(), ReadPlayerFields(Handle(player.Window()), fields));
    EXPECT_EQ(row.fields, Shown(fields));
    EXPECT_EQ(0, SendMessageA(player.Window(), kCountForeignMessage, 0, 0));
  }
}

// A player hung in the middle of a read costs one timeout, and keeps nothing of ours once it
// answers again; across a hundred tracks nothing is left there.
TEST(TrackFields, AHungPlayerCostsOneTimeoutAndNothingStaysBehind) {
  Player player;
  ASSERT_TRUE(player.Start({"tagged"}));
  const uint32_t window = Handle(player.Window());
  TrackFields fields;
  ASSERT_TRUE(player.Send("hang-fields 1500"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(ReadPlayerFields(window, fields));
  EXPECT_LT(GetTickCount() - start, 700u) << "waited more than one timeout";
  // Once awake it handles the request it was sent, which must still be there.
  DWORD_PTR left = 0;
  EXPECT_TRUE(
      SendMessageTimeoutA(player.Window(), kCountForeignMessage, 0, 0, SMTO_NORMAL, 5000, &left));
  EXPECT_EQ(1u, left);
  EXPECT_TRUE(player.Proc().Running());
  EXPECT_TRUE(WaitUntil([&] { return ReadPlayerFields(window, fields); }, 5000));
  for (int track = 0; track < 100; ++track) {
    ASSERT_TRUE(player.Send("track " + std::to_string(track % 3 + 1)));
    ASSERT_TRUE(ReadPlayerFields(window, fields));
  }
  EXPECT_EQ(0, SendMessageA(player.Window(), kCountForeignMessage, 0, 0));
}

}  // namespace
}  // namespace e2e

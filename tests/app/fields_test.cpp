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
    EXPECT_EQ(row.commands.front() == "mode foobar" ? 0x2080 : 0, player.Query(0, 0))
        << "IPC_GETVERSION";
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

constexpr char kTemplateSettings[] =
    "[Main]\nKeepTitle=300\nCheckTitle=100\nText=[%artist% - ]%title%[ (%album%)]\n";

// With a template, Winamp and AIMP give the tags and foobar2000 the caption's title; a track
// without tags and a stream show the caption's title with every player. Each track comes out
// once, with its text.
TEST(TrackFields, TheTemplateShowsEachPlayersFieldsOncePerTrack) {
  const wchar_t* const tagged[] = {L"The Quiet Engines - Paper Lanterns (Harbour Nights)",
                                   L"Низкая орбита - Невесомость (Спутник)",
                                   L"青い鳥 - 夜明けの歌 (東京の空)", L"untitled take 4",
                                   L"Radio Tide - Morning Show"};
  const wchar_t* const captions[] = {L"The Quiet Engines - Paper Lanterns",
                                     L"Низкая орбита - Невесомость", L"青い鳥 - 夜明けの歌",
                                     L"untitled take 4", L"Radio Tide - Morning Show"};
  // Winamp through every kind of track; the others through fewer, each display taking seconds.
  const std::pair<const char*, std::vector<int>> modes[] = {
      {"winamp", {1, 2, 3, 4, 5}}, {"foobar", {2, 3}}, {"aimp", {1, 3, 4}}};
  for (const auto& [mode, tracks] : modes) {
    SCOPED_TRACE(mode);
    WorkDir dir;
    dir.Write("settings.ini", kTemplateSettings);
    Player player;
    ASSERT_TRUE(player.Start(
        {std::string("mode ") + mode, "tagged", "track " + std::to_string(tracks.front())}));
    Tunelamp app;
    ASSERT_TRUE(app.Start(dir));
    HWND popup = app.WaitPopup();
    ASSERT_TRUE(popup);
    for (const int track : tracks) {
      SCOPED_TRACE(track);
      if (track != tracks.front()) {
        ASSERT_TRUE(player.Send("track " + std::to_string(track)));
      }
      ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
      EXPECT_EQ(std::string(mode) == "foobar" ? captions[track - 1] : tagged[track - 1],
                LabelTextWide(popup));
      ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
      EXPECT_EQ("", Holds(popup, 0, 400)) << "shown once";
    }
  }
}

// The player hangs while it is asked for a field: the caption's title comes out after one
// timeout, and the quit key still ends the program at once. Then a hundred tracks go by: none
// leaves anything of the program's in the player.
TEST(TrackFields, AHungPlayerNeverHoldsTheQuitKeyAndTracksLeaveNothingBehind) {
  WorkDir dir;
  dir.Write("settings.ini", kTemplateSettings);
  Player player;
  ASSERT_TRUE(player.Start({"tagged", "track 3"}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  for (int track = 0; track < 100; ++track) {
    ASSERT_TRUE(player.Send("track " + std::to_string(track % 3 + 1)));
    PumpFor(120);
  }
  // The last track (the 100th, track 1) shows with its tags.
  ASSERT_TRUE(WaitUntil(
      [&] {
        return AlphaOf(popup) == 200 &&
               LabelTextWide(popup) == L"The Quiet Engines - Paper Lanterns (Harbour Nights)";
      },
      15000));
  EXPECT_TRUE(WaitUntil(
      [&] { return SendMessageA(player.Window(), kCountForeignMessage, 0, 0) == 0; }, 3000));

  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  ASSERT_TRUE(player.Send("hang-fields 60000"));
  ASSERT_TRUE(player.Send("track 2"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  EXPECT_EQ(L"Низкая орбита - Невесомость", LabelTextWide(popup));
  const DWORD pressed = GetTickCount();
  app.HotKey(2);
  DWORD code = 1;
  EXPECT_TRUE(app.Proc().WaitExit(2000, &code)) << "still running 2 s after the quit key";
  EXPECT_LT(GetTickCount() - pressed, 2000u);
  EXPECT_EQ(0u, code);
}

}  // namespace
}  // namespace e2e

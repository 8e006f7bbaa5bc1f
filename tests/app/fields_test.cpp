// The track's fields as the program reads them from the stand-in player in each of its modes,
// across processes, as from a real player.
#include <gtest/gtest.h>

#include "tests/app/harness.h"

namespace e2e {
namespace {

constexpr UINT kCountForeignMessage = WM_APP + 10;  // the stand-in's count of foreign blocks

constexpr char kTemplateSettings[] =
    "[Main]\nKeepTitle=300\nCheckTitle=100\nText=[%tracknumber%. ][%artist% - ]%title%[ "
    "(%album%)][ / %composer%][ #%disc%]\n";

// The stand-in's tagged list through the template: the tags where the player tells them, the
// track numbers ("3/9" and "1") where Winamp and AIMP tell them, and the composer and the disc
// ("1/2") of the first where Winamp tells them.
const wchar_t* const kNumbers[] = {L"03. ", L"01. ", L"", L"", L""};
const wchar_t* const kTagged[] = {L"The Quiet Engines - Paper Lanterns (Harbour Nights)",
                                  L"Низкая орбита - Невесомость (Спутник)",
                                  L"青い鳥 - 夜明けの歌 (東京の空)", L"untitled take 4",
                                  L"Radio Tide - Morning Show"};

// With a template, Winamp and AIMP give the tags and foobar2000 the caption's title; a track
// without tags and a stream show the caption's title with every player. Each track comes out
// once, with its text.
TEST(TrackFields, TheTemplateShowsEachPlayersFieldsOncePerTrack) {
  // AIMP's record that runs past its mapping is believed in nothing: the caption's title stands.
  struct Mode {
    std::vector<std::string> commands;
    std::vector<int> tracks;
    bool tags;
  };
  const Mode modes[] = {{{"mode winamp"}, {1, 2, 3, 4, 5}, true},
                        {{"mode foobar"}, {2, 3}, false},
                        {{"mode aimp"}, {1, 3, 4}, true},
                        {{"mode aimp", "broken-record 1"}, {2}, false}};
  for (const auto& [commands, tracks, tags] : modes) {
    SCOPED_TRACE(commands.back());
    WorkDir dir;
    dir.Write("settings.ini", kTemplateSettings);
    Player player;
    std::vector<std::string> start = commands;
    start.insert(start.end(), {"tagged", "track " + std::to_string(tracks.front())});
    ASSERT_TRUE(player.Start(start));
    EXPECT_EQ(commands[0] == "mode foobar" ? 0x2080 : 0, player.Query(0, 0)) << "IPC_GETVERSION";
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
      const std::wstring text = kTagged[track - 1];
      const bool winamp = commands[0] == "mode winamp";
      const std::wstring tagged =
          kNumbers[track - 1] + text + (winamp && track == 1 ? L" / Ada Quill #1" : L"");
      EXPECT_EQ(tags ? tagged : text.substr(0, text.find(L" (")), LabelTextWide(popup));
      ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
      EXPECT_EQ("", Holds(popup, 0, 400)) << "shown once";
    }
  }
}

// A hundred tracks go by: none leaves anything of the program's in the player. Then the player
// hangs while it is asked for a field: the caption's title comes out, and the quit key still
// ends the program at once. The request the player was sent stays for it to handle on waking.
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
               LabelTextWide(popup) ==
                   L"03. The Quiet Engines - Paper Lanterns (Harbour Nights) / Ada Quill #1";
      },
      15000));
  EXPECT_TRUE(WaitUntil(
      [&] { return SendMessageA(player.Window(), kCountForeignMessage, 0, 0) == 0; }, 3000));

  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  ASSERT_TRUE(player.Send("hang-fields 2500"));
  ASSERT_TRUE(player.Send("track 2"));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  EXPECT_EQ(L"Низкая орбита - Невесомость", LabelTextWide(popup));
  const DWORD pressed = GetTickCount();
  app.HotKey(2);
  DWORD code = 1;
  EXPECT_TRUE(app.Proc().WaitExit(2000, &code)) << "still running 2 s after the quit key";
  EXPECT_LT(GetTickCount() - pressed, 2000u);
  EXPECT_EQ(0u, code);
  DWORD_PTR left = 0;
  EXPECT_TRUE(
      SendMessageTimeoutA(player.Window(), kCountForeignMessage, 0, 0, SMTO_NORMAL, 5000, &left));
  EXPECT_EQ(1u, left) << "the request of the unanswered message";
  EXPECT_TRUE(player.Proc().Running());
}

}  // namespace
}  // namespace e2e

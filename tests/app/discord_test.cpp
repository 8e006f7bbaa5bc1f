// Discord's "Listening to" over a real named pipe, served by the stand-in Discord
// (tools/discord), which records every frame it receives.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/app/harness.h"

namespace e2e {
namespace {

constexpr char kSettings[] =
    "[Main]\nKeepTitle=300\nCheckTitle=100\n[Share]\nDiscordApp=123456789012345678\n";

// One line of the stand-in's record: when (its ms), what, and the JSON.
struct Received {
  DWORD ms;
  std::string what;
  std::string json;
};

class StandInDiscord {
 public:
  // The record starts empty, and goes with the folder.
  explicit StandInDiscord(WorkDir& dir) : dir_(dir) { dir.Write("discord.txt", ""); }
  [[nodiscard]] bool Start(const std::string& options) {
    process_.Kill();
    return process_.Start(BinDir() + "\\discord.exe",
                          "--record \"" + dir_.Path() + "\\discord.txt\" " + options, dir_.Path());
  }
  void Quit() { process_.Kill(); }
  [[nodiscard]] std::vector<Received> Record() const {
    std::vector<Received> lines;
    std::istringstream text(dir_.Read("discord.txt"));
    for (std::string line; std::getline(text, line);) {
      std::istringstream fields(line);
      Received received;
      fields >> received.ms >> received.what;
      std::getline(fields, received.json);
      if (!received.json.empty()) received.json.erase(0, 1);
      lines.push_back(received);
    }
    return lines;
  }
  // The activity frames received so far: each one's "details", or "clear".
  [[nodiscard]] std::vector<std::string> Activities() const {
    std::vector<std::string> activities;
    for (const Received& line : Record()) {
      if (line.what != "frame") continue;
      const size_t at = line.json.find("\"details\":\"");
      if (line.json.find("\"activity\"") == std::string::npos) {
        activities.push_back("clear");
      } else if (at != std::string::npos) {
        activities.push_back(line.json.substr(at + 11, line.json.find('"', at + 11) - at - 11));
      }
    }
    return activities;
  }
  [[nodiscard]] bool WaitFor(const std::string& activity, DWORD timeoutMs = 15000) const {
    return WaitUntil(
        [&] {
          const std::vector<std::string> seen = Activities();
          return !seen.empty() && seen.back() == activity;
        },
        timeoutMs, 50);
  }

 private:
  WorkDir& dir_;
  Process process_;
};

// Discord started after Tunelamp is found at the next track: the handshake with the
// Application ID, an update per track (the tags' title, the artist and album, this process's
// id, a start and an end), a ping answered with its own JSON, a clear at pause. Discord slow to
// answer the handshake never holds the strip: it fades in to rest before the first update,
// which waits for READY. Discord closing and coming back is told the track that plays.
TEST(Discord, HandshakeUpdatesPerTrackClearAtPauseSlowHandshakeAndDiscordComingBack) {
  WorkDir dir;
  dir.Write("settings.ini", kSettings);
  Player player;
  ASSERT_TRUE(player.Start({"tagged", "track 1"}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  PumpFor(1000);
  StandInDiscord discord(dir);
  ASSERT_TRUE(discord.Start("--mode ping --slow 4000"));
  PumpFor(500);
  ASSERT_TRUE(player.Send("track 3"));
  ASSERT_TRUE(WaitUntil(
      [&] {
        return AlphaOf(popup) == 200 &&
               LabelTextWide(popup).find(L"\u591c\u660e") != std::wstring::npos;
      },
      15000, 5));
  EXPECT_TRUE(discord.Activities().empty()) << "READY came before the strip was out";
  ASSERT_TRUE(discord.WaitFor("\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91\xE3\x81\xAE\xE6\xAD\x8C"))
      << dir.Read("discord.txt");  // 夜明けの歌
  ASSERT_TRUE(player.Send("track 1"));
  ASSERT_TRUE(discord.WaitFor("Paper Lanterns")) << dir.Read("discord.txt");
  ASSERT_TRUE(player.Send("state 3"));
  ASSERT_TRUE(discord.WaitFor("clear")) << dir.Read("discord.txt");

  const std::string log = dir.Read("discord.txt");
  EXPECT_NE(log.find(R"( handshake {"v":1,"client_id":"123456789012345678"})"), std::string::npos);
  EXPECT_NE(log.find(R"( pong {"stand-in":"ping"})"), std::string::npos) << log;
  const std::string update =
      log.substr(log.find(R"({"cmd":"SET_ACTIVITY","args":{"pid":)", log.find("Paper") - 80));
  const std::string pid = std::to_string(app.Proc().Pid());
  EXPECT_EQ(
      update.find(R"({"cmd":"SET_ACTIVITY","args":{"pid":)" + pid +
                  R"(,"activity":{"type":2,"details":"Paper Lanterns","state":"The Quiet Engines )"
                  "\xE2\x80\x93"
                  R"( Harbour Nights","timestamps":{"start":)"),
      0u)
      << update;
  EXPECT_NE(update.find(",\"end\":"), std::string::npos) << update;
  EXPECT_EQ(
      discord.Activities(),
      (std::vector<std::string>{"\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91\xE3\x81\xAE\xE6\xAD\x8C",
                                "Paper Lanterns", "clear"}));

  // Discord closes, and comes back: the next track reaches it.
  discord.Quit();
  ASSERT_TRUE(player.Send("state 1"));
  PumpFor(1000);
  ASSERT_TRUE(discord.Start("--mode ready"));
  PumpFor(500);
  ASSERT_TRUE(player.Send("track 2"));
  ASSERT_TRUE(discord.WaitFor(
      "\xD0\x9D\xD0\xB5\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBE\xD0\xBC\xD0\xBE\xD1\x81\xD1\x82\xD1\x8C"))
      << dir.Read("discord.txt");  // Невесомость
}

// Twenty tracks in five seconds reach Discord as at most five updates in any 20 s, the last
// one the last track's, none twice.
TEST(Discord, TwentyTracksInFiveSecondsAtMostFiveUpdatesEndingWithTheLast) {
  WorkDir dir;
  dir.Write("settings.ini", kSettings);
  StandInDiscord discord(dir);
  ASSERT_TRUE(discord.Start("--mode ready"));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  ASSERT_TRUE(app.WaitPopup());
  // Automatic display off: every probe looks at the player (a display's animations hold it).
  app.HotKey(1);
  PumpFor(300);
  Player player;
  ASSERT_TRUE(player.Start({"list 200 Band - Song 0"}));
  ASSERT_TRUE(discord.WaitFor("Band - Song 0"));
  for (int track = 1; track <= 20; ++track) {
    ASSERT_TRUE(player.Send("title Band - Song " + std::to_string(track)));
    PumpFor(250);
  }
  ASSERT_TRUE(discord.WaitFor("Band - Song 20", 40000)) << dir.Read("discord.txt");
  PumpFor(1000);
  std::vector<DWORD> times;
  for (const Received& line : discord.Record()) {
    if (line.what == "frame") times.push_back(line.ms);
  }
  ASSERT_EQ(times.size(), 6u) << dir.Read("discord.txt");
  EXPECT_GE(times[5] - times[0], 20000u - 100u) << dir.Read("discord.txt");
  EXPECT_EQ(discord.Activities(),
            (std::vector<std::string>{"Band - Song 0", "Band - Song 1", "Band - Song 2",
                                      "Band - Song 3", "Band - Song 4", "Band - Song 20"}));
}

}  // namespace
}  // namespace e2e

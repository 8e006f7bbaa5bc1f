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
// id, a start and an end), a ping answered with its own JSON, a clear at pause. Discord closing
// and coming back is told the track that plays.
TEST(Discord, HandshakeUpdatesPerTrackClearAtPauseAndDiscordComingBack) {
  WorkDir dir;
  dir.Write("settings.ini", kSettings);
  Player player;
  ASSERT_TRUE(player.Start({"tagged", "track 1"}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  ASSERT_TRUE(app.WaitPopup());
  PumpFor(1000);
  StandInDiscord discord(dir);
  ASSERT_TRUE(discord.Start("--mode ping"));
  PumpFor(500);
  ASSERT_TRUE(player.Send("track 3"));
  ASSERT_TRUE(discord.WaitFor("\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91\xE3\x81\xAE\xE6\xAD\x8C"))
      << dir.Read("discord.txt");  // 夜明けの歌
  ASSERT_TRUE(player.Send("track 1"));
  ASSERT_TRUE(discord.WaitFor("Paper Lanterns")) << dir.Read("discord.txt");
  ASSERT_TRUE(player.Send("state 3"));
  ASSERT_TRUE(discord.WaitFor("clear")) << dir.Read("discord.txt");

  const std::vector<Received> record = discord.Record();
  ASSERT_GE(record.size(), 4u);
  EXPECT_EQ(record[0].what, "connect");
  EXPECT_EQ(record[1].what, "handshake");
  EXPECT_EQ(record[1].json, R"({"v":1,"client_id":"123456789012345678"})");
  bool pong = false;
  std::string update;
  for (const Received& line : record) {
    pong = pong || (line.what == "pong" && line.json == R"({"stand-in":"ping"})");
    if (line.json.find("Paper Lanterns") != std::string::npos) update = line.json;
  }
  EXPECT_TRUE(pong) << dir.Read("discord.txt");
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
  // Automatic display off: the strip stays away, and every probe looks at the player (a display's
  // animations hold the probe).
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
  std::vector<std::string> texts;
  for (const Received& line : discord.Record()) {
    if (line.what != "frame") continue;
    times.push_back(line.ms);
    texts.push_back(line.json.substr(line.json.find("\"details\"")));
  }
  for (size_t i = 5; i < times.size(); ++i) {
    EXPECT_GE(times[i] - times[i - 5], 20000u - 100u) << "update " << i << dir.Read("discord.txt");
  }
  for (size_t i = 1; i < texts.size(); ++i) EXPECT_NE(texts[i], texts[i - 1]) << "sent twice";
  EXPECT_EQ(times.size(), 6u) << dir.Read("discord.txt");
}

// A Discord slow to answer the handshake never holds the strip: it fades in to rest before the
// first update goes, which waits for READY.
TEST(Discord, SlowHandshakeWhileTheStripFades) {
  WorkDir dir;
  dir.Write("settings.ini", kSettings);
  StandInDiscord discord(dir);
  ASSERT_TRUE(discord.Start("--mode ready --slow 4000"));
  PumpFor(500);
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  Player player;
  ASSERT_TRUE(player.Start({"list 200 Band - Slow Song"}));
  std::vector<int> alphas;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const int alpha = AlphaOf(popup);
        if (alphas.empty() || alphas.back() != alpha) alphas.push_back(alpha);
        return alpha == 200;
      },
      15000, 5));
  EXPECT_TRUE(discord.Activities().empty()) << "READY came before the strip was out";
  EXPECT_GE(alphas.size(), 5u) << "the fade ran frame by frame";
  ASSERT_TRUE(discord.WaitFor("Band - Slow Song")) << dir.Read("discord.txt");
}

}  // namespace
}  // namespace e2e

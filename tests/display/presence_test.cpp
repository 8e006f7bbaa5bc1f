#include "display/presence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "display/discord_follow.h"
#include "display/events.h"
#include "display/state.h"
#include "tests/display/fake_host.h"

namespace {

// What the activity frames say, short: "set <details>|<state> <start>-<end>", "clear";
// the handshake is "hello <json>", a pong "pong <json>". Times are seconds after the fake's
// Unix clock at the test's start (1700000100).
std::string Summary(const std::pair<uint32_t, std::string>& frame) {
  const std::string& json = frame.second;
  if (frame.first == 0) return "hello " + json;
  if (frame.first == 4) return "pong " + json;
  const auto value = [&](const std::string& key) {
    const size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return std::string();
    size_t from = at + key.size() + 3;
    const bool quoted = json[from] == '"';
    from += quoted ? 1 : 0;
    const size_t end = json.find_first_of(quoted ? "\"" : ",}", from);
    std::string text = json.substr(from, end - from);
    if (!quoted) text = std::to_string(std::stoll(text) - 1700000100);
    return text;
  };
  if (json.find("\"activity\"") == std::string::npos) return "clear";
  std::string times = value("start");
  if (!value("end").empty()) times += "-" + value("end");
  return "set " + value("details") + "|" + value("state") + " " + times;
}

class PresenceTest : public ::testing::Test {
 protected:
  FakeHost host;
  DiscordLink link;
  std::string app = "1234567890";
  std::vector<std::string> answers;  // what Discord may write

  // Moves the clock on; Discord's timer fires on the way as often as it falls due.
  void Elapse(uint32_t ms) {
    const uint32_t end = host.now + ms;
    while (host.discord.timer != 0 && host.discord.timerSetAt + host.discord.timer <= end) {
      host.now = host.discord.timerSetAt + host.discord.timer;
      RunPresence(host, link, app);
      Deliver();
    }
    host.now = end;
  }
  // What Discord wrote reaches the logic as the program's pipe news does.
  void Deliver() {
    while (host.discord.open && !host.discord.incoming.empty()) RunPresence(host, link, app);
  }
  // A look at the player: "*Title:length:positionMs" at a new track, without the "*" at the
  // same one; "-" nothing plays.
  void Look(const std::string& s) {
    Listening now;
    now.playing = s != "-";
    const size_t from = s[0] == '*' ? 1 : 0;
    const size_t colon = s.find(':');
    if (now.playing) {
      now.details = Text(s.data() + from, colon - from);
      now.state = "Artist";
      now.lengthSeconds = std::stoi(s.substr(colon + 1));
      now.positionMs = std::stoi(s.substr(s.find(':', colon + 1) + 1));
    }
    FollowPresence(host, link, app, now, from == 1);
    Deliver();
  }
  // Looks and steps apart by spaces: "wN" N ms pass, "?" notes the pipe (open or closed, its
  // opens so far / the timer), "R" or "Q" Discord starts or quits, "N" it stops or starts
  // answering the handshake, "A" or "a" DiscordApp emptied or set, "E" the end, ">N" Discord
  // writes answers[N]. Discord's notice is noted as it comes. Then 30 s pass; what was sent
  // follows the notes, all apart by "; ".
  std::string Run(const std::string& steps) {
    std::istringstream in(steps);
    std::string notes;
    const auto note = [&](const std::string& text) { notes += (notes.empty() ? "" : "; ") + text; };
    for (std::string s; in >> s;) {
      if (s[0] == 'w') Elapse(static_cast<uint32_t>(std::stoul(s.substr(1))));
      if (s == "?") {
        note((host.discord.open ? "open" : "closed") + std::to_string(host.discord.opens) + "/" +
             std::to_string(host.discord.timer));
      }
      if (s == "R") host.discord.running = true;
      if (s == "Q") host.discord.Quit();
      if (s == "Q") RunPresence(host, link, app);  // the pipe's news: it broke
      if (s == "N") host.discord.answersReady = !host.discord.answersReady;
      if (s == "A" || s == "a") app = s == "A" ? "" : "1";
      if (s == "E") EndPresence(host, link);
      if (s == "-" || s.find(':') != std::string::npos) Look(s);
      if (s[0] == '>') host.discord.incoming = answers[std::stoul(s.substr(1))];
      if (s[0] == '>') RunPresence(host, link, app);
      if (!link.notice.IsEmpty()) note(std::string(link.notice.View()));
      link.notice = Text();
    }
    Elapse(30000);
    for (const auto& frame : host.discord.frames) {
      if (frame.first != 0) note(Summary(frame));
    }
    return notes;
  }
};

// The activity's JSON, as Discord's client writes it: texts escaped, cut at a character, the
// ones too short left out, a stream without an end.
TEST(ActivityJsonTest, Rows) {
  const std::string a127(127, 'a');
  const struct {
    const char* name;
    std::string details;
    std::string state;
    int64_t end;
    std::string lines;  // the JSON between the type and the times
  } rows[] = {
      {"plain", "Title", "Artist", 1700000300, R"(,"details":"Title","state":"Artist")"},
      {"stream: start only", "Radio", "Station", 0, R"(,"details":"Radio","state":"Station")"},
      {"quotes, backslashes, control characters", "a\"b\\c\n\x01\x1f", "\"},\"x\":1", 1700000300,
       R"(,"details":"a\"b\\c\u000a\u0001\u001f","state":"\"},\"x\":1")"},
      {"cut at 128 bytes before a two-byte letter", a127 + "\xC3\xA9z", "\xE6\x97\xA5\xE6\x9C\xAC",
       1700000300, R"(,"details":")" + a127 + R"(","state":"日本")"},
      {"under 2 characters left out", "A", "\xC3\xA9", 1700000300, ""},
  };
  for (const auto& row : rows) {
    Activity activity;
    activity.active = true;
    activity.details = Text(row.details.data(), row.details.size());
    activity.state = Text(row.state.data(), row.state.size());
    activity.start = 1700000100;
    activity.end = row.end;
    const std::string end = row.end != 0 ? ",\"end\":" + std::to_string(row.end) : "";
    EXPECT_EQ(std::string(ActivityJson(4242, activity, 7).View()),
              R"({"cmd":"SET_ACTIVITY","args":{"pid":4242,"activity":{"type":2)" + row.lines +
                  R"(,"timestamps":{"start":1700000100)" + end + R"(}}},"nonce":"7"})")
        << row.name;
  }
  EXPECT_EQ(std::string(ActivityJson(0, Activity(), 10).View()),
            R"({"cmd":"SET_ACTIVITY","args":{"pid":0},"nonce":"10"})");
  Activity least;
  least.active = true;
  least.start = INT64_MIN;
  EXPECT_NE(std::string(ActivityJson(1, least, 1).View()).find(R"({"start":-9223372036854775808})"),
            std::string::npos);
  EXPECT_EQ(std::string(HandshakeJson("12\"3").View()), R"({"v":1,"client_id":"12\"3"})");
  EXPECT_EQ(CutAtCharacter(std::string_view("ab\x80", 2), 2), "ab") << "nothing read past the end";
}

// What is read of Discord's JSON (RFC 8259): the raw strings kept, where they are kept; anything
// but one well-formed object refused, and nothing kept then.
TEST(ReadDiscordMessageTest, Rows) {
  const auto read = [](std::string_view json) {
    DiscordMessage m{"x", "y", "z"};
    const bool ok = ReadDiscordMessage(json, m);
    return std::to_string(ok) + "|" + std::string(m.cmd) + "|" + std::string(m.evt) + "|" +
           std::string(m.message);
  };
  const std::string nest32 = std::string(32, '[') + std::string(32, ']');
  const std::pair<std::string, std::string> rows[] = {
      {" \t\n\r{ \t\n\r\"cmd\" \t\n\r: \t\n\r\"DISPATCH\" \t\n\r, \"evt\":\"READY\"} \t\n\r",
       "1|DISPATCH|READY|"},
      {R"({"args":{"message":"a","data":{"message":"b"}},"data":{"cmd":"c","message":"d"}})",
       "1|||d"},
      {R"({"evt":"ERROR","message":"Bad \"x\"\\\/\b\f\n\r\t\u09af\uAF00"})",
       R"(1||ERROR|Bad \"x\"\\\/\b\f\n\r\t\u09af\uAF00)"},
      {R"({"cmd":1,"evt":null,"message":{"message":"no"},"":[]})", "1|||"},
      {R"({"a":[ true, false ,null,0,-1,129.5e+3,1E-29,0.59,-0e5,"s",{ },[ ],[{}] ],"b":{}})",
       "1|||"},
      {"{\"a\":" + nest32 + "}", "1|||"},
  };
  for (const auto& row : rows) EXPECT_EQ(read(row.first), row.second) << row.first;
  EXPECT_EQ(read(std::string_view("{} ", 2)), "1|||") << "nothing read past the end";
  std::vector<std::string> refused = {
      "{\"a\":\"\x01\"}", "{\"a\":\"\x1f\"}", "{\"a\":\"\n}", "{\"a\":\"\t,\"b\":1}",
      "{\"a\":" + std::string(33, '[') + std::string(33, ']') + "}"};
  std::istringstream list(
      R"(| |[1]|{|{"cmd":"DISPATCH","evt":"READY"|{"a":1}}|{"a":1} x|{} {}|{"a":tru}|{"a":trUe})"
      R"(|{"a":fals}|{"a":nul}|{"a":nulll}|{"a":01}|{"a":-}|{"a":1.}|{"a":1e}|{"a":1e+}|{"a":1e-})"
      R"(|{"a":.5}|{"a":+1}|{"a":}|{"a" 1}|{"a":1 "b":2}|{,}|{"a":1,}|{1:2}|{"a":[1,]}|{"a":[1 2]})"
      R"(|{"a":[}|{"a":"x|{"a":"x\|{"a":"\x,"b":1}|{"a":"\u12,"b":1}|{"a":"\u00|{"a":"\u00/0"}|{"a":"\u00:0"})"
      R"(|{"a":"\u00`0"}|{"a":"\u00g0"}|{"a":"\u00@0"}|{"a":"\u00G0"})"
      R"(|{"x":{"a"}|{"a":[1}|{"cmd":"DISPATCH","evt":"READY",}|{"cmd":"DISPATCH" "evt":"READY"})");
  for (std::string json; std::getline(list, json, '|');) refused.push_back(json);
  for (const std::string& json : refused) EXPECT_EQ(read(json), "0|||") << json;
}

// The frame's header: opcode and length, 32-bit little-endian; whole frames come out in turn.
TEST(FrameReaderTest, Rows) {
  const std::string json(258, 'j');
  const std::string head = std::string("\x01\x02\x03\x04\x02\x01\0\0", 8);
  EXPECT_EQ(std::string(EncodeFrame(static_cast<Opcode>(0x04030201), json).View()), head + json);
  const std::pair<std::string, std::string> rows[] = {
      {head.substr(0, 7), "waiting"},
      {head + json.substr(1), "waiting"},
      {head + json + std::string(EncodeFrame(Opcode::kPong, "ab").View()) + "\x03",
       "67305985:258 4:ab waiting"},
      {std::string("\x01\0\0\0\0\0\0\0", 8), "1: waiting"},
      {std::string("\0\0\0\0\xF8\xFF\0\0", 8), "waiting"},
      {std::string("\0\0\0\0\xF9\xFF\0\0", 8), "too large"},
      {std::string("\0\0\0\0\0\0\0\x01", 8), "too large"},
  };
  for (const auto& row : rows) {
    FrameReader reader;
    reader.Add(row.first);
    std::string out;
    Opcode opcode = Opcode::kFrame;
    Text frame;
    FrameReader::Next next;
    while ((next = reader.Take(opcode, frame)) == FrameReader::Next::kFrame) {
      const std::string text(frame.View());
      out += std::to_string(static_cast<uint32_t>(opcode)) + ":" +
             (text.size() > 9 ? std::to_string(text.size()) : text) + " ";
    }
    out += next == FrameReader::Next::kWaiting ? "waiting" : "too large";
    EXPECT_EQ(out, row.second) << row.second;
  }
}

// What plays, looked at as the probe looks, what becomes of the pipe, and what reaches Discord.
TEST_F(PresenceTest, WhatReachesDiscord) {
  answers = {FakeDiscord::Frame(3, R"({"n":[1,2]})"),
             FakeDiscord::Frame(1, std::string(65536, ' ')),
             FakeDiscord::Frame(3, "{}").substr(0, 9),
             "}",
             FakeDiscord::Frame(1, R"({"cmd":"DISPATCH",)") + FakeDiscord::Frame(3, "{}") +
                 FakeDiscord::Frame(4, "{}") + FakeDiscord::Frame(3, "[]"),
             FakeDiscord::Frame(1, R"({"cmd":"SET_ACTIVITY","data":{"code":4000,"message":)"
                                   R"("Invalid \"x\"\n"},"evt":"ERROR","nonce":"1"})"),
             FakeDiscord::Frame(2,
                                "{\"code\":4000,\"message\":\"Invalid Client ID~\x7f: no "
                                "application of this ID, or of any other\"}")};
  const std::pair<const char*, const char*> rows[] = {
      {"*One:200:0 w500 One:200:500 w500 One:200:1000 w10000 One:200:11000",
       "set One|Artist 0-200"},
      {"*One:200:30000", "set One|Artist -30-170"},        // begun 30 s in
      {"*One:200:0 w500 One:200:60500 w500 One:200:5000",  // seeks forward and back
       "set One|Artist 0-200; set One|Artist -60-140; set One|Artist -4-196"},
      {"*One:200:0 w3000 One:200:1500", "set One|Artist 0-200"},  // 1.5 s late, no seek
      {"*One:200:0 w500 - w5000 - w500 One:200:500",              // a pause
       "set One|Artist 0-200; clear; set One|Artist 6-206"},
      {"*One:200:0 w500 - w500 -", "set One|Artist 0-200; clear"},  // stopped, then closed
      {"*Radio:-1:0 w5000 *News:-1:5000", "set Radio|Artist 0; set News|Artist 0"},
      // Seven tracks in one second: five, then the last one when Discord allows.
      {"*T1:200:0 w150 *T2:200:0 w150 *T3:200:0 w150 *T4:200:0 w150 *T5:200:0 w150 *T6:200:0 "
       "w150 *T7:200:0 w25000 T7:200:25100",
       "set T1|Artist 0-200; set T2|Artist 0-200; set T3|Artist 0-200; set T4|Artist 0-200; "
       "set T5|Artist 0-200; set T7|Artist 0-200"},
      // A pause and a resume inside the wait: nothing sent twice.
      {"*T1:200:0 w100 *T2:200:0 w100 *T3:200:0 w100 *T4:200:0 w100 *T5:200:0 w100 - w100 "
       "T5:200:100 w25000 T5:200:25200",
       "set T1|Artist 0-200; set T2|Artist 0-200; set T3|Artist 0-200; set T4|Artist 0-200; "
       "set T5|Artist 0-200"},
      // Without READY the pipe is closed after 5 s, tried again 30 s after it was opened.
      {"N *One:200:0 w4999 ? w1 ? N w24999 ? w1 ?",
       "open1/50; closed1/25000; closed1/25000; open2/0; set One|Artist 0-200"},
      // Discord absent: a try at each new track and every 30 s, none while nothing plays;
      // Discord started later is told what plays; closed while nothing plays, no timer.
      {"Q *One:200:0 ? w10000 *Two:200:0 ? w500 Two:200:500 w29000 ? R w500 ? Q - ?",
       "closed1/30000; closed2/30000; closed2/29500; open3/0; closed3/0; set Two|Artist 10-210"},
      // With DiscordApp empty nothing is opened and no timer runs; emptied, the pipe closes. At
      // the end what shows is cleared before the pipe closes.
      {"A *One:200:0 w60000 ? a *Two:200:0 A Two:200:500 ? a *Three:200:0 E ?",
       "closed0/0; closed1/0; closed2/0; set Two|Artist 60-260; set Three|Artist 60-260; clear"},
      // What Discord writes once the pipe is open: a ping answered with its own JSON; a header
      // over 64 KiB closes the pipe; a frame in pieces read whole; malformed JSON passed over;
      // an ERROR told once; closed before READY, an Application ID Discord does not know.
      {"*One:200:0 >1 ? -", "closed1/30000; set One|Artist 0-200"},
      {"*One:200:0 >2 Q R *Two:200:0", "set One|Artist 0-200; set Two|Artist 0-200"},
      {"*One:200:0 >6 ? -", "closed1/30000; set One|Artist 0-200"},  // closed after READY
      {"*One:200:0 >0 >2 >3 >4 ?",
       R"(open1/0; set One|Artist 0-200; pong {"n":[1,2]}; pong {}; pong {}; pong [])"},
      {"*One:200:0 >5 >5 ?",
       R"(Discord did not take Tunelamp's presence: Invalid \"x\"\n; open1/0; set One|Artist 0-200)"},
      {"N *One:200:0 >6 ? -",
       "Discord did not take Tunelamp's presence: Invalid Client ID~?: no application of this ID, "
       "or of any ot; closed1/30000"},
  };
  for (const auto& row : rows) {
    host = FakeHost();
    link = DiscordLink();
    app = "1234567890";
    host.discord.running = true;
    EXPECT_EQ(Run(row.first), row.second) << row.first;
  }
}

// The probe's look, told to Discord: the fields read once per look, the position in whole
// seconds, the same title no new track, nothing run while exiting, DiscordApp emptied the pipe
// closed.
TEST(FollowPlayerForDiscordTest, WhatTheLookTells) {
  FakeHost host;
  host.discord.running = true;
  host.player.Play("Song", 2000, 999000);
  NowPlayingState state{};
  state.playingState = 1;
  std::snprintf(state.settings.discordApp.bytes, sizeof state.settings.discordApp.bytes, "42");
  state.settings.discordState.Set("%position%");
  FollowPlayerForDiscord(host, state);  // no player, then no title: nothing asked
  state.playerWindow = host.player.window;
  FollowPlayerForDiscord(host, state);
  state.lastTitle = "Song";
  FollowPlayerForDiscord(host, state);
  EXPECT_EQ(host.playerLog, (std::vector<std::string>{"query 1 105", "query 0 105", "fields"}));
  state.exiting = true;
  RunDiscord(host, state);
  EXPECT_FALSE(host.discord.incoming.empty()) << "READY not read while exiting";
  state.exiting = false;
  RunDiscord(host, state);
  EXPECT_EQ(Summary(host.discord.frames.back()), "set Song|16:39 -999-1001");
  state.discord.notice = "a";
  FollowPlayerForDiscord(host, state);
  state.discord.notice = "b";
  RunDiscord(host, state);
  EXPECT_EQ(std::string(state.keyNotice.View()), "a; b");
  host.discord.Quit();
  RunDiscord(host, state);
  FollowPlayerForDiscord(host, state);
  EXPECT_EQ(host.discord.opens, 1) << "the same title, no new try";
  host.discord.running = true;
  state.lastTitle = "Other";
  FollowPlayerForDiscord(host, state);
  EXPECT_TRUE(host.discord.open);
  RunDiscord(host, state);
  host.player.vanishAfterMessages = 1;  // gone after the length
  FollowPlayerForDiscord(host, state);
  EXPECT_EQ(Summary(host.discord.frames.back()), "clear");
  state.settings.discordApp.bytes[0] = '\0';
  FollowPlayerForDiscord(host, state);
  EXPECT_FALSE(host.discord.open);
}

// Discord's error joins the keys' notice once the strip is away.
TEST(FollowPlayerForDiscordTest, TakeDiscordNotice) {
  const struct {
    const char* notice;
    int busy;  // 1 the strip is out, 2 a display runs
    const char* keys;
    const char* after;  // the keys' notice, then Discord's
  } rows[] = {{"", 0, "k", "k|"},
              {"D", 0, "", "D|"},
              {"D", 0, "k", "k; D|"},
              {"D", 1, "k", "k|D"},
              {"D", 2, "k", "k|D"}};
  for (const auto& row : rows) {
    NowPlayingState state{};
    state.discord.notice = row.notice;
    state.shown = row.busy == 1;
    state.cycleRuns = row.busy == 2 ? 1 : 0;
    state.keyNotice = row.keys;
    TakeDiscordNotice(state);
    EXPECT_EQ(std::string(state.keyNotice.View()) + "|" + std::string(state.discord.notice.View()),
              row.after)
        << row.notice << row.busy << row.keys;
  }
}

// Each probe tells Discord, strip or not: the caption's title through DiscordDetails, the fields
// through DiscordState; paused (3), stopped and closed clear.
TEST(PresenceOfThePlayer, EachProbeTellsDiscordWhatPlays) {
  ResetNowPlaying();
  FakeHost host;
  host.settingsFile = "[Main]\nMemEconomy=0\n[Share]\nDiscordApp=42\n";
  host.discord.running = true;
  host.player.fields.emplace()[TrackField::kArtist] = "Ada";
  (*host.player.fields)[TrackField::kAlbum] = "Blue";
  host.player.Play("3. Ada - Song - Winamp", 200, 1000);
  LoadSettings(host);
  OnHotKey(host, 1);  // automatic display off
  host.log.clear();
  const auto tick = [&](int32_t state) {
    host.player.state = state;
    OnTimerTick(host);
    if (!host.discord.incoming.empty()) OnDiscordTick(host);  // READY, as the pipe's news
  };
  for (const int32_t state : {1, 1, 3, 3, 1}) tick(state);
  host.player.state = 0;
  host.player.running = false;
  tick(0);
  std::vector<std::string> sent;
  for (const auto& frame : host.discord.frames) sent.push_back(Summary(frame));
  EXPECT_EQ(sent,
            (std::vector<std::string>{R"(hello {"v":1,"client_id":"42"})",
                                      "set Ada - Song|Ada \xE2\x80\x93 Blue -1-199", "clear",
                                      "set Ada - Song|Ada \xE2\x80\x93 Blue -1-199", "clear"}));
  EXPECT_EQ(host.log, std::vector<std::string>{}) << "the strip stayed away";
}

}  // namespace

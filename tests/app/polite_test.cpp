// The strip and the user's other programs: it never takes the foreground, comes and goes at once
// without animations, and tells screen readers what it shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/harness.h"

namespace e2e {
namespace {

TEST(Polite, TheUsersWindowKeepsTheForeground) {
  Player player;  // first: its window comes to the front when it starts
  ASSERT_TRUE(player.Start({"list 600 Uniform - Typing On"}));
  FocusWindow user;  // the window the user types in, of another process than Tunelamp's
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=800\n");  // memory economy on
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  // Each display until a second after the strip has gone: the title playing at the start, a
  // posted show-now, one pressed for real, and one dismissed by a real click on the strip.
  enum Way { kStart, kPosted, kPressed, kClicked };
  for (const Way way : {kStart, kPosted, kPressed, kClicked}) {
    SCOPED_TRACE(way);
    if (way == kPosted || way == kClicked) app.HotKey(0);
    if (way == kPressed) {
      ASSERT_TRUE(user.PressKeys("ctrl+shift+x"));
    }
    bool out = false;
    DWORD gone = 0;
    const std::vector<Sample> samples = Record(
        popup,
        [&](const Sample& s) {
          if (way == kClicked && s.alpha == 200 && !out)
            out = ClickAt(GetSystemMetrics(SM_CXSCREEN) / 2, 20);
          out = out || s.alpha == 200;
          if (out && s.alpha == 0 && !gone) gone = s.tick;
          return gone && s.tick - gone > 1000;
        },
        20000);
    ASSERT_TRUE(gone) << "out and away again";
    for (const Sample& s : samples) ASSERT_EQ(user.Handle(), s.front) << s.tick - samples[0].tick;
  }
}

// "Show animations in Windows" off for the programs started meanwhile: Wine reads bit 0x02 of byte
// 4 of UserPreferencesMask when a process starts (its default mask below). Put back at the end.
struct NoAnimations {
  BYTE mask[64] = {0x30, 0x00, 0x00, 0x80, 0x12, 0x00, 0x00, 0x00};
  DWORD size = sizeof mask;
  bool had = RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "UserPreferencesMask",
                          RRF_RT_REG_BINARY, nullptr, mask, &size) == ERROR_SUCCESS;
  NoAnimations() {
    if (!had) size = 8;
    mask[4] ^= 0x02;
    Write();
    mask[4] ^= 0x02;
  }
  ~NoAnimations() {
    if (had) Write();
    if (!had)
      RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "UserPreferencesMask");
  }
  void Write() const {
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "UserPreferencesMask", REG_BINARY,
                    mask, size);
  }
};

TEST(Polite, WithoutAnimationsTheStripComesAndGoesAtOnce) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=1500\n");
  Tunelamp app;
  {
    NoAnimations off;
    ASSERT_TRUE(off.mask[4] & 0x02) << "animations were on";
    ASSERT_TRUE(app.Start(dir));
    ASSERT_TRUE(app.WaitPopup());
  }
  Player player;
  ASSERT_TRUE(player.Start({"list 600 Victor - Still"}));
  DWORD out = 0;
  std::string between;  // the first sample neither at rest nor away
  const std::vector<Sample> samples = Record(
      app.Popup(),
      [&](const Sample& s) {
        if (s.alpha != 0) out = out ? out : s.tick;
        const bool rest = s.alpha == 200 && s.label.left == 20 && s.label.top == 8;
        if (s.alpha != 0 && !rest && between.empty()) {
          between = "alpha " + std::to_string(s.alpha) + ", label at " +
                    std::to_string(s.label.left) + "," + std::to_string(s.label.top);
        }
        return out && s.alpha == 0;
      },
      15000);
  EXPECT_EQ("", between);
  ASSERT_EQ(0, samples.back().alpha) << "out, and away again";
  EXPECT_NEAR(samples.back().tick - out, 1500, 400) << "out for KeepTitle";
  EXPECT_EQ(0u, samples.back().text.find("Victor - Still [10:00] - 0:0")) << samples.back().text;
}

// What screen readers hear of: EVENT_OBJECT_LIVEREGIONCHANGED, and the text of its window then.
std::vector<std::pair<HWND, std::wstring>> announced;

void CALLBACK Hear(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  if (object == OBJID_CLIENT && child == CHILDID_SELF) announced.emplace_back(window, text);
}

TEST(Polite, EveryDisplayIsAnnouncedWithItsNewCaption) {
  constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=500\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  // Out of context: the events come to this thread's queue, and are taken while it pumps.
  HWINEVENTHOOK hook = SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, &Hear,
                                       app.Proc().Pid(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  Player player;
  ASSERT_TRUE(player.Start({"list 600 Whiskey - Heard"}));
  for (int display = 0; display < 2; ++display) {
    if (display == 1) app.HotKey(0);
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
    ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  }
  PumpFor(kSettleMs);
  UnhookWinEvent(hook);
  ASSERT_EQ(2u, announced.size()) << "one for each display, none on the way out";
  for (const auto& [window, text] : announced) {
    EXPECT_EQ(LabelOf(popup), window);
    EXPECT_EQ(0u, text.find(L"Whiskey - Heard [10:00] - 0:0")) << text.size();
  }
}

}  // namespace
}  // namespace e2e

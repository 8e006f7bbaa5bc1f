// The strip and the user's other programs: it never takes the foreground, comes and goes at once
// without animations, and tells screen readers what it shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/harness.h"

namespace e2e {
namespace {

// Watches the foreground window until `done` holds: "" when `front` kept it throughout, else who
// took it. A display that never ends counts as a failure too.
template <typename Done>
std::string KeepsFront(HWND front, Done done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND now = GetForegroundWindow();
    if (now != front) {
      char name[64] = {};
      GetClassNameA(now, name, sizeof name);
      return "the foreground went to a \"" + std::string(name) + "\" window after " +
             std::to_string(GetTickCount() - start) + " ms";
    }
    if (done()) return "";
    if (GetTickCount() - start >= timeoutMs) return "timed out";
    PumpFor(5);
  }
}

// The same for `ms`, with nothing to wait for.
std::string KeepsFrontFor(HWND front, DWORD ms) {
  const std::string kept = KeepsFront(
      front, [] { return false; }, ms);
  return kept == "timed out" ? "" : kept;
}

TEST(Polite, AnotherProgramKeepsTheForegroundThroughEveryDisplay) {
  Player player;  // first, as its window comes to the front when it starts
  ASSERT_TRUE(player.Start({"list 600 Uniform - Typing On"}));
  FocusWindow user;  // the window the user types in, of another process than Tunelamp's
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == user.Handle(); }, 5000));
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=800\nCheckTitle=200\n");  // memory economy on
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = nullptr;
  EXPECT_EQ(
      "", KeepsFront(
              user.Handle(), [&] { return (popup = app.WaitPopup()) != nullptr; }, kStartTimeoutMs))
      << "start";
  ASSERT_TRUE(popup);

  // Out and away again, minimised, each time; the strip goes after KeepTitle by itself.
  const auto outAndAway = [&](const char* what) {
    bool out = false;
    EXPECT_EQ("", KeepsFront(
                      user.Handle(),
                      [&] {
                        out = out || AlphaOf(popup) == 200;
                        return out && AlphaOf(popup) == 0 && IsIconic(popup);
                      },
                      15000))
        << what;
  };
  outAndAway("the first display, of the title playing at the start");
  EXPECT_EQ("", KeepsFrontFor(user.Handle(), 1000)) << "minimised";
  app.HotKey(0);
  outAndAway("a posted show-now");
  ASSERT_TRUE(user.PressKeys("ctrl+shift+x"));  // brings the user's window to the front first
  outAndAway("a show-now pressed for real");

  app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  ASSERT_EQ(user.Handle(), GetForegroundWindow());
  ASSERT_TRUE(ClickAt(GetSystemMetrics(SM_CXSCREEN) / 2, 20));
  EXPECT_EQ("", KeepsFront(
                    user.Handle(), [&] { return AlphaOf(popup) == 0; }, 5000))
      << "a click on the strip, which dismisses it";
  EXPECT_EQ("", KeepsFrontFor(user.Handle(), 1000)) << "after the click";
}

// "Show animations in Windows" as Wine keeps it: bit 0x02 of byte 4 of the user's
// UserPreferencesMask, read by each process at its start. Put back as it was at the end.
class NoAnimations {
 public:
  NoAnimations() {
    DWORD size = sizeof previous_;
    had_ = RegGetValueA(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_BINARY, nullptr, previous_,
                        &size) == ERROR_SUCCESS &&
           size > 4;
    size_ = had_ ? size : sizeof kWineDefault;
    BYTE mask[sizeof previous_];
    CopyMemory(mask, had_ ? previous_ : kWineDefault, size_);
    mask[4] &= ~0x02;
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_BINARY, mask, size_);
  }
  NoAnimations(const NoAnimations&) = delete;
  NoAnimations& operator=(const NoAnimations&) = delete;
  ~NoAnimations() {
    if (had_) {
      RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_BINARY, previous_, size_);
    } else {
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, kValue);
    }
  }

 private:
  static constexpr char kKey[] = "Control Panel\\Desktop";
  static constexpr char kValue[] = "UserPreferencesMask";
  static constexpr BYTE kWineDefault[8] = {0x30, 0x00, 0x00, 0x80, 0x12, 0x00, 0x00, 0x00};
  bool had_ = false;
  DWORD size_ = 0;
  BYTE previous_[64] = {};
};

TEST(Polite, WithoutAnimationsTheStripComesAndGoesAtOnce) {
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=1500\n");
  Tunelamp app;
  {
    NoAnimations off;
    ASSERT_TRUE(app.Start(dir));
    ASSERT_TRUE(app.WaitPopup());
  }
  HWND popup = app.Popup();
  Player player;
  ASSERT_TRUE(player.Start({"list 600 Victor - Still"}));
  bool out = false;
  const std::vector<Sample> samples = Record(
      popup,
      [&](const Sample& s) {
        out = out || s.alpha > 0;
        return out && s.alpha == 0;
      },
      15000);
  ASSERT_TRUE(out) << "the strip came out";
  ASSERT_EQ(0, samples.back().alpha) << "and went";
  DWORD first = 0;
  for (const Sample& s : samples) {
    if (s.alpha == 0) continue;
    EXPECT_EQ(200, s.alpha) << "no alpha between 0 and 200";
    EXPECT_EQ(20, s.label.left) << "the label at rest";
    EXPECT_EQ(8, s.label.top);
    if (!first) first = s.tick;
  }
  EXPECT_GE(samples.back().tick - first, 1300u) << "out for KeepTitle";
  EXPECT_LE(samples.back().tick - first, 2500u) << "and gone at once";
  EXPECT_EQ(0u, samples.back().text.find("Victor - Still [10:00] - 0:0")) << samples.back().text;
}

// What a screen reader hears of: EVENT_OBJECT_LIVEREGIONCHANGED for the label, and the label's
// text at that moment.
struct Announcement {
  HWND window;
  LONG object;
  LONG child;
  std::wstring text;
};
std::vector<Announcement> announcements;

void CALLBACK Hear(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  wchar_t text[512] = {};
  const int length = GetWindowTextW(window, text, 512);
  announcements.push_back({window, object, child, std::wstring(text, length > 0 ? length : 0)});
}

TEST(Polite, EveryDisplayIsAnnouncedWithItsNewCaption) {
  constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
  WorkDir dir;
  dir.Write("settings.ini", "[Main]\nKeepTitle=500\nCheckTitle=200\n");
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  announcements.clear();
  // Out of context: the events come to this thread's queue, taken while it pumps.
  HWINEVENTHOOK hook = SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, &Hear,
                                       app.Proc().Pid(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  Player player;
  ASSERT_TRUE(player.Start({"list 600 Whiskey - Heard"}));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  app.HotKey(0);
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 200; }, 15000));
  ASSERT_TRUE(WaitUntil([&] { return AlphaOf(popup) == 0; }, 15000));
  PumpFor(kSettleMs);
  UnhookWinEvent(hook);

  ASSERT_EQ(2u, announcements.size()) << "one for each display, none on the way out";
  for (const Announcement& heard : announcements) {
    EXPECT_EQ(LabelOf(popup), heard.window);
    EXPECT_EQ(OBJID_CLIENT, heard.object);
    EXPECT_EQ(CHILDID_SELF, heard.child);
    EXPECT_EQ(0u, heard.text.find(L"Whiskey - Heard [10:00] - 0:0")) << heard.text.size();
  }
}

}  // namespace
}  // namespace e2e

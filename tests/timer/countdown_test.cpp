// When a timer's Win32 timer exists, and which calls start a fresh countdown. Existence is the
// system's word (KillTimer); countdowns are told apart by when the next WM_TIMER arrives.
#include <gtest/gtest.h>

#include "tests/timer/support.h"

namespace {

using Event = Method<void(TObject*)>;

// GetTickCount moves in 16 ms steps: two readings can each be a step off.
constexpr DWORD kTickSlack = 32;
// How late a tick may come on a slow, busy, emulated machine before we call it a fault.
constexpr DWORD kLateness = 700;

struct ExistenceRow {
  const char* name;
  void (*steps)(TTimer& timer, Event event);
  bool timerExists;
};

const ExistenceRow kExistenceRows[] = {
    {"just constructed", [](TTimer&, Event) {}, false},
    {"interval set, no event", [](TTimer& t, Event) { t.SetInterval(100); }, false},
    {"disabled and enabled, no event",
     [](TTimer& t, Event) {
       t.SetEnabled(false);
       t.SetEnabled(true);
     },
     false},
    {"event set", [](TTimer& t, Event e) { t.SetOnTimer(e); }, true},
    {"event set, then cleared",
     [](TTimer& t, Event e) {
       t.SetOnTimer(e);
       t.SetOnTimer({});
     },
     false},
    {"event set while disabled",
     [](TTimer& t, Event e) {
       t.SetEnabled(false);
       t.SetOnTimer(e);
     },
     false},
    {"event set, then disabled",
     [](TTimer& t, Event e) {
       t.SetOnTimer(e);
       t.SetEnabled(false);
     },
     false},
    {"disabled with event, enabled again",
     [](TTimer& t, Event e) {
       t.SetOnTimer(e);
       t.SetEnabled(false);
       t.SetEnabled(true);
     },
     true},
    {"event set with interval 0",
     [](TTimer& t, Event e) {
       t.SetInterval(0);
       t.SetOnTimer(e);
     },
     false},
    {"interval 0 while running",
     [](TTimer& t, Event e) {
       t.SetOnTimer(e);
       t.SetInterval(0);
     },
     false},
    {"interval 0 while running, then 500",
     [](TTimer& t, Event e) {
       t.SetOnTimer(e);
       t.SetInterval(0);
       t.SetInterval(500);
     },
     true},
};

TEST(TimerExistence, WinTimerExistsExactlyWithIntervalEnabledAndEvent) {
  for (const ExistenceRow& row : kExistenceRows) {
    SCOPED_TRACE(row.name);
    TickLog log;
    TTimer timer;
    ASSERT_TRUE(IsWindow(timer.WindowHandle));
    row.steps(timer, log.Event());
    EXPECT_EQ(KillReportsTimer(timer.WindowHandle), row.timerExists);
  }
}

TEST(TimerExistence, DestructorStopsTheWinTimer) {
  TickLog log;
  auto* timer = new TTimer;
  const HWND window = timer->WindowHandle;
  timer->SetOnTimer(log.Event());
  delete timer;
  EXPECT_FALSE(KillReportsTimer(window));
  EXPECT_TRUE(IsWindow(window)) << "the utility window outlives its timer";
}

TEST(TimerTicks, NoTickWithoutAnEvent) {
  TTimer timer;
  timer.SetInterval(50);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  // Nothing to count with: a stray Win32 timer would show as a WM_TIMER in the queue.
  Sleep(200);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, timer.WindowHandle, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_FALSE(KillReportsTimer(timer.WindowHandle));
}

TEST(TimerTicks, DefaultsTickEverySecondOnceAnEventIsSet) {
  TickLog log;
  TTimer timer;
  const DWORD armed = GetTickCount();
  timer.SetOnTimer(log.Event());
  ASSERT_TRUE(PumpUntil([&] { return log.times.size() >= 2; }, 2 * (1000 + kLateness)));
  const DWORD first = log.times[0] - armed;
  const DWORD second = log.times[1] - log.times[0];
  EXPECT_GE(first + kTickSlack, 1000u);
  EXPECT_LE(first, 1000u + kLateness);
  EXPECT_GE(second + kTickSlack, 1000u);
  EXPECT_LE(second, 1000u + kLateness);
  EXPECT_EQ(log.senders[0], &timer);
  EXPECT_EQ(log.senders[1], &timer);
}

// A timer armed at kInterval is changed halfway through its countdown. A restarted countdown
// cannot tick sooner than its full interval after the change; the old one ticks about half an
// interval after it. The gap between the two is far wider than GetTickCount's steps.
constexpr uint32_t kInterval = 600;
constexpr DWORD kHalfway = 300;

struct CountdownRow {
  const char* name;
  void (*change)(TTimer& timer, Event event);
  bool running;        // a Win32 timer exists after the change
  uint32_t countdown;  // the restarted countdown's interval; 0 keeps the old countdown
};

const CountdownRow kCountdownRows[] = {
    {"same event again", [](TTimer& t, Event e) { t.SetOnTimer(e); }, true, kInterval},
    {"enabled while enabled", [](TTimer& t, Event) { t.SetEnabled(true); }, true, 0},
    {"disabled, then enabled",
     [](TTimer& t, Event) {
       t.SetEnabled(false);
       t.SetEnabled(true);
     },
     true, kInterval},
    {"same interval", [](TTimer& t, Event) { t.SetInterval(kInterval); }, true, 0},
    {"other interval", [](TTimer& t, Event) { t.SetInterval(700); }, true, 700},
    {"interval 0, then 500",
     [](TTimer& t, Event) {
       t.SetInterval(0);
       t.SetInterval(500);
     },
     true, 500},
    {"disabled, new interval, enabled",
     [](TTimer& t, Event) {
       t.SetEnabled(false);
       t.SetInterval(800);
       t.SetEnabled(true);
     },
     true, 800},
    {"event cleared", [](TTimer& t, Event) { t.SetOnTimer({}); }, false, 0},
    {"disabled", [](TTimer& t, Event) { t.SetEnabled(false); }, false, 0},
    {"interval 0", [](TTimer& t, Event) { t.SetInterval(0); }, false, 0},
};

TEST(TimerCountdown, RestartedOnlyByCallsThatChangeSomething) {
  for (const CountdownRow& row : kCountdownRows) {
    SCOPED_TRACE(row.name);
    TickLog log;
    TTimer timer;
    timer.SetInterval(kInterval);
    const DWORD armed = GetTickCount();
    timer.SetOnTimer(log.Event());
    (void)PumpUntil([&] { return GetTickCount() - armed >= kHalfway; }, 1000);
    ASSERT_TRUE(log.times.empty()) << "ticked before the change: the machine is too slow";

    const DWORD changed = GetTickCount();
    row.change(timer, log.Event());
    if (!row.running) {
      EXPECT_FALSE(KillReportsTimer(timer.WindowHandle));
      continue;
    }
    ASSERT_TRUE(PumpUntil([&] { return !log.times.empty(); }, 3000));
    const DWORD sinceChange = log.times[0] - changed;
    if (row.countdown != 0) {
      EXPECT_GE(sinceChange + kTickSlack, row.countdown) << "the countdown was not restarted";
      EXPECT_LE(sinceChange, row.countdown + kLateness);
    } else {
      EXPECT_GE(log.times[0] - armed + kTickSlack, kInterval);
      EXPECT_LT(sinceChange + kTickSlack, kInterval) << "the countdown was restarted";
    }
    EXPECT_EQ(log.senders[0], &timer);
    EXPECT_TRUE(KillReportsTimer(timer.WindowHandle)) << "still running after the tick";
  }
}

}  // namespace

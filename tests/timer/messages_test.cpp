// What a timer's utility window does with the messages it gets, before and after its timer is
// destroyed.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "tests/timer/support.h"

namespace {

// Long enough that no real WM_TIMER turns up during a test.
constexpr uint32_t kQuietInterval = 60000;

enum class Delivery { Sent, Posted };

struct TimerMessageRow {
  const char* name;
  WPARAM id;
  Delivery delivery;
  void (*state)(TTimer& timer);
};

const TimerMessageRow kTimerMessageRows[] = {
    {"identifier 1, running", 1, Delivery::Sent, [](TTimer&) {}},
    {"identifier 0", 0, Delivery::Sent, [](TTimer&) {}},
    {"identifier 2", 2, Delivery::Sent, [](TTimer&) {}},
    {"identifier 0xFFFFFFFF", 0xFFFFFFFF, Delivery::Sent, [](TTimer&) {}},
    {"identifier 77, posted", 77, Delivery::Posted, [](TTimer&) {}},
    {"timer disabled", 1, Delivery::Sent, [](TTimer& t) { t.SetEnabled(false); }},
    {"interval 0", 3, Delivery::Sent, [](TTimer& t) { t.SetInterval(0); }},
};

TEST(UtilityWindowMessages, AnyWmTimerFiresTheEventAndGetsTheDefaultAnswer) {
  for (const TimerMessageRow& row : kTimerMessageRows) {
    SCOPED_TRACE(row.name);
    TickLog log;
    TTimer timer;
    timer.SetInterval(kQuietInterval);
    timer.SetOnTimer(log.Event());
    row.state(timer);
    const HWND window = timer.WindowHandle;
    if (row.delivery == Delivery::Sent) {
      const LRESULT result = SendMessageA(window, WM_TIMER, row.id, 0);
      EXPECT_EQ(result, DefWindowProcA(window, WM_TIMER, row.id, 0));
    } else {
      ASSERT_TRUE(PostMessageA(window, WM_TIMER, row.id, 0));
      (void)PumpUntil([&] { return !log.times.empty(); }, 2000);
    }
    ASSERT_EQ(log.times.size(), 1u);
    EXPECT_EQ(log.senders[0], &timer);
  }
}

TEST(UtilityWindowMessages, WmTimerWithoutEventGetsOnlyTheDefaultAnswer) {
  TickLog log;
  TTimer timer;
  timer.SetOnTimer(log.Event());
  timer.SetOnTimer({});
  EXPECT_EQ(SendMessageA(timer.WindowHandle, WM_TIMER, 1, 0),
            DefWindowProcA(timer.WindowHandle, WM_TIMER, 1, 0));
  EXPECT_TRUE(log.times.empty());
}

struct DefaultRow {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

const DefaultRow kDefaultRows[] = {
    {"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH, 0, 0},
    {"WM_QUERYOPEN", WM_QUERYOPEN, 0, 0},
    {"WM_QUERYENDSESSION", WM_QUERYENDSESSION, 0, 0},
    {"WM_NCHITTEST", WM_NCHITTEST, 0, 0},
    {"WM_GETICON", WM_GETICON, ICON_BIG, 0},
    {"WM_USER + 1", WM_USER + 1, 1, 2},
    {"registered range", 0xC123, 5, 6},
};

TEST(UtilityWindowMessages, OtherMessagesAreAnsweredByDefWindowProcA) {
  TickLog log;
  TTimer timer;
  timer.SetInterval(kQuietInterval);
  timer.SetOnTimer(log.Event());
  const HWND window = timer.WindowHandle;

  // Default processing keeps a window's text: seen through the system, not through the timer.
  EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tune")), TRUE);
  char text[16] = {};
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 4);
  EXPECT_STREQ(text, "tune");
  char copy[16] = {};
  EXPECT_EQ(SendMessageA(window, WM_GETTEXT, sizeof copy, reinterpret_cast<LPARAM>(copy)), 4);
  EXPECT_STREQ(copy, "tune");
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 4);
  EXPECT_EQ(SendMessageA(window, WM_QUERYOPEN, 0, 0), TRUE);

  for (const DefaultRow& row : kDefaultRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SendMessageA(window, row.message, row.wParam, row.lParam),
              DefWindowProcA(window, row.message, row.wParam, row.lParam));
  }
  EXPECT_TRUE(log.times.empty()) << "only WM_TIMER fires the event";
}

struct CountingTimer : TTimer {
  int ticks = 0;
  void Tick() override {
    ++ticks;
    TTimer::Tick();
  }
};

TEST(TimerTick, FiresTheEventButIsNotOnTheWmTimerPath) {
  TickLog log;
  CountingTimer timer;
  timer.SetInterval(kQuietInterval);
  timer.SetOnTimer(log.Event());

  SendMessageA(timer.WindowHandle, WM_TIMER, 1, 0);
  EXPECT_EQ(log.times.size(), 1u);
  EXPECT_EQ(timer.ticks, 0);

  static_cast<TTimer&>(timer).Tick();
  EXPECT_EQ(timer.ticks, 1);
  ASSERT_EQ(log.times.size(), 2u);
  EXPECT_EQ(log.senders[1], &timer);

  TTimer silent;
  silent.Tick();  // no event: nothing to call, and nothing breaks
}

TEST(DestroyedTimer, ItsWindowNeverReachesTheFreedObject) {
  TickLog log;
  alignas(TTimer) unsigned char storage[sizeof(TTimer)];
  auto* timer = new (storage) TTimer;
  timer->SetInterval(kQuietInterval);
  timer->SetOnTimer(log.Event());
  const HWND window = timer->WindowHandle;
  const WindowGuard guard(window);
  SendMessageA(window, WM_TIMER, 1, 0);
  ASSERT_EQ(log.times.size(), 1u) << "the live timer ticks";

  unsigned char image[sizeof(TTimer)];
  std::memcpy(image, storage, sizeof image);
  timer->~TTimer();
  // Put the bytes of the live, event-carrying timer back: a window that still reached this
  // memory would fire the event again.
  std::memcpy(storage, image, sizeof image);

  EXPECT_FALSE(KillReportsTimer(window));
  EXPECT_EQ(SendMessageA(window, WM_TIMER, 1, 0), 0);
  EXPECT_EQ(SendMessageA(window, WM_TIMER, 0, 0), 0);
  ASSERT_TRUE(PostMessageA(window, WM_TIMER, 1, 0));
  PumpFor(50);
  EXPECT_EQ(log.times.size(), 1u);

  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("after")), TRUE);
  EXPECT_EQ(GetWindowTextLengthA(window), 5) << "the window still gets default processing";
}

constexpr unsigned char kPoison = 0xCC;
const HWND kPoisonedHandle = reinterpret_cast<HWND>(0xCCCCCCCC);

struct SelfDestruct {
  unsigned char* storage;
  TTimer* timer;
  int ticks;
};

void DestroyOnTick(void* data, TObject*) {
  auto* self = static_cast<SelfDestruct*>(data);
  ++self->ticks;
  self->timer->~TTimer();
  std::memset(self->storage, kPoison, sizeof(TTimer));
}

TEST(DestroyedTimer, ATickHandlerMayDestroyItsOwnTimer) {
  // The probe: default processing for a window handle that names no window leaves this error.
  SetLastError(0);
  DefWindowProcA(kPoisonedHandle, WM_TIMER, 1, 0);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

  alignas(TTimer) unsigned char storage[sizeof(TTimer)];
  auto* timer = new (storage) TTimer;
  SelfDestruct self{storage, timer, 0};
  timer->SetInterval(kQuietInterval);
  timer->SetOnTimer({&DestroyOnTick, &self});
  const HWND window = timer->WindowHandle;
  const WindowGuard guard(window);

  SetLastError(0);
  EXPECT_EQ(SendMessageA(window, WM_TIMER, 1, 0), 0);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE))
      << "the answer was asked for with the destroyed timer's window handle";
  EXPECT_EQ(self.ticks, 1);
  EXPECT_FALSE(KillReportsTimer(window));
  SendMessageA(window, WM_TIMER, 1, 0);
  EXPECT_EQ(self.ticks, 1);
}

}  // namespace

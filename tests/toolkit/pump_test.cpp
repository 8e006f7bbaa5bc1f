// The message pump: emptying the queue on demand, nested, and what it does with WM_QUIT.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/spy.h"
#include "tests/toolkit/support.h"
#include "toolkit/pump.h"

namespace {

bool QueueIsEmpty() {
  MSG message;
  return !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

TEST(Pump, ProcessMessageTakesOneMessageAndSaysWhetherThereWasOne) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  DrainMessages();
  MSG record;
  EXPECT_FALSE(ProcessMessage(*spy, record));
  PostMessageA(spy->Handle, WM_USER + 10, 1, 0);
  PostMessageA(spy->Handle, WM_USER + 10, 2, 0);
  EXPECT_TRUE(ProcessMessage(*spy, record));
  EXPECT_EQ(record.message, static_cast<UINT>(WM_USER + 10));
  ASSERT_EQ(spy->seen.size(), 1u);
  EXPECT_EQ(spy->seen[0].wParam, 1u);
  EXPECT_FALSE(QueueIsEmpty());
  ProcessMessages(*spy);
  EXPECT_EQ(spy->seen.size(), 2u);
  EXPECT_TRUE(QueueIsEmpty());
  EXPECT_FALSE(ProcessMessage(*spy, record));
}

TEST(Pump, MessagesOfEveryWindowOfTheThreadAreHandled) {
  TestWindows windows;
  auto* pumping = windows.Make<SpyForm>(nullptr, Text(""), false);
  auto* other = windows.Make<SpyForm>(nullptr, Text(""), false);
  auto* label = windows.Make<SpyLabel>(other, Text(""));
  PostMessageA(other->Handle, WM_USER + 10, 0, 0);
  PostMessageA(label->Handle, WM_USER + 11, 0, 0);
  ProcessMessages(*pumping);
  EXPECT_EQ(other->Count(WM_USER + 10), 1u);
  EXPECT_EQ(label->Count(WM_USER + 11), 1u);
  EXPECT_TRUE(pumping->seen.empty());
}

TEST(Pump, KeyPressesAreTranslatedIntoCharacters) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  DrainMessages();
  PostMessageA(spy->Handle, WM_KEYDOWN, 'A', 0x001E0001);
  ProcessMessages(*spy);
  EXPECT_EQ(spy->Count(WM_KEYDOWN), 1u);
  ASSERT_EQ(spy->Count(WM_CHAR), 1u);
  EXPECT_TRUE(QueueIsEmpty());
}

TEST(Pump, AQuitMessageIsTakenOutAndReachesNoWindow) {
  TestWindows windows;
  auto* pumping = windows.Make<SpyForm>(nullptr, Text(""), false);
  auto* addressee = windows.Make<SpyForm>(nullptr, Text(""), false);
  DrainMessages();
  PostMessageA(addressee->Handle, WM_QUIT, 5, 6);  // even one addressed to a window
  PostQuitMessage(7);
  PostMessageA(addressee->Handle, WM_USER + 10, 0, 0);
  ProcessMessages(*pumping);
  EXPECT_TRUE(QueueIsEmpty());
  EXPECT_EQ(addressee->Count(WM_QUIT), 0u);
  EXPECT_EQ(addressee->Count(WM_USER + 10), 1u);
  // Handed to the pumping object's own dispatch, where a table may look at it.
  ASSERT_EQ(pumping->Count(WM_QUIT), 2u);
  EXPECT_EQ(pumping->seen[0].wParam, 5u);
  EXPECT_EQ(pumping->seen[1].wParam, 7u);
  // The pump goes on afterwards.
  PostMessageA(addressee->Handle, WM_USER + 11, 0, 0);
  ProcessMessages(*pumping);
  EXPECT_EQ(addressee->Count(WM_USER + 11), 1u);
}

TEST(Pump, ANestedProcessMessagesHandlesWhatArrivesBeforeTheQueueRunsEmpty) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  DrainMessages();
  std::vector<std::string> trail;
  int depth = 0;
  spy->action = [&](SpyForm& self, TWindowMessage& message) {
    trail.push_back(std::string(depth, '>') + std::to_string(message.WParam));
    if (message.Msg == WM_USER + 10 && message.WParam == 1) {
      PostMessageA(self.Handle, WM_USER + 10, 4, 0);
      ++depth;
      ProcessMessages(self);
      --depth;
      trail.push_back("1 done");
      PostMessageA(self.Handle, WM_USER + 10, 5, 0);  // left for the outer call
    }
  };
  for (WPARAM i : {1u, 2u, 3u}) PostMessageA(spy->Handle, WM_USER + 10, i, 0);
  ProcessMessages(*spy);
  EXPECT_EQ(trail, (std::vector<std::string>{"1", ">2", ">3", ">4", "1 done", "5"}));
  EXPECT_TRUE(QueueIsEmpty());
}

// Run never returns, so it runs in child processes that end through the main window.
TEST(Pump, RunFiresOnCreateThenOnShowThenShowsTheWindowAndSurvivesWmQuit) {
  const ChildResult child = RunChild("run-order");
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_EQ(child.output,
            "create visible=0 main=1\n"
            "show visible=0\n"
            "pumped visible=1 front=1\n"
            "quit offered\n"
            "timer after quit\n"
            "destroy\n");
}

TEST(Pump, RunOnAnInvisibleObjectPumpsWithoutShowing) {
  const ChildResult child = RunChild("run-hidden");
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_EQ(child.output, "pumped visible=0 front=0\ndestroy\n");
}

TEST(Pump, RunWaitsOnObjectsBesideMessagesAndTellsWhichOneWasSignalledOnce) {
  const ChildResult child = RunChild("run-waits");
  EXPECT_EQ(child.output, "message\nsignal 1, 0 waited\n");
}

TEST(Pump, RunShowsAWindowThatNeverTakesTheForegroundWithoutActivation) {
  const ChildResult child = RunChild("run-unactivated");  // WS_EX_NOACTIVATE
  EXPECT_NE(child.output.find("pumped visible=1 front=0\n"), std::string::npos) << child.output;
}

TEST(Pump, ClosingTheMainWindowEndsTheProcessUnlessOnCloseRefuses) {
  const ChildResult child = RunChild("close-main");
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_EQ(child.output, "close 1 refused\nclose 2 window=1\ndestroy\n");
}

TEST(Pump, DestroyingTheMainWindowEndsTheProcessAfterOnDestroy) {
  const ChildResult child = RunChild("destroy-main");
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_EQ(child.output, "destroying\ndestroy\n");
}

}  // namespace

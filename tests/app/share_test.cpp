// The now-playing file as a stream overlay reads it: a real file in the folder of settings.ini.
#include <gtest/gtest.h>

#include "tests/app/harness.h"

namespace e2e {
namespace {

constexpr char kFirst[] = "The Quiet Engines - Paper Lanterns";
// "Низкая орбита - Невесомость" in UTF-8.
constexpr char kSecond[] =
    "\xD0\x9D\xD0\xB8\xD0\xB7\xD0\xBA\xD0\xB0\xD1\x8F \xD0\xBE\xD1\x80\xD0\xB1\xD0\xB8\xD1\x82\xD0"
    "\xB0 - \xD0\x9D\xD0\xB5\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBE\xD0\xBC\xD0\xBE\xD1\x81\xD1\x82\xD1"
    "\x8C";

[[nodiscard]] bool Exists(const WorkDir& dir, const std::string& name) {
  return GetFileAttributesA((dir.Path() + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A reader that holds the file open without delete sharing (as OBS Studio's text source may)
// holds the new track back; once it lets go the file holds the new text, whole, in UTF-8 without
// a byte-order mark or a line end, and no temporary file is left, nor the one a crash left.
TEST(ShareFile, AReaderHoldingTheFileDelaysTheNewTextAndLeavesNothingBehind) {
  WorkDir dir;
  dir.Write("settings.ini",
            "[Main]\nKeepTitle=300\nCheckTitle=100\n[Share]\nFile=now.txt\nFileStopped=-\n");
  dir.Write("now.txt", "from the last run");
  dir.Write("now.txt.tunelamp-new", "left by a crash");
  Player player;
  ASSERT_TRUE(player.Start({"tagged", "track 1"}));
  Tunelamp app;
  ASSERT_TRUE(app.Start(dir));
  ASSERT_TRUE(WaitUntil([&] { return dir.Read("now.txt") == kFirst; }, 15000))
      << dir.Read("now.txt");
  EXPECT_FALSE(Exists(dir, "now.txt.tunelamp-new"));

  const std::string path = dir.Path() + "\\now.txt";
  const HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(player.Send("track 2"));
  // The strip tells of the new track while the file is held.
  HWND popup = app.WaitPopup();
  ASSERT_TRUE(popup);
  PumpFor(1500);
  EXPECT_EQ(dir.Read("now.txt"), kFirst) << "held: the old text, whole";
  CloseHandle(reader);
  EXPECT_TRUE(WaitUntil([&] { return dir.Read("now.txt") == kSecond; }, 10000))
      << dir.Read("now.txt");
  EXPECT_FALSE(Exists(dir, "now.txt.tunelamp-new"));

  // At quit the file tells that nothing plays.
  app.HotKey(2);
  DWORD code = 1;
  ASSERT_TRUE(app.Proc().WaitExit(kExitTimeoutMs, &code));
  EXPECT_EQ(dir.Read("now.txt"), "-");
  EXPECT_FALSE(Exists(dir, "now.txt.tunelamp-new"));
}

}  // namespace
}  // namespace e2e

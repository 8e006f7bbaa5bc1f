// Forms and labels come with their windows, linked to their objects.
#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/spy.h"
#include "tests/toolkit/support.h"
#include "toolkit/routing.h"

namespace {

std::string TextOf(HWND window) {
  char text[64] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

TEST(CreationForm, AFormHasAHiddenWindowWithTheAskedStyleLinkedToIt) {
  TestWindows windows;
  MessageLog log;
  std::vector<std::pair<WPARAM, LPARAM>> icons;
  log.onMessage = [&](const LoggedMessage& m) {
    if (m.message == WM_SETICON) icons.emplace_back(m.wParam, m.lParam);
  };
  auto* form = windows.Make<TForm>(nullptr, Text("Caption"), false);
  HWND window = form->Handle;
  ASSERT_TRUE(IsWindow(window));

  const auto style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE));
  EXPECT_EQ(style & 0x000F0000u, 0x000F0000u);
  // Windows adds the caption and clip-siblings bits to an overlapped window by itself.
  EXPECT_EQ(style & ~(0x000F0000u | WS_CAPTION | WS_CLIPSIBLINGS), 0u);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);

  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 250);
  EXPECT_EQ(TextOf(window), "Caption");

  EXPECT_EQ(GetPropA(window, kObjectProperty), static_cast<TWinControl*>(form));
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  EXPECT_STREQ(className, "TForm");

  // The module has no "MAINICON": the window is told so with a null icon.
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].first, static_cast<WPARAM>(ICON_BIG));
  EXPECT_EQ(icons[0].second, 0);
}

TEST(CreationForm, TheClassHasTheToolkitsProcedureArrowAndButtonFace) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  WNDCLASSA info{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TForm", &info));
  EXPECT_EQ(info.lpfnWndProc, form->WindowProcedure());
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(form->Handle, GWL_WNDPROC)),
            form->WindowProcedure());
  EXPECT_EQ(info.style & (CS_HREDRAW | CS_VREDRAW), static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(info.cbClsExtra, 0);
  EXPECT_EQ(info.cbWndExtra, 0);
  EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(info.hIcon, nullptr);
  EXPECT_EQ(info.lpszMenuName, nullptr);
}

TEST(CreationForm, OnlyTheFirstRegistrationOfTheClassTakes) {
  // No form of this process asks for a drop shadow before this one, so the class must not
  // have it; the child process asks first and keeps it for a later form without.
  TestWindows windows;
  windows.Make<TForm>(nullptr, Text(""), false);
  auto* shadowed = windows.Make<TForm>(nullptr, Text(""), true);
  EXPECT_EQ(GetClassLongA(shadowed->Handle, GCL_STYLE) & CS_DROPSHADOW, 0u);

  const ChildResult child = RunChild("register-class");
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_EQ(child.output, "first 20003\nsecond 20003\n");
}

TEST(CreationForm, AFormWithAParentIsOwnedByItsWindow) {
  TestWindows windows;
  auto* owner = windows.Make<TForm>(nullptr, Text(""), false);
  auto* owned = windows.Make<TForm>(owner, Text(""), false);
  EXPECT_EQ(GetWindow(owned->Handle, GW_OWNER), owner->Handle);
}

TEST(CreationForm, ASubclassAddsItsOwnMessageTable) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  spy->answers[kProbeMessage] = 99;
  EXPECT_EQ(SendMessageA(spy->Handle, kProbeMessage, 0, 0), 99);
}

TEST(CreationLabel, ALabelIsASubclassedStaticChildWithItsFont) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  MessageLog log;
  std::vector<std::pair<WPARAM, LPARAM>> fonts;
  log.onMessage = [&](const LoggedMessage& m) {
    if (m.message == WM_SETFONT) fonts.emplace_back(m.wParam, m.lParam);
  };
  auto* label = windows.Make<SpyLabel>(form, Text("Now playing"));
  HWND window = label->Handle;
  ASSERT_TRUE(IsWindow(window));

  EXPECT_EQ(static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)), 0x56000000u);
  EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE), 0);
  EXPECT_EQ(GetParent(window), form->Handle);
  EXPECT_EQ(GetWindowLongA(window, GWL_ID), 0);
  EXPECT_EQ(TextOf(window), "Now playing");
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  EXPECT_STREQ(className, "Static");

  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, form->Handle, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right - r.left, 32);
  EXPECT_EQ(r.bottom - r.top, 14);

  EXPECT_EQ(GetPropA(window, kObjectProperty), static_cast<TWinControl*>(label));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)),
            label->WindowProcedure());
  // The procedure it had before is the one every "static" window starts with.
  HWND plain = CreateWindowExA(0, "static", "", WS_CHILD, 0, 0, 1, 1, form->Handle, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(label->PreviousWindowProcedure,
            reinterpret_cast<WNDPROC>(GetWindowLongA(plain, GWL_WNDPROC)));
  DestroyWindow(plain);

  // Its font was handed over with WM_SETFONT, without redraw; the "static" procedure keeps
  // it, which only default processing by that procedure can do.
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0].second, 0);
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(fonts[0].first)), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(SendMessageA(window, WM_GETFONT, 0, 0), static_cast<LRESULT>(fonts[0].first));
  EXPECT_EQ(label->Count(WM_GETFONT), 1u);
}

TEST(CreationLabel, ALabelWithoutParentEndsTheProcessAtOnce) {
  const ChildResult child = RunChild("label-without-parent");
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_EQ(child.output, "") << "nothing after the constructor ran";
}

TEST(CreationCanvas, EveryWindowGetsACanvasOnItsDeviceContext) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  auto* label = windows.Make<TLabel>(form, Text(""));
  for (TWinControl* object : {static_cast<TWinControl*>(form), static_cast<TWinControl*>(label)}) {
    ASSERT_NE(object->Canvas, nullptr);
    HDC dc = object->Canvas->Handle;
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
    EXPECT_EQ(WindowFromDC(dc), object->Handle);
    ASSERT_NE(object->Canvas->Pen, nullptr);
    ASSERT_NE(object->Canvas->Brush, nullptr);
    EXPECT_EQ(object->Canvas->Pen->CanvasHandle, dc);
    EXPECT_EQ(object->Canvas->Brush->CanvasHandle, dc);
    EXPECT_EQ(object->Canvas->CopyMode, static_cast<uint32_t>(SRCCOPY));
  }
}

}  // namespace

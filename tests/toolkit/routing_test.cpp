// Messages reach their objects: handler tables, default processing, events and built-in
// behaviour, as the windows report them.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "tests/toolkit/spy.h"
#include "tests/toolkit/support.h"
#include "toolkit/routing.h"

namespace {

LRESULT SendTo(const TWinControl* object, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(object->Handle, message, wParam, lParam);
}

COLORREF BrushColor(HBRUSH brush) {
  LOGBRUSH description{};
  if (GetObjectA(brush, sizeof(description), &description) != sizeof(description)) {
    return CLR_INVALID;
  }
  return description.lbColor;
}

void ShowQuietly(const TWinControl* object) {
  ShowWindow(object->Handle, SW_SHOWNOACTIVATE);
  UpdateWindow(object->Handle);
}

constexpr BYTE kKeyDown = 0x80;
constexpr BYTE kKeyToggled = 0x01;  // on, as Caps Lock can be, without being held

// Sets the thread's key state of one key, for GetKeyState, and restores it on destruction.
class HeldKey {
 public:
  HeldKey(int key, bool down) : HeldKey(key, down ? kKeyDown : BYTE{0}) {}
  HeldKey(int key, BYTE keyState) {
    GetKeyboardState(saved_);
    BYTE state[256];
    GetKeyboardState(state);
    state[key] = keyState;
    SetKeyboardState(state);
  }
  ~HeldKey() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

// ---------------------------------------------------------------------------------------
// Handler tables and default processing

struct TableCase {
  const char* name;
  bool onChild;  // the object of the class below the spy
  uint32_t msg;
  bool hasAnswer;  // the table handler sets this result
  int32_t answer;
  LRESULT expected;       // what the sender gets
  const char* handledBy;  // which table's handler ran, or null for none
};

TEST(RoutingTable, TableHandlersRunAndAZeroResultGoesOnToDefaultProcessing) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text("hello"), false);
  auto* child = windows.Make<SpyFormChild>(nullptr, Text("hello"), false);
  const TableCase cases[] = {
      {"hit, non-zero result", false, kProbeMessage, true, 42, 42, "spy"},
      {"hit, zero result: DefWindowProcA answers too", false, WM_GETTEXTLENGTH, false, 0, 5, "spy"},
      {"hit, non-zero result stops default processing", false, WM_GETTEXTLENGTH, true, 9, 9, "spy"},
      {"miss: default processing only", false, WM_GETTEXT, false, 0, 5, nullptr},
      {"nearest class first", true, kProbeMessage, true, 42, 7, "child"},
      {"base class table searched", true, kBaseOnlyMessage, true, 42, 42, "spy"},
      {"message 0 never looked up", false, 0, true, 42, 0, nullptr},
      {"0xC001 never looked up", false, kRegisteredRangeMessage, true, 42, 0, nullptr},
      {"0xFFFF never looked up", false, 0xFFFF, true, 42, 0, nullptr},
  };
  for (const TableCase& c : cases) {
    SCOPED_TRACE(c.name);
    SpyForm* target = c.onChild ? child : spy;
    target->seen.clear();
    target->answers.clear();
    if (c.hasAnswer) target->answers[c.msg] = c.answer;
    char buffer[32] = {};
    const LPARAM lParam = c.msg == WM_GETTEXT ? reinterpret_cast<LPARAM>(buffer) : 0;
    const WPARAM wParam = c.msg == WM_GETTEXT ? sizeof(buffer) : 0;
    EXPECT_EQ(SendTo(target, c.msg, wParam, lParam), c.expected);
    if (c.handledBy) {
      ASSERT_EQ(target->seen.size(), 1u);
      EXPECT_STREQ(target->seen[0].by, c.handledBy);
    } else {
      EXPECT_TRUE(target->seen.empty());
    }
    if (c.msg == WM_GETTEXT) {
      EXPECT_STREQ(buffer, "hello");
    }
  }
}

TEST(RoutingTable, OnlyTheLow16BitsOfTheMessageNumberAreLookedUp) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  spy->answers[0x10000 | kProbeMessage] = 42;
  WNDPROC procedure = spy->WindowProcedure();
  EXPECT_EQ(procedure(spy->Handle, 0x10000 | kProbeMessage, 0, 0), 42);
  EXPECT_EQ(spy->Count(0x10000 | kProbeMessage), 1u);
  // The low half is 0 here: no lookup, though the table lists 0.
  EXPECT_EQ(procedure(spy->Handle, 0x10000, 0, 0), 0);
  EXPECT_EQ(spy->seen.size(), 1u);
}

TEST(RoutingTable, WindowOfTheClassWithoutObjectGetsDefWindowProcA) {
  TestWindows windows;
  windows.Make<TForm>(nullptr, Text(""), false);  // the class exists
  HWND bare = CreateWindowExA(0, "TForm", "bare", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(GetPropA(bare, kObjectProperty), nullptr);
  EXPECT_EQ(SendMessageA(bare, WM_GETTEXTLENGTH, 0, 0), 4);
  // DefWindowProcA closes by destroying: nothing hides it instead.
  SendMessageA(bare, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(bare));
}

// ---------------------------------------------------------------------------------------
// Destroying and closing

TEST(RoutingClose, DestroyingAWindowThatIsNotTheMainOneFiresOnDestroyAndGoesOn) {
  ASSERT_EQ(MainWindow, nullptr);
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  int destroyed = 0;
  auto onDestroy = [&](TObject* sender) {
    EXPECT_EQ(sender, spy);
    ++destroyed;
  };
  spy->OnDestroy = Bind<void(TObject*)>(onDestroy);
  EXPECT_TRUE(DestroyWindow(spy->Handle));
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(spy->Count(WM_DESTROY), 0u) << "WM_DESTROY gets no default processing";
  EXPECT_FALSE(IsWindow(spy->Handle));
}

TEST(RoutingClose, OnCloseReturningFalseKeepsTheWindow) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  ShowQuietly(spy);
  int asked = 0;
  auto onClose = [&](TObject* sender) {
    EXPECT_EQ(sender, spy);
    ++asked;
    return false;
  };
  spy->OnClose = Bind<bool(TObject*)>(onClose);
  EXPECT_EQ(SendTo(spy, WM_CLOSE), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(IsWindow(spy->Handle));
  EXPECT_TRUE(IsWindowVisible(spy->Handle));
  EXPECT_EQ(spy->Count(WM_CLOSE), 0u);
}

TEST(RoutingClose, ASecondaryWindowIsHiddenNotDestroyedAndItsParentEnabled) {
  TestWindows windows;
  auto* owner = windows.Make<TForm>(nullptr, Text(""), false);
  for (bool withHandler : {false, true}) {
    SCOPED_TRACE(withHandler ? "OnClose lets it go on" : "no OnClose");
    auto* spy = windows.Make<SpyForm>(owner, Text(""), false);
    int asked = 0;
    auto onClose = [&](TObject*) {
      ++asked;
      return true;
    };
    if (withHandler) spy->OnClose = Bind<bool(TObject*)>(onClose);
    ShowQuietly(spy);
    EnableWindow(owner->Handle, FALSE);
    EXPECT_EQ(SendTo(spy, WM_CLOSE), 0);
    EXPECT_EQ(asked, withHandler ? 1 : 0);
    EXPECT_TRUE(IsWindow(spy->Handle));
    EXPECT_FALSE(IsWindowVisible(spy->Handle));
    EXPECT_TRUE(IsWindowEnabled(owner->Handle));
    EXPECT_EQ(spy->Count(WM_CLOSE), 0u);
  }
}

TEST(RoutingClose, APlainMainWindowIsAskedToCloseFirst) {
  struct Case {
    uint8_t mainKind;
    size_t closesSentToMain;
  };
  for (const Case& c : {Case{kPlainControl, 1}, Case{kFormControl, 0}}) {
    SCOPED_TRACE(c.mainKind);
    TestWindows windows;
    auto* secondary = windows.Make<TForm>(nullptr, Text(""), false);
    // A main window object over a window without toolkit procedure, so its own close is
    // harmless here.
    TWinControl plain(nullptr);
    plain.Handle = CreateWindowExA(0, "static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    plain.Kind = c.mainKind;
    MainWindow = &plain;
    MessageLog log;
    SendTo(secondary, WM_CLOSE);
    MainWindow = nullptr;
    EXPECT_EQ(log.Count(plain.Handle, WM_CLOSE), c.closesSentToMain);
    if (IsWindow(plain.Handle)) DestroyWindow(plain.Handle);
  }
}

// ---------------------------------------------------------------------------------------
// Background

TEST(RoutingPaint, EraseBackgroundFillsWithTheRightBrushOrLeavesItToDefaultProcessing) {
  const COLORREF kMarker = RGB(1, 2, 3);
  struct Case {
    const char* name;
    bool onLabel;
    uint8_t labelMode;
    bool parentColored;
    bool ownColored;
    COLORREF expectedPixel;  // CLR_INVALID: the button face
    bool tableSeesResultOne;
  };
  const COLORREF kParentColor = RGB(200, 10, 10);
  const COLORREF kOwnColor = RGB(10, 200, 30);
  const Case cases[] = {
      {"form without brush: the class's button face", false, 0, false, false, CLR_INVALID, false},
      {"form with brush", false, 0, false, true, kOwnColor, true},
      {"label, opaque, own brush", true, kOpaqueBackground, false, true, kOwnColor, true},
      {"label, parent's brush", true, kParentBackground, true, false, kParentColor, true},
      {"label, parent's brush missing", true, kParentBackground, false, false, kMarker, true},
      {"label, transparent", true, kTransparentBackground, true, true, kMarker, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWindows windows;
    auto* form = windows.Make<SpyForm>(nullptr, Text(""), false);
    auto* label = windows.Make<SpyLabel>(form, Text(""));
    label->BackgroundMode = c.labelMode;
    if (c.parentColored) form->SetColor(kParentColor);
    TWinControl* target = c.onLabel ? static_cast<TWinControl*>(label) : form;
    if (c.ownColored) target->SetColor(kOwnColor);
    MemoryCanvas canvas(400, 300);
    canvas.Fill(kMarker);
    const LRESULT result = SendTo(target, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()));
    EXPECT_NE(result, 0);
    const COLORREF expected =
        c.expectedPixel == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : c.expectedPixel;
    EXPECT_EQ(canvas.Pixel(1, 1), expected);
    const auto& seen = c.onLabel ? label->seen : form->seen;
    ASSERT_EQ(seen.size(), 1u) << "the handler table sees the erase either way";
    EXPECT_EQ(seen[0].resultOnEntry, c.tableSeesResultOne ? 1 : 0);
    if (c.tableSeesResultOne) {
      EXPECT_EQ(result, 1);
    }
  }
}

TEST(RoutingPaint, PaintFiresOnPaintBeforeDefaultPainting) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  ShowQuietly(form);
  std::vector<bool> dirtyWhenFired;
  auto onPaint = [&](TObject*) { dirtyWhenFired.push_back(NeedsRepaint(form->Handle)); };
  form->OnPaint = Bind<void(TObject*)>(onPaint);
  InvalidateRect(form->Handle, nullptr, TRUE);
  UpdateWindow(form->Handle);
  ASSERT_EQ(dirtyWhenFired.size(), 1u);
  EXPECT_TRUE(dirtyWhenFired[0]);
  EXPECT_FALSE(NeedsRepaint(form->Handle)) << "default painting validated the window";
}

TEST(RoutingPaint, ResizeFiresOnResize) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  int resized = 0;
  auto onResize = [&](TObject*) { ++resized; };
  form->OnResize = Bind<void(TObject*)>(onResize);
  SetWindowPos(form->Handle, nullptr, 0, 0, 320, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_GE(resized, 1);
}

// ---------------------------------------------------------------------------------------
// Colours of child controls

TEST(RoutingColors, CtlColorStaticTakesTheChildsColoursAndBrush) {
  const COLORREF kBkMarker = RGB(11, 22, 33);
  struct Case {
    const char* name;
    uint8_t mode;
    bool childColor;  // SetColor on the label first
    TColor color;
    bool parentBrush;
    int expectedBkMode;     // 0: untouched
    int expectedBrushFrom;  // 0: default, 1: label's, 2: form's
  };
  const Case cases[] = {
      {"before the first SetColor: the default brush", kOpaqueBackground, false, 0, false, OPAQUE,
       0},
      {"system colour value: a new brush of the same RGB", kOpaqueBackground, true,
       kButtonFaceColor, false, OPAQUE, 1},
      {"own colour", kOpaqueBackground, true, RGB(1, 2, 3), false, OPAQUE, 1},
      {"parent's brush, transparent", kParentBackground, true, RGB(1, 2, 3), true, TRANSPARENT, 2},
      {"transparent without any brush above", kTransparentBackground, false, 0, false, TRANSPARENT,
       0},
      {"mode 3: colours only", 3, true, RGB(1, 2, 3), true, 0, 0},
  };
  const TColor kFormColor = RGB(40, 50, 60);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWindows windows;
    auto* form = windows.Make<TForm>(nullptr, Text(""), false);
    auto* label = windows.Make<TLabel>(form, Text(""));
    label->BackgroundMode = c.mode;
    label->TextColor = RGB(9, 8, 7);
    if (c.childColor) label->SetColor(c.color);
    if (c.parentBrush) form->SetColor(kFormColor);

    MemoryCanvas reference(8, 8);
    SetBkMode(reference.Dc(), c.expectedBkMode == OPAQUE ? TRANSPARENT : OPAQUE);
    const auto defaultBrush =
        DefWindowProcA(form->Handle, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(reference.Dc()),
                       reinterpret_cast<LPARAM>(label->Handle));
    const int untouchedMode = GetBkMode(reference.Dc());

    MemoryCanvas canvas(8, 8);
    SetBkColor(canvas.Dc(), kBkMarker);
    SetBkMode(canvas.Dc(), c.expectedBkMode == OPAQUE ? TRANSPARENT : OPAQUE);
    const auto brush = reinterpret_cast<HBRUSH>(SendTo(form, WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(canvas.Dc()),
                                                       reinterpret_cast<LPARAM>(label->Handle)));
    EXPECT_EQ(GetBkColor(canvas.Dc()),
              ResolveColor(c.childColor ? c.color : GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(GetTextColor(canvas.Dc()), RGB(9, 8, 7));
    EXPECT_EQ(GetBkMode(canvas.Dc()), c.expectedBkMode ? c.expectedBkMode : untouchedMode);
    switch (c.expectedBrushFrom) {
      case 0:
        EXPECT_EQ(reinterpret_cast<LRESULT>(brush), defaultBrush);
        break;
      case 1:
        EXPECT_NE(reinterpret_cast<LRESULT>(brush), defaultBrush);
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
        EXPECT_EQ(BrushColor(brush), ResolveColor(c.color));
        break;
      case 2:
        EXPECT_EQ(BrushColor(brush), kFormColor);
        break;
    }
  }
}

TEST(RoutingColors, AChildWithoutObjectKeepsTheDefaultAnswer) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  form->SetColor(RGB(40, 50, 60));
  HWND foreign = CreateWindowExA(0, "static", "", WS_CHILD, 0, 0, 10, 10, form->Handle, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  MemoryCanvas reference(8, 8);
  MemoryCanvas canvas(8, 8);
  const LRESULT expected =
      DefWindowProcA(form->Handle, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(reference.Dc()),
                     reinterpret_cast<LPARAM>(foreign));
  EXPECT_EQ(SendTo(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Dc()),
                   reinterpret_cast<LPARAM>(foreign)),
            expected);
  EXPECT_EQ(GetBkColor(canvas.Dc()), GetBkColor(reference.Dc()));
  EXPECT_EQ(GetTextColor(canvas.Dc()), GetTextColor(reference.Dc()));
  EXPECT_EQ(GetBkMode(canvas.Dc()), GetBkMode(reference.Dc()));
}

// ---------------------------------------------------------------------------------------
// Child notifications

TEST(RoutingNotifications, ClicksAndChangesOfAnEnabledChildFireItsEvents) {
  struct Case {
    uint16_t code;
    bool enabled;
    int clicks;
    int changes;
  };
  const Case cases[] = {
      {0, true, 1, 0}, {2, true, 1, 0},      {1, true, 0, 1},  {0x0300, true, 0, 1},
      {3, true, 0, 0}, {0x0400, true, 0, 0}, {0, false, 0, 0}, {1, false, 0, 0},
  };
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  auto* label = windows.Make<TLabel>(form, Text("x"));
  ShowQuietly(form);
  int clicks = 0;
  int changes = 0;
  auto onClick = [&](TObject* sender) {
    EXPECT_EQ(sender, label);
    ++clicks;
  };
  auto onChange = [&](TObject* sender) {
    EXPECT_EQ(sender, label);
    ++changes;
  };
  label->OnClick = Bind<void(TObject*)>(onClick);
  label->OnChange = Bind<void(TObject*)>(onChange);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << (c.enabled ? "" : ", disabled"));
    clicks = changes = 0;
    label->Enabled = c.enabled;
    ValidateRect(label->Handle, nullptr);
    SendTo(form, WM_COMMAND, MAKEWPARAM(0, c.code), reinterpret_cast<LPARAM>(label->Handle));
    EXPECT_EQ(clicks, c.clicks);
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(NeedsRepaint(label->Handle), c.changes > 0) << "a change repaints the child";
  }
}

TEST(RoutingNotifications, NotificationsOfAWindowWithoutObjectAreIgnored) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  HWND foreign = CreateWindowExA(0, "static", "", WS_CHILD, 0, 0, 10, 10, form->Handle, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(SendTo(form, WM_COMMAND, MAKEWPARAM(0, 0), reinterpret_cast<LPARAM>(foreign)),
            DefWindowProcA(form->Handle, WM_COMMAND, MAKEWPARAM(0, 0),
                           reinterpret_cast<LPARAM>(foreign)));
}

// ---------------------------------------------------------------------------------------
// Mouse

struct ReleaseCase {
  UINT msg;
  WPARAM keyFlags;
  BYTE altState;  // the Alt key's state byte
  LPARAM position;
  TMouseButtonKind button;
  TShiftFlags shift;
  int32_t x;
  int32_t y;
};

TEST(RoutingMouse, AReleaseReportsShiftFlagsAndSignedCoordinatesAfterDefaultProcessing) {
  const ReleaseCase cases[] = {
      {WM_LBUTTONUP, 0, 0, MAKELPARAM(10, 20), TMouseButtonKind::Left, 0, 10, 20},
      {WM_LBUTTONUP, MK_SHIFT, 0, 0, TMouseButtonKind::Left, kShiftKey, 0, 0},
      {WM_LBUTTONUP, MK_CONTROL, 0, 0, TMouseButtonKind::Left, kCtrlKey, 0, 0},
      {WM_LBUTTONUP, 0, kKeyDown, 0, TMouseButtonKind::Left, kAltKey, 0, 0},
      {WM_LBUTTONUP, 0, kKeyToggled, 0, TMouseButtonKind::Left, 0, 0, 0},
      {WM_LBUTTONUP, MK_LBUTTON | MK_RBUTTON | MK_MBUTTON, 0, 0, TMouseButtonKind::Left,
       kLeftButton | kRightButton | kMiddleButton, 0, 0},
      {WM_LBUTTONUP, MK_XBUTTON1 | MK_XBUTTON2, 0, 0, TMouseButtonKind::Left, 0, 0, 0},
      {WM_RBUTTONUP, MK_SHIFT | MK_CONTROL, kKeyDown, MAKELPARAM(-5, -7), TMouseButtonKind::Right,
       kShiftKey | kAltKey | kCtrlKey, -5, -7},
      {WM_RBUTTONUP, MK_RBUTTON, 0, MAKELPARAM(32767, -32768), TMouseButtonKind::Right,
       kRightButton, 32767, -32768},
      {WM_RBUTTONUP, 0xFFFF0000u | MK_SHIFT, 0, 0, TMouseButtonKind::Right, kShiftKey, 0, 0},
  };
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  struct Fired {
    TMouseButtonKind button;
    TShiftFlags shift;
    int32_t x;
    int32_t y;
    size_t defaultProcessingsBefore;
  };
  std::vector<Fired> fired;
  auto onMouseUp = [&](TObject* sender, TMouseButtonKind button, TShiftFlags shift, int32_t x,
                       int32_t y) {
    EXPECT_EQ(sender, spy);
    fired.push_back({button, shift, x, y, spy->seen.size()});
  };
  spy->OnMouseUp = Bind<void(TObject*, TMouseButtonKind, TShiftFlags, int32_t, int32_t)>(onMouseUp);
  for (const ReleaseCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "message " << c.msg << " flags " << c.keyFlags);
    fired.clear();
    spy->seen.clear();
    HeldKey alt(VK_MENU, c.altState);
    SendTo(spy, c.msg, c.keyFlags, c.position);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].button, c.button);
    EXPECT_EQ(fired[0].shift, c.shift);
    EXPECT_EQ(fired[0].x, c.x);
    EXPECT_EQ(fired[0].y, c.y);
    EXPECT_EQ(fired[0].defaultProcessingsBefore, 1u) << "default processing comes first";
  }
}

TEST(RoutingMouse, PressesAndMovesGetAnEmptyShiftSet) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  std::vector<std::tuple<int, TShiftFlags, int32_t, int32_t, size_t>> fired;
  auto onMouseDown = [&](TObject*, TMouseButtonKind button, TShiftFlags shift, int32_t x,
                         int32_t y) {
    fired.emplace_back(static_cast<int>(button), shift, x, y, spy->seen.size());
  };
  auto onMouseMove = [&](TObject*, TShiftFlags shift, int32_t x, int32_t y) {
    fired.emplace_back(-1, shift, x, y, spy->seen.size());
  };
  spy->OnMouseDown =
      Bind<void(TObject*, TMouseButtonKind, TShiftFlags, int32_t, int32_t)>(onMouseDown);
  spy->OnMouseMove = Bind<void(TObject*, TShiftFlags, int32_t, int32_t)>(onMouseMove);
  HeldKey alt(VK_MENU, true);
  const WPARAM everything = MK_SHIFT | MK_CONTROL | MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
  SendTo(spy, WM_LBUTTONDOWN, everything, MAKELPARAM(-1, 2));
  SendTo(spy, WM_RBUTTONDOWN, everything, MAKELPARAM(3, -4));
  SendTo(spy, WM_MOUSEMOVE, everything, MAKELPARAM(-300, 400));
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0], std::make_tuple(0, TShiftFlags{0}, -1, 2, size_t{1}));
  EXPECT_EQ(fired[1], std::make_tuple(1, TShiftFlags{0}, 3, -4, size_t{1}));
  EXPECT_EQ(fired[2], std::make_tuple(-1, TShiftFlags{0}, -300, 400, size_t{2}));
}

TEST(RoutingMouse, DoubleClickFiresOnClickWithoutDefaultProcessing) {
  TestWindows windows;
  auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
  spy->answers[WM_LBUTTONDBLCLK] = 5;
  int clicks = 0;
  auto onClick = [&](TObject* sender) {
    EXPECT_EQ(sender, spy);
    ++clicks;
  };
  spy->OnClick = Bind<void(TObject*)>(onClick);
  EXPECT_EQ(SendTo(spy, WM_LBUTTONDBLCLK, MK_LBUTTON, 0), 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(spy->Count(WM_LBUTTONDBLCLK), 0u);
}

// ---------------------------------------------------------------------------------------
// Keys

TEST(RoutingKeys, AKeyHandlerCanChangeTheKeyThatDefaultProcessingSees) {
  struct Case {
    UINT msg;
    bool withHandler;
    uint16_t replacement;
    uint32_t seenByDefault;
  };
  const Case cases[] = {
      {WM_KEYDOWN, true, 0, 0}, {WM_KEYDOWN, true, 'Q', 'Q'}, {WM_KEYDOWN, false, 0, 'A'},
      {WM_KEYUP, true, 0, 0},   {WM_KEYUP, false, 0, 'A'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "message " << c.msg << " handler " << c.withHandler
                                    << " replacement " << c.replacement);
    TestWindows windows;
    auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
    std::vector<std::pair<uint16_t, TShiftFlags>> fired;
    auto onKey = [&](TObject* sender, uint16_t& key, TShiftFlags shift) {
      EXPECT_EQ(sender, spy);
      fired.emplace_back(key, shift);
      key = c.replacement;
    };
    if (c.withHandler) {
      (c.msg == WM_KEYDOWN ? spy->OnKeyDown : spy->OnKeyUp) =
          Bind<void(TObject*, uint16_t&, TShiftFlags)>(onKey);
    }
    HeldKey shift(VK_SHIFT, true);
    SendTo(spy, c.msg, 'A', 0x001E0001);
    ASSERT_EQ(spy->Count(c.msg), 1u);
    EXPECT_EQ(spy->seen[0].wParam, c.seenByDefault);
    EXPECT_EQ(spy->seen[0].lParam, 0x001E0001);
    if (c.withHandler) {
      ASSERT_EQ(fired.size(), 1u);
      EXPECT_EQ(fired[0].first, 'A');
      EXPECT_EQ(fired[0].second, 0) << "key events always get the empty shift set";
    }
  }
}

// ---------------------------------------------------------------------------------------
// Minimise, cursor, push-button style

TEST(RoutingSystem, OnMinimizeCanVetoTheMinimise) {
  enum Handler { kNone, kAllow, kVeto };
  struct Case {
    const char* name;
    WPARAM command;
    Handler handler;
    bool iconic;
    int asked;
    size_t defaultProcessings;
  };
  const Case cases[] = {
      {"veto", SC_MINIMIZE, kVeto, false, 1, 0},
      {"veto, low bits set", SC_MINIMIZE | 0x2, kVeto, false, 1, 0},
      {"allowed", SC_MINIMIZE, kAllow, true, 1, 1},
      {"no handler", SC_MINIMIZE, kNone, true, 0, 1},
      {"another command", 0xF0F0, kVeto, false, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWindows windows;
    auto* spy = windows.Make<SpyForm>(nullptr, Text(""), false);
    int asked = 0;
    auto onMinimize = [&](TObject* sender) {
      EXPECT_EQ(sender, spy);
      ++asked;
      return c.handler == kAllow;
    };
    if (c.handler != kNone) spy->OnMinimize = Bind<bool(TObject*)>(onMinimize);
    const LRESULT result = SendTo(spy, WM_SYSCOMMAND, c.command, 0);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(IsIconic(spy->Handle) != FALSE, c.iconic);
    EXPECT_EQ(spy->Count(WM_SYSCOMMAND), c.defaultProcessings);
    if (c.handler == kVeto && c.asked) {
      EXPECT_EQ(result, 0);
    }
  }
}

TEST(RoutingSystem, CursorIsSetOverTheClientAreaOnly) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  const WPARAM self = reinterpret_cast<WPARAM>(form->Handle);

  SetCursor(arrow);
  form->Cursor = cross;
  EXPECT_EQ(SendTo(form, WM_SETCURSOR, self, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), cross);

  SetCursor(arrow);
  const LRESULT expected =
      DefWindowProcA(form->Handle, WM_SETCURSOR, self, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
  SetCursor(arrow);
  EXPECT_EQ(SendTo(form, WM_SETCURSOR, self, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)), expected);
  EXPECT_NE(GetCursor(), cross);

  // Without a cursor of its own the class's arrow is left to default processing.
  form->Cursor = nullptr;
  SetCursor(cross);
  SendTo(form, WM_SETCURSOR, self, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), arrow);
}

TEST(RoutingSystem, APushButtonBecomesTheDefaultButtonWhileFocused) {
  struct Case {
    uint8_t kind;
    UINT msg;
    size_t styleMessages;
  };
  const Case cases[] = {
      {kPushButtonControl, WM_SETFOCUS, 1},
      {kPushButtonControl, WM_KILLFOCUS, 0},  // the style's type is already 0
      {kPlainControl, WM_SETFOCUS, 0},
      {kFormControl, WM_SETFOCUS, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int{c.kind} << " message " << c.msg);
    TestWindows windows;
    auto* form = windows.Make<TForm>(nullptr, Text(""), false);
    auto* label = windows.Make<TLabel>(form, Text(""));
    label->Kind = c.kind;
    MessageLog log;
    SendTo(label, c.msg, 0, 0);
    EXPECT_EQ(log.Count(label->Handle, BM_SETSTYLE), c.styleMessages);
    for (const LoggedMessage& m : log.For(label->Handle)) {
      if (m.message != BM_SETSTYLE) continue;
      EXPECT_EQ(m.wParam, static_cast<WPARAM>(BS_DEFPUSHBUTTON));
      EXPECT_EQ(m.lParam, 1) << "redraw";
    }
  }
}

}  // namespace

// Property setters of window objects, as the windows report them.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "tests/toolkit/support.h"
#include "toolkit/routing.h"

namespace {

struct Bounds {
  int32_t x, y, width, height;
  bool operator==(const Bounds& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

std::ostream& operator<<(std::ostream& out, const Bounds& b) {
  return out << "(" << b.x << ", " << b.y << ", " << b.width << " x " << b.height << ")";
}

Bounds BoundsOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void PlaceBehindTheObjectsBack(HWND window, Bounds b) {
  SetWindowPos(window, nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

uint32_t StyleOf(HWND window) {
  return static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE));
}
uint32_t ExStyleOf(HWND window) {
  return static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE));
}

// Windows keeps clip-siblings on every top-level window, whatever the style written.
uint32_t AskedStyleOf(HWND window) {
  return StyleOf(window) & ~static_cast<uint32_t>(WS_CLIPSIBLINGS);
}
// ... and decides the window-edge bit from the style itself.
uint32_t AskedExStyleOf(HWND window) {
  return ExStyleOf(window) & ~static_cast<uint32_t>(WS_EX_WINDOWEDGE);
}

HBRUSH LabelBrush(TWinControl* form, TWinControl* label) {
  MemoryCanvas canvas(4, 4);
  return reinterpret_cast<HBRUSH>(SendMessageA(form->Handle, WM_CTLCOLORSTATIC,
                                               reinterpret_cast<WPARAM>(canvas.Dc()),
                                               reinterpret_cast<LPARAM>(label->Handle)));
}

// ---------------------------------------------------------------------------------------
// Setters that compare

struct CompareCase {
  const char* name;
  std::function<void(TForm&)> set;
  std::function<void(HWND)> disturb;  // changes the window behind the object's back
};

void Move(HWND w) {
  PlaceBehindTheObjectsBack(w, {10, 20, 211, 222});
}
void Restyle(HWND w) {
  SetWindowLongA(w, GWL_STYLE, WS_POPUP | WS_THICKFRAME);
}
void ReExStyle(HWND w) {
  SetWindowLongA(w, GWL_EXSTYLE, WS_EX_ACCEPTFILES);
}

TEST(PropertiesCompare, ASetterGivenTheStoredValueMakesNoCallEvenWhenTheWindowDiffers) {
  const CompareCase cases[] = {
      {"SetLeft", [](TForm& f) { f.SetLeft(250); }, Move},
      {"SetTop", [](TForm& f) { f.SetTop(150); }, Move},
      {"SetWidth", [](TForm& f) { f.SetWidth(320); }, Move},
      {"SetHeight", [](TForm& f) { f.SetHeight(260); }, Move},
      {"SetStyle", [](TForm& f) { f.SetStyle(WS_POPUP | WS_SYSMENU); }, Restyle},
      {"SetExStyle", [](TForm& f) { f.SetExStyle(WS_EX_TOOLWINDOW); }, ReExStyle},
      {"SetBorderStyle", [](TForm& f) { f.SetBorderStyle(0); }, Restyle},
  };
  for (const CompareCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestWindows windows;
    auto* form = windows.Make<TForm>(nullptr, Text(""), false);
    MessageLog log;
    c.set(*form);
    EXPECT_FALSE(log.For(form->Handle).empty()) << "a new value reaches the window";
    c.disturb(form->Handle);
    const Bounds bounds = BoundsOf(form->Handle);
    const uint32_t style = StyleOf(form->Handle);
    const uint32_t exStyle = ExStyleOf(form->Handle);
    log.Clear();
    c.set(*form);
    EXPECT_TRUE(log.For(form->Handle).empty()) << "the stored value again: no call";
    EXPECT_EQ(BoundsOf(form->Handle), bounds);
    EXPECT_EQ(StyleOf(form->Handle), style);
    EXPECT_EQ(ExStyleOf(form->Handle), exStyle);
  }
}

TEST(PropertiesCompare, TheValuesOfANewFormAreStoredAlready) {
  const CompareCase cases[] = {
      {"SetLeft(200)", [](TForm& f) { f.SetLeft(200); }, Move},
      {"SetTop(100)", [](TForm& f) { f.SetTop(100); }, Move},
      {"SetWidth(300)", [](TForm& f) { f.SetWidth(300); }, Move},
      {"SetHeight(250)", [](TForm& f) { f.SetHeight(250); }, Move},
      {"SetStyle(0)", [](TForm& f) { f.SetStyle(0); }, Restyle},
      {"SetExStyle(0)", [](TForm& f) { f.SetExStyle(0); }, ReExStyle},
      {"SetBorderStyle(2)", [](TForm& f) { f.SetBorderStyle(2); }, Restyle},
      {"SetColor(button face)", [](TForm& f) { f.SetColor(kButtonFaceColor); }, Move},
  };
  for (const CompareCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestWindows windows;
    auto* form = windows.Make<TForm>(nullptr, Text(""), false);
    c.disturb(form->Handle);
    const Bounds bounds = BoundsOf(form->Handle);
    const uint32_t style = StyleOf(form->Handle);
    MessageLog log;
    c.set(*form);
    EXPECT_TRUE(log.For(form->Handle).empty());
    EXPECT_EQ(BoundsOf(form->Handle), bounds);
    EXPECT_EQ(StyleOf(form->Handle), style);
  }
}

TEST(PropertiesCompare, SetColorWithTheStoredValueMakesNoBrushAndNoRepaint) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  auto* label = windows.Make<TLabel>(form, Text("x"));
  ShowWindow(form->Handle, SW_SHOWNOACTIVATE);
  UpdateWindow(form->Handle);

  struct Step {
    TColor color;
    bool newBrush;
  };
  // The label starts with the button face as RGB; the system colour value is another value
  // of the same colour, so it still makes a brush.
  const Step steps[] = {
      {kButtonFaceColor, true}, {kButtonFaceColor, false}, {RGB(1, 2, 3), true},
      {RGB(1, 2, 3), false},    {RGB(4, 5, 6), true},
  };
  HBRUSH previous = LabelBrush(form, label);
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << std::hex << s.color);
    ValidateRect(label->Handle, nullptr);
    label->SetColor(s.color);
    EXPECT_EQ(NeedsRepaint(label->Handle), s.newBrush);
    HBRUSH brush = LabelBrush(form, label);
    if (s.newBrush) {
      EXPECT_NE(brush, previous);
      LOGBRUSH description{};
      ASSERT_EQ(GetObjectA(brush, sizeof(description), &description),
                static_cast<int>(sizeof(description)));
      EXPECT_EQ(description.lbColor, ResolveColor(s.color));
    } else {
      EXPECT_EQ(brush, previous);
    }
    previous = brush;
  }
}

// ---------------------------------------------------------------------------------------
// Geometry

TEST(PropertiesGeometry, SettersTakeThePositionStoredAndTheOtherDimensionFromTheWindow) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  EXPECT_EQ(BoundsOf(form->Handle), (Bounds{200, 100, 300, 250}));

  // Each setter right after the window was changed behind the object's back. Sizes stay
  // above the smallest that Windows allows a framed window.
  struct Step {
    const char* name;
    void (*set)(TForm&);
    Bounds disturbed;
    Bounds expected;
  };
  const Step steps[] = {
      {"SetWidth keeps the window's height",
       [](TForm& f) { f.SetWidth(230); },
       {10, 20, 211, 222},
       {200, 100, 230, 222}},
      {"SetHeight keeps the window's width",
       [](TForm& f) { f.SetHeight(140); },
       {70, 80, 190, 300},
       {200, 100, 190, 140}},
      {"SetLeft keeps the stored top and the window's size",
       [](TForm& f) { f.SetLeft(50); },
       {10, 20, 211, 222},
       {50, 100, 211, 222}},
      {"SetTop keeps the stored left and the window's size",
       [](TForm& f) { f.SetTop(60); },
       {30, 40, 250, 200},
       {50, 60, 250, 200}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    PlaceBehindTheObjectsBack(form->Handle, s.disturbed);
    EXPECT_EQ(form->GetWidth(), s.disturbed.width);
    EXPECT_EQ(form->GetHeight(), s.disturbed.height);
    s.set(*form);
    EXPECT_EQ(BoundsOf(form->Handle), s.expected);
  }
}

TEST(PropertiesGeometry, SetBoundsActsOnEveryCall) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  std::vector<UINT> flags;
  MessageLog log;
  log.onMessage = [&](const LoggedMessage& m) {
    if (m.window == form->Handle && m.message == WM_WINDOWPOSCHANGING) {
      flags.push_back(reinterpret_cast<const WINDOWPOS*>(m.lParam)->flags);
    }
  };
  form->SetBounds(200, 100, 300, 250);  // what it has already
  form->SetBounds(200, 100, 300, 250);
  ASSERT_EQ(flags.size(), 2u);
  for (UINT f : flags) {
    EXPECT_EQ(f & (SWP_NOZORDER | SWP_NOACTIVATE),
              static_cast<UINT>(SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(f & (SWP_NOMOVE | SWP_NOSIZE), 0u);
  }
  form->SetBounds(5, 6, 270, 180);
  EXPECT_EQ(BoundsOf(form->Handle), (Bounds{5, 6, 270, 180}));
}

TEST(PropertiesGeometry, WithoutAWindowSettersOnlyStoreAndTheStoredSizeStandsIn) {
  TWinControl control(nullptr);
  MessageLog log;
  control.SetWidth(40);
  control.SetHeight(30);
  control.SetLeft(7);
  control.SetStyle(WS_POPUP);
  control.SetExStyle(WS_EX_TOOLWINDOW);
  control.SetColor(RGB(1, 2, 3));
  EXPECT_EQ(log.Total(), 0u);
  EXPECT_EQ(control.GetWidth(), 40);
  EXPECT_EQ(control.GetHeight(), 30);
  EXPECT_EQ(control.Left, 7);
  EXPECT_EQ(control.Top, 2);
  EXPECT_EQ(control.Style, static_cast<uint32_t>(WS_POPUP));
  EXPECT_EQ(control.ExStyle, static_cast<uint32_t>(WS_EX_TOOLWINDOW));
}

// ---------------------------------------------------------------------------------------
// Caption

TEST(PropertiesCaption, SetCaptionAlwaysSendsTheText) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text("same"), false);
  auto* label = windows.Make<TLabel>(form, Text("same"));
  for (TWinControl* target : {static_cast<TWinControl*>(form), static_cast<TWinControl*>(label)}) {
    MessageLog log;
    std::vector<std::string> sent;
    log.onMessage = [&](const LoggedMessage& m) {
      if (m.window == target->Handle && m.message == WM_SETTEXT) {
        sent.emplace_back(reinterpret_cast<const char*>(m.lParam));
      }
    };
    {
      Text temporary("same");
      target->SetCaption(temporary);
    }
    target->SetCaption(Text("same"));
    EXPECT_EQ(sent, (std::vector<std::string>{"same", "same"}));
    char text[16] = {};
    GetWindowTextA(target->Handle, text, sizeof(text));
    EXPECT_STREQ(text, "same");
  }
}

// ---------------------------------------------------------------------------------------
// Styles

TEST(PropertiesStyle, SetStyleWritesTheWholeWordAndRecomputesTheFrame) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  std::vector<UINT> flags;
  MessageLog log;
  log.onMessage = [&](const LoggedMessage& m) {
    if (m.window == form->Handle && m.message == WM_WINDOWPOSCHANGING) {
      flags.push_back(reinterpret_cast<const WINDOWPOS*>(m.lParam)->flags);
    }
  };
  form->SetStyle(WS_POPUP | WS_BORDER);
  EXPECT_EQ(AskedStyleOf(form->Handle), static_cast<uint32_t>(WS_POPUP | WS_BORDER));
  form->SetExStyle(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES);
  EXPECT_EQ(AskedExStyleOf(form->Handle),
            static_cast<uint32_t>(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES));
  EXPECT_GE(log.Count(form->Handle, WM_NCCALCSIZE), 2u) << "the frame is recomputed";
  ASSERT_EQ(flags.size(), 2u);
  for (UINT f : flags) {
    const UINT kFrameOnly =
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    EXPECT_EQ(f & kFrameOnly, kFrameOnly);
  }
  EXPECT_EQ(BoundsOf(form->Handle), (Bounds{200, 100, 300, 250}));
}

TEST(PropertiesStyle, BorderStyleZeroLeavesExactlyAPopupAndKeepsTheExtendedStyle) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  form->SetExStyle(WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOPMOST);
  const uint32_t exStyle = AskedExStyleOf(form->Handle);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  form->SetBorderStyle(0);
  EXPECT_EQ(AskedStyleOf(form->Handle), static_cast<uint32_t>(WS_POPUP));
  EXPECT_FALSE(IsWindowVisible(form->Handle));
  EXPECT_EQ(AskedExStyleOf(form->Handle), exStyle);
  // No frame left: the window is as large as its client area.
  RECT client{};
  GetClientRect(form->Handle, &client);
  EXPECT_EQ(client.right, form->GetWidth());
  EXPECT_EQ(client.bottom, form->GetHeight());
}

TEST(PropertiesStyle, EachBorderStyleSetsItsStylesAndOnlyThose) {
  const uint32_t kMarkerExStyle = WS_EX_ACCEPTFILES;
  struct Case {
    uint8_t value;
    bool styleChanges;
    uint32_t style;
    bool exStyleChanges;
    uint32_t exStyle;
  };
  const Case cases[] = {
      {0, true, 0x80000000, false, 0},
      {1, true, 0x00CB0000, false, 0},
      {2, false, 0, false, 0},  // the stored value of a new form
      {3, true, 0x80C80000, true, WS_EX_DLGMODALFRAME},
      {4, true, 0x00C80000, true, WS_EX_TOOLWINDOW},
      {5, false, 0, true, WS_EX_TOOLWINDOW},
      {6, false, 0, false, 0},
      {255, false, 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "border style " << int{c.value});
    TestWindows windows;
    auto* form = windows.Make<TForm>(nullptr, Text(""), false);
    form->SetExStyle(kMarkerExStyle);
    const uint32_t style = StyleOf(form->Handle);
    const uint32_t exStyle = AskedExStyleOf(form->Handle);
    MessageLog log;
    form->SetBorderStyle(c.value);
    if (c.styleChanges) {
      EXPECT_EQ(AskedStyleOf(form->Handle), c.style);
    } else {
      EXPECT_EQ(StyleOf(form->Handle), style);
    }
    if (c.exStyleChanges) {
      EXPECT_EQ(AskedExStyleOf(form->Handle), c.exStyle);
    } else {
      EXPECT_EQ(AskedExStyleOf(form->Handle), exStyle);
    }
    EXPECT_EQ(log.For(form->Handle).empty(), !c.styleChanges && !c.exStyleChanges);
    EXPECT_FALSE(IsWindowVisible(form->Handle));
  }
}

// ---------------------------------------------------------------------------------------
// Brushes do not pile up

TEST(PropertiesLeaks, TenThousandColourChangesLeaveOneLiveBrush) {
  TestWindows windows;
  auto* form = windows.Make<TForm>(nullptr, Text(""), false);
  const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  std::set<HBRUSH> brushes;
  for (int i = 0; i < 10000; ++i) {
    form->SetColor(RGB(i & 0xFF, (i >> 8) & 0xFF, 7));
    brushes.insert(form->BackgroundBrush);
  }
  HBRUSH current = form->BackgroundBrush;
  size_t alive = 0;
  for (HBRUSH brush : brushes) {
    if (GetObjectType(brush) != 0) ++alive;
  }
  EXPECT_EQ(alive, 1u);
  EXPECT_EQ(GetObjectType(current), static_cast<DWORD>(OBJ_BRUSH));
  const DWORD objectsAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (objectsBefore != 0) {
    EXPECT_LE(objectsAfter, objectsBefore + 1);
  }
}

}  // namespace

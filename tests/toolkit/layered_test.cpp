// Layered transparency of forms, read back with GetLayeredWindowAttributes. The attribute
// function is counted through the toolkit's lookup seam, which hands out a counting wrapper
// around the real one.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/toolkit/support.h"
#include "toolkit/layered.h"

namespace {

struct AttributeCall {
  HWND window;
  COLORREF key;
  BYTE alpha;
  DWORD flags;
};

struct Lookup {
  HMODULE module;
  std::string name;
};

std::vector<AttributeCall> calls;
std::vector<Lookup> lookups;
bool functionMissing = false;

using AttributeFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

AttributeFunction RealFunction() {
  return reinterpret_cast<AttributeFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes")));
}

BOOL WINAPI CountingSetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
  calls.push_back({window, key, alpha, flags});
  return RealFunction()(window, key, alpha, flags);
}

FARPROC WINAPI CountingLookup(HMODULE module, LPCSTR name) {
  lookups.push_back({module, name});
  if (functionMissing) return nullptr;
  if (std::strcmp(name, "SetLayeredWindowAttributes") == 0) {
    return reinterpret_cast<FARPROC>(
        reinterpret_cast<void (*)()>(&CountingSetLayeredWindowAttributes));
  }
  return GetProcAddress(module, name);
}

struct Layering {
  bool layered;
  BYTE alpha;
  DWORD flags;
  COLORREF key;
};

Layering LayeringOf(HWND window) {
  Layering l{};
  l.layered = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  if (l.layered) GetLayeredWindowAttributes(window, &l.key, &l.alpha, &l.flags);
  return l;
}

class Layered : public testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    lookups.clear();
    functionMissing = false;
    LayeredProcedureLookupForTests = &CountingLookup;
    form = windows.Make<TForm>(nullptr, Text(""), false);
  }
  void TearDown() override { LayeredProcedureLookupForTests = nullptr; }

  TestWindows windows;
  TForm* form = nullptr;
};

TEST_F(Layered, SwitchingOnMakesTheWindowLayeredAndFullyOpaque) {
  EXPECT_FALSE(LayeringOf(form->Handle).layered) << "a new form is not layered";
  form->SetAlphaBlend(true);
  const Layering now = LayeringOf(form->Handle);
  EXPECT_TRUE(now.layered);
  EXPECT_EQ(now.alpha, 255);
  EXPECT_EQ(now.flags, static_cast<DWORD>(LWA_ALPHA));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].window, form->Handle);
  EXPECT_EQ(calls[0].key, 0u);
  EXPECT_EQ(calls[0].alpha, 255);
  EXPECT_EQ(calls[0].flags, static_cast<DWORD>(LWA_ALPHA));
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].module, GetModuleHandleA("user32.dll"));
  EXPECT_EQ(lookups[0].name, "SetLayeredWindowAttributes");
}

TEST_F(Layered, EachNewOpacityMakesOneCallAndARepeatedOneNone) {
  form->SetAlphaBlend(true);
  struct Step {
    uint8_t alpha;
    size_t newCalls;
  };
  const Step steps[] = {{0, 1}, {0, 0}, {10, 1}, {200, 1}, {200, 0}, {199, 1}, {255, 1}, {255, 0}};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "alpha " << int{s.alpha});
    const size_t callsBefore = calls.size();
    const size_t lookupsBefore = lookups.size();
    form->SetAlphaBlendValue(s.alpha);
    EXPECT_EQ(calls.size() - callsBefore, s.newCalls);
    EXPECT_EQ(lookups.size() - lookupsBefore, s.newCalls) << "looked up at every use";
    const Layering now = LayeringOf(form->Handle);
    EXPECT_TRUE(now.layered) << "full opacity still keeps the window layered";
    EXPECT_EQ(now.alpha, s.alpha);
  }
  form->SetAlphaBlend(true);
  EXPECT_EQ(calls.size(), 6u);
}

TEST_F(Layered, OpacitySetWhileOffTakesEffectWhenSwitchedOn) {
  form->SetAlphaBlendValue(77);
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(lookups.empty());
  EXPECT_FALSE(LayeringOf(form->Handle).layered);
  form->SetAlphaBlend(true);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(LayeringOf(form->Handle).alpha, 77);
}

TEST_F(Layered, SwitchingOffClearsTheLayeredStyleWithoutACall) {
  form->SetAlphaBlend(true);
  form->SetAlphaBlendValue(30);
  const size_t callsBefore = calls.size();
  form->SetAlphaBlend(false);
  EXPECT_FALSE(LayeringOf(form->Handle).layered);
  EXPECT_EQ(calls.size(), callsBefore);
}

TEST_F(Layered, WritingTheStoredExtendedStyleDropsLayeringUntilTheNextChange) {
  form->SetAlphaBlend(true);
  form->SetAlphaBlendValue(0);
  form->SetExStyle(WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOPMOST);
  EXPECT_FALSE(LayeringOf(form->Handle).layered);
  form->SetAlphaBlendValue(5);
  const Layering now = LayeringOf(form->Handle);
  EXPECT_TRUE(now.layered);
  EXPECT_EQ(now.alpha, 5);
  EXPECT_TRUE(GetWindowLongA(form->Handle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST_F(Layered, TheColourKeyIsResolvedAndFlaggedWhenInForce) {
  form->TransparentColor = true;
  form->TransparentColorValue = kButtonFaceColor;
  form->SetAlphaBlendValue(9);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].flags, static_cast<DWORD>(LWA_COLORKEY));
  EXPECT_EQ(calls[0].key, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(calls[0].alpha, 9);
  form->SetAlphaBlend(true);
  const Layering now = LayeringOf(form->Handle);
  EXPECT_TRUE(now.layered);
  EXPECT_EQ(now.flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));
  EXPECT_EQ(now.key, GetSysColor(COLOR_BTNFACE));
}

TEST_F(Layered, WithoutTheFunctionTheFormStaysOpaque) {
  form->SetAlphaBlend(true);
  ASSERT_TRUE(LayeringOf(form->Handle).layered);
  functionMissing = true;
  form->SetAlphaBlendValue(3);
  EXPECT_EQ(lookups.size(), 2u);
  EXPECT_FALSE(LayeringOf(form->Handle).layered);
  EXPECT_EQ(calls.size(), 1u);

  auto* other = windows.Make<TForm>(nullptr, Text(""), false);
  other->SetAlphaBlend(true);
  EXPECT_FALSE(LayeringOf(other->Handle).layered);
}

TEST_F(Layered, TheRealLookupFindsTheSystemFunction) {
  LayeredProcedureLookupForTests = nullptr;
  form->SetAlphaBlend(true);
  form->SetAlphaBlendValue(123);
  const Layering now = LayeringOf(form->Handle);
  EXPECT_TRUE(now.layered);
  EXPECT_EQ(now.alpha, 123);
  EXPECT_EQ(now.flags, static_cast<DWORD>(LWA_ALPHA));
}

}  // namespace

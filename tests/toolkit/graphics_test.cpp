// Fonts made from their description and handed to their label; canvases with pen and brush.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/toolkit/support.h"

namespace {

HFONT FontOf(const TWinControl* label) {
  return reinterpret_cast<HFONT>(SendMessageA(label->Handle, WM_GETFONT, 0, 0));
}

LOGFONTA Describe(HFONT font) {
  LOGFONTA description{};
  EXPECT_EQ(GetObjectA(font, sizeof(description), &description),
            static_cast<int>(sizeof(description)));
  return description;
}

int ScreenDotsPerInch() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

class Fonts : public testing::Test {
 protected:
  void SetUp() override {
    form = windows.Make<TForm>(nullptr, Text(""), false);
    label = windows.Make<TLabel>(form, Text("text"));
    ShowWindow(form->Handle, SW_SHOWNOACTIVATE);
    UpdateWindow(form->Handle);
  }

  TestWindows windows;
  TForm* form = nullptr;
  TLabel* label = nullptr;
};

TEST(Font, ANewFontReportsSizeZeroWithHeightMinusEleven) {
  TFont font;
  EXPECT_EQ(font.Size, 0);
  EXPECT_EQ(font.Height, -11);
  EXPECT_EQ(font.Name, "MS Sans Serif");
  EXPECT_EQ(font.Handle, nullptr) << "no font object before the first change";
}

TEST_F(Fonts, TheLabelGetsTheDefaultDescription) {
  const LOGFONTA d = Describe(FontOf(label));
  EXPECT_EQ(d.lfHeight, -11);
  EXPECT_EQ(d.lfWidth, 0);
  EXPECT_EQ(d.lfEscapement, 0);
  EXPECT_EQ(d.lfOrientation, 0);
  EXPECT_EQ(d.lfWeight, FW_DONTCARE);
  EXPECT_EQ(d.lfItalic, 0);
  EXPECT_EQ(d.lfUnderline, 0);
  EXPECT_EQ(d.lfStrikeOut, 0);
  EXPECT_EQ(d.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(d.lfOutPrecision, OUT_DEFAULT_PRECIS);
  EXPECT_EQ(d.lfClipPrecision, CLIP_DEFAULT_PRECIS);
  EXPECT_EQ(d.lfQuality, DEFAULT_QUALITY);
  EXPECT_EQ(d.lfPitchAndFamily, DEFAULT_PITCH | FF_DONTCARE);
  EXPECT_STREQ(d.lfFaceName, "MS Sans Serif");
}

TEST_F(Fonts, SetSizeGivesTheHeightForTheScreenAndRepaintsTheLabel) {
  ASSERT_EQ(ScreenDotsPerInch(), 96) << "the heights below are those of a 96-dpi screen";
  struct Case {
    int32_t points;
    LONG height;
    int32_t dpi = 0;  // 0: the screen's; else a monitor's, given
  };
  const Case cases[] = {{10, -13}, {8, -11},       {9, -12},       {12, -16},      {10, -13},
                        {-10, 13}, {10, -17, 120}, {20, -40, 144}, {20, -53, 192}, {20, -27, 96}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.points << " points at " << c.dpi);
    HFONT before = FontOf(label);
    ValidateRect(label->Handle, nullptr);
    if (c.dpi == 0) {
      label->Font->SetSize(c.points);
    } else {
      label->Font->SetSize(c.points, c.dpi);
    }
    HFONT after = FontOf(label);
    EXPECT_NE(after, before) << "a new font object every time, also for the same size";
    EXPECT_EQ(Describe(after).lfHeight, c.height);
    EXPECT_STREQ(Describe(after).lfFaceName, "MS Sans Serif");
    EXPECT_TRUE(NeedsRepaint(label->Handle));
    EXPECT_EQ(label->Font->Size, c.points);
  }
}

TEST_F(Fonts, SetNameMakesANewFontObjectWithoutRepaint) {
  label->Font->SetSize(12);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "new name" : "same name again");
    HFONT before = FontOf(label);
    ValidateRect(label->Handle, nullptr);
    label->Font->SetName(Text("Arial"));
    HFONT after = FontOf(label);
    EXPECT_NE(after, before);
    EXPECT_STREQ(Describe(after).lfFaceName, "Arial");
    EXPECT_EQ(Describe(after).lfHeight, -16);
    EXPECT_FALSE(NeedsRepaint(label->Handle));
  }
  label->Font->SetName(Text(""));
  EXPECT_STREQ(Describe(FontOf(label)).lfFaceName, "");
}

TEST_F(Fonts, TheOldFontObjectIsDeletedOnlyAfterTheNewOneIsHandedOver) {
  HFONT old = FontOf(label);
  ASSERT_EQ(GetObjectType(old), static_cast<DWORD>(OBJ_FONT));
  std::vector<DWORD> oldTypeAtHandover;
  std::vector<LPARAM> redraw;
  MessageLog log;
  log.onMessage = [&](const LoggedMessage& m) {
    if (m.window == label->Handle && m.message == WM_SETFONT) {
      oldTypeAtHandover.push_back(GetObjectType(old));
      redraw.push_back(m.lParam);
    }
  };
  label->Font->SetSize(14);
  ASSERT_EQ(oldTypeAtHandover.size(), 1u);
  EXPECT_EQ(oldTypeAtHandover[0], static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(redraw[0], 0) << "the label is not asked to redraw at once";
  EXPECT_EQ(GetObjectType(old), 0u);
}

TEST(Font, AFontWithoutOwnerMakesItsObjectAndSendsItNowhere) {
  TFont font;
  MessageLog log;
  font.SetSize(10);
  font.SetName(Text("Arial"));
  EXPECT_EQ(log.Total(), 0u);
  ASSERT_EQ(GetObjectType(font.Handle), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(Describe(font.Handle).lfHeight, -MulDiv(10, ScreenDotsPerInch(), 72));
  EXPECT_STREQ(Describe(font.Handle).lfFaceName, "Arial");
}

TEST_F(Fonts, TenThousandSizeChangesLeaveOneLiveFont) {
  const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  std::set<HFONT> fonts;
  for (int i = 0; i < 10000; ++i) {
    label->Font->SetSize(6 + i % 20);
    fonts.insert(FontOf(label));
  }
  size_t alive = 0;
  for (HFONT font : fonts) {
    if (GetObjectType(font) != 0) ++alive;
  }
  EXPECT_EQ(alive, 1u);
  EXPECT_EQ(GetObjectType(FontOf(label)), static_cast<DWORD>(OBJ_FONT));
  const DWORD objectsAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (objectsBefore != 0) {
    EXPECT_LE(objectsAfter, objectsBefore + 1);
  }
}

TEST(Canvas, ACanvasForNoWindowHasNoDeviceContext) {
  TCanvas* canvas = MakeCanvas(reinterpret_cast<HWND>(-1));
  EXPECT_EQ(canvas->Handle, nullptr);
  EXPECT_EQ(canvas->Pen->CanvasHandle, nullptr);
  EXPECT_EQ(canvas->Brush->CanvasHandle, nullptr);
  EXPECT_EQ(canvas->CopyMode, static_cast<uint32_t>(SRCCOPY));
  delete canvas;
}

}  // namespace

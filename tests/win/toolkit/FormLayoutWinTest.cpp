// The form built from its resource in real windows: the density scaling rule (design values
// times m / 13, m the measured height of "0" in the window font), labels sized to their text,
// the image at its picture's size, the border, the owner and the centring.
#include <cstdio>

#include "TestForm.h"
#include "toolkit/core/FormLayout.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TMemoryStream.h"

namespace {

RECT ChildRect(HWND Parent, HWND Child) {
  RECT r = {};
  GetWindowRect(Child, &r);
  MapWindowPoints(nullptr, Parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Every figure of the test form at the density the screen reports (Ppi), checked against
// measurements made here, independently of the form.
void CheckLayout(TTestForm& F, int Ppi) {
  const int windowFont = ScaleFontHeight(-11, Ppi, 96);
  const int m = MeasureZero("MS Sans Serif", windowFont);
  std::printf("[ info ] %d pixels per inch: window font %d, m = %d\n", Ppi, windowFont, m);
  const TLayoutScale s{m, 13};
  EXPECT_EQ(F.Font()->Height(), windowFont);
  EXPECT_EQ(F.TextHeight(), m);
  EXPECT_EQ(F.PixelsPerInch(), Ppi);

  EXPECT_EQ(F.ClientWidth(), s(667));
  EXPECT_EQ(F.ClientHeight(), s(250));
  RECT client = {};
  GetClientRect(F.Handle(), &client);
  EXPECT_EQ(client.right, s(667));
  EXPECT_EQ(client.bottom, s(250));
  std::printf("[ info ] client area %ld x %ld\n", client.right, client.bottom);

  // The image keeps its picture's size; only its position scales.
  EXPECT_EQ(F.Image1->Left(), s(8));
  EXPECT_EQ(F.Image1->Top(), s(8));
  EXPECT_EQ(F.Image1->Width(), 197);
  EXPECT_EQ(F.Image1->Height(), 89);

  // Labels with their own font: font height scaled, size follows the text.
  const int h1 = s(-16);
  const int h2 = s(-21);
  EXPECT_EQ(F.Label1->Font()->Height(), h1);
  EXPECT_EQ(F.Label2->Font()->Height(), h2);
  const SIZE t1 = MeasureText("Arial", h1, false, "Installation");
  const SIZE t2 = MeasureText("Arial", h2, true, "Vollversion");
  EXPECT_EQ(F.Label1->Left(), s(8));
  EXPECT_EQ(F.Label1->Top(), s(160));
  EXPECT_EQ(F.Label1->Width(), t1.cx);
  EXPECT_EQ(F.Label1->Height(), t1.cy);
  EXPECT_EQ(F.Label2->Top(), s(184));
  EXPECT_EQ(F.Label2->Width(), t2.cx);
  EXPECT_EQ(F.Label2->Height(), t2.cy);
  std::printf("[ info ] Label1 %d x %d (font %d), Label2 %d x %d (font %d)\n", F.Label1->Width(),
              F.Label1->Height(), h1, F.Label2->Width(), F.Label2->Height(), h2);

  // A label on the window font follows that font.
  EXPECT_TRUE(F.Label3->ParentFont());
  EXPECT_EQ(F.Label3->Font()->Height(), windowFont);
  const SIZE t3 = MeasureText("MS Sans Serif", windowFont, false, "Window font");
  EXPECT_EQ(F.Label3->Width(), t3.cx);
  EXPECT_EQ(F.Label3->Left(), s(260));

  // The button's control and its child window.
  EXPECT_EQ(F.Button1->Left(), s(496));
  EXPECT_EQ(F.Button1->Top(), s(104));
  EXPECT_EQ(F.Button1->Width(), s(161));
  EXPECT_EQ(F.Button1->Height(), s(57));
  EXPECT_EQ(F.Button1->Font()->Height(), windowFont);
  const RECT b = ChildRect(F.Handle(), F.Button1->Handle());
  EXPECT_EQ(b.left, s(496));
  EXPECT_EQ(b.top, s(104));
  EXPECT_EQ(b.right - b.left, s(161));
  EXPECT_EQ(b.bottom - b.top, s(57));
  std::printf("[ info ] button at (%ld,%ld) %ld x %ld\n", b.left, b.top, b.right - b.left,
              b.bottom - b.top);
}

TEST_F(ToolkitTest, FormFromResourceScalesByTheMeasuredDigitHeight) {
  TTestForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Application->MainForm(), form);
  EXPECT_EQ(form->Name(), "TestForm");
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));  // created hidden, shown by Run
  CheckLayout(*form, Screen->PixelsPerInch());
}

TEST_F(ToolkitTest, FormAt120PixelsPerInchGrowsWithTheLargerFont) {
  Screen->SetPixelsPerInch(120);
  TTestForm* form = CreateTestForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Font()->Height(), -14);
  CheckLayout(*form, 120);
}

TEST_F(ToolkitTest, FixedSingleBorderOwnedByTheApplicationWindow) {
  TTestForm* form = CreateTestForm();
  HWND h = form->Handle();
  const LONG style = GetWindowLongA(h, GWL_STYLE);
  const LONG wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_EQ(style & WS_THICKFRAME, 0);
  EXPECT_EQ(GetWindow(h, GW_OWNER), Application->Handle());
  char text[64] = {};
  GetWindowTextA(h, text, sizeof text);
  EXPECT_STREQ(text, "Toolkit test");
  GetWindowTextA(Application->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Installation");
  GetWindowTextA(form->Button1->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Jetzt installieren!");
  EXPECT_EQ(TForm::FromHandle(form->Button1->Handle()), form);
  EXPECT_EQ(TForm::FromHandle(Application->Handle()), nullptr);
}

TEST_F(ToolkitTest, FirstShowingCentresOnTheVirtualDesktop) {
  TTestForm* form = CreateTestForm();
  form->Show();
  RECT outer = {};
  GetWindowRect(form->Handle(), &outer);
  const TLayoutPoint want =
      DesktopCenter(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                    outer.right - outer.left, outer.bottom - outer.top);
  EXPECT_EQ(outer.left, want.X);
  EXPECT_EQ(outer.top, want.Y);
  EXPECT_NE(want.X, 252);  // the design position is replaced
  // Only the first showing centres: moved and shown again, it stays.
  SetWindowPos(form->Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  form->Hide();
  form->Show();
  GetWindowRect(form->Handle(), &outer);
  EXPECT_EQ(outer.left, 10);
  EXPECT_EQ(outer.top, 20);
}

}  // namespace

namespace {

// The published tables of the form and its controls, through the writer and back: every
// figure, name, font and handler binding survives.
TEST_F(ToolkitTest, WrittenFormDataReadsBackToTheSameForm) {
  TTestForm* form = CreateTestForm();
  TMemoryStream data;
  WriteComponentRes(data, *form);
  data.SetPosition(0);
  TComponentPtr<TTestForm> copy(new TTestForm(nullptr));
  copy->LoadFromStream(data);

  EXPECT_EQ(copy->Name(), "TestForm");
  EXPECT_EQ(copy->Caption(), "Toolkit test");
  EXPECT_EQ(copy->ClientWidth(), form->ClientWidth());  // already scaled: not again
  EXPECT_EQ(copy->ClientHeight(), form->ClientHeight());
  EXPECT_EQ(copy->Color(), clWhite);
  EXPECT_EQ(copy->BorderStyle(), bsSingle);
  EXPECT_EQ(copy->Position(), poDesktopCenter);
  EXPECT_EQ(copy->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(copy->Font()->Height(), form->Font()->Height());
  ASSERT_EQ(copy->ControlCount(), 5);
  ASSERT_NE(copy->Label2, nullptr);
  EXPECT_EQ(copy->Label2->Caption(), "Vollversion");
  EXPECT_EQ(copy->Label2->Font()->Name(), "Arial");
  EXPECT_EQ(copy->Label2->Font()->Style(), 1u << fsBold);
  EXPECT_EQ(copy->Label2->Font()->Charset(), 0);
  EXPECT_FALSE(copy->Label2->ParentFont());
  EXPECT_TRUE(copy->Label3->ParentFont());
  EXPECT_EQ(copy->Label2->Width(), form->Label2->Width());
  EXPECT_EQ(copy->Image1->Cursor(), crHandPoint);
  EXPECT_EQ(copy->Image1->Width(), 197);
  EXPECT_EQ(copy->Image1->Left(), form->Image1->Left());
  EXPECT_EQ(copy->Button1->Kind(), bkOK);
  EXPECT_EQ(copy->Button1->Caption(), "Jetzt installieren!");
  EXPECT_TRUE(copy->Button1->Default());
  EXPECT_EQ(copy->Button1->Width(), form->Button1->Width());
  // Handlers are bound to the copy's own methods.
  copy->Button1->Click();
  copy->Image1->Click();
  EXPECT_EQ(copy->ButtonClicks, 1);
  EXPECT_EQ(copy->ImageClicks, 1);
  EXPECT_EQ(form->ButtonClicks, 0);
}

}  // namespace

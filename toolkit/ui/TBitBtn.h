// A bitmap button: an owner-drawn BUTTON child window showing a glyph left of its caption, both
// centred together 4 pixels apart. A kind other than bkCustom gives a standard glyph and
// caption; bkOK also makes it the form's default button (Enter clicks it).
//
// Every press is a press: an owner-drawn button of the system turns the second press of a quick
// double click into a double-click notification and never clicks on its release. The button's
// window procedure is therefore wrapped so that it sees a double-click press as a plain press,
// and two quick clicks are two clicks.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/core/ControlEnums.h"
#include "toolkit/ui/TControl.h"

// The caption a kind shows when the stored caption is empty ("OK" for bkOK).
std::string KindCaption(TBitBtnKind Kind);
// The bitmap resource of a kind's glyph ("BBOK"), empty when the kind has none.
std::string KindGlyphResource(TBitBtnKind Kind);

class TBitBtn : public TControl {
  TOOLKIT_CLASS(TBitBtn, TControl)

 public:
  explicit TBitBtn(TComponent* Owner);
  ~TBitBtn() override;

  TBitBtnKind Kind() const { return kind_; }
  // Takes the kind's glyph; bkOK makes the button the default, bkCancel the cancel button.
  void SetKind(TBitBtnKind Value);
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  int32_t TabOrder() const override { return tabOrder_; }
  void SetTabOrder(int32_t Value) { tabOrder_ = Value; }
  // Pixels between glyph and caption.
  int32_t Spacing() const { return spacing_; }

  // The text shown: the stored caption, or the kind's caption when that is empty.
  std::string ShownCaption() const;
  // The glyph bitmap (both states side by side), null when the kind has none.
  HBITMAP Glyph() const { return glyph_; }
  int32_t NumGlyphs() const { return numGlyphs_; }

  bool Windowed() const override { return true; }
  void CreateHandle() override;
  void DestroyHandle() override;
  HWND Handle() const override { return handle_; }
  bool CanFocus() const override;
  bool Focused() const;
  void SetFocus();

  // Space handling of the form's key rule: pushed down, then released (which clicks).
  void PressDown();
  bool ReleaseAndClick();
  // Lets go of a Space press without clicking (the focus or the mouse went elsewhere).
  void CancelPress();
  bool Pushed() const { return pushed_; }

  // Paints the button (the form forwards WM_DRAWITEM).
  void DrawItem(const DRAWITEMSTRUCT& Item);

  static void Publish(TPublisher<TBitBtn>& P);

 protected:
  void FontChanged() override;
  void CaptionChanged() override;
  void BoundsChanged() override;
  void EnabledChanged() override;

 private:
  void LoadGlyph();
  void FreeGlyph();
  void DrawGlyph(HDC Dc, int32_t X, int32_t Y, bool Enabled);
  static LRESULT CALLBACK ButtonWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);

  TBitBtnKind kind_ = bkCustom;
  bool default_ = false;
  bool cancel_ = false;
  int32_t tabOrder_ = -1;
  int32_t spacing_ = 4;
  HBITMAP glyph_ = nullptr;
  int32_t numGlyphs_ = 0;
  HWND handle_ = nullptr;
  WNDPROC buttonProc_ = nullptr;  // the system's button procedure that ButtonWndProc wraps
  bool pushed_ = false;
};

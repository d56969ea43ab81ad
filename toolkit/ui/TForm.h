// A form: a top-level window described by form data. The application creates it from the
// RCDATA resource named after its class in capitals (TForm1 -> "TFORM1"); its controls attach
// through the reader's parent hook. While loading it adapts the layout to the display
// (LoadedScaling), after loading it creates its window (hidden) and child windows; the first
// showing centres it. Enter, Escape and Space are handled as dialog keys (PreProcessKey).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "toolkit/core/ControlEnums.h"
#include "toolkit/core/FormLayout.h"
#include "toolkit/core/GraphicsNames.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/ToolkitErrors.h"
#include "toolkit/ui/TFont.h"

class TControl;
class TStream;

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };

// The height of "0" that the form's layout was designed for, and its density.
inline constexpr int32_t kDesignTextHeight = 13;
inline constexpr int32_t kDesignPixelsPerInch = 96;

class TForm : public TComponent {
  TOOLKIT_CLASS(TForm, TComponent)

 public:
  explicit TForm(TComponent* Owner);
  // Hides the window, destroys it and the controls, then the other components, last created
  // first.
  ~TForm() override;

  // Reads the form data resource named after the class in capitals from the program's module
  // (EResNotFound when it is missing), then creates the window. The application calls it.
  void LoadFromResource();
  // Reads form data from Stream into this form, then creates the window (tests use it).
  void LoadFromStream(TStream& Stream);

  // Design position of the window; replaced by centring when Position says so.
  int32_t Left() const { return left_; }
  void SetLeft(int32_t Value);
  int32_t Top() const { return top_; }
  void SetTop(int32_t Value);
  int32_t ClientWidth() const { return clientWidth_; }
  void SetClientWidth(int32_t Value);
  int32_t ClientHeight() const { return clientHeight_; }
  void SetClientHeight(int32_t Value);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TFont* Font() const { return font_.get(); }
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle Value) { borderStyle_ = Value; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int32_t Value) { pixelsPerInch_ = Value; }
  int32_t TextHeight() const { return textHeight_; }
  void SetTextHeight(int32_t Value) { textHeight_ = Value; }
  bool OldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool Value) { oldCreateOrder_ = Value; }

  // The controls on the form, in the order they were attached (the painting order).
  int32_t ControlCount() const { return static_cast<int32_t>(controls_.size()); }
  TControl* Controls(int32_t Index) const;  // EListError outside the range
  void InsertControl(TControl* Control);
  void RemoveControl(TControl* Control);
  // The topmost visible windowless control at a client point, or null.
  TControl* ControlAtPos(int32_t X, int32_t Y) const;
  // The focusable control first in tab order, the default and the cancel button.
  TControl* FirstTabControl() const;
  TControl* DefaultButton() const;
  TControl* CancelButton() const;
  TControl* FocusedControl() const;

  // The window; created on demand (hidden) with its child windows.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Shows the window (centring it at its first showing), with a Windows show command.
  void Show(int ShowCommand = SW_SHOWNORMAL);
  void Hide();
  bool Visible() const;
  // The close box: the main form ends the application's loop, another form hides.
  void Close();
  // Repaints the client area.
  void Invalidate();
  void InvalidateRect(const RECT& Area);
  // The outer size the window has (or will have), frame included.
  SIZE OuterSize() const;

  // The dialog-key rule for a key message aimed at this form or one of its child windows, with
  // the modifiers held. True when the form handled (consumed) the message.
  bool PreProcessKey(const MSG& Msg, TShiftState Shift);
  // The form a window belongs to (the window itself or its top-level ancestor), or null.
  static TForm* FromHandle(HWND Window);

  // Scaling of the layout: fonts to the density Ppi, then positions, sizes, own fonts and the
  // client area by the measured height of "0" against TextHeight. Loaded() runs it once with
  // the screen's density.
  void LoadedScaling(int32_t Ppi);
  // The height of "0" in the form's font, measured on the screen.
  int32_t MeasureTextHeight();

  void Loaded() override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  static void Publish(TPublisher<TForm>& P);

 protected:
  // Messages of the form's window; the window procedure catches what escapes and hands it to
  // the application's error box.
  virtual LRESULT WndProc(UINT Message, WPARAM WParam, LPARAM LParam);

 private:
  static LRESULT CALLBACK StaticWndProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void CreateWindowHandle();
  void DestroyWindowHandle();
  DWORD WindowStyle() const;
  DWORD WindowExStyle() const;
  void UpdateWindowSize();
  void FontChanged();
  void PaintWindow();
  bool FocusFirstControl();
  void HandleMouse(UINT Message, int32_t X, int32_t Y);
  bool HandleSetCursor(LPARAM LParam);
  void DestroyControls();

  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t clientWidth_ = 0;
  int32_t clientHeight_ = 0;
  std::string caption_;
  TColor color_ = clBtnFace;
  std::unique_ptr<TFont> font_;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TPosition position_ = poDesigned;
  int32_t pixelsPerInch_ = kDesignPixelsPerInch;
  int32_t textHeight_ = kDesignTextHeight;
  bool oldCreateOrder_ = false;

  std::vector<TControl*> controls_;  // not owned: the owner (this form, usually) owns them
  HWND handle_ = nullptr;
  bool shownOnce_ = false;
  TControl* lastFocused_ = nullptr;
  TControl* mouseDown_ = nullptr;
};

// The resource named after a form class was not found in the program.
class EResNotFound : public EToolkitError {
 public:
  using EToolkitError::EToolkitError;
};

// The base of everything a form shows: bounds in the form's client coordinates, the parent
// form, cursor, caption, font (own or the parent's), enabled and visible flags and the click
// event. Windowless controls are painted by their form (Paint); windowed controls create a
// child window when the form creates its own (CreateHandle).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "toolkit/core/GraphicsNames.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/TEvent.h"
#include "toolkit/ui/TFont.h"

class TForm;

class TControl : public TComponent {
  TOOLKIT_CLASS(TControl, TComponent)

 public:
  explicit TControl(TComponent* Owner);
  // Leaves the parent form (which stops painting it) and destroys a child window.
  ~TControl() override;

  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int32_t Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int32_t Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int32_t Value) { SetBounds(left_, top_, width_, Value); }
  // Moves and sizes the control (negative sizes count as 0) and repaints what changed.
  virtual void SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height);
  RECT BoundsRect() const;

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value) { cursor_ = Value; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);

  // The control's font. Changing it makes ParentFont False.
  TFont* Font() const { return font_.get(); }
  // True: the control uses (a copy of) its parent form's font, kept up to date.
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool Value);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(TNotifyEvent Value) { onClick_ = std::move(Value); }
  // Runs OnClick (with this control as Sender) when set.
  virtual void Click();

  TForm* Parent() const { return parent_; }
  // Moves the control onto Form (or off any form with null).
  void SetParent(TForm* Form);
  // The form-data reader's parent hook: the parent must be a form.
  void SetParentComponent(TComponent* Parent) override;
  TComponent* GetParentComponent() const override;

  // Windowless controls draw themselves into Dc, whose origin is the control's top left.
  virtual void Paint(HDC Dc);
  // Windowed controls: create or destroy the child window (the form calls these).
  virtual bool Windowed() const { return false; }
  virtual void CreateHandle() {}
  virtual void DestroyHandle() {}
  virtual HWND Handle() const { return nullptr; }
  // Whether the control takes the keyboard focus (and its place in the tab order).
  virtual bool CanFocus() const { return false; }
  virtual int32_t TabOrder() const { return -1; }

  // Multiplies position, size and an own font's height by M / D (rounded), then lets the
  // control fit its content again.
  virtual void ScaleBy(int32_t M, int32_t D);
  // Called when the parent form's font changed.
  void ParentFontChanged();

  // Repaints the control's area of its form.
  void Invalidate();

  void Loaded() override;
  static void Publish(TPublisher<TControl>& P);

 protected:
  // Fits the size to the content (labels to their text, images to their picture); the base
  // does nothing. Not called while the control is loading.
  virtual void AdjustSize() {}
  // The font, caption or parent changed: windowed controls update their window.
  virtual void FontChanged();
  virtual void CaptionChanged() {}
  virtual void BoundsChanged() {}
  virtual void EnabledChanged() {}

 private:
  void OwnFontChanged();

  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  TCursor cursor_ = crDefault;
  std::string caption_;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool copyingParentFont_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  TNotifyEvent onClick_;
  TForm* parent_ = nullptr;
};

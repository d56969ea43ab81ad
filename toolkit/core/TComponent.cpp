#include "toolkit/core/TComponent.h"

#include <algorithm>

#include "toolkit/core/SameText.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/ToolkitErrors.h"

TComponent::TComponent(TComponent* Owner) {
  if (Owner) Owner->InsertComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Free() {
  Destroying();
  delete this;
}

void TComponent::Destroying() {
  state_ |= csDestroying;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    RemoveComponent(last);
    last->Destroying();
    delete last;
  }
}

void TComponent::InsertComponent(TComponent* Component) {
  if (!Component->name_.empty() && FindComponent(Component->name_)) {
    throw EComponentError("A component named " + Component->name_ + " already exists");
  }
  components_.push_back(Component);
  Component->owner_ = this;
  Notification(Component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* Component) {
  auto it = std::find(components_.begin(), components_.end(), Component);
  if (it == components_.end()) return;
  components_.erase(it);
  Component->owner_ = nullptr;
  if (InState(csDestroying)) return;  // nothing left to keep consistent
  Notification(Component, TOperation::opRemove);
  for (TComponent* sibling : components_) sibling->Notification(Component, TOperation::opRemove);
}

void TComponent::SetName(const std::string& Value) {
  if (Value == name_) return;
  if (owner_ && !Value.empty()) {
    TComponent* other = owner_->FindComponent(Value);
    if (other && other != this) {
      throw EComponentError("A component named " + Value + " already exists");
    }
  }
  name_ = Value;
}

void TComponent::SetDesigning(bool Value) {
  if (Value) {
    state_ |= csDesigning;
  } else {
    state_ &= ~csDesigning;
  }
  for (TComponent* c : components_) c->SetDesigning(Value);
}

TComponent* TComponent::Components(int32_t Index) const {
  if (Index < 0 || Index >= ComponentCount()) throw EListError(ListIndexErrorText(Index));
  return components_[static_cast<size_t>(Index)];
}

TComponent* TComponent::FindComponent(const std::string& Name) const {
  if (Name.empty()) return nullptr;
  for (TComponent* c : components_) {
    if (SameText(c->name_, Name)) return c;
  }
  return nullptr;
}

void TComponent::Loaded() {
  state_ &= ~csLoading;
}

void TComponent::SetParentComponent(TComponent* /*Parent*/) {}

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  if (Root != this) return;
  for (TComponent* c : components_) {
    if (!c->GetParentComponent()) Proc(c);
  }
}

void TComponent::Notification(TComponent* Component, TOperation Operation) {
  if (Operation != TOperation::opRemove) return;
  for (const TClassInfo* c = &ClassInfo(); c; c = c->Parent()) {
    for (const TFieldInfo& f : c->OwnFields()) {
      if (f.Get(*this) == Component) f.Set(*this, nullptr);
    }
  }
}

void TComponent::DefineProperties(TFiler& Filer) {
  Filer.DefineIntegerProperty(
      "Left", [this](int32_t V) { designLeft_ = V; }, [this] { return designLeft_; },
      designLeft_ != 0);
  Filer.DefineIntegerProperty(
      "Top", [this](int32_t V) { designTop_ = V; }, [this] { return designTop_; }, designTop_ != 0);
}

void TComponent::Publish(TPublisher<TComponent>& P) {
  P.String("Name", &TComponent::Name, &TComponent::SetName).NotStored();
  P.Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

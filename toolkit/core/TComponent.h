// Components: named objects in an ownership tree. An owner holds the components it owns, in
// creation order, and destroys them in reverse order of creation when it is destroyed; a
// component destroyed first removes itself from its owner.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/TPersistent.h"

// Component state flags (a bit mask).
using TComponentState = uint32_t;
enum : TComponentState {
  csLoading = 1u << 0,     // its form data is being read; cleared just before Loaded()
  csDesigning = 1u << 1,   // edited in a form designer rather than running
  csDestroying = 1u << 2,  // destruction has begun
};

enum class TOperation : uint8_t { opInsert, opRemove };

class TComponent : public TPersistent {
  TOOLKIT_CLASS(TComponent, TPersistent)

 public:
  // Creates a component owned by Owner (which may be null); the owner destroys it.
  explicit TComponent(TComponent* Owner);
  // Destroys the owned components, last created first, then leaves the owner. Prefer Free()
  // (or TComponentPtr), which marks the component as destroying before any destructor runs.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Sets csDestroying on this component, then deletes it.
  void Free();

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Renames; EComponentError when another component of the same owner has the name (letter case
  // ignored). An empty name is allowed and never clashes.
  void SetName(const std::string& Value);
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t Value) { tag_ = Value; }

  TComponentState ComponentState() const { return state_; }
  bool InState(TComponentState Flags) const { return (state_ & Flags) != 0; }
  // Sets or clears csDesigning on this component and everything it owns.
  void SetDesigning(bool Value);
  // Marks this component (and, once it destroys them, its owned components) as destroying.
  virtual void Destroying();

  // Owned components, in creation order.
  int32_t ComponentCount() const { return static_cast<int32_t>(components_.size()); }
  TComponent* Components(int32_t Index) const;  // EListError outside 0..Count-1
  // The owned component with this name (letter case ignored), or null.
  TComponent* FindComponent(const std::string& Name) const;

  // End-of-loading notification: runs once after the whole form data was read, with every
  // component already created. The base clears csLoading.
  virtual void Loaded();
  // Sets or clears csLoading; used by the form-data reader.
  void SetLoading(bool Value) { state_ = Value ? (state_ | csLoading) : (state_ & ~csLoading); }

  // The reader attaches a child record to the component it is nested in (Parent may be null).
  // The base ignores it; visual controls set their parent control.
  virtual void SetParentComponent(TComponent* Parent);
  virtual TComponent* GetParentComponent() const { return nullptr; }
  // The writer asks a component for the child records nested in it, in order. The base lists,
  // for the root only, the owned components without a parent component.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);

  // Told when Component is inserted into or removed from this component's owned list (and
  // siblings are told of a removal). The base clears published fields that point at a removed
  // component.
  virtual void Notification(TComponent* Component, TOperation Operation);

  // Design position of a non-visual component ("Left"/"Top" in the form data, stored only when
  // non-zero).
  int32_t DesignLeft() const { return designLeft_; }
  int32_t DesignTop() const { return designTop_; }
  void SetDesignLeft(int32_t Value) { designLeft_ = Value; }
  void SetDesignTop(int32_t Value) { designTop_ = Value; }
  void DefineProperties(TFiler& Filer) override;

  static void Publish(TPublisher<TComponent>& P);

 protected:
  // Deletes all owned components, last created first (each marked destroying first). The
  // destructor calls it; a form may call it earlier in its own destruction.
  void DestroyComponents();

 private:
  void InsertComponent(TComponent* Component);
  void RemoveComponent(TComponent* Component);

  TComponent* owner_ = nullptr;
  std::string name_;
  int32_t tag_ = 0;
  TComponentState state_ = 0;
  int32_t designLeft_ = 0;
  int32_t designTop_ = 0;
  std::vector<TComponent*> components_;  // owned, creation order
};

// Owning pointer for a component without an owner (e.g. the application's main form).
struct TComponentDeleter {
  void operator()(TComponent* Component) const {
    if (Component) Component->Free();
  }
};
template <class T>
using TComponentPtr = std::unique_ptr<T, TComponentDeleter>;

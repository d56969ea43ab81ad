// Base classes of the component library: settings objects that know the component that made
// them (TacPersistent, TacAddon), lists of object references (TacUniqueList, TacObjectList) and
// the base of the non-visual components (TacComponent).
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/core/Modules.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/TEvent.h"
#include "toolkit/core/TList.h"
#include "toolkit/core/TPersistent.h"
#include "toolkit/core/TStream.h"

// A persistent object created by a component for itself. Owner is a plain reference: the
// object never frees it, and it is not reported to the streaming system (GetOwner stays null).
class TacPersistent : public TPersistent {
  TOOLKIT_CLASS(TacPersistent, TPersistent)

 public:
  explicit TacPersistent(TComponent* Owner) : owner_(Owner) {}
  TacPersistent(const TacPersistent&) = delete;
  TacPersistent& operator=(const TacPersistent&) = delete;

  TComponent* Owner() const { return owner_; }
  // True when the owner is being edited in a form designer; false without an owner.
  virtual bool IsDesigning() const;

 private:
  TComponent* owner_;
};

// A settings object with a published Enabled switch (default False).
class TacAddon : public TacPersistent {
  TOOLKIT_CLASS(TacAddon, TacPersistent)

 public:
  using TacPersistent::TacPersistent;

  bool Enabled() const { return enabled_; }
  // Stores a changed value and calls EnabledChanged; an equal value does nothing.
  void SetEnabled(bool Value);

  // Copies Enabled from another TacAddon; any other source goes to the inherited copy, which
  // raises the assignment error for unrelated classes.
  void CopyFrom(const TPersistent* Source);
  void Assign(const TPersistent* Source) override { CopyFrom(Source); }

  static void Publish(TPublisher<TacAddon>& P);

 protected:
  virtual void EnabledChanged() {}

 private:
  bool enabled_ = false;
};

// A list that holds each object reference at most once (by identity) and refuses null.
class TacUniqueList : public TList {
  TOOLKIT_CLASS(TacUniqueList, TList)

 public:
  // With a stream, loads from it (clearing first) through this class's LoadFromStream.
  explicit TacUniqueList(TStream* Stream = nullptr);

  // Appends Item unless it is null or already present (-1); returns its index.
  int32_t AddUnique(TObject* Item);
  // The base only clears the list when ClearFirst is set.
  virtual void LoadFromStream(TStream& Stream, bool ClearFirst);
};

// Sender is the list; Action is laAdded, laExtracted or laDeleted.
using TacListItemEvent = TEvent<TObject* /*Sender*/, TObject* /*Item*/>;
using TacListNotifyEvent = TEvent<TObject* /*Sender*/, TObject* /*Item*/, TListAction /*Action*/>;

// A unique list that can own its items (freeing each one it deletes), reports every item that
// enters or leaves, and may keep only the newest MaxCount items.
class TacObjectList : public TacUniqueList {
  TOOLKIT_CLASS(TacObjectList, TacUniqueList)

 public:
  // Calls Initialize last. As in any C++ constructor, that is TacObjectList's own Initialize;
  // a descendant does its own set-up in its constructor.
  explicit TacObjectList(bool OwnsObjects = true, int32_t Tag = 0);
  // Clears the list, so an owning list frees its items, last first.
  ~TacObjectList() override;

  int32_t MaxCount() const { return maxCount_; }
  void SetMaxCount(int32_t Value) { maxCount_ = Value; }
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool Value) { ownsObjects_ = Value; }
  int32_t Tag() const { return tag_; }

  const TacListItemEvent& OnItemAdded() const { return onItemAdded_; }
  void SetOnItemAdded(TacListItemEvent Value) { onItemAdded_ = std::move(Value); }
  const TacListItemEvent& OnItemRemoved() const { return onItemRemoved_; }
  void SetOnItemRemoved(TacListItemEvent Value) { onItemRemoved_ = std::move(Value); }
  const TacListNotifyEvent& OnItemNotify() const { return onItemNotify_; }
  void SetOnItemNotify(TacListNotifyEvent Value) { onItemNotify_ = std::move(Value); }

  // Appends Item when CanAdd accepts it and returns the index it was appended at (trimming to
  // MaxCount follows). A refused item is freed when the list owns its objects; -1 then. A null
  // or duplicate item that CanAdd accepted gives -1 and is not freed.
  int32_t Add(TObject* Item);
  // Deletes the item at Index, freeing it exactly when FreeItem is set; OwnsObjects is kept.
  void DeleteItem(int32_t Index, bool FreeItem);
  // Deletes and frees the oldest items while Count exceeds a non-zero MaxCount.
  void TrimToMaxCount();

  // Reads a little-endian 32-bit count, then that many items through ReadItem.
  void LoadFromStream(TStream& Stream, bool ClearFirst) override;
  // Writes Count (little-endian 32-bit), then every item through WriteItem.
  virtual void SaveToStream(TStream& Stream);

 protected:
  void ListChanged(TObject* Item, TListAction Action) override;

  virtual void Initialize() {}
  virtual bool CanAdd(TObject* /*Item*/) { return true; }
  virtual void ItemAdded(TObject* Item);
  virtual void ItemRemoved(TObject* Item);
  virtual void ItemNotify(TObject* Item, TListAction Action);
  virtual void ReadItem(TStream& /*Stream*/) {}
  virtual void WriteItem(int32_t /*Index*/, TStream& /*Stream*/) {}

 private:
  int32_t maxCount_ = 0;
  bool ownsObjects_;
  TacListItemEvent onItemAdded_;
  TacListItemEvent onItemRemoved_;
  TacListNotifyEvent onItemNotify_;
  int32_t tag_;
};

// Frees an object the way its kind needs: a component through Free (so it is marked as
// destroying first), anything else by deleting it.
void FreeObject(TObject* Object);

// The base of the non-visual components: remembers the component it was created for and carries
// the published, never stored About text.
class TacComponent : public TComponent {
  TOOLKIT_CLASS(TacComponent, TComponent)

 public:
  explicit TacComponent(TComponent* Owner) : TComponent(Owner), hostComponent_(Owner) {}

  const std::string& About() const { return about_; }
  void SetAbout(const std::string& Value) { about_ = Value; }
  TComponent* HostComponent() const { return hostComponent_; }

  virtual void SetHostComponent(TComponent* Component);
  // The host component when it is a form (TForm or a descendant), otherwise null.
  virtual TComponent* GetHostForm() const;
  virtual void AttachTo(TComponent* Component) { SetHostComponent(Component); }

  // The setter of display-only published figures: discards the value.
  void IgnoreValue(uint32_t /*Value*/) {}

  static void Publish(TPublisher<TacComponent>& P);

 private:
  std::string about_;
  TComponent* hostComponent_;
};

// acClasses has no start-up or shut-down work; its entry keeps the module order visible.
inline constexpr TModule kacClassesModule{"acClasses", nullptr, nullptr};

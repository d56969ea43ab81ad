#include "foundation/acClasses.h"

#include "toolkit/core/ApplicationState.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"

namespace {

// Forms live in the Windows-only part of the toolkit, so a form is recognised by its class
// ancestry, by name.
bool IsForm(const TComponent& Component) {
  for (const TClassInfo* c = &Component.ClassInfo(); c; c = c->Parent()) {
    if (SameText(c->Name(), "TForm")) return true;
  }
  return false;
}

void WriteInt32(TStream& Stream, int32_t Value) {
  uint8_t bytes[4];
  StoreLE32(bytes, static_cast<uint32_t>(Value));
  Stream.WriteBuffer(bytes, sizeof bytes);
}

int32_t ReadInt32(TStream& Stream) {
  uint8_t bytes[4];
  Stream.ReadBuffer(bytes, sizeof bytes);
  return static_cast<int32_t>(LoadLE32(bytes));
}

}  // namespace

bool TacPersistent::IsDesigning() const {
  return owner_ != nullptr && owner_->InState(csDesigning);
}

void TacAddon::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  EnabledChanged();
}

void TacAddon::CopyFrom(const TPersistent* Source) {
  if (Source != nullptr && Source->Is<TacAddon>()) {
    SetEnabled(static_cast<const TacAddon*>(Source)->Enabled());
    return;
  }
  TacPersistent::Assign(Source);
}

void TacAddon::Publish(TPublisher<TacAddon>& P) {
  P.Boolean("Enabled", &TacAddon::Enabled, &TacAddon::SetEnabled, false);
}

TacUniqueList::TacUniqueList(TStream* Stream) {
  if (Stream != nullptr) LoadFromStream(*Stream, true);
}

int32_t TacUniqueList::AddUnique(TObject* Item) {
  if (Item == nullptr || IndexOf(Item) >= 0) return -1;
  return TList::Add(Item);
}

void TacUniqueList::LoadFromStream(TStream& /*Stream*/, bool ClearFirst) {
  if (ClearFirst) Clear();
}

void FreeObject(TObject* Object) {
  if (auto* component = dynamic_cast<TComponent*>(Object)) {
    component->Free();
  } else {
    delete Object;
  }
}

TacObjectList::TacObjectList(bool OwnsObjects, int32_t Tag)
    : TacUniqueList(nullptr), ownsObjects_(OwnsObjects), tag_(Tag) {
  Initialize();
}

TacObjectList::~TacObjectList() {
  Clear();
}

int32_t TacObjectList::Add(TObject* Item) {
  if (!CanAdd(Item)) {
    if (Item != nullptr && ownsObjects_) FreeObject(Item);
    return -1;
  }
  const int32_t index = AddUnique(Item);
  TrimToMaxCount();
  return index;
}

void TacObjectList::DeleteItem(int32_t Index, bool FreeItem) {
  const bool owns = ownsObjects_;
  ownsObjects_ = FreeItem;
  try {
    Delete(Index);
  } catch (...) {
    ownsObjects_ = owns;
    throw;
  }
  ownsObjects_ = owns;
}

void TacObjectList::TrimToMaxCount() {
  if (maxCount_ == 0) return;
  while (Count() > 0 && Count() > maxCount_) DeleteItem(0, true);
}

void TacObjectList::ListChanged(TObject* Item, TListAction Action) {
  switch (Action) {
    case laAdded:
      ItemAdded(Item);
      break;
    case laExtracted:
      ItemRemoved(Item);
      break;
    case laDeleted:
      ItemRemoved(Item);
      if (ownsObjects_) FreeObject(Item);
      break;
  }
  TacUniqueList::ListChanged(Item, Action);
  // For a freed item the pointer serves only as an identity from here on.
  ItemNotify(Item, Action);
}

void TacObjectList::ItemAdded(TObject* Item) {
  if (onItemAdded_.Assigned() && !ApplicationDestroying()) onItemAdded_(this, Item);
}

void TacObjectList::ItemRemoved(TObject* Item) {
  if (onItemRemoved_.Assigned() && !ApplicationDestroying()) onItemRemoved_(this, Item);
}

void TacObjectList::ItemNotify(TObject* Item, TListAction Action) {
  if (onItemNotify_.Assigned() && !ApplicationDestroying()) onItemNotify_(this, Item, Action);
}

void TacObjectList::LoadFromStream(TStream& Stream, bool ClearFirst) {
  TacUniqueList::LoadFromStream(Stream, ClearFirst);
  const int32_t count = ReadInt32(Stream);
  for (int32_t i = 0; i < count; ++i) ReadItem(Stream);
}

void TacObjectList::SaveToStream(TStream& Stream) {
  WriteInt32(Stream, Count());
  for (int32_t i = 0; i < Count(); ++i) WriteItem(i, Stream);
}

void TacComponent::SetHostComponent(TComponent* Component) {
  if (Component != hostComponent_) hostComponent_ = Component;
}

TComponent* TacComponent::GetHostForm() const {
  return hostComponent_ != nullptr && IsForm(*hostComponent_) ? hostComponent_ : nullptr;
}

void TacComponent::Publish(TPublisher<TacComponent>& P) {
  P.String("About", &TacComponent::About, &TacComponent::SetAbout).NotStored();
}

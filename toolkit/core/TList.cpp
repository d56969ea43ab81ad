#include "toolkit/core/TList.h"

#include <algorithm>
#include <string>

#include "toolkit/core/ToolkitErrors.h"

TList::~TList() {
  TList::Clear();
}

void TList::CheckIndex(int32_t Index, int32_t Limit) const {
  if (Index < 0 || Index > Limit) Error("List index out of bounds (%d)", Index);
}

void TList::Notify(TObject* Item, TListAction Action) {
  if (Item) ListChanged(Item, Action);
}

void TList::SetCapacity(int32_t Value) {
  if (Value < Count()) Error("List capacity out of bounds (%d)", Value);
  items_.reserve(static_cast<size_t>(Value));
  capacity_ = Value;
}

void TList::Grow() {
  int32_t delta = capacity_ > 64 ? capacity_ / 4 : (capacity_ > 8 ? 16 : 4);
  SetCapacity(capacity_ + delta);
}

int32_t TList::Add(TObject* Item) {
  int32_t index = Count();
  Insert(index, Item);
  return index;
}

void TList::Insert(int32_t Index, TObject* Item) {
  CheckIndex(Index, Count());
  if (Count() == capacity_) Grow();
  items_.insert(items_.begin() + Index, Item);
  Notify(Item, laAdded);
}

void TList::Delete(int32_t Index) {
  CheckIndex(Index, Count() - 1);
  TObject* item = items_[static_cast<size_t>(Index)];
  items_.erase(items_.begin() + Index);
  Notify(item, laDeleted);
}

TObject* TList::Extract(TObject* Item) {
  int32_t index = IndexOf(Item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(Item, laExtracted);
  return Item;
}

int32_t TList::Remove(TObject* Item) {
  int32_t index = IndexOf(Item);
  if (index >= 0) Delete(index);
  return index;
}

int32_t TList::IndexOf(const TObject* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

TObject* TList::Items(int32_t Index) const {
  CheckIndex(Index, Count() - 1);
  return items_[static_cast<size_t>(Index)];
}

void TList::Put(int32_t Index, TObject* Item) {
  CheckIndex(Index, Count() - 1);
  TObject* old = items_[static_cast<size_t>(Index)];
  items_[static_cast<size_t>(Index)] = Item;
  Notify(old, laDeleted);
  Notify(Item, laAdded);
}

void TList::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
  items_.shrink_to_fit();
  capacity_ = 0;
}

void TList::ListChanged(TObject* /*Item*/, TListAction /*Action*/) {}

void TList::Error(const char* Message, int64_t Data) const {
  std::string text(Message);
  size_t at = text.find("%d");
  if (at != std::string::npos) text.replace(at, 2, std::to_string(Data));
  throw EListError(text);
}

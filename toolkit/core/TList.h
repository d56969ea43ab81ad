// An ordered list of object references (TObject*, null allowed). It never owns its items; every
// item that enters or leaves passes through the change hook ListChanged, which descendants use
// to react (an owning list frees deleted items there).
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/core/TObject.h"

// Action codes of ListChanged.
enum TListAction : int32_t { laAdded = 0, laExtracted = 1, laDeleted = 2 };

class TList : public TObject {
  TOOLKIT_CLASS(TList, TObject)

 public:
  TList() = default;
  // Clears the list through TList's own hooks. A descendant whose ListChanged must see the items
  // leave calls Clear() in its own destructor.
  ~TList() override;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  int32_t Capacity() const { return capacity_; }
  // EListError "List capacity out of bounds (n)" below Count.
  void SetCapacity(int32_t Value);

  // Appends; returns the new item's index. Reports Item as added.
  int32_t Add(TObject* Item);
  // Inserts at Index (0..Count); reports Item as added.
  void Insert(int32_t Index, TObject* Item);
  // Removes the item at Index and reports it as deleted.
  void Delete(int32_t Index);
  // Removes the first occurrence of Item without deleting it: reports it as extracted and
  // returns it; null when Item is not in the list.
  TObject* Extract(TObject* Item);
  // Deletes the first occurrence of Item; returns its former index or -1.
  int32_t Remove(TObject* Item);
  // Index of the first occurrence (identity), or -1.
  int32_t IndexOf(const TObject* Item) const;

  TObject* Items(int32_t Index) const;
  // Replaces the item at Index: the old one is reported deleted, the new one added.
  void Put(int32_t Index, TObject* Item);
  TObject* First() const { return Items(0); }
  TObject* Last() const { return Items(Count() - 1); }

  // Deletes every item, last first (each reported deleted), and releases the storage.
  virtual void Clear();

  // Every index outside the valid range raises EListError naming it; the list is unchanged.

 protected:
  // Raises capacity when the list is full: by 4 up to 8 items, 16 up to 64, then a quarter.
  virtual void Grow();
  // Change hook: runs for every non-null item added, extracted or deleted, after the change.
  virtual void ListChanged(TObject* Item, TListAction Action);
  // Raises EListError with Message, which holds %d for Data.
  [[noreturn]] virtual void Error(const char* Message, int64_t Data) const;

 private:
  void CheckIndex(int32_t Index, int32_t Limit) const;
  void Notify(TObject* Item, TListAction Action);

  std::vector<TObject*> items_;
  int32_t capacity_ = 0;
};

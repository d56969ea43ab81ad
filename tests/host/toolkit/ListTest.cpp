#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/TList.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

class TItem : public TObject {};

// Records every change the list reports.
class TRecordingList : public TList {
 public:
  ~TRecordingList() override { Clear(); }
  std::vector<std::pair<TObject*, TListAction>> Log;
  using TList::Grow;

 protected:
  void ListChanged(TObject* Item, TListAction Action) override { Log.emplace_back(Item, Action); }
};

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const EListError& e) {
    return e.what();
  }
  return "no error";
}

TEST(TListTest, EveryChangePassesThroughTheHookWithItsAction) {
  TItem a, b, c, d;
  TRecordingList list;
  EXPECT_EQ(list.Add(&a), 0);
  EXPECT_EQ(list.Add(&b), 1);
  list.Insert(0, &c);               // c a b
  EXPECT_EQ(list.Extract(&a), &a);  // c b
  EXPECT_EQ(list.Remove(&b), 1);    // c
  list.Put(0, &d);                  // d: c deleted, d added
  list.Delete(0);
  using P = std::pair<TObject*, TListAction>;
  EXPECT_EQ(list.Log, (std::vector<P>{{&a, laAdded},
                                      {&b, laAdded},
                                      {&c, laAdded},
                                      {&a, laExtracted},
                                      {&b, laDeleted},
                                      {&c, laDeleted},
                                      {&d, laAdded},
                                      {&d, laDeleted}}));
  EXPECT_EQ(list.Count(), 0);
}

TEST(TListTest, NullItemsAreStoredButNotReported) {
  TItem a;
  TRecordingList list;
  list.Add(nullptr);
  list.Add(&a);
  list.Put(0, nullptr);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
  ASSERT_EQ(list.Log.size(), 1u);
  EXPECT_EQ(list.Log[0].first, &a);
  EXPECT_EQ(list.Remove(nullptr), -1);
  EXPECT_EQ(list.Extract(nullptr), nullptr);
}

TEST(TListTest, ClearDeletesFromLastToFirst) {
  TItem a, b, c;
  TRecordingList list;
  for (TItem* i : {&a, &b, &c}) list.Add(i);
  list.Log.clear();
  list.Clear();
  ASSERT_EQ(list.Log.size(), 3u);
  EXPECT_EQ(list.Log[0].first, &c);
  EXPECT_EQ(list.Log[2].first, &a);
  EXPECT_EQ(list.Log[1].second, laDeleted);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(TListTest, BadIndexRaisesTheIndexErrorAndLeavesTheListAlone) {
  TItem a, b;
  TRecordingList list;
  list.Add(&a);
  list.Add(&b);
  list.Log.clear();
  EXPECT_EQ(ErrorOf([&] { list.Delete(5); }), "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf([&] { list.Items(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { list.Put(2, &a); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorOf([&] { list.Insert(3, &a); }), "List index out of bounds (3)");
  EXPECT_EQ(ErrorOf([&] { list.SetCapacity(1); }), "List capacity out of bounds (1)");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.First(), &a);
  EXPECT_EQ(list.Last(), &b);
  EXPECT_TRUE(list.Log.empty());
  list.Insert(2, &a);  // at Count is allowed
  EXPECT_EQ(list.IndexOf(&a), 0);
  EXPECT_EQ(list.Count(), 3);

  TRecordingList empty;
  EXPECT_EQ(ErrorOf([&] { empty.First(); }), "List index out of bounds (0)");
  EXPECT_EQ(ErrorOf([&] { empty.Last(); }), "List index out of bounds (-1)");
}

TEST(TListTest, GrowsInSteps) {
  TRecordingList list;
  TItem a;
  std::vector<int32_t> capacities;
  for (int i = 0; i < 100; ++i) {
    list.Add(&a);
    if (capacities.empty() || capacities.back() != list.Capacity()) {
      capacities.push_back(list.Capacity());
    }
  }
  EXPECT_EQ(capacities, (std::vector<int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
}

}  // namespace

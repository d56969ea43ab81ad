#include "foundation/acClasses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/ApplicationState.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

using Log = std::vector<std::string>;

// An item that records its own destruction.
class TTracked : public TObject {
 public:
  TTracked(Log& log, std::string name) : log_(log), name_(std::move(name)) {}
  ~TTracked() override { log_.push_back("free " + name_); }
  const std::string& Name() const { return name_; }

 private:
  Log& log_;
  std::string name_;
};

// Records every list event; items are identified by the name registered for their pointer,
// which stays readable after the item is freed.
struct EventRecorder {
  Log& log;
  std::vector<std::pair<const TObject*, std::string>> names;

  std::string NameOf(const TObject* item) const {
    for (const auto& [p, n] : names)
      if (p == item) return n;
    return "?";
  }
  TTracked* Make(const std::string& name) {
    auto* t = new TTracked(log, name);
    names.emplace_back(t, name);
    return t;
  }
  void Attach(TacObjectList& list) {
    list.SetOnItemAdded(TacListItemEvent(
        [this](TObject*, TObject* item) { log.push_back("added " + NameOf(item)); }));
    list.SetOnItemRemoved(TacListItemEvent(
        [this](TObject*, TObject* item) { log.push_back("removed " + NameOf(item)); }));
    list.SetOnItemNotify(TacListNotifyEvent([this](TObject*, TObject* item, TListAction a) {
      log.push_back("notify " + NameOf(item) + " " + std::to_string(a));
    }));
  }
};

class ObjectListTest : public ::testing::Test {
 protected:
  Log log;
  EventRecorder rec{log, {}};
};

TEST_F(ObjectListTest, AddUniqueRefusesNullAndDuplicates) {
  TacObjectList list(false, 7);
  TTracked a(log, "a");
  EXPECT_EQ(list.AddUnique(nullptr), -1);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.AddUnique(&a), 0);
  EXPECT_EQ(list.AddUnique(&a), -1);
  EXPECT_EQ(list.Add(&a), -1);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Tag(), 7);
  list.Clear();
  EXPECT_TRUE(log.empty());  // a list that does not own its items frees nothing
}

TEST_F(ObjectListTest, OwningListReportsRemovalBeforeFreeAndNotifyAfter) {
  TacObjectList list(true, 0);
  rec.Attach(list);
  list.Add(rec.Make("a"));
  list.Add(rec.Make("b"));
  list.Add(rec.Make("c"));
  list.Add(rec.Make("d"));
  EXPECT_EQ(log, (Log{"added a", "notify a 0", "added b", "notify b 0", "added c", "notify c 0",
                      "added d", "notify d 0"}));
  log.clear();

  list.Delete(0);  // delete
  EXPECT_EQ(log, (Log{"removed a", "free a", "notify a 2"}));
  log.clear();

  TObject* c = list.Items(1);
  EXPECT_EQ(list.Remove(c), 1);  // remove
  EXPECT_EQ(log, (Log{"removed c", "free c", "notify c 2"}));
  log.clear();

  list.Put(0, rec.Make("e"));  // replacement: old deleted, new added
  EXPECT_EQ(log, (Log{"removed b", "free b", "notify b 2", "added e", "notify e 0"}));
  log.clear();

  list.Clear();  // last first
  EXPECT_EQ(log, (Log{"removed d", "free d", "notify d 2", "removed e", "free e", "notify e 2"}));
}

TEST_F(ObjectListTest, ExtractReportsRemovalWithoutFreeing) {
  TacObjectList list(true, 0);
  rec.Attach(list);
  TTracked* a = rec.Make("a");
  list.Add(a);
  log.clear();
  EXPECT_EQ(list.Extract(a), a);
  EXPECT_EQ(log, (Log{"removed a", "notify a 1"}));
  delete a;
}

TEST_F(ObjectListTest, DestructionFreesOwnedItemsLastFirst) {
  {
    TacObjectList list(true, 0);
    rec.Attach(list);
    list.Add(rec.Make("a"));
    list.Add(rec.Make("b"));
    log.clear();
  }
  EXPECT_EQ(log, (Log{"removed b", "free b", "notify b 2", "removed a", "free a", "notify a 2"}));
}

TEST_F(ObjectListTest, DeleteItemControlsFreeingAndRestoresOwnership) {
  TacObjectList list(true, 0);
  TTracked* a = rec.Make("a");
  list.Add(a);
  list.Add(rec.Make("b"));
  list.DeleteItem(0, false);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(list.OwnsObjects());
  delete a;
  log.clear();

  TacObjectList borrowed(false, 0);
  borrowed.Add(rec.Make("x"));
  borrowed.DeleteItem(0, true);
  EXPECT_EQ(log, (Log{"free x"}));
  EXPECT_FALSE(borrowed.OwnsObjects());
}

TEST_F(ObjectListTest, IndexErrorsLeaveTheListAndOwnershipUnchanged) {
  TacObjectList list(true, 0);
  list.Add(rec.Make("a"));
  try {
    list.DeleteItem(1, false);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  EXPECT_THROW(list.DeleteItem(-1, true), EListError);
  EXPECT_THROW(list.Items(5), EListError);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.OwnsObjects());
  EXPECT_TRUE(log.empty());
}

TEST_F(ObjectListTest, MaxCountTrimsOldestAndFreesEvenWithoutOwnership) {
  TacObjectList list(false, 0);
  list.SetMaxCount(2);
  TTracked* b = rec.Make("b");
  TTracked* c = rec.Make("c");
  EXPECT_EQ(list.Add(rec.Make("a")), 0);
  EXPECT_EQ(list.Add(b), 1);
  EXPECT_EQ(list.Add(c), 2);  // the appended index, before trimming
  EXPECT_EQ(log, (Log{"free a"}));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0), b);
  EXPECT_EQ(list.Items(1), c);
  EXPECT_FALSE(list.OwnsObjects());
  list.Clear();
  delete b;
  delete c;
}

// A list that refuses items whose name starts with "x".
class TPickyList : public TacObjectList {
 public:
  using TacObjectList::TacObjectList;

 protected:
  bool CanAdd(TObject* Item) override {
    auto* t = dynamic_cast<TTracked*>(Item);
    return t == nullptr || t->Name()[0] != 'x';
  }
};

TEST_F(ObjectListTest, RefusedItemIsFreedOnlyByAnOwningList) {
  TPickyList owning(true, 0);
  EXPECT_EQ(owning.Add(rec.Make("x1")), -1);
  EXPECT_EQ(log, (Log{"free x1"}));
  log.clear();

  TPickyList borrowing(false, 0);
  TTracked x2(log, "x2");
  EXPECT_EQ(borrowing.Add(&x2), -1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(owning.Add(nullptr), -1);  // accepted by CanAdd, refused by AddUnique
}

TEST_F(ObjectListTest, NoEventsWhileTheApplicationIsDestroyedButItemsAreFreed) {
  TComponent app(nullptr);
  SetApplicationComponent(&app);
  TacObjectList list(true, 0);
  rec.Attach(list);
  list.Add(rec.Make("a"));
  app.Destroying();  // the application's destruction has begun
  list.Add(rec.Make("b"));
  list.Clear();
  SetApplicationComponent(nullptr);
  EXPECT_EQ(log, (Log{"added a", "notify a 0", "free b", "free a"}));
}

// A list that stores one byte per item, to show that SaveToStream and LoadFromStream frame the
// items with their count and hand each to the item hooks in order.
class TByteList : public TacObjectList {
 public:
  using TacObjectList::TacObjectList;
  std::vector<uint8_t> read;

 protected:
  void ReadItem(TStream& Stream) override {
    uint8_t b = 0;
    Stream.ReadBuffer(&b, 1);
    read.push_back(b);
  }
  void WriteItem(int32_t Index, TStream& Stream) override {
    const uint8_t b = static_cast<uint8_t>(0x40 + Index);
    Stream.WriteBuffer(&b, 1);
  }
};

TEST(ObjectListStreamTest, CountFramesTheItems) {
  TObject a, b, c;
  TacObjectList plain(false, 0);
  plain.Add(&a);
  plain.Add(&b);
  TMemoryStream s;
  plain.SaveToStream(s);
  EXPECT_EQ(s.Bytes(), (std::vector<uint8_t>{2, 0, 0, 0}));

  TByteList list(false, 0);
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  TMemoryStream t;
  list.SaveToStream(t);
  EXPECT_EQ(t.Bytes(), (std::vector<uint8_t>{3, 0, 0, 0, 0x40, 0x41, 0x42}));
  t.SetPosition(0);
  list.LoadFromStream(t, true);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.read, (std::vector<uint8_t>{0x40, 0x41, 0x42}));
  EXPECT_EQ(t.Position(), t.Size());

  // A negative count reads nothing more; a count without its items fails with the stream error.
  TByteList neg(false, 0);
  TMemoryStream n;
  const uint8_t minus[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x99};
  n.WriteBuffer(minus, sizeof minus);
  n.SetPosition(0);
  neg.LoadFromStream(n, false);
  EXPECT_TRUE(neg.read.empty());
  EXPECT_EQ(n.Position(), 4);
  TMemoryStream shortStream;
  const uint8_t two[] = {2, 0, 0, 0, 0x50};
  shortStream.WriteBuffer(two, sizeof two);
  shortStream.SetPosition(0);
  EXPECT_THROW(neg.LoadFromStream(shortStream, false), EStreamError);
}

TEST(UniqueListTest, StreamConstructorAndLoadClearOnlyWhenAsked) {
  TObject a;
  TMemoryStream s;
  TacUniqueList fromStream(&s);
  EXPECT_EQ(fromStream.Count(), 0);
  fromStream.AddUnique(&a);
  fromStream.LoadFromStream(s, false);
  EXPECT_EQ(fromStream.Count(), 1);
  fromStream.LoadFromStream(s, true);
  EXPECT_EQ(fromStream.Count(), 0);
}

class TCountingAddon : public TacAddon {
 public:
  using TacAddon::TacAddon;
  int changes = 0;

 protected:
  void EnabledChanged() override { ++changes; }
};

class TOtherPersistent : public TPersistent {
  TOOLKIT_CLASS(TOtherPersistent, TPersistent)
};

TEST(AddonTest, EnabledChangesNotifyAndCopyFromCopiesOnlyEnabled) {
  TCountingAddon addon(nullptr);
  EXPECT_FALSE(addon.Enabled());
  addon.SetEnabled(false);
  EXPECT_EQ(addon.changes, 0);
  addon.SetEnabled(true);
  addon.SetEnabled(true);
  EXPECT_EQ(addon.changes, 1);

  TacAddon source(nullptr);
  addon.Assign(&source);  // through the persistent copy slot
  EXPECT_FALSE(addon.Enabled());
  EXPECT_EQ(addon.changes, 2);

  TOtherPersistent other;
  addon.SetEnabled(true);
  try {
    addon.CopyFrom(&other);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TOtherPersistent to a TacAddon");
  }
  EXPECT_THROW(addon.Assign(nullptr), EConvertError);
  EXPECT_TRUE(addon.Enabled());
}

TEST(PersistentTest, IsDesigningFollowsTheOwner) {
  TacPersistent orphan(nullptr);
  EXPECT_FALSE(orphan.IsDesigning());
  EXPECT_EQ(orphan.GetOwner(), nullptr);
  TComponent owner(nullptr);
  TacPersistent p(&owner);
  EXPECT_FALSE(p.IsDesigning());
  owner.SetDesigning(true);
  EXPECT_TRUE(p.IsDesigning());
  EXPECT_EQ(p.GetOwner(), nullptr);  // the owner is not reported to the streaming
}

// Stand-ins for the Windows form classes: only their names and ancestry matter.
class TForm : public TComponent {
  TOOLKIT_CLASS(TForm, TComponent)

 public:
  using TComponent::TComponent;
};
class TMyForm : public TForm {
  TOOLKIT_CLASS(TMyForm, TForm)

 public:
  using TForm::TForm;
};

TEST(ComponentTest, HostComponentAndHostForm) {
  TacComponent loose(nullptr);
  EXPECT_EQ(loose.HostComponent(), nullptr);
  EXPECT_EQ(loose.GetHostForm(), nullptr);

  TMyForm form(nullptr);
  TComponent plain(nullptr);
  auto* onForm = new TacComponent(&form);  // owned and freed by the form
  EXPECT_EQ(onForm->HostComponent(), &form);
  EXPECT_EQ(onForm->Owner(), &form);
  EXPECT_EQ(onForm->GetHostForm(), &form);

  onForm->AttachTo(&plain);
  EXPECT_EQ(onForm->HostComponent(), &plain);
  EXPECT_EQ(onForm->GetHostForm(), nullptr);
  EXPECT_EQ(onForm->Owner(), &form);  // attaching does not change ownership
}

TEST(ComponentTest, AboutIsPublishedButNeverStored) {
  TacComponent c(nullptr);
  const TPropInfo* about = c.ClassInfo().FindProperty("About");
  ASSERT_NE(about, nullptr);
  about->SetStr(c, "text");
  EXPECT_EQ(c.About(), "text");
  EXPECT_FALSE(about->IsStored(c));
}

}  // namespace

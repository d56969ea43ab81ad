#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/toolkit/TestComponents.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/IntegerConsts.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

std::vector<std::string>& DestroyLog() {
  static std::vector<std::string> log;
  return log;
}

// Logs its name and whether it was already marked destroying when its destructor ran.
class TLogged : public TComponent {
  TOOLKIT_CLASS(TLogged, TComponent)

 public:
  explicit TLogged(TComponent* Owner) : TComponent(Owner) {}
  ~TLogged() override { DestroyLog().push_back(Name() + (InState(csDestroying) ? "+" : "-")); }
};

TLogged* Make(TComponent* Owner, const std::string& Name) {
  auto* c = new TLogged(Owner);
  c->SetName(Name);
  return c;
}

TEST(TComponentTest, OwnerDestroysItsComponentsInReverseOrderOfCreation) {
  DestroyLog().clear();
  TComponentPtr<TLogged> root(Make(nullptr, "Root"));
  Make(root.get(), "A");
  TLogged* b = Make(root.get(), "B");
  Make(b, "B1");
  Make(root.get(), "C");
  EXPECT_EQ(root->ComponentCount(), 3);
  EXPECT_EQ(root->Components(1), b);
  root.reset();
  // Each destructor body runs before its base destroys what the component owns.
  EXPECT_EQ(DestroyLog(), (std::vector<std::string>{"Root+", "C+", "B+", "B1+", "A+"}));
}

TEST(TComponentTest, ComponentDestroyedFirstLeavesItsOwner) {
  DestroyLog().clear();
  TComponentPtr<TLogged> root(Make(nullptr, "Root"));
  TLogged* a = Make(root.get(), "A");
  Make(root.get(), "B");
  a->Free();
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(root->FindComponent("A"), nullptr);
  root.reset();
  EXPECT_EQ(DestroyLog(), (std::vector<std::string>{"A+", "Root+", "B+"}));
  EXPECT_THROW(TComponent(nullptr).Components(0), EListError);
}

TEST(TComponentTest, NamesAreUniquePerOwnerWithoutRegardToCase) {
  TComponent root(nullptr);
  auto* a = new TComponent(&root);
  a->SetName("Button1");
  auto* b = new TComponent(&root);
  EXPECT_EQ(root.FindComponent("BUTTON1"), a);
  try {
    b->SetName("button1");
    FAIL() << "duplicate accepted";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named button1 already exists");
  }
  EXPECT_EQ(b->Name(), "");
  a->SetName("BUTTON1");  // renaming itself is fine
  EXPECT_EQ(a->Name(), "BUTTON1");
}

TEST(TComponentTest, DesigningReachesOwnedComponentsAndFieldsFollowRemoval) {
  TTestForm form(nullptr);
  auto* control = new TTestControl(&form);
  form.SetDesigning(true);
  EXPECT_TRUE(control->InState(csDesigning));
  form.SetDesigning(false);
  EXPECT_EQ(control->ComponentState(), 0u);

  form.Button1 = control;
  delete control;
  EXPECT_EQ(form.Button1, nullptr);  // cleared by the owner's notification
}

TEST(TPersistentTest, AssignCopiesRelatedClassesAndRefusesOthers) {
  TTestFont a, b;
  a.SetHeight(-16);
  a.SetStyle(1u << tfBold);
  b.Assign(&a);
  EXPECT_EQ(b.Height(), -16);
  EXPECT_EQ(b.Style(), 1u << tfBold);

  TTestSettings settings;
  try {
    b.Assign(&settings);
    FAIL() << "unrelated assignment accepted";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TTestSettings to a TTestFont");
  }
  try {
    settings.Assign(nullptr);
    FAIL() << "nil assignment accepted";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TTestSettings");
  }
  EXPECT_EQ(b.Height(), -16);
}

TEST(TClassInfoTest, ClassesKnowTheirNamesAncestryAndPublishedTables) {
  RegisterTestClasses();
  TTestControl control(nullptr);
  EXPECT_EQ(control.ClassName(), "TTestControl");
  EXPECT_TRUE(control.Is<TComponent>());
  EXPECT_TRUE(control.Is<TPersistent>());
  EXPECT_FALSE(control.Is<TTestForm>());
  EXPECT_EQ(TTestControl::StaticClassInfo().Parent(), &TComponent::StaticClassInfo());

  std::vector<std::string> names;
  for (const TPropInfo* p : control.ClassInfo().Properties()) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Caption", "Left", "Width", "Visible",
                                             "Shape", "Font", "OnClick", "Count"}));
  EXPECT_NE(control.ClassInfo().FindProperty("caption"), nullptr);
  EXPECT_TRUE(control.ClassInfo().FindProperty("Count")->ReadOnly);
  EXPECT_FALSE(TPersistent::StaticClassInfo().CanCreate());
}

TEST(TClassInfoTest, RegistryCreatesByNameAndNamesUnknownClasses) {
  RegisterTestClasses();
  TComponent owner(nullptr);
  TComponent* c = FindClass("ttestcontrol").Create(&owner);
  EXPECT_EQ(c->ClassName(), "TTestControl");
  EXPECT_EQ(c->Owner(), &owner);
  EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
  try {
    FindClass("TNoSuchThing");
    FAIL() << "unknown class found";
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNoSuchThing not found");
  }
}

TEST(IntegerConstsTest, LatestRegistrationForATypeWins) {
  static constexpr TIdentMapEntry first[] = {{1, "cxOne"}, {2, "cxTwo"}};
  static constexpr TIdentMapEntry second[] = {{1, "cxUno"}};
  RegisterIntegerConsts("TConstsTestType", first);
  int32_t v = 0;
  std::string name;
  EXPECT_TRUE(IdentToInt("TConstsTestType", "CXTWO", v));
  EXPECT_EQ(v, 2);
  RegisterIntegerConsts("TConstsTestType", second);
  EXPECT_FALSE(IdentToInt("TConstsTestType", "cxTwo", v));
  EXPECT_TRUE(IntToIdent("TConstsTestType", 1, name));
  EXPECT_EQ(name, "cxUno");
  EXPECT_FALSE(IntToIdent("TConstsTestType", 7, name));
  EXPECT_FALSE(IdentToInt("TUnregisteredType", "cxUno", v));
}

TEST(TEventTest, CallsOnlyWhenSetAndKeepsTheMethodName) {
  TTestForm form(nullptr);
  TNotifyEvent none;
  none(&form);  // unassigned: nothing happens
  EXPECT_FALSE(none.Assigned());
  TNotifyEvent click = TNotifyEvent::Of(&form, &TTestForm::ButtonClick, "ButtonClick");
  click(nullptr);
  EXPECT_EQ(form.Clicks.size(), 1u);
  EXPECT_EQ(click.MethodName(), "ButtonClick");

  const TMethodInfo* extract = form.ClassInfo().FindMethod("StorageExtract");
  ASSERT_NE(extract, nullptr);
  EXPECT_FALSE(TNotifyEvent::FromMethod(form, *extract).Assigned());  // wrong parameters
  TTestExtractEvent bound = TTestExtractEvent::FromMethod(form, *extract);
  bool allow = true;
  bound(nullptr, "x.exe", 5, allow);
  EXPECT_FALSE(allow);
  EXPECT_EQ(form.Extracts, (std::vector<std::string>{"x.exe:5"}));
}

}  // namespace

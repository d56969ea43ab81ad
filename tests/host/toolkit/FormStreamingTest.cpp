#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/toolkit/TestComponents.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

// Builds form data by hand, so the layout is checked independently of the writer.
class TBytes {
 public:
  TBytes& Sig() { return Raw("TPF0"); }
  // The signature and the test form "F" without properties, ready for its children.
  TBytes& Form() { return Sig().Child("TTestForm", "F").End(); }
  // A child's header: class and name, followed by its properties.
  TBytes& Child(const std::string& Class, const std::string& Name) { return Str(Class).Str(Name); }
  TBytes& Raw(const std::string& S) {
    b.insert(b.end(), S.begin(), S.end());
    return *this;
  }
  TBytes& Byte(uint8_t V) {
    b.push_back(V);
    return *this;
  }
  TBytes& Str(const std::string& S) { return Byte(static_cast<uint8_t>(S.size())).Raw(S); }
  TBytes& Le(uint32_t V, int Width) {
    for (int i = 0; i < Width; ++i) Byte(static_cast<uint8_t>(V >> (8 * i)));
    return *this;
  }
  TBytes& Int8(const std::string& Name, int8_t V) {
    return Str(Name).Byte(vaInt8).Le(static_cast<uint8_t>(V), 1);
  }
  TBytes& Ident(const std::string& Name, const std::string& V) {
    return Str(Name).Byte(vaIdent).Str(V);
  }
  TBytes& String(const std::string& Name, const std::string& V) {
    return Str(Name).Byte(vaString).Str(V);
  }
  TBytes& End() { return Byte(0); }
  std::vector<uint8_t> b;
};

std::vector<uint8_t> Write(TComponent& Root) {
  TMemoryStream s;
  WriteComponentRes(s, Root);
  return s.Bytes();
}

void Read(const std::vector<uint8_t>& Bytes, TComponent& Root) {
  TReadOnlyMemoryStream s(Bytes);
  ReadComponentRes(s, Root);
}

std::string ReadError(const std::vector<uint8_t>& Bytes, TComponent& Root) {
  try {
    Read(Bytes, Root);
  } catch (const EReadError& e) {
    return e.what();
  }
  return "no error";
}

// A form with something of every kind: nested controls, sub-objects three levels deep, enums,
// sets, named and plain integers of each width, events, a binary property, a long string.
void BuildSample(TTestForm& Form) {
  Form.SetName("Form1");
  Form.SetCaption("Installation");
  Form.SetColor(kTestRed);
  Form.SetTag(-129);
  auto* panel = new TTestControl(&Form);
  panel->SetName("Panel1");
  panel->SetWidth(32768);
  panel->SetShape(tsTriangle);
  panel->Font()->SetStyle((1u << tfBold) | (1u << tfUnderline));
  panel->Font()->SetColor(0x123456);
  auto* button = new TTestControl(&Form);
  button->SetParentComponent(panel);
  button->SetName("Button1");
  button->SetCaption(std::string(300, 'x'));
  button->SetLeft(-32769);
  button->SetVisible(false);
  button->Font()->SetName("Arial");
  button->SetOnClick(TNotifyEvent::Of(&Form, &TTestForm::ButtonClick, "ButtonClick"));
  auto* storage = new TTestStorage(&Form);
  storage->SetName("Storage1");
  storage->Data() = {0, 1, 2, 255};
  storage->Settings()->SetEnabled(true);
  storage->Settings()->Inner()->SetLevel(tsSquare);
  storage->SetDesignLeft(168);
  storage->SetDesignTop(8);
  storage->SetOnExtract(TTestExtractEvent::Of(&Form, &TTestForm::StorageExtract, "StorageExtract"));
}

class FormStreamingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    LoadedLog().clear();
  }
};

TEST_F(FormStreamingTest, WritesTheDocumentedLayout) {
  TTestForm form(nullptr);
  form.SetName("F");
  form.SetCaption("Hi");
  auto* c = new TTestControl(&form);
  c->SetName("C");
  c->SetWidth(200);
  c->SetShape(tsSquare);
  c->Font()->SetStyle(1u << tfItalic);
  auto expected = TBytes()
                      .Sig()
                      .Child("TTestForm", "F")
                      .String("Caption", "Hi")
                      .End()
                      .Child("TTestControl", "C")
                      .Str("Width")
                      .Byte(vaInt16)
                      .Le(200, 2)
                      .Ident("Shape", "tsSquare")
                      .Str("Font.Style")
                      .Byte(vaSet)
                      .Str("tfItalic")
                      .End()
                      .End()
                      .End()  // children of C
                      .End()  // children of F
                      .b;
  EXPECT_EQ(Write(form), expected);
}

TEST_F(FormStreamingTest, RoundTripRestoresEveryKindOfProperty) {
  TTestForm original(nullptr);
  BuildSample(original);
  std::vector<uint8_t> bytes = Write(original);

  TTestForm copy(nullptr);
  Read(bytes, copy);
  EXPECT_EQ(copy.Name(), "Form1");
  EXPECT_EQ(copy.Caption(), "Installation");
  EXPECT_EQ(copy.Color(), kTestRed);
  EXPECT_EQ(copy.Tag(), -129);
  ASSERT_EQ(copy.ComponentCount(), 3);
  auto* panel = dynamic_cast<TTestControl*>(copy.Components(0));
  auto* button = dynamic_cast<TTestControl*>(copy.Components(1));
  auto* storage = dynamic_cast<TTestStorage*>(copy.Components(2));
  ASSERT_TRUE(panel && button && storage);
  EXPECT_EQ(panel->Width(), 32768);
  EXPECT_EQ(panel->Shape(), tsTriangle);
  EXPECT_EQ(panel->Font()->Style(), (1u << tfBold) | (1u << tfUnderline));
  EXPECT_EQ(panel->Font()->Color(), 0x123456);
  EXPECT_EQ(button->Parent(), panel);
  EXPECT_EQ(button->Caption(), std::string(300, 'x'));
  EXPECT_EQ(button->Left(), -32769);
  EXPECT_FALSE(button->Visible());
  EXPECT_EQ(button->Font()->Name(), "Arial");
  EXPECT_EQ(button->Font()->Height(), -11);
  EXPECT_EQ(storage->Data(), (std::vector<uint8_t>{0, 1, 2, 255}));
  EXPECT_TRUE(storage->Settings()->Enabled());
  EXPECT_EQ(storage->Settings()->Inner()->Level(), tsSquare);
  EXPECT_EQ(storage->DesignLeft(), 168);
  EXPECT_EQ(storage->DesignTop(), 8);
  EXPECT_EQ(copy.Button1, button);
  EXPECT_EQ(copy.Storage1, storage);

  // Events are bound to the reading form's methods.
  button->OnClick()(button);
  ASSERT_EQ(copy.Clicks.size(), 1u);
  EXPECT_EQ(copy.Clicks[0], button);
  EXPECT_TRUE(original.Clicks.empty());
  bool allow = true;
  storage->OnExtract()(&copy, "a.exe", 7, allow);
  EXPECT_FALSE(allow);
  EXPECT_EQ(copy.Extracts, (std::vector<std::string>{"a.exe:7"}));

  // Writing the copy gives the same bytes.
  EXPECT_EQ(Write(copy), bytes);
}

TEST_F(FormStreamingTest, DefaultsAndDisplayOnlyValuesAreNotWritten) {
  TTestForm form(nullptr);
  form.SetName("F");
  auto* c = new TTestControl(&form);
  c->SetName("C");
  auto* s = new TTestStorage(&form);
  s->SetName("S");
  auto expected = TBytes()
                      .Form()
                      .Child("TTestControl", "C")
                      .End()
                      .End()
                      .Child("TTestStorage", "S")
                      .End()
                      .End()
                      .End()
                      .b;
  EXPECT_EQ(Write(form), expected);
}

TEST_F(FormStreamingTest, IntegersTakeTheSmallestWidthAndNamedValuesTheirName) {
  struct Case {
    int32_t Value;
    std::vector<uint8_t> Bytes;
  };
  const std::vector<Case> cases = {
      {-128, {vaInt8, 0x80}},
      {127, {vaInt8, 0x7F}},
      {128, {vaInt16, 0x80, 0}},
      {-129, {vaInt16, 0x7F, 0xFF}},
      {32767, {vaInt16, 0xFF, 0x7F}},
      {-32768, {vaInt16, 0, 0x80}},
      {32768, {vaInt32, 0, 0x80, 0, 0}},
      {-32769, {vaInt32, 0xFF, 0x7F, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    TTestForm form(nullptr);
    form.SetTag(c.Value);
    auto expected = TBytes().Sig().Str("TTestForm").Str("").Str("Tag").b;
    expected.insert(expected.end(), c.Bytes.begin(), c.Bytes.end());
    expected.push_back(0);
    expected.push_back(0);
    EXPECT_EQ(Write(form), expected) << c.Value;
    TTestForm back(nullptr);
    Read(expected, back);
    EXPECT_EQ(back.Tag(), c.Value);
  }
  TTestForm form(nullptr);
  form.SetColor(kTestRed);
  EXPECT_EQ(Write(form),
            TBytes().Sig().Str("TTestForm").Str("").Ident("Color", "clRed").End().End().b);
}

TEST_F(FormStreamingTest, LoadingFlagHeldWhileReadingAndLoadedRunsAfterAllExist) {
  auto bytes = TBytes()
                   .Sig()
                   .Child("TTestForm", "Form1")
                   .End()
                   .Child("TTestControl", "A")
                   .String("Caption", "a")
                   .End()
                   .End()
                   .Child("TTestStorage", "B")
                   .End()
                   .End()
                   .Child("TTestControl", "C")
                   .End()
                   .End()
                   .End()
                   .b;
  TTestForm form(nullptr);
  Read(bytes, form);
  auto* a = dynamic_cast<TTestControl*>(form.FindComponent("A"));
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->LoadingSeenBySetter());
  const auto& log = LoadedLog();
  ASSERT_EQ(log.size(), 4u);
  const char* order[] = {"Form1", "A", "B", "C"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(log[i].Name, order[i]);
    EXPECT_FALSE(log[i].LoadingFlag) << order[i];
    EXPECT_EQ(log[i].RootComponents, 3) << order[i];
  }
  for (int i = 0; i < form.ComponentCount(); ++i) {
    EXPECT_FALSE(form.Components(i)->InState(csLoading));
  }
  EXPECT_FALSE(form.InState(csLoading));
}

TEST_F(FormStreamingTest, ReadsFromTheStreamPositionAndStopsAfterTheRecord) {
  auto form = TBytes().Form().End().b;
  std::vector<uint8_t> bytes = {'x', 'y'};
  bytes.insert(bytes.end(), form.begin(), form.end());
  bytes.push_back('z');
  TReadOnlyMemoryStream s(bytes);
  s.SetPosition(2);
  TTestForm root(nullptr);
  ReadComponentRes(s, root);
  EXPECT_EQ(root.Name(), "F");
  EXPECT_EQ(s.Position(), static_cast<int64_t>(bytes.size() - 1));
}

// Property-level refusals, each with the place and the reason in the message.
TEST_F(FormStreamingTest, EachKindOfErrorIsNamed) {
  auto head = [] { return TBytes().Sig().Child("TTestForm", "F"); };
  auto child = [&](const std::string& Class) { return head().End().Str(Class).Str("X"); };
  struct Case {
    std::vector<uint8_t> Bytes;
    std::string Message;
  };
  const std::vector<Case> cases = {
      {head().Int8("Widht", 1).b,
       "Error reading F (TTestForm) at offset 16: Property Widht does not exist in TTestForm"},
      {child("TTestControl").Int8("Font.Size", 1).b,
       "Error reading X (TTestControl) at offset 32: Property Font.Size does not exist in "
       "TTestFont"},
      {child("TNoSuch").b, "Error reading F (TTestForm) at offset 17: Class TNoSuch not found"},
      {head().Int8("Caption", 1).b,
       "Error reading F (TTestForm) at offset 24: Invalid value for property Caption: expected a "
       "string, found an integer"},
      {child("TTestControl").Str("Visible").Byte(vaIdent).Str("True").b,
       "Error reading X (TTestControl) at offset 40: Invalid value for property Visible: expected "
       "a Boolean, found an identifier"},
      {child("TTestControl").Ident("Shape", "tsOval").b,
       "Error reading X (TTestControl) at offset 38: Unknown identifier tsOval for property Shape "
       "(TTestShape)"},
      {child("TTestControl").Str("Font.Style").Byte(vaSet).Str("tfBold").Str("tfWide").End().b,
       "Error reading X (TTestControl) at offset 43: Unknown identifier tfWide in set property "
       "Font.Style (TTestStyle)"},
      {head().Ident("Color", "clPuce").b,
       "Error reading F (TTestForm) at offset 22: Unknown identifier clPuce for property Color "
       "(TTestColor)"},
      {child("TTestControl").Ident("OnClick", "Missing").b,
       "Error reading X (TTestControl) at offset 40: Method Missing not found in TTestForm"},
      {child("TTestControl").Ident("OnClick", "Unrelated").b,
       "Error reading X (TTestControl) at offset 40: Method Unrelated does not fit event OnClick"},
      {child("TTestStorage").Int8("StoredData", 1).b,
       "Error reading X (TTestStorage) at offset 43: Invalid value for property StoredData: "
       "expected binary data, found an integer"},
      {child("TTestControl").Int8("Font", 1).b,
       "Error reading X (TTestControl) at offset 37: Invalid value for property Font: expected "
       "sub-properties (an object is stored by dotted names), found an integer"},
      {head().Str("Tag").Byte(5).b,
       "Error reading F (TTestForm) at offset 20: Unsupported value type 5"},
      {TBytes().Sig().Child("TTestControl", "F").b,
       "Error reading form data at offset 4: The form data describes a TTestControl, not a "
       "TTestForm"},
      {TBytes().Raw("TPF1").b,
       "Error reading form data at offset 0: Invalid form data: the signature TPF0 is missing"},
      {head().End().Child("TTestControl", "A").End().End().Child("TTestControl", "a").b,
       "Error reading F (TTestForm) at offset 47: A component named a already exists"},
      {head().End().Child("TTestControl", "Storage1").End().End().b,
       "Error reading Storage1 (TTestControl) at offset 30: Field Storage1 of TTestForm cannot "
       "hold a "
       "TTestControl"},
  };
  for (const Case& c : cases) {
    TTestForm form(nullptr);
    EXPECT_EQ(ReadError(c.Bytes, form), c.Message);
    EXPECT_EQ(form.ComponentCount(), 0) << c.Message;
    EXPECT_FALSE(form.InState(csLoading));
    EXPECT_EQ(form.Storage1, nullptr);
  }
}

TEST_F(FormStreamingTest, EveryTruncationIsRefusedWithoutLeavingComponents) {
  TTestForm original(nullptr);
  BuildSample(original);
  std::vector<uint8_t> bytes = Write(original);
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
    TTestForm form(nullptr);
    std::string error = ReadError(cut, form);
    ASSERT_NE(error.find("Unexpected end of form data"), std::string::npos) << n << ": " << error;
    ASSERT_EQ(form.ComponentCount(), 0) << n;
    ASSERT_EQ(form.Button1, nullptr) << n;
  }
  EXPECT_TRUE(LoadedLog().empty());  // Loaded never ran for a refused stream
}

TEST_F(FormStreamingTest, BinaryPropertyGetsExactlyItsBytesAndLengthIsChecked) {
  auto bytes = TBytes()
                   .Form()
                   .Child("TTestStorage", "S")
                   .Str("StoredData")
                   .Byte(vaBinary)
                   .Le(3, 4)
                   .Raw("abc")
                   .Int8("Left", 5)
                   .End()
                   .End()
                   .End()
                   .b;
  TTestForm form(nullptr);
  Read(bytes, form);
  auto* s = dynamic_cast<TTestStorage*>(form.FindComponent("S"));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Data(), (std::vector<uint8_t>{'a', 'b', 'c'}));
  EXPECT_EQ(s->ReadCalls(), 1);
  EXPECT_EQ(s->DesignLeft(), 5);

  auto huge = TBytes()
                  .Form()
                  .Child("TTestStorage", "S")
                  .Str("StoredData")
                  .Byte(vaBinary)
                  .Le(0xFFFFFFF0u, 4)
                  .Raw("abc")
                  .b;
  TTestForm other(nullptr);
  EXPECT_EQ(ReadError(huge, other),
            "Error reading S (TTestStorage) at offset 48: Unexpected end of form data (4294967280 "
            "more bytes needed, 3 left)");
}

TEST_F(FormStreamingTest, DottedNamesMayReachOwnedComponents) {
  auto bytes = TBytes().Form().Child("TTestControl", "L").End().End().End().b;
  TTestForm form(nullptr);
  Read(bytes, form);
  auto more = TBytes().Sig().Child("TTestForm", "F").Int8("L.Font.Height", -16).End().End().b;
  Read(more, form);
  EXPECT_EQ(dynamic_cast<TTestControl*>(form.FindComponent("L"))->Font()->Height(), -16);
}

TEST_F(FormStreamingTest, WriterRefusesWhatTheFormatCannotHold) {
  TTestForm form(nullptr);
  form.SetName(std::string(256, 'n'));
  TMemoryStream s;
  EXPECT_THROW(WriteComponentRes(s, form), EWriteError);
  EXPECT_EQ(s.Size(), 0);
}

}  // namespace

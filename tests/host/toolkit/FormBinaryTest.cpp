// The TPF0 byte layer that the component reader, the converter and the pack tool share: what the
// writer chooses, that the reader takes it back, and the error fields each user words its
// messages from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/FormBinaryReader.h"
#include "toolkit/core/FormBinaryWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The error a read of Data fails with, after Prepare has moved the cursor.
template <typename Prepare, typename Read>
EFormDataError ErrorOf(const Bytes& Data, Prepare Before, Read Failing) {
  TFormBinaryReader in(Data);
  Before(in);
  try {
    Failing(in);
  } catch (const EFormDataError& e) {
    return e;
  }
  ADD_FAILURE() << "no error";
  return EFormDataError(EFormDataError::TKind::Truncated, "", 0, 0, 0, 0);
}

TEST(FormBinaryWriter, IntegersTakeTheSmallestWidthAndStringsTheLongFormPast255) {
  struct Case {
    int32_t Value;
    Bytes Expected;
  };
  const Case cases[] = {
      {-128, {vaInt8, 0x80}},
      {127, {vaInt8, 0x7F}},
      {128, {vaInt16, 0x80, 0x00}},
      {-129, {vaInt16, 0x7F, 0xFF}},
      {32767, {vaInt16, 0xFF, 0x7F}},
      {-32769, {vaInt32, 0xFF, 0x7F, 0xFF, 0xFF}},
      {INT32_MIN, {vaInt32, 0, 0, 0, 0x80}},
  };
  for (const Case& c : cases) {
    TFormBinaryWriter out;
    out.WriteInteger(c.Value);
    EXPECT_EQ(out.Bytes(), c.Expected) << c.Value;
  }

  TFormBinaryWriter out;
  out.WriteString(std::string(255, 'a'));
  out.WriteString(std::string(256, 'b'));
  const Bytes& b = out.Bytes();
  ASSERT_EQ(b.size(), 2 + 255 + 5 + 256u);
  EXPECT_EQ(b[0], vaString);
  EXPECT_EQ(b[1], 255);
  EXPECT_EQ(b[257], vaLString);
  EXPECT_EQ((Bytes{b.begin() + 258, b.begin() + 262}), (Bytes{0, 1, 0, 0}));

  TFormBinaryWriter names;
  EXPECT_THROW(names.WriteName(std::string(256, 'x')), EWriteError);
  EXPECT_THROW(names.WriteIdent(std::string(256, 'x')), EWriteError);
  EXPECT_TRUE(names.Bytes().size() <= 1);  // at most the identifier's type byte
}

TEST(FormBinaryReader, ReadsBackEveryValueTheWriterWrites) {
  TFormBinaryWriter out;
  out.WriteSignature();
  out.WriteName("Form1");
  const int32_t ints[] = {-1, 300, -70000};
  for (int32_t v : ints) out.WriteInteger(v);
  out.WriteString("it's");
  out.WriteString(std::string(300, 'z'));
  out.WriteIdent("clWhite");
  out.WriteBoolean(true);
  out.WriteBoolean(false);
  const Bytes blob = {0, 1, 2, 255};
  out.WriteBinary(blob);
  const std::vector<std::string> set = {"fsBold", "fsItalic"};
  out.WriteSet(set);
  out.WriteSet({});
  out.WriteEnd();

  TFormBinaryReader in(out.Bytes());
  in.ReadSignature();
  EXPECT_EQ(in.ReadName(), "Form1");
  for (int32_t v : ints) EXPECT_EQ(in.ReadValue().Int, v);
  EXPECT_EQ(in.ReadValue().Text, "it's");
  TFormValue longString = in.ReadValue();
  EXPECT_EQ(longString.Type, vaLString);
  EXPECT_EQ(longString.Text, std::string(300, 'z'));
  TFormValue ident = in.ReadValue();
  EXPECT_EQ(ident.Type, vaIdent);
  EXPECT_EQ(ident.Text, "clWhite");
  EXPECT_EQ(in.ReadValue().Type, vaTrue);
  EXPECT_EQ(in.ReadValue().Type, vaFalse);
  TFormValue binary = in.ReadValue();
  EXPECT_EQ(Bytes(binary.Bytes.begin(), binary.Bytes.end()), blob);
  EXPECT_EQ(in.ReadValue().Names, set);
  EXPECT_TRUE(in.ReadValue().Names.empty());
  EXPECT_EQ(in.PeekByte(), 0);
  EXPECT_EQ(in.ReadByte(), 0);
  EXPECT_TRUE(in.AtEnd());
}

// Offset is where bytes ran short, ItemOffset where the item with its prefix began: the
// component reader reports the first, the converter the second.
TEST(FormBinaryReader, ShortagesSayWhereAndHowMuch) {
  auto none = [](TFormBinaryReader&) {};
  auto skip1 = [](TFormBinaryReader& In) { In.ReadByte(); };

  EFormDataError name = ErrorOf({'x', 5, 'a', 'b'}, skip1, [](auto& In) { In.ReadName(); });
  EXPECT_EQ(name.Kind(), EFormDataError::TKind::Truncated);
  EXPECT_EQ(name.Offset(), 2u);
  EXPECT_EQ(name.ItemOffset(), 1u);
  EXPECT_EQ(name.Needed(), 5u);
  EXPECT_EQ(name.Left(), 2u);
  EXPECT_EQ(name.Message(), "Unexpected end of form data (5 more bytes needed, 2 left)");

  EFormDataError length = ErrorOf({'x'}, skip1, [](auto& In) { In.ReadName(); });
  EXPECT_EQ(length.Offset(), 1u);
  EXPECT_EQ(length.ItemOffset(), 1u);
  EXPECT_EQ(length.Needed(), 1u);
  EXPECT_EQ(length.Left(), 0u);

  EFormDataError count = ErrorOf({1, 2, 3}, none, [](auto& In) { In.ReadBinary(); });
  EXPECT_EQ(count.Offset(), 0u);
  EXPECT_EQ(count.ItemOffset(), 0u);
  EXPECT_EQ(count.Needed(), 4u);
  EXPECT_EQ(count.Left(), 3u);

  EFormDataError body =
      ErrorOf({0, 0xF0, 0xFF, 0xFF, 0xFF, 'a'}, skip1, [](auto& In) { In.ReadBinary(); });
  EXPECT_EQ(body.Offset(), 5u);
  EXPECT_EQ(body.ItemOffset(), 1u);
  EXPECT_EQ(body.Needed(), 0xFFFFFFF0u);
  EXPECT_EQ(body.Left(), 1u);

  EFormDataError set = ErrorOf({vaSet, 1, 'a', 3, 'b'}, none, [](auto& In) { In.ReadValue(); });
  EXPECT_EQ(set.Offset(), 4u);
  EXPECT_EQ(set.ItemOffset(), 3u);

  EFormDataError wide = ErrorOf({vaInt16, 1}, skip1, [](auto& In) { In.ReadInt(2); });
  EXPECT_EQ(wide.Offset(), 1u);
  EXPECT_EQ(wide.Needed(), 2u);
  EXPECT_EQ(wide.Left(), 1u);
}

TEST(FormBinaryReader, SignatureAndValueTypeRefusals) {
  auto none = [](TFormBinaryReader&) {};
  EFormDataError bad = ErrorOf({'T', 'P', 'F', '1'}, none, [](auto& In) { In.ReadSignature(); });
  EXPECT_EQ(bad.Kind(), EFormDataError::TKind::BadSignature);
  EXPECT_EQ(bad.Offset(), 0u);
  EFormDataError shortSig = ErrorOf({'T', 'P'}, none, [](auto& In) { In.ReadSignature(); });
  EXPECT_EQ(shortSig.Kind(), EFormDataError::TKind::Truncated);
  EXPECT_EQ(shortSig.Left(), 2u);

  for (uint8_t type : {uint8_t{0}, uint8_t{1}, uint8_t{5}, uint8_t{13}, uint8_t{255}}) {
    EFormDataError e = ErrorOf(
        {0, type, 0, 0, 0, 0}, [](auto& In) { In.ReadByte(); }, [](auto& In) { In.ReadValue(); });
    EXPECT_EQ(e.Kind(), EFormDataError::TKind::UnknownValueType) << int{type};
    EXPECT_EQ(e.Offset(), 1u);
    EXPECT_EQ(e.Message(), "Unsupported value type " + std::to_string(type));
  }
}

TEST(FormBinaryReader, EveryTruncationOfAValueRunIsAnErrorNotAnOverread) {
  TFormBinaryWriter out;
  out.WriteInteger(100000);
  out.WriteString(std::string(300, 'q'));
  out.WriteBinary(Bytes(40, 7));
  out.WriteSet(std::vector<std::string>{"a", "bc"});
  const Bytes whole = out.Bytes();
  for (size_t n = 0; n < whole.size(); ++n) {
    Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    TFormBinaryReader in(cut);
    try {
      for (int i = 0; i < 4; ++i) in.ReadValue();
      ADD_FAILURE() << "read " << n << " bytes without an error";
    } catch (const EFormDataError& e) {
      EXPECT_EQ(e.Kind(), EFormDataError::TKind::Truncated) << n;
      EXPECT_LE(e.Offset(), n) << n;
      EXPECT_LE(e.ItemOffset(), e.Offset()) << n;
    }
  }
}

}  // namespace

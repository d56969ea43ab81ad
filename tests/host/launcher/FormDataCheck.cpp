// Checks the main window's generated form data (the TFORM1 file of a Windows build) against the
// installer payload it was made from:
//
//   launcher_form_check FORM PAYLOAD [gtest flags]
//
// The record of acFileStorage1 is cut out of the form (through its text layout, so no visual
// class is needed), put under a minimal root and read with the toolkit's reader. The storage must
// hold exactly the payload as quillmoor_full.exe, with the settings the window needs, and writing
// it back must give the same bytes: the text form lists the properties in the writer's order.
// Run by CTest of the win32 build as a host program.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/acFileStorage.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "tools/formconv/BinaryFormToText.h"
#include "tools/formconv/TextFormToBinary.h"
#include "tools/sfpack/FormBinaryProperty.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string formPath;
std::string payloadPath;

constexpr uint32_t kInstallerSize = 1816102;
constexpr uint32_t kInstallerPackedSize = 1809876;
constexpr char kStorageHeader[] = "  object acFileStorage1: TacFileStorage\n";

Bytes ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) return {};
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

uint32_t ReadUInt32(const Bytes& B, size_t Offset) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(B.at(Offset + i)) << (8 * i);
  return v;
}

// The stand-in for TForm1: a plain component publishing the storage field by the same name.
class TFormDataRoot : public TComponent {
  TOOLKIT_CLASS(TFormDataRoot, TComponent)

 public:
  explicit TFormDataRoot(TComponent* Owner) : TComponent(Owner) {}
  TacFileStorage* acFileStorage1 = nullptr;

  static void Publish(TPublisher<TFormDataRoot>& P) {
    P.Field("acFileStorage1", &TFormDataRoot::acFileStorage1);
  }
};

class FormDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterFileStorageClasses();
    RegisterClass<TFormDataRoot>();
    form_ = ReadFile(formPath);
    payload_ = ReadFile(payloadPath);
    ASSERT_FALSE(form_.empty()) << "cannot read the form data " << formPath;
    ASSERT_EQ(payload_.size(), kInstallerSize) << payloadPath;
    text_ = formtext::BinaryFormToText(form_);
  }

  // The storage's record in the text layout, from its "object" line to its "end" line.
  std::string StorageText() const {
    const size_t begin = text_.find(kStorageHeader);
    if (begin == std::string::npos) return {};
    const size_t end = text_.find("\n  end\n", begin);
    if (end == std::string::npos) return {};
    return text_.substr(begin, end + 7 - begin);
  }

  // Form data of a minimal root holding only the storage's record.
  Bytes StorageForm() const {
    return formtext::TextFormToBinary("object Form1: TFormDataRoot\n" + StorageText() + "end\n");
  }

  Bytes form_;
  Bytes payload_;
  std::string text_;
};

// In stream order: the controls, the storage, then the system information as the last child.
TEST_F(FormDataTest, StorageFollowsTheControlsAndPrecedesSystemInfo) {
  const std::string storage = StorageText();
  ASSERT_FALSE(storage.empty()) << "no acFileStorage1 record in the form data";
  const size_t at = text_.find(kStorageHeader);
  EXPECT_LT(text_.find("  object BitBtn1: TBitBtn\n"), at);
  EXPECT_EQ(text_.substr(at + storage.size()),
            "  object acSystemInfo1: TacSystemInfo\n    Left = 168\n    Top = 40\n  end\nend\n");
}

TEST_F(FormDataTest, StoredDataHoldsThePayloadAsQuillmoorFull) {
  const auto pack = sfpack::FindFormBinaryProperty(form_, "StoredData");
  ASSERT_TRUE(pack.has_value());
  const Bytes stored(pack->begin(), pack->end());
  const std::string name = "quillmoor_full.exe";
  ASSERT_GE(stored.size(), 16 + name.size());
  EXPECT_EQ(std::string(stored.begin(), stored.begin() + 4), "SFP1");
  EXPECT_EQ(ReadUInt32(stored, 4), 1u);
  EXPECT_EQ(ReadUInt32(stored, 8), name.size());
  EXPECT_EQ(ReadUInt32(stored, 12 + name.size()), kInstallerPackedSize);
  EXPECT_EQ(stored.size(), 16 + name.size() + kInstallerPackedSize);

  TComponentPtr<TFormDataRoot> root(new TFormDataRoot(nullptr));
  const Bytes data = StorageForm();
  TReadOnlyMemoryStream in(data);
  ReadComponentRes(in, *root);
  TacFileStorage* storage = root->acFileStorage1;
  ASSERT_NE(storage, nullptr);
  EXPECT_TRUE(storage->PackedFormat());
  ASSERT_EQ(storage->Count(), 1u);
  EXPECT_EQ(storage->DataSize(), kInstallerSize);
  const TStoredFile& file = storage->StoredFiles(0);
  EXPECT_EQ(file.FileName(), name);
  EXPECT_EQ(file.FileSize(), kInstallerSize);
  EXPECT_TRUE(file.Data().Bytes() == payload_) << "unpacked installer differs from the payload";

  TMemoryStream written;
  storage->WriteStoredData(written);
  EXPECT_TRUE(written.Bytes() == stored) << "packing again changes the StoredData bytes";
}

TEST_F(FormDataTest, SettingsAreThoseTheWindowNeeds) {
  TComponentPtr<TFormDataRoot> root(new TFormDataRoot(nullptr));
  const Bytes data = StorageForm();
  TReadOnlyMemoryStream in(data);
  ReadComponentRes(in, *root);
  const TacFileStorage* storage = root->acFileStorage1;
  ASSERT_NE(storage, nullptr);
  const TAutoExtract* extract = storage->AutoExtract();
  EXPECT_TRUE(extract->Enabled());
  EXPECT_FALSE(extract->ExtractTo()->CreatePath());
  EXPECT_EQ(extract->ExtractTo()->ToplevelDir(), tdTempDir);
  EXPECT_EQ(extract->ExtractTo()->Subdirectory(), "");
  EXPECT_EQ(extract->Overwrite(), owIfSizeDifferent);
  EXPECT_TRUE(extract->RemoveOnTerminate());
  EXPECT_FALSE(storage->OnExtract().Assigned());
  EXPECT_FALSE(storage->OnExtracted().Assigned());
  EXPECT_EQ(storage->DesignLeft(), 168);
  EXPECT_EQ(storage->DesignTop(), 8);
}

TEST_F(FormDataTest, WriterReproducesTheStorageRecord) {
  TComponentPtr<TFormDataRoot> root(new TFormDataRoot(nullptr));
  const Bytes data = StorageForm();
  TReadOnlyMemoryStream in(data);
  ReadComponentRes(in, *root);
  TMemoryStream written;
  WriteComponentRes(written, *root);
  ASSERT_EQ(written.Bytes().size(), data.size());
  EXPECT_TRUE(written.Bytes() == data) << "the text form's property order is not the writer's";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: launcher_form_check FORM PAYLOAD [gtest flags]\n");
    return 2;
  }
  formPath = argv[1];
  payloadPath = argv[2];
  return RUN_ALL_TESTS();
}

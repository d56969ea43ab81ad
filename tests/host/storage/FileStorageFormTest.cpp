// The storage inside form data: its settings by dotted names and its pack as StoredData,
// through the toolkit's TPF0 writer and reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host/StandInFixture.h"
#include "storage/acFileStorage.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

using Bytes = std::vector<uint8_t>;

class TStorageTestForm : public TComponent {
  TOOLKIT_CLASS(TStorageTestForm, TComponent)

 public:
  explicit TStorageTestForm(TComponent* Owner) : TComponent(Owner) {}
  TacFileStorage* acFileStorage1 = nullptr;
  std::vector<std::string> extracting;

  void StorageExtract(TObject* /*Sender*/, const std::string& FileName, int32_t /*FileSize*/,
                      bool& /*Allow*/) {
    extracting.push_back(FileName);
  }
  static void Publish(TPublisher<TStorageTestForm>& P) {
    P.Method("StorageExtract", &TStorageTestForm::StorageExtract);
    P.Field("acFileStorage1", &TStorageTestForm::acFileStorage1);
  }
};

void RegisterAll() {
  RegisterFileStorageClasses();
  RegisterClass<TStorageTestForm>();
}

bool Contains(const Bytes& hay, const std::string& needle) {
  return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

// Loading extracts the stored files, so every case runs on a fresh simulated machine.
class FileStorageFormTest : public standin::StandInTest {};

Bytes WriteForm(TStorageTestForm& form) {
  TMemoryStream m;
  WriteComponentRes(m, form);
  return m.Bytes();
}

TEST_F(FileStorageFormTest, SettingsAndPackSurviveTheFormData) {
  RegisterAll();
  Bytes installer(150000);
  for (size_t i = 0; i < installer.size(); ++i) installer[i] = static_cast<uint8_t>(i * 7 / 13);

  TComponentPtr<TStorageTestForm> form(new TStorageTestForm(nullptr));
  form->SetName("Form1");
  auto* storage = new TacFileStorage(form.get());
  storage->SetName("acFileStorage1");
  storage->SetDesignLeft(168);
  storage->SetDesignTop(8);
  storage->AutoExtract()->SetEnabled(true);
  storage->AutoExtract()->ExtractTo()->SetCreatePath(false);
  storage->AutoExtract()->ExtractTo()->SetToplevelDir(tdTempDir);
  storage->AutoExtract()->ExtractTo()->SetSubdirectory("Sub");
  storage->AutoExtract()->SetOverwrite(owAlways);
  storage->AutoExtract()->SetRemoveOnTerminate(true);
  storage->SetOnExtract(
      TOnExtractEvent::Of(form.get(), &TStorageTestForm::StorageExtract, "StorageExtract"));
  storage->SetAbout("not stored");
  storage->AddFile("quillmoor_full.exe", installer);
  const Bytes data = WriteForm(*form);

  for (const char* name :
       {"AutoExtract.Enabled", "AutoExtract.ExtractTo.CreatePath",
        "AutoExtract.ExtractTo.ToplevelDir", "tdTempDir", "AutoExtract.ExtractTo.Subdirectory",
        "AutoExtract.Overwrite", "owAlways", "AutoExtract.RemoveOnTerminate", "OnExtract",
        "StorageExtract", "StoredData", "SFP1"})
    EXPECT_TRUE(Contains(data, name)) << name;
  for (const char* name : {"About", "Count", "DataSize", "Files"})
    EXPECT_FALSE(Contains(data, name)) << name;

  TComponentPtr<TStorageTestForm> loaded(new TStorageTestForm(nullptr));
  TMemoryStream in;
  in.WriteBuffer(data.data(), data.size());
  in.SetPosition(0);
  ReadComponentRes(in, *loaded);
  TacFileStorage* s = loaded->acFileStorage1;
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Owner(), loaded.get());
  EXPECT_EQ(s->HostComponent(), loaded.get());
  EXPECT_TRUE(s->AutoExtract()->Enabled());
  EXPECT_FALSE(s->AutoExtract()->ExtractTo()->CreatePath());
  EXPECT_EQ(s->AutoExtract()->ExtractTo()->ToplevelDir(), tdTempDir);
  EXPECT_EQ(s->AutoExtract()->ExtractTo()->Subdirectory(), "Sub");
  EXPECT_EQ(s->AutoExtract()->Overwrite(), owAlways);
  EXPECT_TRUE(s->AutoExtract()->RemoveOnTerminate());
  EXPECT_EQ(s->About(), "");
  EXPECT_EQ(s->DesignLeft(), 168);
  EXPECT_TRUE(s->PackedFormat());
  EXPECT_EQ(s->Count(), 1u);
  EXPECT_EQ(s->DataSize(), 150000u);
  ASSERT_EQ(s->Files().Count(), 1);
  EXPECT_EQ(s->StoredFiles(0).FileName(), "quillmoor_full.exe");
  EXPECT_EQ(s->StoredFiles(0).Data().Bytes(), installer);
  bool allow = true;
  s->OnExtract()(loaded.get(), "C:\\x", 1, allow);
  // Loading tried C:\TEMP\Sub (missing, CreatePath False): the handler saw it, nothing written.
  EXPECT_EQ(loaded->extracting,
            (std::vector<std::string>{"C:\\TEMP\\Sub\\quillmoor_full.exe", "C:\\x"}));
  EXPECT_TRUE(s->ExtractedFiles().empty());

  EXPECT_EQ(WriteForm(*loaded), data);  // written again, byte for byte
}

TEST_F(FileStorageFormTest, EmptyStorageLeavesStoredDataOutAndDefaultsUnwritten) {
  RegisterAll();
  TComponentPtr<TStorageTestForm> form(new TStorageTestForm(nullptr));
  form->SetName("Form1");
  (new TacFileStorage(form.get()))->SetName("acFileStorage1");
  const Bytes data = WriteForm(*form);
  EXPECT_FALSE(Contains(data, "StoredData"));
  EXPECT_FALSE(Contains(data, "AutoExtract"));

  TComponentPtr<TStorageTestForm> loaded(new TStorageTestForm(nullptr));
  TMemoryStream in;
  in.WriteBuffer(data.data(), data.size());
  in.SetPosition(0);
  ReadComponentRes(in, *loaded);
  ASSERT_NE(loaded->acFileStorage1, nullptr);
  EXPECT_EQ(loaded->acFileStorage1->Count(), 0u);
  EXPECT_EQ(loaded->acFileStorage1->Files().Count(), 0);
  EXPECT_EQ(loaded->acFileStorage1->DataSize(), 0u);
}

TEST_F(FileStorageFormTest, DamagedPackEndsTheFormReading) {
  RegisterAll();
  TComponentPtr<TStorageTestForm> form(new TStorageTestForm(nullptr));
  form->SetName("Form1");
  auto* storage = new TacFileStorage(form.get());
  storage->SetName("acFileStorage1");
  storage->AddFile("f", Bytes(50, 1));
  Bytes data = WriteForm(*form);
  // The unpacked length of the one record follows "f" and its packed length.
  const std::string marker = "SFP1";
  auto at = std::search(data.begin(), data.end(), marker.begin(), marker.end());
  ASSERT_NE(at, data.end());
  const size_t unpackedAt = static_cast<size_t>(at - data.begin()) + 8 + 4 + 1 + 4;
  data[unpackedAt] = 60;

  TComponentPtr<TStorageTestForm> loaded(new TStorageTestForm(nullptr));
  TMemoryStream in;
  in.WriteBuffer(data.data(), data.size());
  in.SetPosition(0);
  try {
    ReadComponentRes(in, *loaded);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("file \"f\""), std::string::npos) << e.what();
  }
  EXPECT_EQ(loaded->ComponentCount(), 0);
}

}  // namespace

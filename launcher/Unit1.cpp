#include "launcher/Unit1.h"

#include "foundation/acUtils.h"
#include "launcher/InstallAction.h"
#include "launcher/InstallerCheck.h"
#include "launcher/OpenWebPage.h"
#include "toolkit/core/ToolkitErrors.h"
#include "toolkit/ui/TApplication.h"

TForm1* Form1 = nullptr;

std::string InstallerFileName = "quillmoor_full.exe";

void TForm1::Publish(TPublisher<TForm1>& P) {
  P.Field("acFileStorage1", &TForm1::acFileStorage1)
      .Field("Image2", &TForm1::Image2)
      .Field("Label2", &TForm1::Label2)
      .Field("Label5", &TForm1::Label5)
      .Field("Label6", &TForm1::Label6)
      .Field("BitBtn1", &TForm1::BitBtn1)
      .Field("acSystemInfo1", &TForm1::acSystemInfo1)
      .Method("Image2Click", &TForm1::Image2Click)
      .Method("BitBtn1Click", &TForm1::BitBtn1Click);
}

namespace {

// The bytes of the resource that records the installer's CRC-32; none when it is missing.
std::optional<std::span<const uint8_t>> InstallerCrcResource() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, kInstallerCrcResource, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!resource) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::span<const uint8_t>{};  // there, but unreadable: damage
  return std::span<const uint8_t>{static_cast<const uint8_t*>(data),
                                  SizeofResource(module, resource)};
}

}  // namespace

std::string LauncherIdentity() {
  std::string identity = "Installation." + InstallerFileName;
  try {
    if (const std::optional<uint32_t> crc = CrcToCheck(InstallerCrcResource()))
      identity += "." + IntToHexTrimmed(*crc);
  } catch (const EReadError&) {
    // Damage: the form's loading reports it.
  }
  return identity;
}

void TForm1::Loaded() {
  TForm::Loaded();
  if (acFileStorage1 == nullptr) return;
  ExpectCarriedInstaller(*acFileStorage1, InstallerFileName, CrcToCheck(InstallerCrcResource()));
  progress_ = std::make_unique<TProgressWindow>();
  acFileStorage1->SetOnProgress(
      [this](uint64_t Done, uint64_t Total) { return progress_->Update(Done, Total); });
}

bool TForm1::InstallerPrepared() {
  const bool stopped = progress_ && progress_->Stopped();
  progress_.reset();
  if (acFileStorage1 == nullptr) return true;
  acFileStorage1->SetOnProgress({});
  CheckCarriedInstaller(*acFileStorage1, InstallerFileName);
  return !stopped;
}

void TForm1::Image2Click(TObject* /*Sender*/) {
  OpenWebPage(HomePageAddress);
}

void TForm1::BitBtn1Click(TObject* /*Sender*/) {
  StartInstaller(*acFileStorage1, InstallerFileName, Application->Handle(), Handle());
}

void Unit1ShutDown() {
  InstallerFileName.clear();
  InstallerFileName.shrink_to_fit();
}

#include "tools/sfpack/LauncherWrap.h"

#include <optional>

#include "launcher/InstallerCrcResource.h"
#include "storage/Crc32.h"
#include "storage/acFileStorage.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"
#include "tools/pe/PeFile.h"
#include "tools/pe/PeRewriter.h"
#include "tools/pe/ResourceTree.h"
#include "tools/sfpack/FormBinaryProperty.h"

namespace sfpack {
namespace {

// The name the launcher's install action starts (Unit1's InstallerFileName).
constexpr char kCarriedName[] = "quillmoor_full.exe";
constexpr char kFormResource[] = "TFORM1";
constexpr char kStorageClass[] = "TacFileStorage";

// Runs Step, turning the errors of the readers it uses into a WrapError that says what failed.
template <typename Step>
auto Checked(const std::string& What, Step&& S) {
  try {
    return S();
  } catch (const WrapError&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw WrapError(What + ": " + e.what());
  } catch (const EToolkitError& e) {
    throw WrapError(What + ": " + e.what());
  }
}

void CheckInstaller(std::span<const uint8_t> Installer) {
  if (Installer.empty()) throw WrapError("the installer is empty");
  if (Installer.size() > UINT32_MAX)
    throw WrapError("the installer is larger than the pack format holds (4,294,967,295 bytes)");
  if (!PeFile::IsPeFile(Installer)) throw WrapError("the installer is not a Windows program");
}

// The StoredData of the form's file storage; WrapError when there is none.
FormBinaryLocation FindStorage(std::span<const uint8_t> Form) {
  const auto found = Checked("damaged form data (RCDATA TFORM1)",
                             [&] { return LocateFormBinaryProperty(Form, "StoredData"); });
  if (!found || !SameText(found->componentClass, kStorageClass))
    throw WrapError("the form data holds no file storage (StoredData of a TacFileStorage)");
  return *found;
}

// The pack with the installer in place of the carried record; the other records keep their
// order and contents.
std::vector<uint8_t> ReplaceCarried(std::span<const uint8_t> Pack,
                                    std::span<const uint8_t> Installer, WrapResult& Result) {
  TacFileStorage old(nullptr);
  Checked("damaged file storage data", [&] {
    TReadOnlyMemoryStream in(Pack);
    old.ReadStoredData(in);
  });
  TacFileStorage packed(nullptr);
  bool replaced = false;
  for (int32_t i = 0; i < old.Files().Count(); ++i) {
    const TStoredFile& record = old.StoredFiles(i);
    const bool carried = !replaced && SameText(record.FileName(), kCarriedName);
    if (carried) {
      Result.carriedName = record.FileName();
      Result.replacedSize = record.FileSize();
    }
    packed.AddFile(record.FileName(), carried ? Installer : record.Data().Bytes());
    replaced = replaced || carried;
  }
  if (!replaced) throw WrapError(std::string("the file storage carries no ") + kCarriedName);
  TMemoryStream out;
  Checked("the pack format cannot hold the installer", [&] { packed.WriteStoredData(out); });
  return out.Bytes();
}

// The form data with Pack as the storage's StoredData: the bytes around it stay as they are.
std::vector<uint8_t> SpliceForm(std::span<const uint8_t> Form, const FormBinaryLocation& At,
                                std::span<const uint8_t> Pack) {
  if (Pack.size() > UINT32_MAX) throw WrapError("the pack is too large for the form data");
  std::vector<uint8_t> form(Form.begin(), Form.begin() + static_cast<std::ptrdiff_t>(At.offset));
  StoreLE32(&form[At.offset - 4], static_cast<uint32_t>(Pack.size()));
  form.insert(form.end(), Pack.begin(), Pack.end());
  form.insert(form.end(), Form.begin() + static_cast<std::ptrdiff_t>(At.offset + At.size),
              Form.end());
  return form;
}

// Sets the recorded CRC-32 where the launcher has the resource.
void RecordCrc(ResourceTree& Tree, WrapResult& Result, std::span<const uint8_t> Installer) {
  ResourceTree::Data* recorded = Tree.Find(kRtRcData, kInstallerCrcResource);
  Result.crc = Crc32(Installer);
  if (!recorded) return;
  if (!RecordedCrc(recorded->bytes)) throw WrapError("INSTALLERCRC is not 4 bytes long");
  StoreLE32(recorded->bytes.data(), Result.crc);
  Result.crcRecorded = true;
}

}  // namespace

WrapResult WrapLauncher(std::span<const uint8_t> Launcher, std::span<const uint8_t> Installer) {
  if (!PeFile::IsPeFile(Launcher)) throw WrapError("the launcher is not a Windows program");
  const std::string damaged = "damaged or unexpected program file";
  const PeFile pe = Checked(damaged, [&] { return PeFile(Launcher); });
  const auto form = Checked(damaged, [&] { return pe.Resource(kRtRcData, kFormResource); });
  if (!form) throw WrapError("the launcher has no form data (RCDATA TFORM1)");
  const FormBinaryLocation storage = FindStorage(*form);
  CheckInstaller(Installer);

  WrapResult result;
  const std::vector<uint8_t> pack =
      ReplaceCarried(form->subspan(storage.offset, storage.size), Installer, result);
  const PeRewriter rewriter = Checked(damaged, [&] { return PeRewriter(Launcher); });
  ResourceTree tree =
      Checked(damaged, [&] { return ResourceTree(rewriter.Resources(), rewriter.ResourceRva()); });
  ResourceTree::Data* formData = tree.Find(kRtRcData, kFormResource);
  if (!formData) throw WrapError(damaged + ": the form data lies outside the resource section");
  formData->bytes = SpliceForm(*form, storage, pack);
  RecordCrc(tree, result, Installer);
  result.packSize = pack.size();
  result.program = Checked("cannot write the program",
                           [&] { return rewriter.Write(tree.Write(rewriter.ResourceRva())); });
  result.signatureRemoved = rewriter.Signed();
  return result;
}

}  // namespace sfpack

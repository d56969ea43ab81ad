#include "tools/sfpack/LauncherWrap.h"

#include <algorithm>
#include <optional>

#include "launcher/InstallerCrcResource.h"
#include "storage/Crc32.h"
#include "storage/acFileStorage.h"
#include "storage/acSFPack.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/SameText.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/TResourceStream.h"
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
// The program's icon group (Project1.rc).
constexpr char kIconGroup[] = "MAINICON";

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

void CheckInstallerSize(uint64_t Size) {
  if (Size == 0) throw WrapError("the installer is empty");
  if (Size > UINT32_MAX)
    throw WrapError("the installer is larger than the pack format holds (4,294,967,295 bytes)");
}

void CheckInstaller(std::span<const uint8_t> Installer) {
  CheckInstallerSize(Installer.size());
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

// Sets the recorded CRC-32 where the launcher has the resource.
void RecordCrc(ResourceTree& Tree, WrapResult& Result, std::span<const uint8_t> Installer) {
  ResourceTree::Data* recorded = Tree.Find(kRtRcData, kInstallerCrcResource);
  Result.crc = Crc32(Installer);
  if (!recorded) return;
  if (!RecordedCrc(recorded->bytes)) throw WrapError("INSTALLERCRC is not 4 bytes long");
  StoreLE32(recorded->bytes.data(), Result.crc);
  Result.crcRecorded = true;
}

// The installer's blocks go through in parts of this many: about a megabyte read, packed and
// written at a time.
constexpr size_t kPartBlocks = 16;
constexpr char kNotWindowsProgram[] = "the installer is not a Windows program";

void Put32(std::vector<uint8_t>& Bytes, size_t At, uint64_t Value) {
  StoreLE32(&Bytes[At], static_cast<uint32_t>(Value));
}

void WriteField(TMemoryStream& Stream, uint32_t Value) {
  uint8_t bytes[4];
  StoreLE32(bytes, Value);
  Stream.WriteBuffer(bytes, sizeof bytes);
}

// The new StoredData around the installer's packed blocks: Head ends with the carried record's
// packed length (a placeholder) and the installer's size; Tail holds the records after it.
struct TPackAround {
  std::vector<uint8_t> head;
  std::vector<uint8_t> tail;
};

TPackAround PackAround(std::span<const uint8_t> Pack, uint64_t InstallerSize,
                       WrapSummary& Summary) {
  // Read as a resource, the records keep their packed bytes in the launcher's memory; only the
  // ones that stay are unpacked (to be packed again as the build packs them), and the carried
  // one is only checked, block by block.
  TacFileStorage old(nullptr);
  Checked("damaged file storage data", [&] {
    TResourceStream in(Pack.data(), Pack.size());
    old.ReadStoredData(in);
  });
  TPackAround out;
  TMemoryStream* into = nullptr;
  TMemoryStream before, after;
  before.WriteBuffer("SFP1", 4);
  WriteField(before, static_cast<uint32_t>(old.Files().Count()));
  into = &before;
  for (int32_t i = 0; i < old.Files().Count(); ++i) {
    const TStoredFile& record = old.StoredFiles(i);
    if (into == &before && SameText(record.FileName(), kCarriedName)) {
      Summary.carriedName = record.FileName();
      Summary.replacedSize = record.FileSize();
      Checked("damaged file storage data", [&] { return record.ContentCrc32(); });
      WriteField(before, static_cast<uint32_t>(record.FileName().size()));
      before.WriteBuffer(record.FileName().data(), record.FileName().size());
      WriteField(before, 0);
      WriteField(before, static_cast<uint32_t>(InstallerSize));
      into = &after;
      continue;
    }
    Checked("the pack format cannot hold the installer", [&] {
      TStoredFile copy(nullptr);
      copy.SetFileName(record.FileName());
      copy.SetContent(Checked("damaged file storage data", [&] { return record.Data().Bytes(); }));
      copy.WriteToStream(*into);
    });
  }
  if (into != &after) throw WrapError(std::string("the file storage carries no ") + kCarriedName);
  out.head = before.Bytes();
  out.tail = after.Bytes();
  return out;
}

// Checks, as the parts of the installer go by, that it is a Windows program (PeFile::IsPeFile
// of the whole file): "MZ", and "PE\0\0" where the offset at 0x3C points, which may lie in a
// later part.
class TPeSignatureCheck {
 public:
  explicit TPeSignatureCheck(uint64_t Size) : size_(Size) {}

  void See(uint64_t Offset, std::span<const uint8_t> Part) {
    if (Offset == 0) {
      if (Part.size() < 0x40 || Part[0] != 'M' || Part[1] != 'Z')
        throw WrapError(kNotWindowsProgram);
      signatureAt_ = LoadLE32(&Part[0x3C]);
      if (signatureAt_ > size_ - 4) throw WrapError(kNotWindowsProgram);
    }
    for (uint64_t i = std::max(signatureAt_, Offset);
         i < signatureAt_ + 4 && i < Offset + Part.size(); ++i)
      signature_[i - signatureAt_] = Part[i - Offset];
    if (Offset + Part.size() >= signatureAt_ + 4 && LoadLE32(signature_) != 0x00004550)
      throw WrapError(kNotWindowsProgram);
  }

 private:
  uint64_t size_;
  uint64_t signatureAt_ = 0;
  uint8_t signature_[4] = {};
};

// One pass over the installer: the blocks' total length, the installer's CRC-32 and the blocks'
// part of the checksum for blocks starting at file offset At.
struct TPass {
  uint64_t packed = 0;
  uint32_t crc = 0;
  TPeChecksum sum;
};

// Reads the installer from its start and packs it block by block as PackData does, into Out
// when given, after Head. WrapError when the installer is no Windows program or its length is
// not Size.
TPass PackInstaller(TInstallerSource& In, uint64_t Size, uint64_t At, TProgramSink* Out,
                    std::span<const uint8_t> Head) {
  std::vector<uint8_t> input(kPartBlocks * kPackBlockMax);
  // PackBlock writes at most its input's length and 2 bytes behind each 2-byte length.
  std::vector<uint8_t> output(kPartBlocks * (kPackBlockMax + 4));
  TPeSignatureCheck check(Size);
  TPass pass;
  for (uint64_t done = 0; done < Size;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(input.size(), Size - done));
    for (size_t got = 0; got < want;) {
      const size_t n = In.Read(input.data() + got, want - got);
      if (n == 0) throw WrapError("the installer became shorter while it was read");
      got += n;
    }
    check.See(done, {input.data(), want});
    pass.crc = UpdateCrc32(pass.crc, {input.data(), want});
    size_t length = 0;
    for (size_t block = 0; block < want; block += kPackBlockMax) {
      const uint32_t k = static_cast<uint32_t>(std::min<size_t>(kPackBlockMax, want - block));
      const uint32_t packed = PackBlock(input.data() + block, output.data() + length + 2, k);
      StoreLE16(output.data() + length, packed);
      length += 2 + size_t{packed};
    }
    pass.sum.Add(At + pass.packed, {output.data(), length});
    if (Out && done == 0) Out->Write(Head);
    if (Out) Out->Write({output.data(), length});
    pass.packed += length;
    done += want;
  }
  uint8_t more = 0;
  if (In.Read(&more, 1) != 0) throw WrapError("the installer grew while it was read");
  return pass;
}

const std::string kDamaged = "damaged or unexpected program file";

// The launcher's form data (a part of Launcher's bytes) and where the file storage's StoredData
// lies in it; WrapError when the launcher is no Windows program, is damaged, or has neither.
struct TLauncherForm {
  std::span<const uint8_t> form;
  FormBinaryLocation storage;
};
TLauncherForm FindLauncherForm(std::span<const uint8_t> Launcher) {
  if (!PeFile::IsPeFile(Launcher)) throw WrapError("the launcher is not a Windows program");
  const PeFile pe = Checked(kDamaged, [&] { return PeFile(Launcher); });
  const auto form = Checked(kDamaged, [&] { return pe.Resource(kRtRcData, kFormResource); });
  if (!form) throw WrapError("the launcher has no form data (RCDATA TFORM1)");
  return {*form, FindStorage(*form)};
}

}  // namespace

WrapSummary WrapLauncherStreamed(std::span<const uint8_t> Launcher, TInstallerSource& Installer,
                                 TProgramSink& Out, std::span<const uint8_t> NewForm,
                                 std::span<const IconImage> Icon) {
  const TLauncherForm found = FindLauncherForm(Launcher);
  // The records the storage keeps come from the launcher; the form around them from NewForm
  // when given, whose StoredData is empty and stands where the pack goes.
  const std::span<const uint8_t> form = NewForm.empty() ? found.form : NewForm;
  const FormBinaryLocation storage = NewForm.empty() ? found.storage : FindStorage(NewForm);
  if (!NewForm.empty() && storage.size != 0)
    throw WrapError("the new form's StoredData must be empty: the installer's pack goes there");
  const uint64_t size = Installer.Size();
  CheckInstallerSize(size);

  WrapSummary summary;
  const TPackAround pack =
      PackAround(found.form.subspan(found.storage.offset, found.storage.size), size, summary);
  const PeRewriter rewriter = Checked(kDamaged, [&] { return PeRewriter(Launcher); });
  ResourceTree tree =
      Checked(kDamaged, [&] { return ResourceTree(rewriter.Resources(), rewriter.ResourceRva()); });
  // Before the form's and the CRC's entries are looked up: the icon's resources come and go.
  if (!Icon.empty()) {
    try {
      ReplaceIconGroup(tree, kIconGroup, Icon);
    } catch (const IconError& e) {
      throw WrapError(std::string("the program's icon: ") + e.what());
    }
  }
  ResourceTree::Data* formData = tree.Find(kRtRcData, kFormResource);
  if (!formData) throw WrapError(kDamaged + ": the form data lies outside the resource section");
  ResourceTree::Data* recorded = tree.Find(kRtRcData, kInstallerCrcResource);
  if (recorded && !RecordedCrc(recorded->bytes))
    throw WrapError("INSTALLERCRC is not 4 bytes long");
  summary.crcRecorded = recorded != nullptr;
  summary.signatureRemoved = rewriter.Signed();

  // The form data: the bytes before StoredData (its length field last), the pack's head, the
  // installer's blocks (the gap), the pack's tail, the bytes after StoredData.
  const auto formBefore = form.first(storage.offset);
  const auto formAfter = form.subspan(storage.offset + storage.size);
  formData->bytes.assign(formBefore.begin(), formBefore.end());
  formData->bytes.insert(formData->bytes.end(), pack.head.begin(), pack.head.end());
  formData->bytes.insert(formData->bytes.end(), pack.tail.begin(), pack.tail.end());
  formData->bytes.insert(formData->bytes.end(), formAfter.begin(), formAfter.end());
  formData->gapAt = storage.offset + pack.head.size();
  // The program for blocks of Blocks bytes in all, of an installer with CRC-32 Crc.
  auto layOut = [&](uint64_t Blocks, uint32_t Crc, uint64_t BlocksSum) {
    const uint64_t packSize = pack.head.size() + Blocks + pack.tail.size();
    if (packSize > UINT32_MAX) throw WrapError("the pack is too large for the form data");
    summary.packSize = static_cast<size_t>(packSize);
    Put32(formData->bytes, storage.offset - 4, packSize);
    Put32(formData->bytes, storage.offset + pack.head.size() - 8, 4 + Blocks);
    formData->gapSize = Blocks;
    if (recorded) StoreLE32(recorded->bytes.data(), Crc);
    summary.crc = Crc;
    return Checked("cannot write the program", [&] {
      const ResourceTree::Split section = tree.WriteAround(rewriter.ResourceRva());
      return rewriter.WriteAround(section.bytes, section.gapAt, section.gapSize, BlocksSum);
    });
  };
  // Refused before any work if even the largest packed size would not do. (For the sizes the
  // pack format holds, the largest is below 4 GiB, so refusals past 2 GiB come from here.)
  const PeRewriter::Pieces largest = layOut(PackedSizeMax(size) - 4, 0, 0);
  const uint64_t at = largest.head.size();

  if (Out.Seekable()) {
    const TPass pass = PackInstaller(Installer, size, at, &Out, largest.head);
    const PeRewriter::Pieces done = layOut(pass.packed, pass.crc, pass.sum.Sum());
    if (done.head.size() != at) throw std::logic_error("the installer's blocks moved");
    Out.Write(done.tail);
    Out.WriteAt(0, done.head);
  } else {
    const TPass first = PackInstaller(Installer, size, at, nullptr, {});
    const PeRewriter::Pieces done = layOut(first.packed, first.crc, first.sum.Sum());
    if (done.head.size() != at) throw std::logic_error("the installer's blocks moved");
    Installer.Rewind();
    const TPass second = PackInstaller(Installer, size, at, &Out, done.head);
    if (second.packed != first.packed || second.crc != first.crc)
      throw WrapError("the installer changed while it was read");
    Out.Write(done.tail);
  }
  return summary;
}

WrapResult WrapLauncher(std::span<const uint8_t> Launcher, std::span<const uint8_t> Installer) {
  const TLauncherForm found = FindLauncherForm(Launcher);
  const std::span<const uint8_t> form = found.form;
  const FormBinaryLocation storage = found.storage;
  CheckInstaller(Installer);

  WrapResult result;
  const std::vector<uint8_t> pack =
      ReplaceCarried(form.subspan(storage.offset, storage.size), Installer, result);
  const PeRewriter rewriter = Checked(kDamaged, [&] { return PeRewriter(Launcher); });
  ResourceTree tree =
      Checked(kDamaged, [&] { return ResourceTree(rewriter.Resources(), rewriter.ResourceRva()); });
  ResourceTree::Data* formData = tree.Find(kRtRcData, kFormResource);
  if (!formData) throw WrapError(kDamaged + ": the form data lies outside the resource section");
  formData->bytes = Checked("the pack does not fit the form data",
                            [&] { return WithBinaryValue(form, storage, pack); });
  RecordCrc(tree, result, Installer);
  result.packSize = pack.size();
  result.program = Checked("cannot write the program",
                           [&] { return rewriter.Write(tree.Write(rewriter.ResourceRva())); });
  result.signatureRemoved = rewriter.Signed();
  return result;
}

}  // namespace sfpack

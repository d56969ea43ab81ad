// sfpack: lists, extracts and creates the file storage's stored-data packs, and packs or unpacks
// single files in the codec's packed-data form.
//
//   sfpack list FILE            records of a pack, or of the pack inside a program's form data;
//                               for a program also the CRC-32 recorded in its INSTALLERCRC
//                               resource and whether the carried file (the first record) has it
//                               (exit code 1 when it does not)
//   sfpack crc FILE OUT         writes FILE's CRC-32 to OUT as 4 bytes, little-endian (the
//                               INSTALLERCRC resource)
//   sfpack extract FILE DIR     writes every record of the pack into DIR
//   sfpack create OUT FILE...   an "SFP1" pack of the files, named by their base names; an
//                               argument NAME=PATH stores PATH under NAME instead (a path that
//                               itself holds "=" before any slash is written as ./a=b)
//   sfpack pack IN OUT          IN in the packed-data form (4-byte length, then the blocks)
//   sfpack unpack IN OUT        the reverse
//   sfpack wrap LAUNCHER INSTALLER -o OUT
//                               OUT is LAUNCHER (a built launcher program) carrying INSTALLER as
//                               its quillmoor_full.exe, the same file the build makes with that
//                               installer; a signature of LAUNCHER is left out (see LauncherWrap.h)
//   sfpack form LAUNCHER -o FORM.txt
//                               the launcher's window as a text form (formconv's layout), with
//                               logo.picture (the logo's picture data, spliced back by @file) and
//                               logo.jpg (the picture itself) beside it; the carried installer
//                               stands as StoredData = {@installer}
//   sfpack wrap LAUNCHER INSTALLER [--form FORM.txt] [--logo LOGO.jpg] [--icon ICON.ico] -o OUT
//                               as wrap, with the window made from the edited FORM.txt and/or
//                               LOGO.jpg as the logo (Image2's picture, width and height) and/or
//                               ICON.ico as the program's icon (group MAINICON)
//
// Errors go to stderr with a non-zero exit code.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "launcher/InstallerCrcResource.h"
#include "storage/Crc32.h"
#include "storage/acFileStorage.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TResourceStream.h"
#include "toolkit/core/ToolkitErrors.h"
#include "tools/fileio/WholeFile.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/FormLogo.h"
#include "tools/sfpack/LauncherForm.h"
#include "tools/sfpack/LauncherFormCheck.h"
#include "tools/sfpack/LauncherWrap.h"
#include "tools/sfpack/PackListing.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// RCDATA resource Name of the program file at Path; a damaged file's PeError names the path.
std::optional<std::span<const uint8_t>> ProgramResource(const Bytes& File, const std::string& Path,
                                                        const char* Name) {
  try {
    return PeFile(File).Resource(kRtRcData, Name);
  } catch (const PeError& e) {
    throw std::runtime_error(Path + ": " + e.what());
  }
}

// The pack itself, or the StoredData inside the TFORM1 form data of a program file.
std::span<const uint8_t> FindPack(const Bytes& File, const std::string& Path) {
  if (!PeFile::IsPeFile(File)) return File;
  auto form = ProgramResource(File, Path, "TFORM1");
  if (!form) throw std::runtime_error(Path + ": no RCDATA resource TFORM1");
  auto pack = sfpack::FindFormBinaryProperty(*form, "StoredData");
  if (!pack) throw std::runtime_error(Path + ": the form data holds no StoredData");
  return *pack;
}

// For a program file: the CRC-32 recorded beside the form data and the carried file's own, on
// one line; false when they differ.
bool ListRecordedCrc(const Bytes& File, const std::string& Path, std::span<const uint8_t> Pack) {
  const auto resource = ProgramResource(File, Path, kInstallerCrcResource);
  const std::optional<uint32_t> recorded = resource ? RecordedCrc(*resource) : std::nullopt;
  if (!recorded) {
    std::printf("no recorded CRC-32 (%s)\n",
                resource ? "INSTALLERCRC is not 4 bytes long" : "no INSTALLERCRC resource");
    return !resource;
  }
  TacFileStorage storage(nullptr);
  TResourceStream stream(Pack.data(), Pack.size());  // unpacks only the carried file, for its CRC
  storage.ReadStoredData(stream);
  if (storage.Files().Count() == 0) {
    std::printf("recorded CRC-32 %08X: NO carried file to match it\n", *recorded);
    return false;
  }
  const TStoredFile& carried = storage.StoredFiles(0);
  const uint32_t actual = carried.ContentCrc32();
  if (actual == *recorded) {
    std::printf("recorded CRC-32 %08X: %s matches\n", *recorded, carried.FileName().c_str());
  } else {
    std::printf("recorded CRC-32 %08X: %s DOES NOT MATCH (its CRC-32 is %08X)\n", *recorded,
                carried.FileName().c_str(), actual);
  }
  return actual == *recorded;
}

int List(const std::string& Path) {
  const Bytes file = ReadWholeFile(Path);
  const std::span<const uint8_t> pack = FindPack(file, Path);
  const sfpack::PackListing listing = sfpack::ListPack(pack);
  std::printf("%s form, %zu record(s)\n", listing.packedForm ? "SFP1" : "old raw",
              listing.records.size());
  for (const sfpack::PackRecordInfo& r : listing.records) {
    std::printf("%s  size %u  packed %u", r.name.c_str(), r.size, r.packedSize);
    if (listing.packedForm)
      std::printf("  blocks %u (marker %u, table %u)", r.markerBlocks + r.tableBlocks,
                  r.markerBlocks, r.tableBlocks);
    std::printf("\n");
  }
  if (PeFile::IsPeFile(file) && !ListRecordedCrc(file, Path, pack)) return 1;
  return 0;
}

int WriteCrc(const std::string& In, const std::string& Out) {
  const uint32_t crc = Crc32(ReadWholeFile(In));
  uint8_t bytes[4];
  StoreLE32(bytes, crc);
  WriteWholeFile(Out, bytes);
  std::printf("%08X\n", crc);
  return 0;
}

// A stored name must be a bare file name, so extraction stays inside the target directory.
void CheckBareName(const std::string& Name) {
  if (Name.empty() || Name == "." || Name == ".." ||
      Name.find_first_of("/\\:") != std::string::npos || Name.find('\0') != std::string::npos)
    throw std::runtime_error("refusing to extract a record named \"" + Name + "\"");
}

int Extract(const std::string& Path, const std::string& Dir) {
  const Bytes file = ReadWholeFile(Path);
  const std::span<const uint8_t> pack = FindPack(file, Path);
  // Read as a resource, each record is unpacked when it is written, not all of them at once.
  TacFileStorage storage(nullptr);
  TResourceStream stream(pack.data(), pack.size());
  storage.ReadStoredData(stream);
  for (int32_t i = 0; i < storage.Files().Count(); ++i)
    CheckBareName(storage.StoredFiles(i).FileName());
  fs::create_directories(Dir);
  for (int32_t i = 0; i < storage.Files().Count(); ++i) {
    const TStoredFile& f = storage.StoredFiles(i);
    WriteWholeFile((fs::path(Dir) / f.FileName()).string(), f.Data().Bytes());
    std::printf("%s\n", f.FileName().c_str());
  }
  return 0;
}

// One input of create: the file to read and the name to store it under.
struct TPackInput {
  std::string name;
  std::string path;
};

// NAME=PATH when the text before the first "=" is a bare name (no directory separators), so the
// stored name need not be the file's own; otherwise the whole argument is a path stored under
// its base name.
TPackInput ParsePackInput(const std::string& Argument) {
  const size_t equals = Argument.find('=');
  if (equals != std::string::npos && equals != 0 && Argument.find_first_of("/\\") > equals) {
    return {Argument.substr(0, equals), Argument.substr(equals + 1)};
  }
  return {fs::path(Argument).filename().string(), Argument};
}

int Create(const std::string& Out, std::span<char* const> Files) {
  TacFileStorage storage(nullptr);
  for (const char* argument : Files) {
    const TPackInput input = ParsePackInput(argument);
    CheckBareName(input.name);
    storage.AddFile(input.name, ReadWholeFile(input.path));
  }
  TMemoryStream pack;
  storage.WriteStoredData(pack);
  WriteWholeFile(Out, pack.Bytes());
  return 0;
}

int PackOne(const std::string& In, const std::string& Out) {
  TStoredFile record(nullptr);
  record.SetContent(ReadWholeFile(In));
  TMemoryStream stream;
  record.WriteToStream(stream);
  // The record is: name length 0, packed length, packed data.
  const Bytes& bytes = stream.Bytes();
  WriteWholeFile(Out, std::span<const uint8_t>(bytes).subspan(8));
  return 0;
}

int UnpackOne(const std::string& In, const std::string& Out) {
  const Bytes packed = ReadWholeFile(In);
  if (packed.size() > UINT32_MAX) throw std::runtime_error(In + ": too large");
  // A record without an owner reads its data as packed: frame the data as such a record.
  TMemoryStream record;
  uint8_t header[8] = {};
  StoreLE32(header + 4, static_cast<uint32_t>(packed.size()));
  record.WriteBuffer(header, sizeof header);
  record.WriteBuffer(packed.data(), packed.size());
  record.SetPosition(0);
  TStoredFile file(nullptr);
  file.ReadFromStream(record);
  WriteWholeFile(Out, file.Data().Bytes());
  return 0;
}

// How to sign the wrapped program again: the tools a vendor has on Linux and on Windows.
void PrintSigningNote(const std::string& Launcher, const std::string& Out) {
  std::printf(
      "%s was signed: a signature cannot cover the new installer, so %s is not signed.\n"
      "Sign it again, for example:\n"
      "  osslsigncode sign -pkcs12 vendor.p12 -readpass PASSWORD_FILE -h sha256 "
      "-in %s -out SIGNED.exe\n"
      "  signtool sign /fd SHA256 /f vendor.pfx %s\n",
      Launcher.c_str(), Out.c_str(), Out.c_str(), Out.c_str());
}

// The installer file as wrap reads it.
class TFileInstaller : public sfpack::TInstallerSource {
 public:
  explicit TFileInstaller(const std::string& Path) : file_(Path) {}
  uint64_t Size() const override { return file_.Size(); }
  size_t Read(uint8_t* Into, size_t Count) override { return file_.Read(Into, Count); }
  void Rewind() override { file_.Rewind(); }

 private:
  TFileReader file_;
};

// OUT as wrap writes it: the new file beside it is created at the first write, once the
// launcher and the installer's size have passed their checks.
class TOutputFile : public sfpack::TProgramSink {
 public:
  explicit TOutputFile(const std::string& Path) : path_(Path) {}
  bool Seekable() override { return File().Seekable(); }
  void Write(std::span<const uint8_t> Bytes) override { File().Write(Bytes); }
  void WriteAt(uint64_t Offset, std::span<const uint8_t> Bytes) override {
    File().WriteAt(Offset, Bytes);
  }
  void Commit() { File().Commit(); }

 private:
  TFileReplacement& File() {
    if (!file_) file_ = std::make_unique<TFileReplacement>(path_, ".sfpack-partial");
    return *file_;
  }
  std::string path_;
  std::unique_ptr<TFileReplacement> file_;
};

int Usage();

// Output and input must be two files: writing one over the other would lose the input.
void RefuseSameFile(const std::string& Out, const std::string& Input) {
  if (SameFile(Out, Input))
    throw std::runtime_error("the output " + Out + " is the input " + Input +
                             "; name another file");
}

// The window's form data from the text form at Path, checked for what the launcher needs; all
// before anything is written.
Bytes FormFromText(const std::string& Path) {
  const Bytes raw = ReadWholeFile(Path);
  const std::string text(raw.begin(), raw.end());
  formtext::SpliceDirs dirs;
  dirs.BaseDir = fs::path(Path).parent_path();
  try {
    std::vector<formtext::SourceLine> lines;
    const Bytes form = sfpack::BuildLauncherForm(text, dirs, &lines);
    sfpack::CheckLauncherForm(form, text, lines);
    return form;
  } catch (const sfpack::WrapError& e) {
    throw std::runtime_error(Path + ": " + e.what());
  }
}

// What wrap changes besides the installer; empty names for what stays.
struct TWrapOptions {
  std::string out;
  std::string form;
  std::string logo;
  std::string icon;
};

// The window's form data for wrap: none (the launcher's own, untouched) without --form and
// --logo; otherwise the text's or the launcher's, with the logo put in.
Bytes WrapForm(const TWrapOptions& Options, const std::string& Launcher) {
  if (Options.form.empty() && Options.logo.empty()) return {};
  Bytes form;
  if (!Options.form.empty()) {
    form = FormFromText(Options.form);
  } else {
    try {
      form = sfpack::LauncherFormWithoutInstaller(ReadWholeFile(Launcher));
    } catch (const sfpack::WrapError& e) {
      throw std::runtime_error(Launcher + ": " + e.what());
    }
  }
  if (Options.logo.empty()) return form;
  try {
    return sfpack::FormWithLogo(form, sfpack::MakeLogoPicture(ReadWholeFile(Options.logo)));
  } catch (const sfpack::LogoPictureError& e) {
    throw std::runtime_error(Options.logo + ": " + e.what());
  } catch (const sfpack::WrapError& e) {
    throw std::runtime_error(Options.logo + ": " + e.what());
  }
}

int Wrap(const std::string& Launcher, const std::string& Installer, const TWrapOptions& Options) {
  const std::string& Out = Options.out;
  for (const std::string* input :
       {&Launcher, &Installer, &Options.form, &Options.logo, &Options.icon}) {
    if (!input->empty()) RefuseSameFile(Out, *input);
  }
  // The installer's size is checked before anything is read.
  TFileInstaller installer(Installer);
  if (installer.Size() > UINT32_MAX)
    throw std::runtime_error(Installer + " is larger than the pack format holds");
  const Bytes form = WrapForm(Options, Launcher);
  std::vector<IconImage> icon;
  try {
    if (!Options.icon.empty()) icon = ParseIconFile(ReadWholeFile(Options.icon));
  } catch (const IconError& e) {
    throw std::runtime_error(Options.icon + ": " + e.what());
  }
  const Bytes launcher = ReadWholeFile(Launcher);
  // The installer is read in parts and the program written as they are packed; a failure
  // anywhere removes the partial output, leaving OUT as it was.
  TOutputFile out(Out);
  sfpack::WrapSummary wrapped;
  try {
    wrapped = sfpack::WrapLauncherStreamed(launcher, installer, out, form, icon);
  } catch (const sfpack::WrapError& e) {
    throw std::runtime_error(Launcher + ", " + Installer + ": " + e.what());
  }
  out.Commit();
  std::printf("%s now carries %s: %llu bytes (was %u), StoredData %zu bytes\n", Out.c_str(),
              wrapped.carriedName.c_str(), static_cast<unsigned long long>(installer.Size()),
              wrapped.replacedSize, wrapped.packSize);
  if (wrapped.crcRecorded) std::printf("recorded CRC-32 %08X\n", wrapped.crc);
  if (wrapped.signatureRemoved) PrintSigningNote(Launcher, Out);
  return 0;
}

// Writes Launcher's window as FORM.txt at Out, the picture files beside it.
int Form(const std::string& Launcher, const std::string& Out) {
  RefuseSameFile(Out, Launcher);
  sfpack::LauncherFormText form;
  try {
    form = sfpack::ExportLauncherForm(ReadWholeFile(Launcher));
  } catch (const sfpack::WrapError& e) {
    throw std::runtime_error(Launcher + ": " + e.what());
  }
  const fs::path dir = fs::path(Out).parent_path();
  if (!form.picture.empty()) {
    ReplaceFileWhole((dir / sfpack::kPictureFileName).string(), form.picture, ".sfpack-partial");
    ReplaceFileWhole((dir / sfpack::kJpegFileName).string(), form.jpeg, ".sfpack-partial");
  }
  const std::span<const uint8_t> text(reinterpret_cast<const uint8_t*>(form.text.data()),
                                      form.text.size());
  ReplaceFileWhole(Out, text, ".sfpack-partial");
  std::printf("%s: the window's form; StoredData = %s stands for the installer\n", Out.c_str(),
              sfpack::kInstallerMarker);
  if (!form.picture.empty())
    std::printf("%s, %s: the logo (picture data, and the picture file to look at)\n",
                (dir / sfpack::kPictureFileName).string().c_str(),
                (dir / sfpack::kJpegFileName).string().c_str());
  return 0;
}

// wrap LAUNCHER INSTALLER [--form FORM.txt] [--logo LOGO.jpg] [--icon ICON.ico] -o OUT, options in
// any order, each once.
int WrapCommand(const std::vector<std::string>& Args) {
  TWrapOptions options;
  if (Args.size() % 2 == 0) return Usage();
  for (size_t i = 3; i + 1 < Args.size(); i += 2) {
    std::string* into = Args[i] == "-o"       ? &options.out
                        : Args[i] == "--form" ? &options.form
                        : Args[i] == "--logo" ? &options.logo
                        : Args[i] == "--icon" ? &options.icon
                                              : nullptr;
    if (!into || !into->empty() || Args[i + 1].empty()) return Usage();
    *into = Args[i + 1];
  }
  if (options.out.empty()) return Usage();
  return Wrap(Args[1], Args[2], options);
}

int Usage() {
  std::fprintf(stderr,
               "usage: sfpack list FILE\n"
               "       sfpack extract FILE DIR\n"
               "       sfpack create OUT [NAME=]FILE...\n"
               "       sfpack crc FILE OUT\n"
               "       sfpack pack IN OUT\n"
               "       sfpack unpack IN OUT\n"
               "       sfpack wrap LAUNCHER INSTALLER [--form FORM.txt] [--logo LOGO.jpg]\n"
               "                   [--icon ICON.ico] -o OUT\n"
               "       sfpack form LAUNCHER -o FORM.txt\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 2 && args[0] == "list") return List(args[1]);
    if (args.size() == 3 && args[0] == "extract") return Extract(args[1], args[2]);
    if (args.size() >= 3 && args[0] == "create")
      return Create(args[1], std::span<char* const>(argv + 3, argv + argc));
    if (args.size() == 3 && args[0] == "crc") return WriteCrc(args[1], args[2]);
    if (args.size() == 3 && args[0] == "pack") return PackOne(args[1], args[2]);
    if (args.size() == 3 && args[0] == "unpack") return UnpackOne(args[1], args[2]);
    if (args.size() >= 5 && args[0] == "wrap") return WrapCommand(args);
    if (args.size() == 4 && args[0] == "form" && args[2] == "-o") return Form(args[1], args[3]);
    return Usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sfpack: %s\n", e.what());
    return 1;
  }
}

#include "tools/sfpack/LauncherForm.h"

#include <algorithm>
#include <optional>
#include <string>

#include "toolkit/core/LittleEndian.h"
#include "tools/formconv/BinaryFormToText.h"
#include "tools/formconv/FormTextError.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/LauncherWrap.h"

namespace sfpack {
namespace {

using Bytes = std::vector<uint8_t>;

// Form with the binary value at At emptied.
Bytes WithoutValue(std::span<const uint8_t> Form, const FormBinaryLocation& At) {
  return WithBinaryValue(Form, At, {});
}

// Text with the one line "Property = {}" given Value instead; WrapError when there is not
// exactly one (another empty value of that name would make the place unclear).
void ReplaceEmptyValue(std::string& Text, const std::string& Property, const std::string& Value) {
  const std::string empty = " " + Property + " = {}\n";
  const size_t at = Text.find(empty);
  if (at == std::string::npos || Text.find(empty, at + 1) != std::string::npos)
    throw WrapError("the form data holds more than one empty " + Property);
  Text.replace(at, empty.size(), " " + Property + " = " + Value + "\n");
}

// The picture file inside picture data: class name (length byte), 32-bit byte count, file.
Bytes PictureFile(std::span<const uint8_t> Picture) {
  if (Picture.empty() || Picture.size() < 1u + Picture[0] + 4)
    throw WrapError("the logo's picture data is too short for its class name and byte count");
  const size_t at = 1u + Picture[0];
  const uint32_t count = LoadLE32(&Picture[at]);
  if (count != Picture.size() - at - 4)
    throw WrapError("the logo's picture data holds a byte count other than its file's");
  return Bytes(Picture.begin() + static_cast<std::ptrdiff_t>(at + 4), Picture.end());
}

std::span<const uint8_t> LauncherFormData(std::span<const uint8_t> Launcher) {
  if (!PeFile::IsPeFile(Launcher)) throw WrapError("the launcher is not a Windows program");
  try {
    const auto form = PeFile(Launcher).Resource(kRtRcData, "TFORM1");
    if (!form) throw WrapError("the launcher has no form data (RCDATA TFORM1)");
    return *form;
  } catch (const PeError& e) {
    throw WrapError(std::string("damaged or unexpected program file: ") + e.what());
  }
}

std::optional<FormBinaryLocation> Locate(std::span<const uint8_t> Form, std::string_view Name) {
  try {
    return LocateFormBinaryProperty(Form, Name);
  } catch (const std::runtime_error& e) {
    throw WrapError(std::string("damaged form data (RCDATA TFORM1): ") + e.what());
  }
}

}  // namespace

LauncherFormText ExportLauncherForm(std::span<const uint8_t> Launcher) {
  const std::span<const uint8_t> form = LauncherFormData(Launcher);
  const auto storage = Locate(form, "StoredData");
  if (!storage) throw WrapError("the form data holds no file storage (StoredData)");
  Bytes bare = WithoutValue(form, *storage);
  LauncherFormText out;
  // StoredData comes first or after the picture; emptying the later one first keeps the earlier
  // one's place.
  const auto picture = Locate(form, "Picture.Data");
  if (picture) {
    out.picture.assign(form.begin() + static_cast<std::ptrdiff_t>(picture->offset),
                       form.begin() + static_cast<std::ptrdiff_t>(picture->offset + picture->size));
    out.jpeg = PictureFile(out.picture);
    const auto again = Locate(bare, "Picture.Data");
    bare = WithoutValue(bare, *again);
  }
  try {
    out.text = formtext::BinaryFormToText(bare);
  } catch (const formtext::FormTextError& e) {
    throw WrapError(std::string("the form data cannot be written as text: ") + e.what());
  }
  ReplaceEmptyValue(out.text, "StoredData", kInstallerMarker);
  if (picture)
    ReplaceEmptyValue(out.text, "Picture.Data", std::string("{@file '") + kPictureFileName + "'}");
  return out;
}

std::vector<uint8_t> LauncherFormWithoutInstaller(std::span<const uint8_t> Launcher) {
  const std::span<const uint8_t> form = LauncherFormData(Launcher);
  const auto storage = Locate(form, "StoredData");
  if (!storage) throw WrapError("the form data holds no file storage (StoredData)");
  return WithoutValue(form, *storage);
}

std::vector<uint8_t> BuildLauncherForm(std::string_view Text, const formtext::SpliceDirs& Dirs,
                                       std::vector<formtext::SourceLine>* Lines) {
  std::string text(Text);
  const size_t at = text.find(kInstallerMarker);
  const size_t line =
      1 + static_cast<size_t>(std::count(
              text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(at, text.size())),
              '\n'));
  if (at == std::string::npos)
    throw WrapError("the form text has no " + std::string(kInstallerMarker) +
                    " (StoredData = " + kInstallerMarker + " marks where the installer goes)");
  if (text.find(kInstallerMarker, at + 1) != std::string::npos)
    throw WrapError("line " + std::to_string(line) + ": the form text holds " + kInstallerMarker +
                    " more than once");
  // The same line and columns after it, so errors point into the vendor's text.
  text.replace(at, sizeof kInstallerMarker - 1,
               "{}" + std::string(sizeof kInstallerMarker - 3, ' '));
  try {
    return formtext::TextFormToBinary(text, Dirs, Lines);
  } catch (const formtext::FormTextError& e) {
    throw WrapError(std::string("the form text cannot be converted: ") + e.what());
  }
}

}  // namespace sfpack

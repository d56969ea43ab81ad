// The launcher's window as an editable text form, and back: `sfpack form` writes the form data
// (RCDATA TFORM1) in formconv's text layout with the logo's picture data spliced out to a file and
// the carried installer left out, standing as a marker; `sfpack wrap --form` converts the edited
// text back and fills the marker with the installer, packed as a plain wrap packs it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/formconv/TextFormToBinary.h"

namespace sfpack {

// Stands in the text for the file storage's StoredData. It is no hexadecimal data and no @file,
// so formconv refuses it and nobody takes it for the installer's bytes.
inline constexpr char kInstallerMarker[] = "{@installer}";
// The names `sfpack form` writes beside the text form.
inline constexpr char kPictureFileName[] = "logo.picture";
inline constexpr char kJpegFileName[] = "logo.jpg";

struct LauncherFormText {
  std::string text;
  std::vector<uint8_t> picture;  // Image2's Picture.Data as the form holds it; empty when none
  std::vector<uint8_t> jpeg;     // the picture file inside it
};

// The launcher's window form as text. WrapError when the launcher has no such form data, the
// data is damaged or cannot be laid out as text, or the picture data is not class name, byte
// count and file.
LauncherFormText ExportLauncherForm(std::span<const uint8_t> Launcher);

// The launcher's form data as it is, with an empty StoredData, for a wrap that changes the form
// without a text (a new logo). WrapError as for ExportLauncherForm.
std::vector<uint8_t> LauncherFormWithoutInstaller(std::span<const uint8_t> Launcher);

// The binary form data of an edited text form, with an empty StoredData where the marker stands.
// WrapError naming the text's line for text the converter cannot read, a missing or repeated
// marker, or files to splice that cannot be read. Lines, when given, receives where each item of
// the form data stands in the text.
std::vector<uint8_t> BuildLauncherForm(std::string_view Text, const formtext::SpliceDirs& Dirs,
                                       std::vector<formtext::SourceLine>* Lines = nullptr);

}  // namespace sfpack

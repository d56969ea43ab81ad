// What the launcher program needs of its window form, checked on the binary form data: the root
// Form1 of class TForm1; the components Image2 (TImage), Label2, Label5, Label6 (TLabel), BitBtn1
// (TBitBtn), acFileStorage1 (TacFileStorage) and acSystemInfo1 (TacSystemInfo); no class the
// program does not register; then the whole form loaded by the program's form reader
// (ReadComponentRes) into the window's classes without windows (LauncherClasses.h), so that every
// property name, value type, identifier, nesting and picture is refused here as the program would
// refuse it; on the loaded window, the bindings Image2.OnClick = Image2Click and BitBtn1.OnClick =
// BitBtn1Click and the storage's settings that the install button depends on
// (AutoExtract.Enabled and RemoveOnTerminate True, Overwrite not owNever).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "tools/formconv/TextFormToBinary.h"

class TFormBinaryReader;

namespace sfpack {

// WrapError with the reason and the line of Text (the form's text, from which Form was made with
// Lines): the line of the property or component in question, or the root's for what is missing.
void CheckLauncherForm(std::span<const uint8_t> Form, std::string_view Text,
                       std::span<const formtext::SourceLine> Lines);

// Reads In's signature, then runs ReadComponents over it; damage the reader meets becomes a
// WrapError naming its offset. The walks of the launcher's form data in sfpack go through here.
void ReadFormData(TFormBinaryReader& In, const std::function<void()>& ReadComponents);

}  // namespace sfpack

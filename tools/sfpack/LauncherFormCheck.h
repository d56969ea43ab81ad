// What the launcher program needs of its window form, checked on the binary form data as the
// program's own reader (TFormBinaryReader) walks it, so what wrap accepts is what the program
// reads: the root Form1 of class TForm1; the components Image2 (TImage), Label2, Label5, Label6
// (TLabel), BitBtn1 (TBitBtn), acFileStorage1 (TacFileStorage) and acSystemInfo1 (TacSystemInfo);
// no class the program does not register; and the bindings Image2.OnClick = Image2Click and
// BitBtn1.OnClick = BitBtn1Click.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

class TFormBinaryReader;

namespace sfpack {

// WrapError with the reason and the line of Text (the form's text, from which Form was made)
// where the component in question is declared, or the root's line for what is missing.
void CheckLauncherForm(std::span<const uint8_t> Form, std::string_view Text);

// Reads In's signature, then runs ReadComponents over it; damage the reader meets becomes a
// WrapError naming its offset. The walks of the launcher's form data in sfpack go through here.
void ReadFormData(TFormBinaryReader& In, const std::function<void()>& ReadComponents);

}  // namespace sfpack

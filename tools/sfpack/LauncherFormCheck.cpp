#include "tools/sfpack/LauncherFormCheck.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "storage/acFileStorage.h"
#include "toolkit/core/FormBinaryReader.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/SameText.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/LauncherClasses.h"
#include "tools/sfpack/LauncherWrap.h"

namespace sfpack {
namespace {

constexpr int kMaxNesting = 256;

struct TRequired {
  const char* name;
  const char* className;
};
constexpr TRequired kRequired[] = {
    {"Form1", "TForm1"},
    {"Image2", "TImage"},
    {"Label2", "TLabel"},
    {"Label5", "TLabel"},
    {"Label6", "TLabel"},
    {"BitBtn1", "TBitBtn"},
    {"acFileStorage1", "TacFileStorage"},
    {"acSystemInfo1", "TacSystemInfo"},
};
struct TComponentInfo {
  std::string name;
  std::string className;
};

// The component records in stream order, through the toolkit's reader.
class ComponentWalker {
 public:
  explicit ComponentWalker(std::span<const uint8_t> Form) : in_(Form) {}

  std::vector<TComponentInfo> Run() {
    ReadFormData(in_, [this] { Component(0); });
    return found_;
  }

 private:
  void Component(int Depth) {
    if (Depth > kMaxNesting) throw WrapError("the form's components nest too deep");
    TComponentInfo info;
    info.className = in_.ReadName();
    info.name = in_.ReadName();
    while (!in_.ReadName().empty()) in_.ReadValue();
    found_.push_back(std::move(info));
    while (in_.PeekByte() != 0) Component(Depth + 1);
    in_.ReadByte();
  }

  TFormBinaryReader in_;
  std::vector<TComponentInfo> found_;
};

// The line of Text that declares component Name ("object Name:"), or 1.
size_t DeclarationLine(std::string_view Text, std::string_view Name) {
  size_t line = 1;
  for (size_t at = 0; at < Text.size();) {
    size_t end = Text.find('\n', at);
    if (end == std::string_view::npos) end = Text.size();
    std::string_view row = Text.substr(at, end - at);
    row.remove_prefix(std::min(row.find_first_not_of(" \t"), row.size()));
    const std::string head = "object " + std::string(Name);
    if (row.size() > head.size() && SameText(std::string(row.substr(0, head.size())), head) &&
        (row[head.size()] == ':' || row[head.size()] == ' '))
      return line;
    ++line;
    at = end + 1;
  }
  return 1;
}

[[noreturn]] void Refuse(std::string_view Text, std::string_view Name, const std::string& Why) {
  throw WrapError("line " + std::to_string(DeclarationLine(Text, Name)) + ": " + Why);
}

const TComponentInfo* Find(const std::vector<TComponentInfo>& All, std::string_view Name) {
  for (const TComponentInfo& c : All)
    if (SameText(c.name, std::string(Name))) return &c;
  return nullptr;
}

}  // namespace

void ReadFormData(TFormBinaryReader& In, const std::function<void()>& ReadComponents) {
  try {
    In.ReadSignature();
    ReadComponents();
  } catch (const EFormDataError& e) {
    throw WrapError("damaged form data at offset " + std::to_string(e.Offset()) + ": " +
                    e.Message());
  }
}

namespace {

// The form as the program gets it from wrap: the empty StoredData that wrap fills holds the
// storage's own pack of no records here, so the storage reads what it will read in its format.
class TLoadableForm {
 public:
  explicit TLoadableForm(std::span<const uint8_t> Form) : bytes_(Form.begin(), Form.end()) {
    const std::optional<FormBinaryLocation> stored = LocateFormBinaryProperty(Form, "StoredData");
    if (!stored || stored->size != 0) return;
    TacFileStorage empty(nullptr);
    TMemoryStream pack;
    empty.WriteStoredData(pack);
    at_ = stored->offset;
    shift_ = pack.Bytes().size();
    bytes_ = WithBinaryValue(Form, *stored, pack.Bytes());
  }
  std::span<const uint8_t> Bytes() const { return bytes_; }
  // Where Offset of these bytes lies in the form they were made from.
  size_t Original(size_t Offset) const {
    if (Offset < at_) return Offset;
    return Offset < at_ + shift_ ? at_ : Offset - shift_;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t at_ = 0;
  size_t shift_ = 0;
};

// The two clicks the launcher answers, as the loaded window has them bound.
void CheckBindings(const formcheck::TForm1& Window, std::string_view Text) {
  const struct {
    const formcheck::TControl* control;
    const char* name;
    const char* handler;
  } clicks[] = {{Window.Image2, "Image2", "Image2Click"},
                {Window.BitBtn1, "BitBtn1", "BitBtn1Click"}};
  for (const auto& c : clicks) {
    if (!c.control || !SameText(c.control->OnClick().MethodName(), c.handler))
      Refuse(Text, c.name, std::string(c.name) + ".OnClick must be bound to " + c.handler);
  }
}

// The storage's settings the launcher's button depends on: it runs only an installer the storage
// wrote (or found identical) at start-up and holds until the end, which it does only when it
// extracts, replaces a stale file of the name and removes the file at the end.
void CheckStorageSettings(const TacFileStorage& Storage, std::string_view Text) {
  const TAutoExtract& extract = *Storage.AutoExtract();
  std::string wrong;
  if (!extract.Enabled())
    wrong = "AutoExtract.Enabled must be True";
  else if (!extract.RemoveOnTerminate())
    wrong = "AutoExtract.RemoveOnTerminate must be True";
  else if (extract.Overwrite() == owNever)
    wrong = "AutoExtract.Overwrite must not be owNever";
  if (!wrong.empty())
    Refuse(Text, Storage.Name(),
           wrong + ": the launcher's button runs only the installer its storage extracted at " +
               "start-up and holds until the end");
}

// Loads Form as the program would, into the window's classes without windows, and checks the
// storage's settings.
void LoadAsTheProgram(std::span<const uint8_t> Form, std::string_view Text,
                      std::span<const formtext::SourceLine> Lines) {
  const TLoadableForm form(Form);
  formcheck::RegisterLauncherClasses();
  formcheck::TForm1 window(nullptr);
  TReadOnlyMemoryStream stream(form.Bytes().data(), form.Bytes().size());
  try {
    ReadComponentRes(stream, window);
  } catch (const EFormReadError& e) {
    const size_t line = formtext::LineOfOffset(Lines, form.Original(e.Offset()));
    throw WrapError("line " + std::to_string(line) +
                    ": the launcher would not load this form: " + e.Message());
  } catch (const EToolkitError& e) {
    throw WrapError("the launcher would not load this form: " + e.Message());
  }
  CheckBindings(window, Text);
  if (window.acFileStorage1) CheckStorageSettings(*window.acFileStorage1, Text);
}

}  // namespace

void CheckLauncherForm(std::span<const uint8_t> Form, std::string_view Text,
                       std::span<const formtext::SourceLine> Lines) {
  const std::vector<TComponentInfo> all = ComponentWalker(Form).Run();
  const std::string root = all.front().name;
  for (const TComponentInfo& c : all) {
    const bool known = std::any_of(std::begin(kRequired), std::end(kRequired),
                                   [&](auto& r) { return SameText(c.className, r.className); });
    if (!known)
      Refuse(Text, c.name,
             c.name + ": class " + c.className + " is not one the launcher program knows");
  }
  if (!SameText(all.front().name, "Form1") || !SameText(all.front().className, "TForm1"))
    Refuse(Text, root,
           "the root component must be Form1: TForm1, not " + root + ": " + all.front().className);
  for (const TRequired& r : kRequired) {
    const TComponentInfo* c = Find(all, r.name);
    if (!c) Refuse(Text, root, std::string("the form has no ") + r.name + ": " + r.className);
    if (!SameText(c->className, r.className))
      Refuse(Text, r.name,
             std::string(r.name) + " must be a " + r.className + ", not a " + c->className);
  }
  LoadAsTheProgram(Form, Text, Lines);
}

}  // namespace sfpack

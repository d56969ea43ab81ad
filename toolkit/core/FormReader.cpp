// The "TPF0" form-data reader (ReadComponentRes). It parses the stream's remaining bytes through
// the bounds-checked TFormBinaryReader, so damaged data ends in an EReadError with its offset,
// never in a read outside the data. A read-only memory stream (a resource) is parsed where it
// lies; any other stream, which a component's callback could change under the reader, is copied
// first.
#include <span>
#include <string>
#include <vector>

#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/FormBinaryReader.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/IntegerConsts.h"
#include "toolkit/core/SameText.h"
#include "toolkit/core/TEnumInfo.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/TReadOnlyMemoryStream.h"
#include "toolkit/core/TResourceStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

// Nesting deeper than this is refused rather than followed (the reader recurses per level).
constexpr int kMaxNesting = 64;

using TValue = TFormValue;

const char* ValueTypeText(uint8_t Type) {
  switch (Type) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
      return "an integer";
    case vaString:
    case vaLString:
      return "a string";
    case vaIdent:
      return "an identifier";
    case vaFalse:
    case vaTrue:
      return "a Boolean";
    case vaBinary:
      return "binary data";
    case vaSet:
      return "a set";
    default:
      return "an unknown value";
  }
}

const char* KindText(TPropKind Kind) {
  switch (Kind) {
    case TPropKind::Integer:
      return "an integer";
    case TPropKind::Boolean:
      return "a Boolean";
    case TPropKind::Enumeration:
      return "an enumeration value";
    case TPropKind::Set:
      return "a set";
    case TPropKind::String:
      return "a string";
    case TPropKind::Object:
      return "sub-properties (an object is stored by dotted names)";
    case TPropKind::Event:
      return "a method name";
  }
  return "a value";
}

bool IsInteger(uint8_t Type) {
  return Type == vaInt8 || Type == vaInt16 || Type == vaInt32;
}

class TFormReader {
 public:
  // Lasting: Data lies in memory that outlives every component read (a resource), so binary
  // properties are handed over as TResourceStream and may be kept as views.
  TFormReader(std::span<const uint8_t> Data, TComponent& Root, bool Lasting)
      : in_(Data), root_(Root), lasting_(Lasting) {}
  bool Lasting() const { return lasting_; }

  // Reads signature and root record; returns the number of bytes used.
  size_t Read() {
    Checked(&TFormBinaryReader::ReadSignature);
    try {
      ReadComponent(nullptr, 0);
    } catch (...) {
      Discard();
      throw;
    }
    NotifyLoaded();
    return in_.Position();
  }

 private:
  // --- errors ------------------------------------------------------------------------------
  // Raises the read error for a value of the wrong type for property Name.
  [[noreturn]] void WrongType(const std::string& Name, const char* Expected, const TValue& V) {
    Fail(V.Offset, "Invalid value for property " + Name + ": expected " + Expected + ", found " +
                       ValueTypeText(V.Type));
  }

  // Raises the read error, naming the component being read and the offset.
  [[noreturn]] void Fail(size_t Offset, const std::string& What) {
    std::string where =
        current_ ? current_->Name() + " (" + current_->ClassName() + ")" : std::string("form data");
    throw EFormReadError(
        "Error reading " + where + " at offset " + std::to_string(Offset) + ": " + What, Offset);
  }

  // --- bytes -------------------------------------------------------------------------------
  // Runs one read of the byte layer; its errors get the component context and offset here
  // (only here: an EFormDataError from a component's own stored-data reader passes unchanged).
  template <typename T>
  T Checked(T (TFormBinaryReader::*Read)()) {
    try {
      return (in_.*Read)();
    } catch (const EFormDataError& e) {
      Fail(e.Offset(), e.Message());
    }
  }
  uint8_t ReadByte() { return Checked(&TFormBinaryReader::ReadByte); }
  uint8_t PeekByte() { return Checked(&TFormBinaryReader::PeekByte); }
  std::string ReadShortString() { return Checked(&TFormBinaryReader::ReadName); }
  TValue ReadValue() { return Checked(&TFormBinaryReader::ReadValue); }

  // --- components --------------------------------------------------------------------------
  void ReadComponent(TComponent* Parent, int Depth) {
    if (Depth > kMaxNesting) Fail(in_.Position(), "Components nested too deeply");
    size_t classOffset = in_.Position();
    std::string className = ReadShortString();
    size_t nameOffset = in_.Position();
    std::string name = ReadShortString();
    TComponent* saved = current_;
    TComponent* c =
        Parent ? CreateChild(className, classOffset) : &AdoptRoot(className, classOffset);
    if (Parent) Attach(*c, *Parent, classOffset);
    Rename(*c, name, nameOffset);  // a refused name is reported in the parent's context
    current_ = c;
    SetField(*c, nameOffset);
    while (PeekByte() != 0) ReadProperty(*c);
    ReadByte();
    while (PeekByte() != 0) ReadComponent(c, Depth + 1);
    ReadByte();
    current_ = saved;
  }

  TComponent& AdoptRoot(const std::string& ClassName, size_t Offset) {
    if (!SameText(ClassName, root_.ClassName())) {
      Fail(Offset, "The form data describes a " + ClassName + ", not a " + root_.ClassName());
    }
    root_.SetLoading(true);
    loaded_.push_back(&root_);
    return root_;
  }

  TComponent* CreateChild(const std::string& ClassName, size_t Offset) {
    const TClassInfo* info = GetClass(ClassName);
    if (!info) Fail(Offset, "Class " + ClassName + " not found");
    if (!info->CanCreate()) Fail(Offset, "Class " + ClassName + " cannot be created");
    TComponent* c = info->Create(&root_);
    created_.push_back(c);
    c->SetLoading(true);
    loaded_.push_back(c);
    return c;
  }

  // Places C on Parent; a refusal is reported in the parent's context.
  void Attach(TComponent& C, TComponent& Parent, size_t Offset) {
    try {
      C.SetParentComponent(&Parent);
    } catch (const EFormReadError&) {
      throw;
    } catch (const EReadError& e) {
      Fail(Offset, e.Message());
    }
  }

  void Rename(TComponent& C, const std::string& Name, size_t Offset) {
    try {
      C.SetName(Name);
    } catch (const EComponentError& e) {
      Fail(Offset, e.Message());
    }
  }

  // Points the root's published field of the same name at a new child.
  void SetField(TComponent& C, size_t Offset) {
    if (&C == &root_ || C.Name().empty()) return;
    const TFieldInfo* field = root_.ClassInfo().FindField(C.Name());
    if (field && !field->Set(root_, &C)) {
      Fail(Offset,
           "Field " + C.Name() + " of " + root_.ClassName() + " cannot hold a " + C.ClassName());
    }
  }

  // --- properties --------------------------------------------------------------------------
  struct TTarget {
    TPersistent* Object = nullptr;
    const TPropInfo* Prop = nullptr;  // null: ask the object's DefineProperties
    std::string LastName;
  };

  TTarget Resolve(TComponent& Instance, const std::string& Path, size_t Offset) {
    TPersistent* object = &Instance;
    size_t start = 0;
    for (size_t dot = Path.find('.'); dot != std::string::npos; dot = Path.find('.', start)) {
      std::string segment = Path.substr(start, dot - start);
      object = Descend(*object, segment, Path, Offset);
      start = dot + 1;
    }
    TTarget t;
    t.Object = object;
    t.LastName = Path.substr(start);
    t.Prop = object->ClassInfo().FindProperty(t.LastName);
    return t;
  }

  // The sub-object named Segment of Object: an object property, or else an owned component.
  TPersistent* Descend(TPersistent& Object, const std::string& Segment, const std::string& Path,
                       size_t Offset) {
    const TPropInfo* p = Object.ClassInfo().FindProperty(Segment);
    if (p && p->Kind == TPropKind::Object) {
      TPersistent* sub = p->GetSubObject(Object);
      if (!sub) Fail(Offset, "Property " + Path + " cannot be set: " + Segment + " is empty");
      return sub;
    }
    auto* component = dynamic_cast<TComponent*>(&Object);
    TComponent* owned = component ? component->FindComponent(Segment) : nullptr;
    if (!owned) Fail(Offset, "Property " + Path + " does not exist");
    return owned;
  }

  void ReadProperty(TComponent& Instance) {
    size_t nameOffset = in_.Position();
    std::string path = ReadShortString();
    TTarget target = Resolve(Instance, path, nameOffset);
    TValue value = ReadValue();
    try {
      if (target.Prop) {
        Apply(*target.Object, *target.Prop, path, value);
      } else {
        ApplyDefined(*target.Object, target.LastName, path, value, nameOffset);
      }
    } catch (const EFormReadError&) {
      throw;
    } catch (const EReadError& e) {
      // A declared reader's own error keeps its wording; the place is added for tools.
      throw EFormReadError(e.Message(), value.Offset);
    } catch (const EAbort&) {
      throw;
    } catch (const EToolkitError& e) {
      // A setter or a declared reader refused the value: keep its message, add the place.
      Fail(value.Offset, "Property " + path + ": " + e.Message());
    }
  }

  void Apply(TPersistent& Object, const TPropInfo& Prop, const std::string& Path, const TValue& V) {
    switch (Prop.Kind) {
      case TPropKind::Integer:
        SetOrd(Object, Prop, IntegerValue(Prop, Path, V));
        break;
      case TPropKind::Boolean:
        if (V.Type != vaFalse && V.Type != vaTrue) WrongType(Path, KindText(Prop.Kind), V);
        SetOrd(Object, Prop, V.Type == vaTrue ? 1 : 0);
        break;
      case TPropKind::Enumeration:
        SetOrd(Object, Prop, EnumValue(Prop, Path, V));
        break;
      case TPropKind::Set:
        SetOrd(Object, Prop, SetValue(Prop, Path, V));
        break;
      case TPropKind::String:
        if (V.Type != vaString && V.Type != vaLString) WrongType(Path, KindText(Prop.Kind), V);
        if (!Prop.ReadOnly) Prop.SetStr(Object, V.Text);
        break;
      case TPropKind::Event:
        BindEvent(Object, Prop, Path, V);
        break;
      case TPropKind::Object:
        WrongType(Path, KindText(Prop.Kind), V);
    }
  }

  static void SetOrd(TPersistent& Object, const TPropInfo& Prop, int64_t Value) {
    if (!Prop.ReadOnly) Prop.SetOrd(Object, Value);
  }

  int64_t IntegerValue(const TPropInfo& Prop, const std::string& Path, const TValue& V) {
    if (IsInteger(V.Type)) return V.Int;
    if (V.Type != vaIdent) WrongType(Path, "an integer", V);
    int32_t value = 0;
    if (!IdentToInt(Prop.IntegerType, V.Text, value)) {
      Fail(V.Offset, "Unknown identifier " + V.Text + " for property " + Path +
                         (Prop.IntegerType.empty() ? "" : " (" + Prop.IntegerType + ")"));
    }
    return value;
  }

  int64_t EnumValue(const TPropInfo& Prop, const std::string& Path, const TValue& V) {
    if (V.Type != vaIdent) WrongType(Path, KindText(Prop.Kind), V);
    int32_t ordinal = Prop.Enum->ValueOf(V.Text);
    if (ordinal < 0) {
      Fail(V.Offset, "Unknown identifier " + V.Text + " for property " + Path + " (" +
                         Prop.Enum->Name() + ")");
    }
    return ordinal;
  }

  int64_t SetValue(const TPropInfo& Prop, const std::string& Path, const TValue& V) {
    if (V.Type != vaSet) WrongType(Path, KindText(Prop.Kind), V);
    TSetValue bits = 0;
    for (const std::string& name : V.Names) {
      int32_t ordinal = Prop.Enum->ValueOf(name);
      if (ordinal < 0) {
        Fail(V.Offset, "Unknown identifier " + name + " in set property " + Path + " (" +
                           Prop.Enum->Name() + ")");
      }
      bits |= TSetValue{1} << ordinal;
    }
    return bits;
  }

  void BindEvent(TPersistent& Object, const TPropInfo& Prop, const std::string& Path,
                 const TValue& V) {
    if (V.Type != vaIdent) WrongType(Path, KindText(Prop.Kind), V);
    const TMethodInfo* method = root_.ClassInfo().FindMethod(V.Text);
    if (!method) Fail(V.Offset, "Method " + V.Text + " not found in " + root_.ClassName());
    if (!Prop.BindMethod(Object, root_, *method)) {
      Fail(V.Offset, "Method " + V.Text + " does not fit event " + Path);
    }
  }

  // A property the object declares itself (TPersistent::DefineProperties).
  class TReadFiler : public TFiler {
   public:
    TReadFiler(TFormReader& Reader, const std::string& Name, const std::string& Path,
               const TValue& Value)
        : reader_(Reader), name_(Name), path_(Path), value_(Value) {}
    bool Found() const { return found_; }

    void DefineBinaryProperty(const std::string& Name,
                              const std::function<void(TStream&)>& ReadData,
                              const std::function<void(TStream&)>& /*WriteData*/,
                              bool /*HasData*/) override {
      if (found_ || !SameText(Name, name_)) return;
      found_ = true;
      if (value_.Type != vaBinary) reader_.WrongType(path_, "binary data", value_);
      if (!ReadData) return;
      if (reader_.Lasting()) {
        TResourceStream stream(value_.Bytes.data(), value_.Bytes.size());
        ReadData(stream);
      } else {
        TReadOnlyMemoryStream stream(value_.Bytes);
        ReadData(stream);
      }
    }
    void DefineIntegerProperty(const std::string& Name,
                               const std::function<void(int32_t)>& ReadData,
                               const std::function<int32_t()>& /*WriteData*/,
                               bool /*HasData*/) override {
      if (found_ || !SameText(Name, name_)) return;
      found_ = true;
      if (!IsInteger(value_.Type)) reader_.WrongType(path_, "an integer", value_);
      if (ReadData) ReadData(static_cast<int32_t>(value_.Int));
    }

   private:
    TFormReader& reader_;
    const std::string& name_;
    const std::string& path_;
    const TValue& value_;
    bool found_ = false;
  };

  void ApplyDefined(TPersistent& Object, const std::string& Name, const std::string& Path,
                    const TValue& V, size_t NameOffset) {
    TReadFiler filer(*this, Name, Path, V);
    Object.DefineProperties(filer);
    if (!filer.Found()) {
      Fail(NameOffset, "Property " + Path + " does not exist in " + Object.ClassName());
    }
  }

  // --- end of reading ----------------------------------------------------------------------
  void NotifyLoaded() {
    for (size_t i = 0; i < loaded_.size(); ++i) {
      try {
        loaded_[i]->SetLoading(false);
        loaded_[i]->Loaded();
      } catch (...) {
        for (size_t j = i + 1; j < loaded_.size(); ++j) loaded_[j]->SetLoading(false);
        throw;
      }
    }
  }

  // After an error: the components this read created go again, last first; the root is no
  // longer loading.
  void Discard() {
    current_ = nullptr;
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) (*it)->Free();
    created_.clear();
    loaded_.clear();
    root_.SetLoading(false);
  }

  TFormBinaryReader in_;
  TComponent& root_;
  bool lasting_;
  TComponent* current_ = nullptr;
  std::vector<TComponent*> loaded_;   // root first, then in creation order
  std::vector<TComponent*> created_;  // by this read, in creation order
};

}  // namespace

void ReadComponentRes(TStream& Stream, TComponent& Root) {
  const int64_t start = Stream.Position();
  const int64_t size = Stream.Size();
  const auto count = static_cast<size_t>(size > start ? size - start : 0);
  std::vector<uint8_t> copy;
  std::span<const uint8_t> bytes;
  if (const auto* fixed = dynamic_cast<const TReadOnlyMemoryStream*>(&Stream)) {
    if (count > 0) bytes = std::span(fixed->Memory() + start, count);
  } else {
    copy.resize(count);
    Stream.ReadBuffer(copy.data(), copy.size());
    bytes = copy;
  }
  const bool lasting = dynamic_cast<const TResourceStream*>(&Stream) != nullptr;
  const size_t used = TFormReader(bytes, Root, lasting).Read();
  Stream.SetPosition(start + static_cast<int64_t>(used));
}

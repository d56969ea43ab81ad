// The "TPF0" form-data writer (WriteComponentRes). It builds the whole form data in memory and
// hands it to the stream in one piece, so a refused component leaves the stream untouched.
#include <string>
#include <vector>

#include "toolkit/core/FormBinaryWriter.h"
#include "toolkit/core/FormStreaming.h"
#include "toolkit/core/IntegerConsts.h"
#include "toolkit/core/TEnumInfo.h"
#include "toolkit/core/TFiler.h"
#include "toolkit/core/TMemoryStream.h"
#include "toolkit/core/ToolkitErrors.h"

namespace {

// Sub-objects nested deeper than this are taken for a cycle.
constexpr int kMaxObjectDepth = 16;
constexpr int kMaxNesting = 64;

class TFormWriter {
 public:
  explicit TFormWriter(TComponent& Root) : root_(Root) {}

  const std::vector<uint8_t>& Write() {
    out_.WriteSignature();
    WriteComponent(root_, 0);
    return out_.Bytes();
  }

  TFormBinaryWriter& Out() { return out_; }

 private:
  void WriteComponent(TComponent& C, int Depth) {
    if (Depth > kMaxNesting) throw EWriteError("Components nested too deeply at " + C.Name());
    out_.WriteName(C.ClassName(), "Class name");
    out_.WriteName(C.Name(), "Component name");
    WriteProperties(C, "", 0);
    out_.WriteEnd();
    C.GetChildren([this, Depth](TComponent* Child) { WriteComponent(*Child, Depth + 1); }, &root_);
    out_.WriteEnd();
  }

  void WriteProperties(TPersistent& Object, const std::string& Prefix, int Depth) {
    if (Depth > kMaxObjectDepth) throw EWriteError("Sub-objects nested too deeply at " + Prefix);
    for (const TPropInfo* p : Object.ClassInfo().Properties()) {
      if (p->IsStored(Object)) WriteProperty(Object, *p, Prefix + p->Name, Depth);
    }
    TWriteFiler filer(*this, Prefix);
    Object.DefineProperties(filer);
  }

  void WriteProperty(TPersistent& Object, const TPropInfo& Prop, const std::string& Name,
                     int Depth) {
    if (Prop.Kind == TPropKind::Object) {
      WriteProperties(*Prop.GetSubObject(Object), Name + ".", Depth + 1);
      return;
    }
    out_.WriteName(Name);
    switch (Prop.Kind) {
      case TPropKind::Integer: {
        // 32-bit: unsigned figures are written as their signed bit pattern.
        auto v = static_cast<int32_t>(static_cast<uint32_t>(Prop.GetOrd(Object)));
        std::string ident;
        if (IntToIdent(Prop.IntegerType, v, ident)) {
          out_.WriteIdent(ident);
        } else {
          out_.WriteInteger(v);
        }
        break;
      }
      case TPropKind::Boolean:
        out_.WriteBoolean(Prop.GetOrd(Object) != 0);
        break;
      case TPropKind::Enumeration: {
        int64_t ordinal = Prop.GetOrd(Object);
        std::string_view ident = Prop.Enum->ValueName(ordinal);
        if (ident.empty()) {
          throw EWriteError("Value " + std::to_string(ordinal) + " of property " + Name +
                            " is not a " + Prop.Enum->Name());
        }
        out_.WriteIdent(ident);
        break;
      }
      case TPropKind::Set:
        WriteSet(static_cast<uint64_t>(Prop.GetOrd(Object)), *Prop.Enum, Name);
        break;
      case TPropKind::String:
        out_.WriteString(Prop.GetStr(Object));
        break;
      case TPropKind::Event:
        out_.WriteIdent(Prop.GetMethodName(Object));
        break;
      case TPropKind::Object:
        break;
    }
  }

  void WriteSet(uint64_t Bits, const TEnumInfo& Element, const std::string& Name) {
    if (Bits >> Element.Count() != 0) {
      throw EWriteError("Set property " + Name + " holds values outside " + Element.Name());
    }
    std::vector<std::string> names;
    for (int32_t i = 0; i < Element.Count(); ++i) {
      if (Bits & (uint64_t{1} << i)) names.emplace_back(Element.ValueName(i));
    }
    out_.WriteSet(names);
  }

  // Writes the properties an object declares itself, under the object's prefix.
  class TWriteFiler : public TFiler {
   public:
    TWriteFiler(TFormWriter& Writer, const std::string& Prefix)
        : writer_(Writer), prefix_(Prefix) {}

    void DefineBinaryProperty(const std::string& Name,
                              const std::function<void(TStream&)>& /*ReadData*/,
                              const std::function<void(TStream&)>& WriteData,
                              bool HasData) override {
      if (!HasData || !WriteData) return;
      TMemoryStream data;
      WriteData(data);
      writer_.Out().WriteName(prefix_ + Name);
      writer_.Out().WriteBinary(data.Bytes());
    }
    void DefineIntegerProperty(const std::string& Name,
                               const std::function<void(int32_t)>& /*ReadData*/,
                               const std::function<int32_t()>& WriteData, bool HasData) override {
      if (!HasData || !WriteData) return;
      writer_.Out().WriteName(prefix_ + Name);
      writer_.Out().WriteInteger(WriteData());
    }

   private:
    TFormWriter& writer_;
    const std::string& prefix_;
  };

  TComponent& root_;
  TFormBinaryWriter out_;
};

}  // namespace

void WriteComponentRes(TStream& Stream, TComponent& Root) {
  TFormWriter writer(Root);
  const std::vector<uint8_t>& bytes = writer.Write();
  Stream.WriteBuffer(bytes.data(), bytes.size());
}

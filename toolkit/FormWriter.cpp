// The "TPF0" form-data writer (WriteComponentRes). It builds the whole form data in memory and
// hands it to the stream in one piece, so a refused component leaves the stream untouched.
#include <string>
#include <vector>

#include "toolkit/FormStreaming.h"
#include "toolkit/IntegerConsts.h"
#include "toolkit/TEnumInfo.h"
#include "toolkit/TFiler.h"
#include "toolkit/TMemoryStream.h"
#include "toolkit/ToolkitErrors.h"

namespace {

// Sub-objects nested deeper than this are taken for a cycle.
constexpr int kMaxObjectDepth = 16;
constexpr int kMaxNesting = 64;

class TFormWriter {
 public:
  explicit TFormWriter(TComponent& Root) : root_(Root) {}

  const std::vector<uint8_t>& Write() {
    out_.assign(std::begin(kFormSignature), std::end(kFormSignature));
    WriteComponent(root_, 0);
    return out_;
  }

  void WriteName(const std::string& Name) { WriteShortString(Name, "Name"); }
  void WriteByte(uint8_t B) { out_.push_back(B); }
  void WriteUInt(uint32_t V, size_t Width) {
    for (size_t i = 0; i < Width; ++i) out_.push_back(static_cast<uint8_t>(V >> (8 * i)));
  }
  // An integer in the smallest of the three widths that holds it.
  void WriteInteger(int32_t V) {
    if (V >= -128 && V <= 127) {
      WriteByte(vaInt8);
      WriteUInt(static_cast<uint32_t>(V), 1);
    } else if (V >= -32768 && V <= 32767) {
      WriteByte(vaInt16);
      WriteUInt(static_cast<uint32_t>(V), 2);
    } else {
      WriteByte(vaInt32);
      WriteUInt(static_cast<uint32_t>(V), 4);
    }
  }
  void WriteBinary(const std::vector<uint8_t>& Bytes) {
    if (Bytes.size() > UINT32_MAX) throw EWriteError("Binary property too large");
    WriteByte(vaBinary);
    WriteUInt(static_cast<uint32_t>(Bytes.size()), 4);
    out_.insert(out_.end(), Bytes.begin(), Bytes.end());
  }

 private:
  void WriteShortString(const std::string& S, const char* What) {
    if (S.size() > 255) {
      throw EWriteError(std::string(What) + " longer than 255 bytes: " + S.substr(0, 40) + "...");
    }
    WriteByte(static_cast<uint8_t>(S.size()));
    out_.insert(out_.end(), S.begin(), S.end());
  }
  void WriteIdent(const std::string& S) {
    WriteByte(vaIdent);
    WriteShortString(S, "Identifier");
  }
  // Strings up to 255 bytes take the short form, longer ones the long form.
  void WriteString(const std::string& S) {
    if (S.size() <= 255) {
      WriteByte(vaString);
      WriteShortString(S, "String");
      return;
    }
    if (S.size() > UINT32_MAX) throw EWriteError("String too long");
    WriteByte(vaLString);
    WriteUInt(static_cast<uint32_t>(S.size()), 4);
    out_.insert(out_.end(), S.begin(), S.end());
  }

  void WriteComponent(TComponent& C, int Depth) {
    if (Depth > kMaxNesting) throw EWriteError("Components nested too deeply at " + C.Name());
    WriteShortString(C.ClassName(), "Class name");
    WriteShortString(C.Name(), "Component name");
    WriteProperties(C, "", 0);
    WriteByte(0);
    C.GetChildren([this, Depth](TComponent* Child) { WriteComponent(*Child, Depth + 1); }, &root_);
    WriteByte(0);
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
    WriteName(Name);
    switch (Prop.Kind) {
      case TPropKind::Integer: {
        // 32-bit: unsigned figures are written as their signed bit pattern.
        auto v = static_cast<int32_t>(static_cast<uint32_t>(Prop.GetOrd(Object)));
        std::string ident;
        if (IntToIdent(Prop.IntegerType, v, ident)) {
          WriteIdent(ident);
        } else {
          WriteInteger(v);
        }
        break;
      }
      case TPropKind::Boolean:
        WriteByte(Prop.GetOrd(Object) ? vaTrue : vaFalse);
        break;
      case TPropKind::Enumeration: {
        int64_t ordinal = Prop.GetOrd(Object);
        std::string_view ident = Prop.Enum->ValueName(ordinal);
        if (ident.empty()) {
          throw EWriteError("Value " + std::to_string(ordinal) + " of property " + Name +
                            " is not a " + Prop.Enum->Name());
        }
        WriteIdent(std::string(ident));
        break;
      }
      case TPropKind::Set:
        WriteSet(static_cast<uint64_t>(Prop.GetOrd(Object)), *Prop.Enum, Name);
        break;
      case TPropKind::String:
        WriteString(Prop.GetStr(Object));
        break;
      case TPropKind::Event:
        WriteIdent(Prop.GetMethodName(Object));
        break;
      case TPropKind::Object:
        break;
    }
  }

  void WriteSet(uint64_t Bits, const TEnumInfo& Element, const std::string& Name) {
    if (Bits >> Element.Count() != 0) {
      throw EWriteError("Set property " + Name + " holds values outside " + Element.Name());
    }
    WriteByte(vaSet);
    for (int32_t i = 0; i < Element.Count(); ++i) {
      if (Bits & (uint64_t{1} << i))
        WriteShortString(std::string(Element.ValueName(i)), "Identifier");
    }
    WriteByte(0);
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
      writer_.WriteName(prefix_ + Name);
      writer_.WriteBinary(data.Bytes());
    }
    void DefineIntegerProperty(const std::string& Name,
                               const std::function<void(int32_t)>& /*ReadData*/,
                               const std::function<int32_t()>& WriteData, bool HasData) override {
      if (!HasData || !WriteData) return;
      writer_.WriteName(prefix_ + Name);
      writer_.WriteInteger(WriteData());
    }

   private:
    TFormWriter& writer_;
    const std::string& prefix_;
  };

  TComponent& root_;
  std::vector<uint8_t> out_;
};

}  // namespace

void WriteComponentRes(TStream& Stream, TComponent& Root) {
  TFormWriter writer(Root);
  const std::vector<uint8_t>& bytes = writer.Write();
  Stream.WriteBuffer(bytes.data(), bytes.size());
}

// Run-time class information: the class name, the parent class, a factory for components (the
// virtual constructor), and the published tables that the form-data reader and writer consult:
// properties, methods for event binding, and component fields. Each class declares its tables
// once, through TPublisher (toolkit/TPublisher.h), next to the class.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/core/TCallable.h"
#include "toolkit/core/TEvent.h"

class TObject;
class TPersistent;
class TComponent;
class TEnumInfo;
class TClassInfo;

enum class TPropKind : uint8_t {
  Integer,  // 32-bit; IntegerType names its named constants (e.g. "TColor")
  Boolean,
  Enumeration,  // 8-bit, by value name
  Set,          // set of an enumeration, a TSetValue bit mask
  String,
  Object,  // an owned sub-object; a persistent one's properties are stored by dotted names
  Event,   // bound by method name to the root component's published methods
};

// One published property, type-erased. The accessors cast the object to the class that
// published the property; they are only ever applied to objects of that class or a descendant.
struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  std::string IntegerType;          // Integer: name of its named-constant table, may be empty
  const TEnumInfo* Enum = nullptr;  // Enumeration, Set: the (element) type
  bool ReadOnly = false;            // no setter: values read from form data are ignored
  bool NeverStored = false;         // the writer never writes it
  int64_t OrdDefault = 0;           // Integer, Boolean, Enumeration, Set
  std::string StrDefault;           // String

  TCallable<int64_t(const TObject&)> GetOrd;
  TCallable<void(TObject&, int64_t)> SetOrd;
  TCallable<std::string(const TObject&)> GetStr;
  TCallable<void(TObject&, const std::string&)> SetStr;
  // Object: the published object and its declared class. GetSubObject is what the streaming
  // descends into: the same object when it is persistent, null for any other class. (Not named
  // GetObject: <windows.h> defines that as a macro, which would give this record two layouts.)
  const TClassInfo* ObjectClass = nullptr;
  TCallable<TObject*(TObject&)> GetObjectValue;
  TCallable<TPersistent*(TObject&)> GetSubObject;
  TCallable<std::string(const TObject&)> GetMethodName;
  // Binds the event to Method of Root; false when the method's parameters do not fit.
  TCallable<bool(TObject&, TObject& Root, const TMethodInfo& Method)> BindMethod;
  // Extra condition of the class for storing (besides differing from the default).
  TCallable<bool(const TObject&)> StoredWhen;

  // Whether the writer stores this property of Object: not NeverStored, the class's condition
  // holds, and (for values) the value differs from the default; an event when it has a name.
  bool IsStored(TObject& Object) const;
};

// A published component field of a root class: the reader points it at the owned component of
// the same name once that is created (and it is cleared when the component goes).
struct TFieldInfo {
  std::string Name;
  // Points the field at Component; false when Component is not of the field's class.
  TCallable<bool(TObject& Root, TComponent* Component)> Set;
  TCallable<TComponent*(const TObject& Root)> Get;
};

class TClassInfo {
 public:
  using TFactory = TComponent* (*)(TComponent* Owner);
  using TPublishFn = TCallable<void(TClassInfo&)>;

  // Publish fills this class's own tables (inherited ones are taken from Parent).
  TClassInfo(std::string Name, const TClassInfo* Parent, TFactory Factory,
             const TPublishFn& Publish);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const std::string& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  // True for this class and every descendant of Ancestor.
  bool InheritsFrom(const TClassInfo& Ancestor) const;

  // Virtual constructor: a new component of this class owned by Owner. EToolkitError when the
  // class cannot be created this way (not a component, or abstract).
  bool CanCreate() const { return factory_ != nullptr; }
  TComponent* Create(TComponent* Owner) const;

  // All published properties, inherited ones first, each in declaration order; a property
  // published again by a descendant replaces the inherited one in place.
  const std::vector<const TPropInfo*>& Properties() const { return all_; }
  const TPropInfo* FindProperty(std::string_view Name) const;
  // Published methods and fields, searched from this class up to its ancestors.
  const TMethodInfo* FindMethod(std::string_view Name) const;
  const TFieldInfo* FindField(std::string_view Name) const;
  const std::vector<TFieldInfo>& OwnFields() const { return fields_; }

  // Used by TPublisher while the class publishes its tables.
  TPropInfo& AddProperty(TPropInfo Info);
  TPropInfo* LastProperty() { return own_.empty() ? nullptr : own_.back().get(); }
  void AddMethod(TMethodInfo Info) { methods_.push_back(std::move(Info)); }
  void AddField(TFieldInfo Info) { fields_.push_back(std::move(Info)); }

 private:
  std::string name_;
  const TClassInfo* parent_;
  TFactory factory_;
  std::vector<std::unique_ptr<TPropInfo>> own_;
  std::vector<const TPropInfo*> all_;
  std::vector<TMethodInfo> methods_;
  std::vector<TFieldInfo> fields_;
};

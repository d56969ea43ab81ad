#include "toolkit/core/TClassInfo.h"

#include "toolkit/core/SameText.h"
#include "toolkit/core/TComponent.h"
#include "toolkit/core/ToolkitErrors.h"

bool TPropInfo::IsStored(TObject& Object) const {
  if (NeverStored) return false;
  if (StoredWhen && !StoredWhen(Object)) return false;
  switch (Kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
    case TPropKind::Set:
      return GetOrd(Object) != OrdDefault;
    case TPropKind::String:
      return GetStr(Object) != StrDefault;
    case TPropKind::Object:
      return GetSubObject(Object) != nullptr;
    case TPropKind::Event:
      return !GetMethodName(Object).empty();
  }
  return false;
}

TClassInfo::TClassInfo(std::string Name, const TClassInfo* Parent, TFactory Factory,
                       const TPublishFn& Publish)
    : name_(std::move(Name)), parent_(Parent), factory_(Factory) {
  if (parent_) all_ = parent_->all_;
  if (Publish) Publish(*this);
}

bool TClassInfo::InheritsFrom(const TClassInfo& Ancestor) const {
  for (const TClassInfo* c = this; c; c = c->parent_) {
    if (c == &Ancestor) return true;
  }
  return false;
}

TComponent* TClassInfo::Create(TComponent* Owner) const {
  if (!factory_) throw EToolkitError("Class " + name_ + " cannot be created by name");
  return factory_(Owner);
}

const TPropInfo* TClassInfo::FindProperty(std::string_view Name) const {
  for (const TPropInfo* p : all_) {
    if (SameText(p->Name, Name)) return p;
  }
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(std::string_view Name) const {
  for (const TClassInfo* c = this; c; c = c->parent_) {
    for (const TMethodInfo& m : c->methods_) {
      if (SameText(m.Name, Name)) return &m;
    }
  }
  return nullptr;
}

const TFieldInfo* TClassInfo::FindField(std::string_view Name) const {
  for (const TClassInfo* c = this; c; c = c->parent_) {
    for (const TFieldInfo& f : c->fields_) {
      if (SameText(f.Name, Name)) return &f;
    }
  }
  return nullptr;
}

TPropInfo& TClassInfo::AddProperty(TPropInfo Info) {
  own_.push_back(std::make_unique<TPropInfo>(std::move(Info)));
  TPropInfo* added = own_.back().get();
  for (const TPropInfo*& p : all_) {
    if (SameText(p->Name, added->Name)) {
      p = added;  // a redeclared property keeps its inherited place
      return *added;
    }
  }
  all_.push_back(added);
  return *added;
}

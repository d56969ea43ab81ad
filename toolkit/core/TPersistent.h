// Objects that can copy from one another and stream their published properties.
#pragma once

#include "toolkit/core/TObject.h"

class TFiler;

class TPersistent : public TObject {
  TOOLKIT_CLASS(TPersistent, TObject)

 public:
  // Copies Source into this object. The base hands over to Source->AssignTo(*this); a class
  // that knows how to copy from Source overrides Assign and calls the inherited one otherwise.
  // Unrelated classes (or a null Source) raise EConvertError "Cannot assign a TX to a TY".
  virtual void Assign(const TPersistent* Source);
  // Declares extra stored properties (a binary block, an integer) through Filer; none here.
  virtual void DefineProperties(TFiler& Filer);
  // The object this one belongs to, for naming; none by default.
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Raises the assignment error for copying Source (null: "nil") into this object.
  [[noreturn]] void AssignError(const TPersistent* Source) const;

 protected:
  // Copies this object into Dest; the base raises the assignment error.
  virtual void AssignTo(TPersistent& Dest) const;
};

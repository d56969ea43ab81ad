#include "toolkit/core/TPersistent.h"

#include "toolkit/core/ToolkitErrors.h"

void TPersistent::Assign(const TPersistent* Source) {
  if (!Source) AssignError(nullptr);
  Source->AssignTo(*this);
}

void TPersistent::DefineProperties(TFiler& /*Filer*/) {}

void TPersistent::AssignTo(TPersistent& Dest) const {
  Dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const {
  throw EConvertError(
      AssignErrorText(Source ? Source->ClassName().c_str() : nullptr, ClassName().c_str()));
}

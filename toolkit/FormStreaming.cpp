#include "toolkit/FormStreaming.h"

#include "toolkit/ToolkitErrors.h"

void ReadComponentRes(TStream& /*Stream*/, TComponent& /*Root*/) {
  throw EReadError("Form data reading not available yet");
}

void WriteComponentRes(TStream& /*Stream*/, TComponent& /*Root*/) {
  throw EWriteError("Form data writing not available yet");
}

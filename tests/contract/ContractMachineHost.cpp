#include "platform/host/StandIn.h"
#include "tests/contract/ContractMachine.h"

namespace contract {

// A fresh machine whose program carries the resources of ContractResources.rc.
void PrepareMachine() {
  standin::Reset();
  standin::AddCursorResource("ACCONTRACTCURSOR");
}
void ReleaseMachine() {
  standin::Discard();
}

}  // namespace contract

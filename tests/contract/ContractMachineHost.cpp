#include "platform/host/StandIn.h"
#include "tests/contract/ContractMachine.h"

namespace contract {

void PrepareMachine() {
  standin::Reset();
}
void ReleaseMachine() {
  standin::Discard();
}

}  // namespace contract

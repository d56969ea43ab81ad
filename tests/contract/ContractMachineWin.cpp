#include "tests/contract/ContractMachine.h"

namespace contract {

// The real machine needs no preparation: each test makes and removes its own scratch key and
// scratch folder.
void PrepareMachine() {}
void ReleaseMachine() {}

}  // namespace contract

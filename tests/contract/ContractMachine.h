#pragma once
// The machine a contract test runs on: on the host a fresh simulated machine for every test, on
// Windows the real one (nothing to prepare). Each build links its own implementation.

namespace contract {

void PrepareMachine();
void ReleaseMachine();

}  // namespace contract

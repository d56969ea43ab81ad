#include "toolkit/core/Modules.h"

#include <exception>

TModuleTable::~TModuleTable() {
  // A destructor cannot report a failure; the routines still all run.
  try {
    ShutDown();
  } catch (...) {
  }
}

void TModuleTable::StartUp() {
  if (started_ > 0) return;
  try {
    for (const TModule& module : modules_) {
      if (module.StartUp) module.StartUp();
      ++started_;
    }
  } catch (...) {
    std::exception_ptr startError = std::current_exception();
    try {
      ShutDown();
    } catch (...) {
      // The start-up failure is the cause; a shut-down failure after it is secondary.
    }
    std::rethrow_exception(startError);
  }
}

void TModuleTable::ShutDown() {
  std::exception_ptr firstError;
  while (started_ > 0) {
    const TModule& module = modules_[--started_];
    if (!module.ShutDown) continue;
    try {
      module.ShutDown();
    } catch (...) {
      if (!firstError) firstError = std::current_exception();
    }
  }
  if (firstError) std::rethrow_exception(firstError);
}

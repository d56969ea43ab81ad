// Explicit module start-up and shut-down. The program entry declares, in one place, the ordered
// table of its modules; StartUp runs their start-up routines in table order and ShutDown runs
// the shut-down routines of the modules that were started, in exactly the reverse order.
// Nothing here runs from a static constructor, so no module depends on static-initialisation
// order.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// One module: its name and its routines; either routine may be absent (nullptr).
struct TModule {
  std::string_view Name;
  void (*StartUp)();
  void (*ShutDown)();
};

class TModuleTable {
 public:
  // The table must outlive this object (normally a constant array beside the program entry).
  explicit TModuleTable(std::span<const TModule> modules) : modules_(modules) {}
  ~TModuleTable();

  TModuleTable(const TModuleTable&) = delete;
  TModuleTable& operator=(const TModuleTable&) = delete;

  // Runs the start-up routines in table order. If one throws, the modules started before it
  // are shut down in reverse order and the exception is passed on; the module whose start-up
  // threw counts as not started. Calling it again while modules are started does nothing.
  void StartUp();

  // Shuts down the started modules, last started first. A module counts as shut down before
  // its routine runs, so a second call does nothing. If a shut-down routine throws, the others
  // still run and the first exception is passed on afterwards.
  void ShutDown();

  // How many modules, from the start of the table, are started now.
  size_t StartedCount() const { return started_; }

 private:
  std::span<const TModule> modules_;
  size_t started_ = 0;
};

// The component library's modules in their one start-up order, for every program built on the
// library: a program's module table is its toolkit module, these, then its own modules
// (WithLibraryModules). Shut-down runs the table backwards, so acInet, say, cleans up the sockets
// only after acSystemInfo, which uses them, has shut down.
#pragma once

#include <array>
#include <cstddef>

#include "foundation/acClasses.h"
#include "foundation/acGraphics.h"
#include "foundation/acUtils.h"
#include "storage/acFileStorage.h"
#include "storage/acSFPack.h"
#include "sysinfo/acInet.h"
#include "sysinfo/acSystemInfo.h"
#include "toolkit/core/Modules.h"

inline constexpr std::array kLibraryModules{
    kacUtilsModule,    kacClassesModule, kacSFPackModule,     kacFileStorageModule,
    kacGraphicsModule, kacInetModule,    kacSystemInfoModule,
};

// Before, the library modules, then After, as one table.
template <size_t B, size_t A>
constexpr std::array<TModule, B + kLibraryModules.size() + A> WithLibraryModules(
    const TModule (&Before)[B], const TModule (&After)[A]) {
  std::array<TModule, B + kLibraryModules.size() + A> table{};
  size_t next = 0;
  for (const TModule& m : Before) table[next++] = m;
  for (const TModule& m : kLibraryModules) table[next++] = m;
  for (const TModule& m : After) table[next++] = m;
  return table;
}

#pragma once
// The simulated registry: predefined roots, keys with typed values, open key handles with the
// access they were granted, and access rights a test has denied on a key.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host/NameCompare.h"
#include "platform/host/Win32Types.h"

namespace standin::detail {

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct RegKey {
  std::string name;
  RegKey* parent = nullptr;  // not owning; null for a root
  // Kept sorted by name without regard to case: enumeration returns subkeys in that order.
  std::vector<std::shared_ptr<RegKey>> subKeys;
  // In the order they were first set: enumeration returns values in that order.
  std::vector<RegValue> values;
  REGSAM denied = 0;  // rights an open request may not include
  bool deleted = false;

  std::shared_ptr<RegKey> FindSubKey(std::string_view keyName) const;
  std::shared_ptr<RegKey> AddSubKey(std::string_view keyName);
  void RemoveSubKey(const RegKey* key);
  RegValue* FindValue(std::string_view valueName);
};

// Expands the generic rights of a registry access mask to the key rights they stand for.
REGSAM MapRegistryAccess(REGSAM desired);

class RegistryTree {
 public:
  struct Handle {
    std::shared_ptr<RegKey> key;
    REGSAM granted = 0;
  };

  RegistryTree();

  // Empties the registry: bare roots, no open handles, no denied rights.
  void Clear();

  // Finds an open handle or a predefined root. ERROR_INVALID_HANDLE for an unknown handle,
  // ERROR_KEY_DELETED for a handle whose key has been deleted since.
  LONG Resolve(HKEY key, Handle& out) const;

  LONG Open(HKEY parent, const char* subKey, REGSAM desired, HKEY* result);
  LONG Create(HKEY parent, const char* subKey, REGSAM desired, HKEY* result, DWORD* disposition);
  LONG Close(HKEY key);
  LONG DeleteKey(HKEY parent, const char* subKey);

  // Test side: reach keys by root and path, bypassing access checks.
  std::shared_ptr<RegKey> FindPath(HKEY root, std::string_view path) const;
  std::shared_ptr<RegKey> MakePath(HKEY root, std::string_view path);
  size_t OpenHandleCount() const { return handles_.size(); }

 private:
  // A key path below an open key, walked as far as its keys exist: `deepest` is the last key
  // found, `found` how many of `parts` led there.
  struct Walk {
    std::shared_ptr<RegKey> deepest;
    std::vector<std::string> parts;
    size_t found = 0;
    bool Complete() const { return found == parts.size(); }
  };
  LONG WalkPath(HKEY parent, const char* subKey, Walk& out) const;

  std::shared_ptr<RegKey> Root(HKEY key) const;
  HKEY NewHandle(std::shared_ptr<RegKey> key, REGSAM granted);

  std::map<ULONG_PTR, std::shared_ptr<RegKey>> roots_;
  std::map<ULONG_PTR, Handle> handles_;
  ULONG_PTR nextHandle_ = 0x100;
};

// Splits a key path at its backslashes. A path that begins with a backslash is refused with
// ERROR_BAD_PATHNAME, as Windows refuses it; empty parts elsewhere are skipped.
LONG SplitKeyPath(const char* path, std::vector<std::string>& parts);

}  // namespace standin::detail

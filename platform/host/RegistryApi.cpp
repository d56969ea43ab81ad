// The registry functions of advapi32 over the simulated registry. Each returns its error code
// directly, as the registry functions do, and leaves the last-error code alone.

#include <algorithm>
#include <cstring>

#include "platform/host/Machine.h"
#include "platform/host/Win32StandIn.h"

using standin::detail::RegistryTree;
using standin::detail::RegKey;
using standin::detail::RegValue;
using standin::detail::TheMachine;

namespace {

std::string_view ValueName(LPCSTR name) {
  return name ? std::string_view(name) : std::string_view();
}

// Resolves a handle and checks that it was opened with `needed`.
LONG Use(HKEY key, REGSAM needed, RegistryTree::Handle& handle) {
  if (LONG rc = TheMachine().registry.Resolve(key, handle); rc != ERROR_SUCCESS) return rc;
  return (handle.granted & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Hands a value's type and bytes to a caller: the size alone when `data` is null, ERROR_MORE_DATA
// with the size needed when the buffer is too small.
LONG DeliverValue(const RegValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (type) *type = value.type;
  DWORD size = static_cast<DWORD>(value.data.size());
  if (data == nullptr) {
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  DWORD room = *dataSize;
  *dataSize = size;
  if (room < size) return ERROR_MORE_DATA;
  if (size) std::memcpy(data, value.data.data(), size);
  return ERROR_SUCCESS;
}

// Copies a name into a character buffer whose size counts the terminating zero; on success the
// count excludes it.
LONG DeliverName(const std::string& text, LPSTR name, LPDWORD nameChars) {
  if (name == nullptr || nameChars == nullptr) return ERROR_INVALID_PARAMETER;
  if (*nameChars <= text.size()) return ERROR_MORE_DATA;
  std::memcpy(name, text.c_str(), text.size() + 1);
  *nameChars = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

void ClearTime(PFILETIME time) {
  if (time) *time = FILETIME{0, 0};
}

void ClearClass(LPSTR keyClass, LPDWORD classChars) {
  if (keyClass && classChars && *classChars > 0) keyClass[0] = '\0';
  if (classChars) *classChars = 0;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired,
                          PHKEY result) {
  return TheMachine().registry.Open(key, subKey, desired, result);
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/,
                            DWORD /*options*/, REGSAM desired, LPSECURITY_ATTRIBUTES /*security*/,
                            PHKEY result, LPDWORD disposition) {
  return TheMachine().registry.Create(key, subKey, desired, result, disposition);
}

LONG WINAPI RegCloseKey(HKEY key) {
  return TheMachine().registry.Close(key);
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr))
    return ERROR_INVALID_PARAMETER;
  RegistryTree::Handle handle;
  if (LONG rc = Use(key, KEY_QUERY_VALUE, handle); rc != ERROR_SUCCESS) return rc;
  const RegValue* value = handle.key->FindValue(ValueName(valueName));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  return DeliverValue(*value, type, data, dataSize);
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type,
                           const BYTE* data, DWORD dataSize) {
  if (data == nullptr && dataSize != 0) return ERROR_NOACCESS;
  RegistryTree::Handle handle;
  if (LONG rc = Use(key, KEY_SET_VALUE, handle); rc != ERROR_SUCCESS) return rc;
  RegValue* value = handle.key->FindValue(ValueName(valueName));
  if (value == nullptr) {
    handle.key->values.push_back(RegValue{std::string(ValueName(valueName)), REG_NONE, {}});
    value = &handle.key->values.back();
  }
  value->type = type;
  value->data.assign(data, data + dataSize);
  // A string stored without its terminating zero gets one, as Windows and Wine add it. (They
  // look at the byte behind the given size to decide; this never reads past the caller's data.)
  bool text = type == REG_SZ || type == REG_EXPAND_SZ;
  if (text && !value->data.empty() && value->data.back() != 0) value->data.push_back(0);
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  RegistryTree::Handle handle;
  if (LONG rc = Use(key, KEY_SET_VALUE, handle); rc != ERROR_SUCCESS) return rc;
  auto& values = handle.key->values;
  auto it = std::find_if(values.begin(), values.end(), [&](const RegValue& v) {
    return standin::detail::SameName(v.name, ValueName(valueName));
  });
  if (it == values.end()) return ERROR_FILE_NOT_FOUND;
  values.erase(it);
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
  return TheMachine().registry.DeleteKey(key, subKey);
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars,
                          LPDWORD /*reserved*/, LPSTR keyClass, LPDWORD classChars,
                          PFILETIME lastWrite) {
  RegistryTree::Handle handle;
  if (LONG rc = Use(key, KEY_ENUMERATE_SUB_KEYS, handle); rc != ERROR_SUCCESS) return rc;
  const auto& subKeys = handle.key->subKeys;
  if (index >= subKeys.size()) return ERROR_NO_MORE_ITEMS;
  if (LONG rc = DeliverName(subKeys[index]->name, name, nameChars); rc != ERROR_SUCCESS) return rc;
  ClearClass(keyClass, classChars);
  ClearTime(lastWrite);
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars,
                          LPDWORD /*reserved*/, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  RegistryTree::Handle handle;
  if (LONG rc = Use(key, KEY_QUERY_VALUE, handle); rc != ERROR_SUCCESS) return rc;
  const auto& values = handle.key->values;
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  if (LONG rc = DeliverName(values[index].name, name, nameChars); rc != ERROR_SUCCESS) return rc;
  return DeliverValue(values[index], type, data, dataSize);
}

LONG WINAPI RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classChars, LPDWORD /*reserved*/,
                             LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                             LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes,
                             LPDWORD securityDescriptorBytes, PFILETIME lastWrite) {
  RegistryTree::Handle handle;
  if (LONG rc = Use(key, KEY_QUERY_VALUE, handle); rc != ERROR_SUCCESS) return rc;
  const RegKey& k = *handle.key;
  DWORD longestKey = 0, longestName = 0, largestData = 0;
  for (const auto& sub : k.subKeys) longestKey = std::max<DWORD>(longestKey, sub->name.size());
  for (const auto& v : k.values) {
    longestName = std::max<DWORD>(longestName, v.name.size());
    // Windows keeps strings in two-byte characters and reports the size of that form.
    bool text = v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ;
    largestData = std::max<DWORD>(largestData, v.data.size() * (text ? 2 : 1));
  }
  ClearClass(keyClass, classChars);
  if (subKeys) *subKeys = static_cast<DWORD>(k.subKeys.size());
  if (maxSubKeyChars) *maxSubKeyChars = longestKey;
  if (maxClassChars) *maxClassChars = 0;
  if (values) *values = static_cast<DWORD>(k.values.size());
  if (maxValueNameChars) *maxValueNameChars = longestName;
  if (maxValueBytes) *maxValueBytes = largestData;
  if (securityDescriptorBytes) *securityDescriptorBytes = 0;
  ClearTime(lastWrite);
  return ERROR_SUCCESS;
}

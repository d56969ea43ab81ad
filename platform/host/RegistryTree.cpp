#include "platform/host/RegistryTree.h"

#include <algorithm>

namespace standin::detail {
namespace {

constexpr REGSAM kDelete = 0x10000;  // the standard DELETE right

ULONG_PTR HandleValue(HKEY key) {
  return reinterpret_cast<ULONG_PTR>(key);
}

}  // namespace

REGSAM MapRegistryAccess(REGSAM desired) {
  REGSAM mapped = desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL |
                              MAXIMUM_ALLOWED | KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  if (desired & (GENERIC_READ | GENERIC_EXECUTE)) mapped |= KEY_READ;
  if (desired & GENERIC_WRITE) mapped |= KEY_WRITE;
  if (desired & (GENERIC_ALL | MAXIMUM_ALLOWED)) mapped |= KEY_ALL_ACCESS;
  return mapped;
}

std::shared_ptr<RegKey> RegKey::FindSubKey(std::string_view keyName) const {
  auto it =
      std::lower_bound(subKeys.begin(), subKeys.end(), keyName,
                       [](const auto& k, std::string_view n) { return NameLess(k->name, n); });
  if (it != subKeys.end() && SameName((*it)->name, keyName)) return *it;
  return nullptr;
}

std::shared_ptr<RegKey> RegKey::AddSubKey(std::string_view keyName) {
  auto it =
      std::lower_bound(subKeys.begin(), subKeys.end(), keyName,
                       [](const auto& k, std::string_view n) { return NameLess(k->name, n); });
  auto key = std::make_shared<RegKey>();
  key->name = std::string(keyName);
  key->parent = this;
  subKeys.insert(it, key);
  return key;
}

void RegKey::RemoveSubKey(const RegKey* key) {
  std::erase_if(subKeys, [key](const auto& k) { return k.get() == key; });
}

RegValue* RegKey::FindValue(std::string_view valueName) {
  for (auto& v : values)
    if (SameName(v.name, valueName)) return &v;
  return nullptr;
}

LONG SplitKeyPath(const char* path, std::vector<std::string>& parts) {
  parts.clear();
  if (path == nullptr) return ERROR_SUCCESS;
  std::string_view rest(path);
  if (!rest.empty() && rest.front() == '\\') return ERROR_BAD_PATHNAME;
  while (!rest.empty()) {
    size_t cut = rest.find('\\');
    std::string_view part = rest.substr(0, cut);
    if (!part.empty()) parts.emplace_back(part);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  return ERROR_SUCCESS;
}

RegistryTree::RegistryTree() {
  Clear();
}

void RegistryTree::Clear() {
  handles_.clear();
  roots_.clear();
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                    HKEY_CURRENT_CONFIG}) {
    roots_[HandleValue(root)] = std::make_shared<RegKey>();
  }
  nextHandle_ = 0x100;
}

std::shared_ptr<RegKey> RegistryTree::Root(HKEY key) const {
  auto it = roots_.find(HandleValue(key));
  return it == roots_.end() ? nullptr : it->second;
}

LONG RegistryTree::Resolve(HKEY key, Handle& out) const {
  if (auto root = Root(key)) {
    out = Handle{root, KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
  }
  auto it = handles_.find(HandleValue(key));
  if (it == handles_.end()) return ERROR_INVALID_HANDLE;
  if (it->second.key->deleted) return ERROR_KEY_DELETED;
  out = it->second;
  return ERROR_SUCCESS;
}

HKEY RegistryTree::NewHandle(std::shared_ptr<RegKey> key, REGSAM granted) {
  ULONG_PTR value = nextHandle_;
  nextHandle_ += 4;
  handles_[value] = Handle{std::move(key), granted};
  return reinterpret_cast<HKEY>(value);
}

LONG RegistryTree::WalkPath(HKEY parent, const char* subKey, Walk& out) const {
  Handle start;
  if (LONG rc = Resolve(parent, start); rc != ERROR_SUCCESS) return rc;
  if (LONG rc = SplitKeyPath(subKey, out.parts); rc != ERROR_SUCCESS) return rc;
  out.deepest = start.key;
  for (out.found = 0; out.found < out.parts.size(); ++out.found) {
    auto next = out.deepest->FindSubKey(out.parts[out.found]);
    if (!next) break;
    out.deepest = std::move(next);
  }
  return ERROR_SUCCESS;
}

LONG RegistryTree::Open(HKEY parent, const char* subKey, REGSAM desired, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  Walk walk;
  if (LONG rc = WalkPath(parent, subKey, walk); rc != ERROR_SUCCESS) return rc;
  if (!walk.Complete()) return ERROR_FILE_NOT_FOUND;
  REGSAM granted = MapRegistryAccess(desired);
  if (granted & walk.deepest->denied) return ERROR_ACCESS_DENIED;
  // An empty path below a predefined root gives back the root itself, not a new handle.
  if (walk.parts.empty() && Root(parent)) {
    *result = parent;
    return ERROR_SUCCESS;
  }
  *result = NewHandle(walk.deepest, granted);
  return ERROR_SUCCESS;
}

LONG RegistryTree::Create(HKEY parent, const char* subKey, REGSAM desired, HKEY* result,
                          DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  Walk walk;
  if (LONG rc = WalkPath(parent, subKey, walk); rc != ERROR_SUCCESS) return rc;
  std::shared_ptr<RegKey> key = walk.deepest;
  const bool creating = !walk.Complete();
  // A new key needs the right to create subkeys on the deepest existing key. The rights of the
  // parent handle are not looked at: Wine does not look at them either.
  if (creating && (key->denied & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  REGSAM granted = MapRegistryAccess(desired);
  if (!creating && (granted & key->denied)) return ERROR_ACCESS_DENIED;
  for (size_t i = walk.found; i < walk.parts.size(); ++i) key = key->AddSubKey(walk.parts[i]);
  *result = NewHandle(key, granted);
  if (disposition) *disposition = creating ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegistryTree::Close(HKEY key) {
  if (Root(key)) return ERROR_SUCCESS;
  return handles_.erase(HandleValue(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegistryTree::DeleteKey(HKEY parent, const char* subKey) {
  Walk walk;
  if (LONG rc = WalkPath(parent, subKey, walk); rc != ERROR_SUCCESS) return rc;
  if (!walk.Complete()) return ERROR_FILE_NOT_FOUND;
  const std::shared_ptr<RegKey>& key = walk.deepest;
  // Roots cannot go, and a key with subkeys is refused (Windows deletes no trees here).
  if (key->parent == nullptr || !key->subKeys.empty() || (key->denied & kDelete))
    return ERROR_ACCESS_DENIED;
  key->deleted = true;
  key->parent->RemoveSubKey(key.get());
  key->parent = nullptr;
  return ERROR_SUCCESS;
}

std::shared_ptr<RegKey> RegistryTree::FindPath(HKEY root, std::string_view path) const {
  std::shared_ptr<RegKey> key = Root(root);
  std::vector<std::string> parts;
  std::string text(path);
  while (!text.empty() && text.front() == '\\') text.erase(0, 1);
  SplitKeyPath(text.c_str(), parts);
  for (const auto& part : parts) {
    if (!key) break;
    key = key->FindSubKey(part);
  }
  return key;
}

std::shared_ptr<RegKey> RegistryTree::MakePath(HKEY root, std::string_view path) {
  std::shared_ptr<RegKey> key = Root(root);
  if (!key) return nullptr;
  std::vector<std::string> parts;
  std::string text(path);
  while (!text.empty() && text.front() == '\\') text.erase(0, 1);
  SplitKeyPath(text.c_str(), parts);
  for (const auto& part : parts) {
    auto next = key->FindSubKey(part);
    key = next ? next : key->AddSubKey(part);
  }
  return key;
}

}  // namespace standin::detail

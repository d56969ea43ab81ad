#include "platform/host/FileTable.h"

#include <unistd.h>

namespace standin::detail {
namespace {

ULONG_PTR Value(HANDLE handle) {
  return reinterpret_cast<ULONG_PTR>(handle);
}

// One open's rights against another's sharing mode, both ways.
bool Compatible(const OpenFile& existing, bool read, bool write, bool del, DWORD share) {
  bool existingUses = existing.canRead || existing.canWrite || existing.canDelete;
  if (!existingUses) return true;
  if (read && !(existing.share & FILE_SHARE_READ)) return false;
  if (write && !(existing.share & FILE_SHARE_WRITE)) return false;
  if (del && !(existing.share & FILE_SHARE_DELETE)) return false;
  if (existing.canRead && !(share & FILE_SHARE_READ)) return false;
  if (existing.canWrite && !(share & FILE_SHARE_WRITE)) return false;
  if (existing.canDelete && !(share & FILE_SHARE_DELETE)) return false;
  return true;
}

}  // namespace

void FileTable::Clear() {
  for (auto& [value, file] : files_) {
    if (file.fd >= 0) ::close(file.fd);
  }
  files_.clear();
  searches_.clear();
  locks_.clear();
  writeRoom_.reset();
}

HANDLE FileTable::NewHandle() {
  ULONG_PTR value = nextHandle_;
  nextHandle_ += 4;
  return reinterpret_cast<HANDLE>(value);
}

HANDLE FileTable::AddFile(const OpenFile& file) {
  HANDLE handle = NewHandle();
  files_[Value(handle)] = file;
  return handle;
}

OpenFile* FileTable::File(HANDLE handle) {
  auto it = files_.find(Value(handle));
  return it == files_.end() ? nullptr : &it->second;
}

bool FileTable::CloseFile(HANDLE handle) {
  auto it = files_.find(Value(handle));
  if (it == files_.end()) return false;
  if (it->second.fd >= 0) ::close(it->second.fd);
  files_.erase(it);
  return true;
}

HANDLE FileTable::AddSearch(FindSearch search) {
  HANDLE handle = NewHandle();
  searches_[Value(handle)] = std::move(search);
  return handle;
}

FindSearch* FileTable::Search(HANDLE handle) {
  auto it = searches_.find(Value(handle));
  return it == searches_.end() ? nullptr : &it->second;
}

bool FileTable::CloseSearch(HANDLE handle) {
  return searches_.erase(Value(handle)) != 0;
}

bool FileTable::SharingAllows(const FileId& id, bool read, bool write, bool del,
                              DWORD share) const {
  if (!read && !write && !del) return true;
  // A lock stands for an open elsewhere that reads and writes and shares nothing.
  if (locks_.count(id)) return false;
  for (const auto& [value, file] : files_) {
    if (file.id == id && !Compatible(file, read, write, del, share)) return false;
  }
  return true;
}

void FileTable::Unlock(const FileId& id) {
  auto it = locks_.find(id);
  if (it != locks_.end() && --it->second <= 0) locks_.erase(it);
}

}  // namespace standin::detail

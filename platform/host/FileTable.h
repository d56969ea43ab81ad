#pragma once
// Open file handles, open search handles and files a test has locked, with the sharing rules
// Windows applies between them.

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/Win32Types.h"

namespace standin::detail {

// The identity of a host file, so that paths differing in case or spelling meet.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  auto operator<=>(const FileId&) const = default;
};

struct OpenFile {
  int fd = -1;
  FileId id;
  bool canRead = false;
  bool canWrite = false;
  bool canDelete = false;
  DWORD share = 0;
};

struct FindSearch {
  std::vector<WIN32_FIND_DATAA> entries;
  size_t next = 0;
};

class FileTable {
 public:
  FileTable() = default;
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;
  ~FileTable() { Clear(); }

  // Closes every handle and forgets the locks and the write limit.
  void Clear();

  HANDLE AddFile(const OpenFile& file);
  OpenFile* File(HANDLE handle);
  bool CloseFile(HANDLE handle);

  HANDLE AddSearch(FindSearch search);
  FindSearch* Search(HANDLE handle);
  bool CloseSearch(HANDLE handle);

  // Whether a new open of `id` with these rights and this sharing mode agrees with every open
  // that is already there. Opens that ask for no read, write or delete right never conflict.
  bool SharingAllows(const FileId& id, bool read, bool write, bool del, DWORD share) const;
  // Whether the file may be deleted, renamed or removed now.
  bool DeleteAllowed(const FileId& id) const {
    return SharingAllows(id, false, false, true,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  }

  void Lock(const FileId& id) { locks_[id] += 1; }
  void Unlock(const FileId& id);
  size_t HandleCount() const { return files_.size() + searches_.size(); }

  // What WriteFile may still write in all, as on a nearly full disk; nullopt: no limit.
  std::optional<uint64_t>& WriteRoom() { return writeRoom_; }

 private:
  HANDLE NewHandle();

  std::map<ULONG_PTR, OpenFile> files_;
  std::map<ULONG_PTR, FindSearch> searches_;
  std::map<FileId, int> locks_;
  std::optional<uint64_t> writeRoom_;
  ULONG_PTR nextHandle_ = 0x1000;
};

}  // namespace standin::detail

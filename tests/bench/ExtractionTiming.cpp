#include "tests/bench/ExtractionTiming.h"

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "storage/acFileStorage.h"
#include "toolkit/core/ClassRegistry.h"
#include "toolkit/core/TPublisher.h"

namespace {

double Milliseconds(LONGLONG Ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(Ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

std::string TempPath(const char* Name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + Name;
}

// Opens, writes with one WriteFile and closes a file of these bytes, as the storage does, and
// removes it again; the time of the three calls.
LONGLONG TimeOneWriteFile(const uint8_t* Bytes, DWORD Size) {
  const std::string path = TempPath("extraction_timing.bin");
  const LONGLONG start = Now();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD written = 0;
  WriteFile(file, Bytes, Size, &written, nullptr);
  CloseHandle(file);
  const LONGLONG ticks = Now() - start;
  DeleteFileA(path.c_str());
  return written == Size ? ticks : -1;
}

void AppendLine(const std::string& Line) {
  const std::string path = TempPath("extraction_timing.txt");
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, Line.data(), static_cast<DWORD>(Line.size()), &written, nullptr);
  CloseHandle(file);
}

// The file storage with stopwatches around its own two steps: reading the stored data (checking
// or unpacking it, inside DefineProperties while the form data is read) and the extraction at the
// end of loading. Other components' work between the two is not counted.
class TTimedFileStorage : public TacFileStorage {
 public:
  using TacFileStorage::TacFileStorage;

  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info("TacFileStorage", &TacFileStorage::StaticClassInfo(),
                                 ClassFactoryOf<TTimedFileStorage>(), {});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  void DefineProperties(TFiler& Filer) override {
    const uint32_t before = Count();
    const LONGLONG start = Now();
    TacFileStorage::DefineProperties(Filer);
    if (Count() != before) read_ += Now() - start;
  }

  void Loaded() override {
    const LONGLONG start = Now();
    TacFileStorage::Loaded();
    const LONGLONG extract = Now() - start;
    if (Files().Count() == 0) return;
    const TStoredFile& record = StoredFiles(0);
    // The bytes in memory, then written twice: the first write of freshly filled memory costs
    // more than writing the same memory again, so both are reported.
    const uint8_t* bytes = record.Data().Memory();
    const LONGLONG first = TimeOneWriteFile(bytes, record.FileSize());
    const LONGLONG again = TimeOneWriteFile(bytes, record.FileSize());
    const double total = static_cast<double>(read_ + extract);
    char line[300];
    std::snprintf(line, sizeof line,
                  "stored data read %.3f ms + extraction (unpacking, CRC-32, writing, reading "
                  "back) %.3f ms = %.3f ms; one WriteFile of the %lu bytes %.3f ms (ratio %.2f), "
                  "of the same memory again %.3f ms (ratio %.2f)\r\n",
                  Milliseconds(read_), Milliseconds(extract), Milliseconds(read_ + extract),
                  static_cast<unsigned long>(record.FileSize()), Milliseconds(first),
                  first > 0 ? total / static_cast<double>(first) : 0.0, Milliseconds(again),
                  again > 0 ? total / static_cast<double>(again) : 0.0);
    AppendLine(line);
  }

 private:
  LONGLONG read_ = 0;
};

}  // namespace

void RegisterTimedFileStorage() {
  RegisterClass<TTimedFileStorage>();
}

#include "launcher/InstallerCheck.h"

#include "toolkit/core/SameText.h"
#include "toolkit/core/ToolkitErrors.h"

// "Die Programmdatei ist beschädigt. Bitte laden Sie das Programm erneut herunter." in the
// ANSI code page of the German captions (0xE4: a umlaut).
const char kDamagedProgramMessage[] =
    "Die Programmdatei ist besch\xE4"
    "digt.\r\n"
    "Bitte laden Sie das Programm erneut herunter.";

std::optional<uint32_t> CrcToCheck(std::optional<std::span<const uint8_t>> Resource) {
  if (!Resource) return std::nullopt;
  const std::optional<uint32_t> recorded = RecordedCrc(*Resource);
  if (!recorded) throw EReadError(kDamagedProgramMessage);
  return recorded;
}

void CheckCarriedInstaller(const TacFileStorage& Storage, const std::string& FileName,
                           std::optional<uint32_t> Recorded) {
  if (!Recorded) return;
  for (int32_t i = 0; i < Storage.Files().Count(); ++i) {
    const TStoredFile& record = Storage.StoredFiles(i);
    if (SameText(record.FileName(), FileName)) {
      if (record.ContentCrc32() == *Recorded) return;
      break;
    }
  }
  throw EReadError(kDamagedProgramMessage);
}

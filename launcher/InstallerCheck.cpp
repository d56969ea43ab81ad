#include "launcher/InstallerCheck.h"

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

void ExpectCarriedInstaller(TacFileStorage& Storage, const std::string& FileName,
                            std::optional<uint32_t> Recorded) {
  TStoredFile* record = Storage.FindFile(FileName);
  if (record == nullptr) {
    if (Recorded) throw EReadError(kDamagedProgramMessage);
    return;
  }
  record->SetExpectedCrc32(Recorded);
}

void CheckCarriedInstaller(const TacFileStorage& Storage, const std::string& FileName) {
  const TStoredFile* record = Storage.FindFile(FileName);
  if (record != nullptr && record->Extraction().State == esDamaged)
    throw EReadError(kDamagedProgramMessage);
}

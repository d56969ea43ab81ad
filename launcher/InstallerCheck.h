#pragma once
// The check of the installer the program carries against the CRC-32 the build recorded
// (InstallerCrcResource.h): a changed byte in a stretch of literal bytes unpacks without any
// complaint from the codec, and must not be run as the vendor's installer. The file storage checks
// the bytes on their one way to TEMP, before anything is run: a file it was to write over stays
// as it was, a file it wrote goes again, and the program ends with the damaged-program box.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "launcher/InstallerCrcResource.h"
#include "storage/acFileStorage.h"

// What the error box tells the user when the check fails.
extern const char kDamagedProgramMessage[];

// The CRC-32 to check the carried installer against, from the bytes of the program's INSTALLERCRC
// resource: none when the program has no such resource (built around its file by older means);
// a resource of any length but 4 is damage and raises EReadError with kDamagedProgramMessage.
std::optional<uint32_t> CrcToCheck(std::optional<std::span<const uint8_t>> Resource);

// Arms the check: the storage's record FileName is given the recorded CRC-32, against which its
// extraction checks the bytes on their way to TEMP (TStoredFile::SetExpectedCrc32). Raises
// EReadError with kDamagedProgramMessage when a CRC was recorded and there is no such record.
// Without a recorded CRC (a program built around its file by older means) nothing is checked.
void ExpectCarriedInstaller(TacFileStorage& Storage, const std::string& FileName,
                            std::optional<uint32_t> Recorded);

// Once the storage has extracted: raises EReadError with kDamagedProgramMessage when the record
// FileName proved damaged on its way (the storage has then left TEMP as it was).
void CheckCarriedInstaller(const TacFileStorage& Storage, const std::string& FileName);

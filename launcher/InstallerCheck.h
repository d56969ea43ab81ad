#pragma once
// The check of the installer the program carries against the CRC-32 the build recorded
// (InstallerCrcResource.h). When the form data has been read, and before
// the file storage writes anything or accepts a file already in TEMP, the unpacked installer is
// compared with that value: a changed byte in a stretch of literal bytes unpacks without any
// complaint from the codec, and must not be run as the vendor's installer.

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

// Raises EReadError with kDamagedProgramMessage when a CRC was recorded and the storage's record
// FileName is missing or does not have it. Without a recorded CRC (a program built around its file
// by older means) nothing is checked.
void CheckCarriedInstaller(const TacFileStorage& Storage, const std::string& FileName,
                           std::optional<uint32_t> Recorded);

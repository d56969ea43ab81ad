// CRC-32 as zip and PNG use it (reflected polynomial 0xEDB88320, starting value and final XOR
// 0xFFFFFFFF): the check value of a carried file, recorded when the program is built and compared
// when it runs.
#pragma once

#include <cstdint>
#include <span>

// The CRC-32 of the bytes that came before (0 for none) continued over Bytes, so that a buffer
// handed over in parts gives the same value as in one piece.
uint32_t UpdateCrc32(uint32_t Crc, std::span<const uint8_t> Bytes);

inline uint32_t Crc32(std::span<const uint8_t> Bytes) {
  return UpdateCrc32(0, Bytes);
}

// Lets UpdateCrc32 use carry-less multiplication where the processor has it (the default), or
// not, so that tests can run both ways; says whether it is in use now.
bool SetCrc32Folding(bool Allowed);

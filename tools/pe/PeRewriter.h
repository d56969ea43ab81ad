// Writes a program file again with a new resource section, as the linker would have written it
// with those resources: what follows the section moves (in the file and in memory), and the
// section's sizes, the image sizes, the data directories and the checksum are set to match. An
// Authenticode signature cannot stay valid and is left out.
//
// Only what nothing in the program's code can address may move: the sections after the resource
// section must be the base relocations alone, which only their data directory points at (GNU ld
// puts .rsrc last but .reloc). Files of another shape raise PeError.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/pe/PeFile.h"

// The PE checksum's sum, taken in parts in any order: the file's 16-bit little-endian words
// added with end-around carry. Each part is added with its offset in the file.
class TPeChecksum {
 public:
  void Add(uint64_t Offset, std::span<const uint8_t> Bytes);
  uint64_t Sum() const { return sum_; }
  // The checksum of a file of FileSize bytes whose parts, the checksum field as zeros, were added
  // (their sums given as Sum, in addition to this one's own).
  uint32_t Value(uint64_t FileSize, uint64_t OtherSums = 0) const;

 private:
  uint64_t sum_ = 0;
};

class PeRewriter {
 public:
  // Checks that the program file has the shape described above; PeError when it has not. The
  // caller keeps Program alive while the rewriter is in use.
  explicit PeRewriter(std::span<const uint8_t> Program);

  // The resource section's bytes in the file and its address in memory.
  std::span<const uint8_t> Resources() const;
  uint32_t ResourceRva() const { return resources_.virtualAddress; }
  // Whether the file carries a certificate table (an Authenticode signature).
  bool Signed() const { return certificate_.size != 0; }

  // The program file with NewResources (the section's content, its virtual size) as its resource
  // section, without a certificate table. PeError when the result would be too large.
  std::vector<uint8_t> Write(std::span<const uint8_t> NewResources) const;

  // The program file as Write gives it for a resource section of Section's bytes with GapSize
  // more bytes at GapAt that are not held here: the file's bytes before those (head) and after
  // them (tail). The caller writes the GapSize bytes between the two at head's end and passes
  // their part of the checksum, GapSum (TPeChecksum::Add of them at that offset). PeError when
  // the result would be too large.
  struct Pieces {
    std::vector<uint8_t> head;
    std::vector<uint8_t> tail;
  };
  Pieces WriteAround(std::span<const uint8_t> Section, uint64_t GapAt, uint64_t GapSize,
                     uint64_t GapSum) const;

  // The PE checksum of File: its 16-bit words added with end-around carry, the 4 bytes at
  // ChecksumOffset left out, plus the file's length.
  static uint32_t Checksum(std::span<const uint8_t> File, uint64_t ChecksumOffset);

 private:
  // Checks that the resources start a section whose followers may move; sets resources_ and
  // resourceIndex_.
  void FindResourceSection();
  void CheckFollowers() const;
  void CheckCertificate();
  // Where the bytes to keep after the resource section end: before the certificate table and
  // the padding the signing tool put in front of it.
  uint64_t KeptEnd() const;

  std::span<const uint8_t> bytes_;
  PeFile pe_;
  PeFile::Section resources_{};
  size_t resourceIndex_ = 0;
  PeFile::Directory certificate_;
  uint32_t fileAlignment_ = 0;
  uint32_t sectionAlignment_ = 0;
};

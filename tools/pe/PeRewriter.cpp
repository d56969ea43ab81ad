#include "tools/pe/PeRewriter.h"

#include <algorithm>
#include <string>

#include "toolkit/core/LittleEndian.h"

namespace {

// Data directories and optional-header fields (at the same offsets in PE32 and PE32+).
constexpr size_t kResourceDirectory = 2;
constexpr size_t kCertificateDirectory = 4;
constexpr size_t kRelocationDirectory = 5;
constexpr uint64_t kInitializedDataSize = 8;
constexpr uint64_t kSectionAlignment = 32;
constexpr uint64_t kFileAlignment = 36;
constexpr uint64_t kImageSize = 56;
constexpr uint64_t kChecksum = 64;
constexpr uint32_t kInitializedData = 0x40;
constexpr uint32_t kMaxFileAlignment = 0x10000;
// Windows maps no 32-bit image of 2 GiB or more.
constexpr uint64_t kMaxImage = 0x80000000u;

uint64_t AlignUp(uint64_t Value, uint32_t Alignment) {
  return (Value + Alignment - 1) / Alignment * Alignment;
}

bool PowerOfTwo(uint32_t V) {
  return V != 0 && (V & (V - 1)) == 0;
}

uint64_t RawEnd(const PeFile::Section& S) {
  return uint64_t{S.rawOffset} + S.rawSize;
}

void Put32(std::vector<uint8_t>& Out, uint64_t At, uint64_t Value) {
  StoreLE32(&Out[At], static_cast<uint32_t>(Value));
}

}  // namespace

PeRewriter::PeRewriter(std::span<const uint8_t> Program) : bytes_(Program), pe_(Program) {
  const uint64_t optional = pe_.OptionalHeaderOffset();
  sectionAlignment_ = pe_.U32(optional + kSectionAlignment);
  fileAlignment_ = pe_.U32(optional + kFileAlignment);
  if (!PowerOfTwo(sectionAlignment_) || !PowerOfTwo(fileAlignment_))
    throw PeError("section or file alignment is not a power of two");
  // Windows loads no program whose file alignment exceeds 64 KiB; a larger one would pad the
  // written resource section to that size, whatever the file's own.
  if (fileAlignment_ > kMaxFileAlignment)
    throw PeError("file alignment " + std::to_string(fileAlignment_) +
                  " is larger than Windows allows (65536)");
  FindResourceSection();
  CheckFollowers();
  CheckCertificate();
}

void PeRewriter::FindResourceSection() {
  const uint32_t rva = pe_.DirectoryAt(kResourceDirectory).rva;
  if (rva == 0) throw PeError("the program has no resources");
  const auto& sections = pe_.Sections();
  const auto found = std::find_if(sections.begin(), sections.end(),
                                  [&](const auto& s) { return s.virtualAddress == rva; });
  if (found == sections.end()) throw PeError("the resources do not begin a section of their own");
  resources_ = *found;
  resourceIndex_ = static_cast<size_t>(found - sections.begin());
  if (resources_.rawSize == 0) throw PeError("the resource section has no data in the file");
  const uint64_t tableEnd = sections.back().headerOffset + 40;
  if (tableEnd > resources_.rawOffset) throw PeError("the headers overlap the resource section");
  for (size_t i = 0; i < sections.size(); ++i) {
    if (i > 0 && sections[i].virtualAddress <= sections[i - 1].virtualAddress)
      throw PeError("the sections are not in address order");
    // What lies before the resources in the file stays where it is. A section without data may
    // name no place (0); a place it names must lie before them too, or the file that shrinks
    // under it would end before it.
    const bool placed = sections[i].rawSize != 0 || sections[i].rawOffset != 0;
    if (i < resourceIndex_ && placed && RawEnd(sections[i]) > resources_.rawOffset)
      throw PeError("section " + std::to_string(i) + " (" + sections[i].name +
                    ") lies after the resources in the file");
  }
}

// What follows the resources moves: it may only be the base relocations, which nothing but
// their data directory addresses, lying after the resources in the file too.
void PeRewriter::CheckFollowers() const {
  const auto& dirs = pe_.Directories();
  const auto& sections = pe_.Sections();
  const uint32_t relocations = pe_.DirectoryAt(kRelocationDirectory).rva;
  const uint64_t resourcesEnd =
      resources_.virtualAddress + AlignUp(resources_.virtualSize, sectionAlignment_);
  bool relocationsFollow = false;
  for (size_t i = resourceIndex_ + 1; i < sections.size(); ++i) {
    const PeFile::Section& s = sections[i];
    const uint64_t extent = std::max(s.virtualSize, s.rawSize);
    if (relocations < s.virtualAddress || relocations - s.virtualAddress >= extent)
      throw PeError("section " + s.name +
                    " follows the resources and holds more than the base relocations");
    if (s.virtualAddress < resourcesEnd)
      throw PeError("section " + s.name + " overlaps the resources in memory");
    // A section without data in the file may name no place (0); any place it names moves with
    // the resources like the others, so it must lie behind them too.
    if ((s.rawSize != 0 || s.rawOffset != 0) && s.rawOffset < RawEnd(resources_))
      throw PeError("section " + s.name + " lies before the resources in the file");
    relocationsFollow = true;
  }
  if (relocations >= resources_.virtualAddress && !relocationsFollow)
    throw PeError("the base relocations lie in the resources or outside every section");
  for (size_t i = 0; i < dirs.size(); ++i) {
    if (i == kResourceDirectory || i == kCertificateDirectory || i == kRelocationDirectory ||
        dirs[i].rva == 0)
      continue;
    if (dirs[i].rva >= resources_.virtualAddress)
      throw PeError("data directory " + std::to_string(i) + " lies in or after the resources");
  }
}

// A signature is a certificate table at the end of the file, after every section's data.
void PeRewriter::CheckCertificate() {
  certificate_ = pe_.DirectoryAt(kCertificateDirectory);
  if (certificate_.size == 0) return;
  uint64_t sectionsEnd = 0;
  for (const auto& s : pe_.Sections()) sectionsEnd = std::max(sectionsEnd, RawEnd(s));
  if (uint64_t{certificate_.rva} + certificate_.size != bytes_.size() ||
      certificate_.rva < sectionsEnd)
    throw PeError("the certificate table is not at the end of the file");
}

uint64_t PeRewriter::KeptEnd() const {
  if (!Signed()) return bytes_.size();
  uint64_t sectionsEnd = 0;
  for (const auto& s : pe_.Sections()) sectionsEnd = std::max(sectionsEnd, RawEnd(s));
  // Signing pads the file to a multiple of 8 with zeros before the table; that goes too.
  const uint64_t gap = certificate_.rva - sectionsEnd;
  const bool padding =
      gap < 8 && std::all_of(bytes_.begin() + static_cast<std::ptrdiff_t>(sectionsEnd),
                             bytes_.begin() + certificate_.rva, [](uint8_t b) { return b == 0; });
  return padding ? sectionsEnd : certificate_.rva;
}

std::span<const uint8_t> PeRewriter::Resources() const {
  return bytes_.subspan(resources_.rawOffset, resources_.rawSize);
}

std::vector<uint8_t> PeRewriter::Write(std::span<const uint8_t> NewResources) const {
  Pieces pieces = WriteAround(NewResources, NewResources.size(), 0, 0);
  pieces.head.insert(pieces.head.end(), pieces.tail.begin(), pieces.tail.end());
  return std::move(pieces.head);
}

PeRewriter::Pieces PeRewriter::WriteAround(std::span<const uint8_t> Section, uint64_t GapAt,
                                           uint64_t GapSize, uint64_t GapSum) const {
  if (GapAt > Section.size()) throw PeError("the gap lies outside the resource section");
  const uint64_t optional = pe_.OptionalHeaderOffset();
  const uint64_t sectionSize = Section.size() + GapSize;
  const uint64_t rawSize = AlignUp(sectionSize, fileAlignment_);
  const int64_t rawDelta = static_cast<int64_t>(rawSize) - resources_.rawSize;
  const int64_t rvaDelta = static_cast<int64_t>(AlignUp(sectionSize, sectionAlignment_)) -
                           static_cast<int64_t>(AlignUp(resources_.virtualSize, sectionAlignment_));
  const uint64_t imageSize = pe_.U32(optional + kImageSize) + rvaDelta;
  const uint64_t keptFrom = RawEnd(resources_);
  const uint64_t keptEnd = KeptEnd();
  const uint64_t fileSize = resources_.rawOffset + rawSize + (keptEnd - keptFrom);
  if (sectionSize > UINT32_MAX || imageSize >= kMaxImage || fileSize > UINT32_MAX)
    throw PeError("the program would be too large for Windows to load");

  Pieces pieces;
  std::vector<uint8_t>& out = pieces.head;
  out.assign(bytes_.begin(), bytes_.begin() + resources_.rawOffset);
  out.insert(out.end(), Section.begin(), Section.begin() + static_cast<std::ptrdiff_t>(GapAt));
  std::vector<uint8_t>& tail = pieces.tail;
  tail.assign(Section.begin() + static_cast<std::ptrdiff_t>(GapAt), Section.end());
  tail.resize(rawSize - GapAt - GapSize, 0);
  tail.insert(tail.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(keptFrom),
              bytes_.begin() + static_cast<std::ptrdiff_t>(keptEnd));

  const auto& sections = pe_.Sections();
  Put32(out, resources_.headerOffset + 8, sectionSize);
  Put32(out, resources_.headerOffset + 16, rawSize);
  for (size_t i = resourceIndex_ + 1; i < sections.size(); ++i) {
    Put32(out, sections[i].headerOffset + 12, sections[i].virtualAddress + rvaDelta);
    if (sections[i].rawOffset != 0)
      Put32(out, sections[i].headerOffset + 20, sections[i].rawOffset + rawDelta);
  }
  const auto& dirs = pe_.Directories();
  const uint64_t dirAt = pe_.DirectoriesOffset();
  Put32(out, dirAt + 8 * kResourceDirectory + 4, sectionSize);
  if (dirs.size() > kCertificateDirectory) {
    Put32(out, dirAt + 8 * kCertificateDirectory, 0);
    Put32(out, dirAt + 8 * kCertificateDirectory + 4, 0);
  }
  if (const uint32_t relocations = pe_.DirectoryAt(kRelocationDirectory).rva;
      relocations > ResourceRva())
    Put32(out, dirAt + 8 * kRelocationDirectory, relocations + rvaDelta);
  Put32(out, optional + kImageSize, imageSize);
  if (resources_.characteristics & kInitializedData)
    Put32(out, optional + kInitializedDataSize,
          pe_.U32(optional + kInitializedDataSize) + rawDelta);
  // Unstripped programs keep their symbol table after the sections: it moves with them.
  const uint32_t symbols = pe_.U32(pe_.SymbolTablePointerOffset());
  if (symbols >= keptFrom) Put32(out, pe_.SymbolTablePointerOffset(), symbols + rawDelta);
  // The headers lie before the resource section, so the checksum field is in the head.
  Put32(out, optional + kChecksum, 0);
  TPeChecksum sum;
  sum.Add(0, out);
  sum.Add(out.size() + GapSize, tail);
  Put32(out, optional + kChecksum, sum.Value(fileSize, GapSum));
  return pieces;
}

void TPeChecksum::Add(uint64_t Offset, std::span<const uint8_t> Bytes) {
  // A byte at an odd offset is the high half of its word. No part of a file Windows loads holds
  // enough words to overflow the 64-bit sum before it is folded.
  uint64_t sum = 0;
  size_t i = 0;
  if (Offset % 2 != 0 && !Bytes.empty()) sum += uint64_t{Bytes[i++]} << 8;
  for (; i + 1 < Bytes.size(); i += 2) sum += LoadLE16(&Bytes[i]);
  if (i < Bytes.size()) sum += Bytes[i];
  sum_ += sum;
  sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
}

uint32_t TPeChecksum::Value(uint64_t FileSize, uint64_t OtherSums) const {
  uint64_t sum = sum_ + OtherSums;
  while (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + FileSize);
}

uint32_t PeRewriter::Checksum(std::span<const uint8_t> File, uint64_t ChecksumOffset) {
  // The checksum field counts as zero, wherever it lies relative to the 16-bit words.
  TPeChecksum sum;
  const uint64_t fieldEnd = std::min<uint64_t>(File.size(), ChecksumOffset + 4);
  const uint64_t fieldStart = std::min<uint64_t>(File.size(), ChecksumOffset);
  sum.Add(0, File.first(fieldStart));
  sum.Add(fieldEnd, File.subspan(fieldEnd));
  return sum.Value(File.size());
}

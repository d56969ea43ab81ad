#include "tests/host/sfpack/SFPackReference.h"

#include <algorithm>

namespace sfpack_reference {
namespace {

constexpr size_t kBlockMax = 65533;

void Put16(std::vector<uint8_t>& out, size_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void PutCount(std::vector<uint8_t>& out, size_t run) {
  if (run <= 256) {
    out.push_back(static_cast<uint8_t>(run - 1));
  } else {
    out.push_back(0);
    Put16(out, run - 1);
  }
}

// Length of the run of equal bytes starting at i, stopping at the block's end.
size_t RunLength(std::span<const uint8_t> in, size_t i) {
  size_t j = i;
  while (j < in.size() && in[j] == in[i]) ++j;
  return j - i;
}

size_t Get16(std::span<const uint8_t> in, size_t at) {
  return in[at] | (in[at + 1] << 8);
}

// Reads a count at `at` within [0, end); returns false when it is cut short.
bool GetCount(std::span<const uint8_t> block, size_t at, size_t end, size_t& count, size_t& next) {
  if (at >= end) return false;
  count = block[at];
  next = at + 1;
  if (count != 0) return true;
  if (at + 3 > end) return false;
  count = Get16(block, at + 1);
  next = at + 3;
  return true;
}

bool UnpackMarker(std::span<const uint8_t> block, uint8_t marker, std::vector<uint8_t>& out) {
  size_t p = 2;
  while (p < block.size()) {
    if (block[p] != marker) {
      out.push_back(block[p++]);
      continue;
    }
    if (block.size() - p < 3) return false;
    const uint8_t value = block[p + 1];
    size_t count = 0;
    if (!GetCount(block, p + 2, block.size(), count, p)) return false;
    out.insert(out.end(), count + 1, value);
  }
  return true;
}

bool UnpackTable(std::span<const uint8_t> block, size_t header, std::vector<uint8_t>& out) {
  const size_t length = block.size();
  if (header > length || (length - header) % 2 != 0) return false;
  size_t pos = 2;
  for (size_t t = length; t > header; t -= 2) {
    const size_t e = Get16(block, t - 2);
    if (e < pos + 1 || e >= header) return false;
    for (; pos < e - 1; ++pos) out.push_back(block[pos]);
    size_t count = 0;
    if (!GetCount(block, e, header, count, pos)) return false;
    out.insert(out.end(), count + 1, block[e - 1]);
  }
  for (; pos < header; ++pos) out.push_back(block[pos]);
  return true;
}

}  // namespace

std::vector<uint8_t> PackBlock(std::span<const uint8_t> in) {
  bool seen[256] = {};
  for (uint8_t b : in) seen[b] = true;
  int marker = -1;
  for (int v = 0; v < 256 && marker < 0; ++v)
    if (!seen[v]) marker = v;

  std::vector<uint8_t> out(2, 0);
  if (marker >= 0) {
    out[0] = static_cast<uint8_t>(marker);
    for (size_t i = 0; i < in.size();) {
      const size_t run = RunLength(in, i);
      if (run >= 4) {
        out.push_back(static_cast<uint8_t>(marker));
        out.push_back(in[i]);
        PutCount(out, run);
        i += run;
      } else {
        out.push_back(in[i++]);
      }
    }
    return out;
  }
  std::vector<size_t> entries;
  for (size_t i = 0; i < in.size();) {
    out.push_back(in[i]);
    const size_t run = RunLength(in, i);
    if (run >= 5) {
      entries.push_back(out.size());
      PutCount(out, run);
      i += run;
    } else {
      ++i;
    }
  }
  const size_t header = out.size();
  out[0] = static_cast<uint8_t>(header & 0xFF);
  out[1] = static_cast<uint8_t>(header >> 8);
  for (size_t e = entries.size(); e-- > 0;) Put16(out, entries[e]);
  return out;
}

std::vector<uint8_t> PackData(std::span<const uint8_t> in) {
  std::vector<uint8_t> out;
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<uint8_t>(in.size() >> shift));
  for (size_t at = 0; at < in.size(); at += kBlockMax) {
    const size_t k = std::min(kBlockMax, in.size() - at);
    const std::vector<uint8_t> block = PackBlock(in.subspan(at, k));
    Put16(out, block.size());
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

Decoded UnpackData(std::span<const uint8_t> blocks) {
  Decoded result;
  size_t pos = 0;
  while (pos < blocks.size()) {
    if (blocks.size() - pos < 2) {
      result.ok = false;
      return result;
    }
    const size_t length = Get16(blocks, pos);
    pos += 2;
    if (length > blocks.size() - pos || length < 2) {
      result.ok = false;
      return result;
    }
    const std::span<const uint8_t> block = blocks.subspan(pos, length);
    const size_t header = Get16(block, 0);
    const bool sound = header < 256
                           ? UnpackMarker(block, static_cast<uint8_t>(header), result.bytes)
                           : UnpackTable(block, header, result.bytes);
    if (!sound) {
      result.ok = false;
      return result;
    }
    pos += length;
  }
  return result;
}

}  // namespace sfpack_reference

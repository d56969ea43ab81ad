#include "storage/Crc32.h"

#include <cpuid.h>
#include <emmintrin.h>
#include <wmmintrin.h>

#include <array>

#include "toolkit/core/LittleEndian.h"

// The installer's bytes go through here twice at every start (on the way to the disk and back),
// so its speed counts. Where the processor has carry-less multiplication (PCLMULQDQ, with SSE2),
// 64 bytes at a time are folded into four 128-bit remainders and reduced at the end, as in Intel's
// paper on CRC computation with PCLMULQDQ; elsewhere eight bytes at a time go through tables. The
// folding function's name ends in Pclmul: the program check (tests/e2e/check_sse.sh) allows
// vector instructions only in functions that run after CPUID has been asked.

namespace {

// kTables[0] holds the remainder of each byte value, eight bits at a time; kTables[k] the
// remainder of a byte followed by k zero bytes, so that eight bytes are folded in with eight
// look-ups instead of eight dependent steps.
constexpr std::array<std::array<uint32_t, 256>, 8> MakeTables() {
  std::array<std::array<uint32_t, 256>, 8> tables{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
    tables[0][i] = r;
  }
  for (size_t k = 1; k < 8; ++k) {
    for (uint32_t i = 0; i < 256; ++i)
      tables[k][i] = tables[0][tables[k - 1][i] & 0xFF] ^ (tables[k - 1][i] >> 8);
  }
  return tables;
}

constexpr auto kTables = MakeTables();

// The register R (not inverted) continued over Length bytes, eight at a time.
uint32_t UpdateByTables(uint32_t R, const uint8_t* P, size_t Length) {
  for (; Length >= 8; P += 8, Length -= 8) {
    const uint32_t low = R ^ LoadLE32(P);
    const uint32_t high = LoadLE32(P + 4);
    R = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
        kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
        kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
  }
  for (; Length > 0; ++P, --Length) R = kTables[0][(R ^ *P) & 0xFF] ^ (R >> 8);
  return R;
}

// PCLMULQDQ is leaf 1, ECX bit 1; SSE2 leaf 1, EDX bit 26.
bool ProcessorFolds() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  constexpr unsigned kPclmul = 1u << 1, kSse2 = 1u << 26;
  return (ecx & kPclmul) != 0 && (edx & kSse2) != 0;
}

const bool kProcessorFolds = ProcessorFolds();
bool folding = kProcessorFolds;

// x^n mod P for the folding distances (bit-reflected, shifted by one), and the Barrett constants.
#define AC_PCLMUL [[gnu::target("sse2,pclmul")]]

AC_PCLMUL __m128i FoldPclmul(__m128i Acc, __m128i Constants, __m128i Next) {
  const __m128i low = _mm_clmulepi64_si128(Acc, Constants, 0x00);
  const __m128i high = _mm_clmulepi64_si128(Acc, Constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), Next);
}

AC_PCLMUL __m128i LoadPclmul(const uint8_t* P) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
}

// The register R continued over Length bytes (a multiple of 16, at least 64).
AC_PCLMUL uint32_t UpdateByFoldingPclmul(uint32_t R, const uint8_t* P, size_t Length) {
  const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
  const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);
  const __m128i poly = _mm_set_epi64x(0x1F7011641, 0x1DB710641);
  const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);

  __m128i x1 = _mm_xor_si128(LoadPclmul(P), _mm_cvtsi32_si128(static_cast<int>(R)));
  __m128i x2 = LoadPclmul(P + 16), x3 = LoadPclmul(P + 32), x4 = LoadPclmul(P + 48);
  P += 64;
  Length -= 64;
  for (; Length >= 64; P += 64, Length -= 64) {
    x1 = FoldPclmul(x1, k1k2, LoadPclmul(P));
    x2 = FoldPclmul(x2, k1k2, LoadPclmul(P + 16));
    x3 = FoldPclmul(x3, k1k2, LoadPclmul(P + 32));
    x4 = FoldPclmul(x4, k1k2, LoadPclmul(P + 48));
  }
  x1 = FoldPclmul(x1, k3k4, x2);
  x1 = FoldPclmul(x1, k3k4, x3);
  x1 = FoldPclmul(x1, k3k4, x4);
  for (; Length >= 16; P += 16, Length -= 16) x1 = FoldPclmul(x1, k3k4, LoadPclmul(P));

  // 128 bits to 64, then to 32 with a Barrett reduction.
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, k3k4, 0x10), _mm_srli_si128(x1, 8));
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k5, 0x00),
                     _mm_srli_si128(x1, 4));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), poly, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly, 0x00);
  x1 = _mm_xor_si128(x1, t);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x1, 4)));
}

}  // namespace

bool SetCrc32Folding(bool Allowed) {
  folding = Allowed && kProcessorFolds;
  return folding;
}

uint32_t UpdateCrc32(uint32_t Crc, std::span<const uint8_t> Bytes) {
  uint32_t r = ~Crc;
  const uint8_t* p = Bytes.data();
  size_t left = Bytes.size();
  if (folding && left >= 64) {
    const size_t folded = left & ~size_t{15};
    r = UpdateByFoldingPclmul(r, p, folded);
    p += folded;
    left -= folded;
  }
  return ~UpdateByTables(r, p, left);
}

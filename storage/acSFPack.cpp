#include "storage/acSFPack.h"

#include <cpuid.h>
#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "toolkit/core/LittleEndian.h"

// The codec works in one of three ways (SFPackPath), chosen once at start-up from what the
// processor reports, since the i686 build must also run on processors without SSE2: plain C++ for
// the i686 instruction set, SSE2, and AVX2. All three produce the same bytes. The file is compiled
// for the target's baseline; only functions whose names end in Sse2 or Avx2 are compiled for those
// instruction sets (AC_SSE2, AC_AVX2). PackOneBlock and UnpackBlock call the plain path's entry
// function or the SSE2 one (PackOneBlockSse2, UnpackBlockSse2), which calls the ...Avx2 functions
// instead of some of its own where AVX2 is in use. The shipped program is checked for vector
// instructions outside such functions (tests/e2e/check_sse.sh). Most of the packer and unpacker is
// written once, as templates on the path; an entry function takes its instance into itself
// (AC_FLATTEN), so that the small helpers of its path are inlined and compiled for it. The loops
// that do the bulk of the work stay functions of their own (AC_NOINLINE), as one copy each.
//
// The packer scans for runs with SSE2: one 16-byte compare of the input against itself shifted by
// one byte gives, per position, whether a byte equals its successor; four such compares make a
// 64-bit mask, and a run of r equal bytes starts where r - 1 consecutive mask bits are set. Most
// windows of ordinary data hold no run start, so the loop copies them whole. All loads stay inside
// the block: the vector loop stops 65 bytes before its end and plain code takes the tail.
//
// Where the processor has AVX2, the occurrence marking, the run scan and the unpacker's copies use
// 32-byte vectors instead, and blocks without 0 bytes are coded without a separate search for 0.
//
// The plain path does the same work a machine word (4 or 8 bytes) at a time: a word that holds no
// byte equal to its successor holds no run start; a word compared with the marker (or a run's
// value) repeated in every byte tells where the first match lies.
//
// The unpacker copies literal stretches with 16-byte (32-byte, word) stores while both sides have
// room, and falls back to exact copies near either end, so it never touches a byte outside the
// given areas.

namespace {

constexpr uint32_t kMarkerRunMin = 4;    // shortest run coded in a marker block
constexpr uint32_t kTableRunMin = 5;     // shortest run coded in a table block
constexpr uint32_t kShortRunMax = 256;   // longest run with a one-byte count
constexpr uint32_t kWindow = 64;         // bytes examined per step of the vector scan
constexpr uint32_t kProbeLength = 2048;  // input marked before missing values are searched for
constexpr uint32_t kMarkChunk = 128;     // bytes marked between checks for "all 256 seen"
constexpr uint16_t kFirstTableHeader = 256;

constexpr SFPackPath kPlain = SFPackPath::kPlain;
constexpr SFPackPath kSse2 = SFPackPath::kSse2;
constexpr SFPackPath kAvx2 = SFPackPath::kAvx2;

// Functions compiled for SSE2 or AVX2: they run only on their path, and their names end in Sse2 or
// Avx2 (the program check knows them by that).
#define AC_SSE2 [[gnu::target("sse2")]]
#define AC_AVX2 [[gnu::target("avx2")]]
// A path's entry function: everything it calls is inlined into it where the targets allow, except
// functions marked AC_NOINLINE.
#define AC_FLATTEN [[gnu::flatten]]
#define AC_NOINLINE [[gnu::noinline]]

// The register state saving that the system has switched on (XCR0); only called once CPUID says
// the system uses XSAVE, since the instruction faults otherwise.
[[gnu::target("xsave")]] uint64_t EnabledRegisterState() {
  return _xgetbv(0);
}

// The best path the processor has, asked of CPUID directly: the compiler's __builtin_cpu_supports
// would link its whole processor-model table, about 5 KB of the program. SSE2 is leaf 1, EDX bit
// 26. AVX2 also needs the system to save the 256-bit registers on a switch (XCR0 bits 1 and 2).
SFPackPath ProcessorPath() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return kPlain;
  constexpr unsigned kSse2Bit = 1u << 26;
  if ((edx & kSse2Bit) == 0) return kPlain;
  constexpr unsigned kOsXsave = 1u << 27, kAvx = 1u << 28;
  if ((ecx & (kOsXsave | kAvx)) != (kOsXsave | kAvx)) return kSse2;
  constexpr uint64_t kSseAndAvxState = 0x6;
  if ((EnabledRegisterState() & kSseAndAvxState) != kSseAndAvxState) return kSse2;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return kSse2;
  constexpr unsigned kAvx2Bit = 1u << 5;
  return (ebx & kAvx2Bit) != 0 ? kAvx2 : kSse2;
}

const SFPackPath kProcessorPath = ProcessorPath();
SFPackPath pathInUse = kProcessorPath;

// Whether code of path P calls the ...Avx2 functions: the SSE2 path's code serves the AVX2 path
// too.
template <SFPackPath P>
bool UseAvx2() {
  return P != kPlain && pathInUse == kAvx2;
}

// ---- machine words and vectors ------------------------------------------------------------------

// The plain path's unit: 4 bytes on i686, 8 on x86_64. Byte j of a word is the byte at p + j.
using Word = uintptr_t;
constexpr Word kOnes = ~Word{0} / 0xFF;  // 0x01 in every byte
constexpr Word kHighs = kOnes << 7;      // 0x80 in every byte
static_assert(std::endian::native == std::endian::little);

Word LoadWord(const uint8_t* p) {
  Word w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

void StoreWord(uint8_t* p, Word w) {
  std::memcpy(p, &w, sizeof w);
}

// Nonzero when w has a zero byte; its lowest set bit then lies in the first one (bits above that
// byte can be set falsely).
Word ZeroBytes(Word w) {
  return (w - kOnes) & ~w & kHighs;
}

// The index of the byte that holds the lowest set bit of a nonzero word.
uint32_t FirstByte(Word w) {
  return static_cast<uint32_t>(std::countr_zero(w)) / 8;
}

AC_SSE2 __m128i LoadSse2(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

AC_SSE2 void StoreSse2(uint8_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

AC_AVX2 __m256i LoadAvx2(const uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

AC_AVX2 void StoreAvx2(uint8_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// ---- copies -------------------------------------------------------------------------------------

// Copies n bytes between distinct buffers. Long copies use 16-byte moves with aligned stores
// (32-byte moves measured slower on data beyond the cache): the C library's copy may use a
// string-move instruction that some processors run many times slower when source and destination
// are misaligned against each other, as block bodies always are.
AC_SSE2 AC_NOINLINE void CopyBytesSse2(uint8_t* d, const uint8_t* s, size_t n) {
  if (n < 64) {
    if (n != 0) std::memcpy(d, s, n);
    return;
  }
  StoreSse2(d, LoadSse2(s));
  size_t i = 16 - (reinterpret_cast<uintptr_t>(d) & 15);
  for (; n - i >= 64; i += 64) {
    const __m128i a0 = LoadSse2(s + i), a1 = LoadSse2(s + i + 16);
    const __m128i a2 = LoadSse2(s + i + 32), a3 = LoadSse2(s + i + 48);
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i), a0);
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 16), a1);
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 32), a2);
    _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 48), a3);
  }
  for (; n - i >= 16; i += 16) _mm_store_si128(reinterpret_cast<__m128i*>(d + i), LoadSse2(s + i));
  if (i != n) StoreSse2(d + n - 16, LoadSse2(s + n - 16));
}

// The processors of the plain path predate that trouble; the C library's copy serves them.
template <SFPackPath P>
void CopyBytes(uint8_t* d, const uint8_t* s, size_t n) {
  if constexpr (P == kPlain) {
    if (n != 0) std::memcpy(d, s, n);
  } else {
    CopyBytesSse2(d, s, n);
  }
}

// The 16 bytes at s to d.
AC_SSE2 void Copy16Sse2(uint8_t* d, const uint8_t* s) {
  StoreSse2(d, LoadSse2(s));
}

// 32 bytes of `value` at d.
AC_SSE2 void Fill32Sse2(uint8_t* d, uint8_t value) {
  const __m128i v = _mm_set1_epi8(static_cast<char>(value));
  StoreSse2(d, v);
  StoreSse2(d + 16, v);
}

template <SFPackPath P>
void Copy16(uint8_t* d, const uint8_t* s) {
  if constexpr (P == kPlain) {
    for (size_t i = 0; i < 16; i += sizeof(Word)) StoreWord(d + i, LoadWord(s + i));
  } else {
    Copy16Sse2(d, s);
  }
}

template <SFPackPath P>
void Fill32(uint8_t* d, uint8_t value) {
  if constexpr (P == kPlain) {
    const Word v = kOnes * value;
    for (size_t i = 0; i < 32; i += sizeof(Word)) StoreWord(d + i, v);
  } else {
    Fill32Sse2(d, value);
  }
}

// ---- occurrence marking -------------------------------------------------------------------------

using SeenTable = uint8_t[256];

// Whether every entry of the table (each 0 or 1) is set: the AND of all its parts has no 0 byte.
AC_SSE2 bool AllSeenSse2(const SeenTable seen) {
  __m128i all = LoadSse2(seen);
  for (int i = 16; i < 256; i += 16) all = _mm_and_si128(all, LoadSse2(seen + i));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_setzero_si128())) == 0;
}

template <SFPackPath P>
bool AllSeen(const SeenTable seen) {
  if constexpr (P == kPlain) {
    Word all = ~Word{0};
    for (size_t i = 0; i < 256; i += sizeof(Word)) all &= LoadWord(seen + i);
    return ZeroBytes(all) == 0;
  } else {
    return AllSeenSse2(seen);
  }
}

// Marks the values of s[from, to) and stops early once all 256 occur; returns whether they do.
template <SFPackPath P>
bool MarkValues(const uint8_t* s, uint32_t from, uint32_t to, SeenTable seen) {
  uint32_t i = from;
  while (to - i >= kMarkChunk) {
    for (uint32_t j = 0; j < kMarkChunk; j += sizeof(Word)) {
      const Word w = LoadWord(s + i + j);
      if (w == (w & 0xFF) * kOnes) {  // inside a run: one value
        seen[w & 0xFF] = 1;
        continue;
      }
      for (uint32_t b = 0; b < 8 * sizeof(Word); b += 8) seen[(w >> b) & 0xFF] = 1;
    }
    i += kMarkChunk;
    if (AllSeen<P>(seen)) return true;
  }
  for (; i < to; ++i) seen[s[i]] = 1;
  return AllSeen<P>(seen);
}

// The table as a 256-bit set laid out for a nibble lookup: value v is bit (v >> 4) & 7 of byte
// (v & 15) + 16 * (v >> 7).
AC_AVX2 __m256i SeenBitmapAvx2(const SeenTable seen) {
  __m128i low = _mm_setzero_si128(), high = _mm_setzero_si128();
  for (int h = 0; h < 8; ++h) {
    const __m128i shift = _mm_cvtsi32_si128(h);
    low = _mm_or_si128(low, _mm_sll_epi16(LoadSse2(seen + 16 * h), shift));
    high = _mm_or_si128(high, _mm_sll_epi16(LoadSse2(seen + 16 * (h + 8)), shift));
  }
  return _mm256_set_m128i(high, low);
}

// Whether all 32 bytes of x are in the set whose halves (bitmap bytes 0..15 and 16..31) are
// broadcast to both lanes of `low` and `high`.
AC_AVX2 bool AllPresentAvx2(__m256i x, __m256i low, __m256i high) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i bits = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128,
                                        1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  const __m256i index = _mm256_and_si256(x, nibble);
  // The top bit of each byte picks the half of the set its value lies in.
  const __m256i row =
      _mm256_blendv_epi8(_mm256_shuffle_epi8(low, index), _mm256_shuffle_epi8(high, index), x);
  const __m256i bit = _mm256_shuffle_epi8(bits, _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble));
  const __m256i missing = _mm256_andnot_si256(row, bit);
  return _mm256_testz_si256(missing, missing);
}

// MarkValues with AVX2: 32-byte chunks whose values all occur already are passed over with one
// lookup; the others are marked. The set the lookup uses is rebuilt only after every fourth marked
// chunk, which also checks for "all 256 seen": a stale set merely passes over fewer chunks.
AC_AVX2 bool MarkValuesAvx2(const uint8_t* s, uint32_t from, uint32_t to, SeenTable seen) {
  __m256i set = SeenBitmapAvx2(seen);
  __m256i low = _mm256_permute2x128_si256(set, set, 0x00);
  __m256i high = _mm256_permute2x128_si256(set, set, 0x11);
  uint32_t i = from;
  uint32_t marked = 0;
  for (; to - i >= 32; i += 32) {
    if (AllPresentAvx2(LoadAvx2(s + i), low, high)) continue;
    // Byte loads straight into the index: one load and one store per byte.
    const uint8_t* const chunk = s + i;
#pragma GCC unroll 32
    for (int j = 0; j < 32; ++j) seen[chunk[j]] = 1;
    if (++marked % 4 != 0) continue;
    set = SeenBitmapAvx2(seen);
    const __m256i ones = _mm256_set1_epi8(-1);
    if (_mm256_testc_si256(set, ones)) return true;
    low = _mm256_permute2x128_si256(set, set, 0x00);
    high = _mm256_permute2x128_si256(set, set, 0x11);
  }
  for (; i < to; ++i) seen[s[i]] = 1;
  return AllSeenSse2(seen);
}

AC_NOINLINE bool MarkValuesPlain(const uint8_t* s, uint32_t from, uint32_t to, SeenTable seen) {
  return MarkValues<kPlain>(s, from, to, seen);
}

AC_SSE2 AC_FLATTEN AC_NOINLINE bool MarkValuesSse2(const uint8_t* s, uint32_t from, uint32_t to,
                                                   SeenTable seen) {
  return MarkValues<kSse2>(s, from, to, seen);
}

template <SFPackPath P>
bool Mark(const uint8_t* s, uint32_t from, uint32_t to, SeenTable seen) {
  if constexpr (P == kPlain)
    return MarkValuesPlain(s, from, to, seen);
  else
    return UseAvx2<P>() ? MarkValuesAvx2(s, from, to, seen) : MarkValuesSse2(s, from, to, seen);
}

// The smallest value from `from` on that is not marked, or -1.
int NextUnseen(const SeenTable seen, int from) {
  for (int v = from; v < 256; ++v)
    if (!seen[v]) return v;
  return -1;
}

int FirstUnseen(const SeenTable seen) {
  return NextUnseen(seen, 0);
}

bool Contains(const uint8_t* s, uint32_t n, int value) {
  return n != 0 && std::memchr(s, value, n) != nullptr;
}

// The smallest byte value absent from the block, or -1 when all 256 occur; `zeroKnown` tells that
// the block holds a 0. Text and most data that leave a value out lack 0, which one fast search
// settles. Otherwise the first two kilobytes are marked, which for compressed data usually finds
// all 256 values. The values still missing then are searched for in the rest one by one, smallest
// first, since a fast search passes over bytes far quicker than marking: the first one absent is
// the marker, and in code, where a few dozen values are rare, each turns up after some hundred
// bytes. When the searches have passed over more than a block's length (values that turn up only
// late, as in text followed by other data), the rest is marked instead.
template <SFPackPath P>
int FindMarker(const uint8_t* s, uint32_t k, bool zeroKnown) {
  if (!zeroKnown && !Contains(s, k, 0)) return 0;
  SeenTable seen = {};
  const uint32_t probe = std::min(k, kProbeLength);
  if (Mark<P>(s, 0, probe, seen)) return -1;
  if (probe == k) return FirstUnseen(seen);
  const uint8_t* const rest = s + probe;
  const size_t restLength = k - probe;
  size_t searched = 0;
  for (int v = FirstUnseen(seen); v >= 0 && searched <= k; v = NextUnseen(seen, v + 1)) {
    const void* hit = std::memchr(rest, v, restLength);
    if (hit == nullptr) return v;
    seen[v] = 1;
    searched += static_cast<size_t>(static_cast<const uint8_t*>(hit) - rest) + 1;
  }
  if (AllSeen<P>(seen) || Mark<P>(s, probe, k, seen)) return -1;
  return FirstUnseen(seen);
}

// ---- run detection ------------------------------------------------------------------------------

// Bit j set: s[j] == s[j + 1], for j in 0..63. Reads s[0..64]. Also stores the 64 bytes at `out`.
AC_SSE2 uint64_t NeighbourMaskSse2(const uint8_t* s, uint8_t* out) {
  const __m128i a0 = LoadSse2(s), a1 = LoadSse2(s + 16), a2 = LoadSse2(s + 32);
  const __m128i a3 = LoadSse2(s + 48);
  const uint64_t m0 = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a0, LoadSse2(s + 1))));
  const uint64_t m1 =
      static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a1, LoadSse2(s + 17))));
  const uint64_t m2 =
      static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a2, LoadSse2(s + 33))));
  const uint64_t m3 =
      static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a3, LoadSse2(s + 49))));
  StoreSse2(out, a0);
  StoreSse2(out + 16, a1);
  StoreSse2(out + 32, a2);
  StoreSse2(out + 48, a3);
  return m0 | m1 << 16 | m2 << 32 | m3 << 48;
}

// Bit j set: a run of at least `runMin` bytes starts at j (bits j .. j + runMin - 2 of the
// neighbour mask). Bits whose test would need mask bits beyond 63 come out 0.
uint64_t RunStarts(uint64_t m, uint32_t runMin) {
  uint64_t starts = m & (m >> 1) & (m >> 2);
  if (runMin == kTableRunMin) starts &= m >> 3;
  return starts;
}

// The end of the run of value b that continues at q; the block's end ends every run.
AC_SSE2 uint32_t RunEndSse2(const uint8_t* s, uint32_t q, uint32_t k, uint8_t b) {
  const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
  while (k - q >= 16) {
    const uint32_t equal =
        static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(LoadSse2(s + q), vb)));
    if (equal != 0xFFFF) return q + static_cast<uint32_t>(std::countr_zero(~equal));
    q += 16;
  }
  while (q < k && s[q] == b) ++q;
  return q;
}

template <SFPackPath P>
uint32_t RunEnd(const uint8_t* s, uint32_t q, uint32_t k, uint8_t b) {
  if constexpr (P == kPlain) {
    const Word vb = kOnes * b;
    while (k - q >= sizeof(Word)) {
      const Word differ = LoadWord(s + q) ^ vb;
      if (differ != 0) return q + FirstByte(differ);
      q += sizeof(Word);
    }
    while (q < k && s[q] == b) ++q;
    return q;
  } else {
    return RunEndSse2(s, q, k, b);
  }
}

bool RunStartsAt(const uint8_t* s, uint32_t i, uint32_t k, uint32_t runMin) {
  if (k - i < runMin) return false;
  for (uint32_t j = 1; j < runMin; ++j)
    if (s[i + j] != s[i]) return false;
  return true;
}

uint8_t* PutCount(uint8_t* out, uint32_t run) {
  const uint32_t count = run - 1;
  if (run <= kShortRunMax) {
    *out = static_cast<uint8_t>(count);
    return out + 1;
  }
  out[0] = 0;
  StoreLE16(out + 1, count);
  return out + 3;
}

// Why the AVX2 run scan stopped: at a run start, near the block's end, or (when asked to look for
// them) at a window holding a 0 byte.
enum class ScanStop { kRun, kEnd, kZero };

// The exact neighbour mask of the 64 bytes at s with AVX2: bit j set where s[j] == s[j + 1].
AC_AVX2 uint64_t NeighbourMaskAvx2(const uint8_t* s) {
  const uint64_t m0 =
      static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(LoadAvx2(s), LoadAvx2(s + 1))));
  const uint64_t m1 = static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(LoadAvx2(s + 32), LoadAvx2(s + 33))));
  return m0 | m1 << 32;
}

// The vector loop of NextRun with AVX2. A run of 4 or more starting at j holds three equal bytes
// starting at j and at j + 1, one of which is odd; so a 64-byte window whose odd offsets 1..63
// start no three equal bytes holds no run start. One 16-bit compare of the input at offset 1
// against the input at offset 2 tests 16 odd offsets at once (s[o], s[o + 1] against s[o + 1], s[o
// + 2]), and the vector at offset 1 is also what is stored: the window's byte 0 was stored by the
// window before (or on entry). Only windows that fail the test go through the exact neighbour mask.
// Stores reach out + 64; the output advances to 32-byte boundaries of out + 1 so that the stores
// are aligned. Stops at a run start (returns true, `at` on it) or when fewer than 66 bytes remain
// (returns false, `at` where the scan stopped). Works on local copies of `at` and `to`: the
// stores through `out` could otherwise alias them and pin them to memory.
template <uint32_t RunMin, bool CheckZero = false>
AC_AVX2 ScanStop NextRunAvx2(const uint8_t* s, uint32_t& at, uint32_t k, uint8_t*& to) {
  uint32_t i = at;
  uint8_t* out = to;
  ScanStop stop = ScanStop::kEnd;
  if (k - i >= kWindow + 2) {
    if (CheckZero && s[i] == 0) return ScanStop::kZero;
    *out = s[i];
  }
  while (k - i >= kWindow + 2) {
    const uint8_t* p = s + i;
    const __m256i b0 = LoadAvx2(p + 1), b1 = LoadAvx2(p + 33);
    StoreAvx2(out + 1, b0);
    StoreAvx2(out + 33, b1);
    const __m256i triples = _mm256_or_si256(_mm256_cmpeq_epi16(b0, LoadAvx2(p + 2)),
                                            _mm256_cmpeq_epi16(b1, LoadAvx2(p + 34)));
    const uint32_t limit =
        kWindow - static_cast<uint32_t>(reinterpret_cast<uintptr_t>(out + 1) & 31);
    __m256i flags = triples;
    __m256i zeros = _mm256_setzero_si256();
    if constexpr (CheckZero) {
      zeros = _mm256_or_si256(_mm256_cmpeq_epi8(b0, zeros), _mm256_cmpeq_epi8(b1, zeros));
      flags = _mm256_or_si256(flags, zeros);
    }
    if (_mm256_testz_si256(flags, flags)) [[likely]] {
      out += limit;
      i += limit;
      continue;
    }
    if (CheckZero && !_mm256_testz_si256(zeros, zeros)) {
      stop = ScanStop::kZero;
      break;
    }
    const uint64_t m = NeighbourMaskAvx2(p);
    const uint64_t starts = RunStarts(m, RunMin);
    const uint32_t first = starts ? static_cast<uint32_t>(std::countr_zero(starts)) : kWindow;
    if (first < limit) {
      out += first;
      i += first;
      stop = ScanStop::kRun;
      break;
    }
    // As in NextRunSse2: the last RunMin - 2 positions are looked at again when they could still
    // start a run.
    const uint32_t step =
        std::min(limit, kWindow - std::min<uint32_t>(std::countl_one(m), RunMin - 2));
    out += step;
    i += step;
  }
  at = i;
  to = out;
  return stop;
}

// Finds the next run start at or after i and copies the literals before it to *out. Returns the
// run's start, or k when the block holds no further run. The vector steps store 64 bytes at *out
// but advance it only over the literals; the callers guarantee room for those blind stores.
AC_SSE2 AC_NOINLINE uint32_t NextRunSse2(const uint8_t* s, uint32_t i, uint32_t k, uint32_t runMin,
                                         uint8_t*& out) {
  while (k - i >= kWindow + 1) {
    const uint64_t m = NeighbourMaskSse2(s + i, out);
    const uint64_t starts = RunStarts(m, runMin);
    if (starts != 0) {
      const uint32_t j = static_cast<uint32_t>(std::countr_zero(starts));
      out += j;
      return i + j;
    }
    // The last runMin - 2 positions need mask bits beyond the window; one of them can still start
    // a run only if every bit from it to the window's end is set. Those are looked at again. The
    // common case advances by a constant, so that the next loads need not wait for this mask.
    if ((m >> (kWindow - (runMin - 2))) != 0) [[unlikely]] {
      const uint32_t sure = kWindow - std::min<uint32_t>(std::countl_one(m), runMin - 2);
      out += sure;
      i += sure;
      continue;
    }
    out += kWindow;
    i += kWindow;
  }
  for (; i < k; ++i) {
    if (RunStartsAt(s, i, k, runMin)) return i;
    *out++ = s[i];
  }
  return k;
}

// NextRunSse2 a word at a time: a run starts with a byte equal to its successor, so a word none of
// whose bytes equals its successor is copied whole; otherwise the scan moves to the first such
// byte and tests for a run there. The word stores reach at most a word beyond *out.
AC_NOINLINE uint32_t NextRunPlain(const uint8_t* s, uint32_t i, uint32_t k, uint32_t runMin,
                                  uint8_t*& out) {
  while (k - i >= sizeof(Word) + 1) {
    const Word w = LoadWord(s + i);
    StoreWord(out, w);
    const Word equal = ZeroBytes(w ^ LoadWord(s + i + 1));
    if (equal == 0) {
      out += sizeof(Word);
      i += sizeof(Word);
      continue;
    }
    const uint32_t j = FirstByte(equal);
    out += j;
    i += j;
    if (RunStartsAt(s, i, k, runMin)) return i;
    ++out;  // s[i], stored with the word, is a literal
    ++i;
  }
  for (; i < k; ++i) {
    if (RunStartsAt(s, i, k, runMin)) return i;
    *out++ = s[i];
  }
  return k;
}

template <SFPackPath P>
uint32_t NextRun(const uint8_t* s, uint32_t i, uint32_t k, uint32_t runMin, uint8_t*& out) {
  if constexpr (P == kPlain) {
    return NextRunPlain(s, i, k, runMin, out);
  } else {
    if (UseAvx2<P>()) {
      const ScanStop stop = runMin == kMarkerRunMin ? NextRunAvx2<kMarkerRunMin>(s, i, k, out)
                                                    : NextRunAvx2<kTableRunMin>(s, i, k, out);
      if (stop == ScanStop::kRun) return i;
    }
    return NextRunSse2(s, i, k, runMin, out);
  }
}

// ---- packing ------------------------------------------------------------------------------------

// Marker block: header = marker; items are literals and (marker, value, count) triples. The
// output never runs ahead of the input by more than the 2 header bytes, so the blind 64-byte
// stores of NextRun stay inside the k + 2 bytes of `d`.
template <SFPackPath P>
uint32_t PackMarkerBlock(const uint8_t* s, uint8_t* d, uint32_t k, uint8_t marker) {
  StoreLE16(d, marker);
  uint8_t* out = d + 2;
  uint32_t i = 0;
  while ((i = NextRun<P>(s, i, k, kMarkerRunMin, out)) < k) {
    const uint8_t value = s[i];
    const uint32_t end = RunEnd<P>(s, i + kMarkerRunMin, k, value);
    out[0] = marker;
    out[1] = value;
    out = PutCount(out + 2, end - i);
    i = end;
  }
  return static_cast<uint32_t>(out - d);
}

// Table block: the body holds literals and (value, count) pairs; the offsets of the counts are
// collected downward from offset k + 1 (first run highest), which is already the stored order
// (last run first), and then moved behind the body. Each run saves at least one byte net, so the
// body, including the 64-byte blind stores, stays below the table.
template <SFPackPath P>
uint32_t PackTableBlock(const uint8_t* s, uint8_t* d, uint32_t k) {
  uint8_t* const tableEnd = d + k + 1;
  uint8_t* table = tableEnd;
  uint8_t* out = d + 2;
  uint32_t i = 0;
  while ((i = NextRun<P>(s, i, k, kTableRunMin, out)) < k) {
    const uint8_t value = s[i];
    const uint32_t end = RunEnd<P>(s, i + kTableRunMin, k, value);
    *out++ = value;
    table -= 2;
    StoreLE16(table, static_cast<uint32_t>(out - d));
    out = PutCount(out, end - i);
    i = end;
  }
  const uint32_t header = static_cast<uint32_t>(out - d);
  StoreLE16(d, header);
  const size_t tableLength = static_cast<size_t>(tableEnd - table);
  std::memmove(out, table, tableLength);
  return header + static_cast<uint32_t>(tableLength);
}

// Text and most other data without 0 bytes make marker blocks with marker 0. With AVX2 such a
// block is coded at once, the run scan also looking for 0 bytes, which saves the separate search
// for 0 over the whole block. Every byte is looked at: by the scan's windows, as a run's value, or
// in the last 66 bytes, which the vector scan does not reach and which are searched first. At the
// first 0 the attempt is abandoned and 0 is returned; the caller then packs the block the usual
// way.
AC_AVX2 uint32_t PackMarkerBlockWithoutZeroAvx2(const uint8_t* s, uint8_t* d, uint32_t k) {
  const uint32_t tail = k - std::min<uint32_t>(k, kWindow + 2);
  if (std::memchr(s + tail, 0, k - tail) != nullptr) return 0;
  StoreLE16(d, 0);
  uint8_t* out = d + 2;
  uint32_t i = 0;
  while (true) {
    const ScanStop stop = NextRunAvx2<kMarkerRunMin, true>(s, i, k, out);
    if (stop == ScanStop::kZero) return 0;
    if (stop == ScanStop::kEnd && (i = NextRun<kSse2>(s, i, k, kMarkerRunMin, out)) >= k) break;
    const uint8_t value = s[i];
    if (value == 0) return 0;
    const uint32_t end = RunEnd<kSse2>(s, i + kMarkerRunMin, k, value);
    out[0] = 0;
    out[1] = value;
    out = PutCount(out + 2, end - i);
    i = end;
  }
  return static_cast<uint32_t>(out - d);
}

// Packs 1..65,533 bytes into d, writing at most k + 2 bytes.
template <SFPackPath P>
uint32_t PackOneBlockOn(const uint8_t* s, uint8_t* d, uint32_t k) {
  bool zeroKnown = false;
  if (UseAvx2<P>()) {
    if (const uint32_t length = PackMarkerBlockWithoutZeroAvx2(s, d, k)) return length;
    zeroKnown = true;
  }
  const int marker = FindMarker<P>(s, k, zeroKnown);
  if (marker < 0) return PackTableBlock<P>(s, d, k);
  return PackMarkerBlock<P>(s, d, k, static_cast<uint8_t>(marker));
}

uint32_t PackOneBlockPlain(const uint8_t* s, uint8_t* d, uint32_t k) {
  return PackOneBlockOn<kPlain>(s, d, k);
}

AC_SSE2 AC_FLATTEN uint32_t PackOneBlockSse2(const uint8_t* s, uint8_t* d, uint32_t k) {
  return PackOneBlockOn<kSse2>(s, d, k);
}

uint32_t PackOneBlock(const uint8_t* s, uint8_t* d, uint32_t k) {
  if (pathInUse == kPlain) return PackOneBlockPlain(s, d, k);
  return PackOneBlockSse2(s, d, k);
}

// Packs a block whose worst case does not fit the room left at d; returns its length, or 0 when
// the packed block itself does not fit either.
[[gnu::noinline]] uint32_t PackBlockTight(const uint8_t* s, uint8_t* d, uint32_t k, size_t room) {
  uint8_t scratch[kPackBlockMax + 2];
  const uint32_t length = PackOneBlock(s, scratch, k);
  if (length > room) return 0;
  std::memcpy(d, scratch, length);
  return length;
}

// ---- unpacking ----------------------------------------------------------------------------------

// Literal stretches up to this length are copied with blind 32-byte stores where both sides have
// room; longer ones go through CopyBytes, whose stores are aligned.
constexpr size_t kBlindCopyMax = 1024;

// Copies n bytes in 32-byte pieces, so it reads and writes up to 31 bytes beyond n; returns d + n.
AC_AVX2 uint8_t* CopyBlindAvx2(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i += 32) StoreAvx2(d + i, LoadAvx2(s + i));
  return d + n;
}

// The destination of an unpack: writes stop at its end and report the shortfall.
class Sink {
 public:
  Sink(uint8_t* dest, size_t size) : next_(dest), end_(dest + size), begin_(dest) {}

  size_t Room() const { return static_cast<size_t>(end_ - next_); }
  size_t Written() const { return static_cast<size_t>(next_ - begin_); }
  uint8_t*& Next() { return next_; }

 private:
  uint8_t* next_;
  uint8_t* end_;
  uint8_t* begin_;
};

// Copies n bytes to the sink, as many as fit; returns whether all did.
template <SFPackPath P>
bool Copy(Sink& sink, const uint8_t* from, size_t n) {
  const size_t fit = std::min(n, sink.Room());
  CopyBytes<P>(sink.Next(), from, fit);
  sink.Next() += fit;
  return fit == n;
}

// Copy for a source that stays readable up to `readable`: short stretches move as one blind
// 16-byte copy when both sides have the room.
template <SFPackPath P>
bool CopyShort(Sink& sink, const uint8_t* from, size_t n, const uint8_t* readable) {
  const size_t readableLength = static_cast<size_t>(readable - from);
  if (n <= 16 && sink.Room() >= 16 && readableLength >= 16) {
    Copy16<P>(sink.Next(), from);
    sink.Next() += n;
    return true;
  }
  if (UseAvx2<P>() && n <= kBlindCopyMax && sink.Room() >= n + 32 && readableLength >= n + 32) {
    sink.Next() = CopyBlindAvx2(sink.Next(), from, n);
    return true;
  }
  return Copy<P>(sink, from, n);
}

// n bytes of `value`, as many as fit; returns whether all did.
template <SFPackPath P>
bool Fill(Sink& sink, uint8_t value, size_t n) {
  if (n <= 32 && sink.Room() >= 32) {  // the short runs of code and text: one blind 32-byte fill
    Fill32<P>(sink.Next(), value);
    sink.Next() += n;
    return true;
  }
  const size_t fit = std::min(n, sink.Room());
  if (fit != 0) std::memset(sink.Next(), value, fit);
  sink.Next() += fit;
  return fit == n;
}

UnpackResult Finish(const Sink& sink, bool ok) {
  return UnpackResult{sink.Written(), ok};
}

// Reads a count at p (one byte, or 0 and a 16-bit value) inside [p, end); returns the position
// behind it, or nullptr when the count is cut short.
const uint8_t* ReadCount(const uint8_t* p, const uint8_t* end, uint32_t& count) {
  if (p >= end) return nullptr;
  count = *p;
  if (count != 0) return p + 1;
  if (end - p < 3) return nullptr;
  count = LoadLE16(p + 1);
  return p + 3;
}

// Copies literals from p up to the next marker (or the end); returns where the copy stopped, or
// nullptr when the destination filled up first. While both sides have room, 64 bytes are stored
// per step and the output advances only over the literals among them.
AC_SSE2 AC_NOINLINE const uint8_t* CopyLiteralsSse2(const uint8_t* p, const uint8_t* end,
                                                    uint8_t marker, Sink& sink) {
  const __m128i vm = _mm_set1_epi8(static_cast<char>(marker));
  uint8_t*& out = sink.Next();
  while (end - p >= 64 && sink.Room() >= 64) {
    const __m128i a0 = LoadSse2(p), a1 = LoadSse2(p + 16), a2 = LoadSse2(p + 32);
    const __m128i a3 = LoadSse2(p + 48);
    StoreSse2(out, a0);
    StoreSse2(out + 16, a1);
    StoreSse2(out + 32, a2);
    StoreSse2(out + 48, a3);
    const __m128i any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(a0, vm), _mm_cmpeq_epi8(a1, vm)),
                                     _mm_or_si128(_mm_cmpeq_epi8(a2, vm), _mm_cmpeq_epi8(a3, vm)));
    if (_mm_movemask_epi8(any) != 0) break;
    p += 64;
    out += 64;
  }
  while (end - p >= 16 && sink.Room() >= 16) {
    const __m128i v = LoadSse2(p);
    StoreSse2(out, v);
    const uint32_t hits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vm)));
    if (hits != 0) {
      const uint32_t j = static_cast<uint32_t>(std::countr_zero(hits));
      out += j;
      return p + j;
    }
    p += 16;
    out += 16;
  }
  const void* hit = std::memchr(p, marker, static_cast<size_t>(end - p));
  const uint8_t* stop = hit ? static_cast<const uint8_t*>(hit) : end;
  if (!Copy<kSse2>(sink, p, static_cast<size_t>(stop - p))) return nullptr;
  return stop;
}

// CopyLiteralsSse2 with AVX2: 64 bytes per step while both sides have room, the marker's position
// taken straight from the compare masks; the rest as before.
AC_AVX2 const uint8_t* CopyLiteralsAvx2(const uint8_t* p, const uint8_t* end, uint8_t marker,
                                        Sink& sink) {
  const __m256i vm = _mm256_set1_epi8(static_cast<char>(marker));
  uint8_t* out = sink.Next();
  const uint8_t* const outEnd = out + sink.Room();
  while (end - p >= 64 && outEnd - out >= 64) {
    const __m256i a0 = LoadAvx2(p), a1 = LoadAvx2(p + 32);
    StoreAvx2(out, a0);
    StoreAvx2(out + 32, a1);
    const uint64_t hits =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a0, vm))) |
        uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a1, vm)))} << 32;
    if (hits != 0) {
      const uint32_t j = static_cast<uint32_t>(std::countr_zero(hits));
      sink.Next() = out + j;
      return p + j;
    }
    p += 64;
    out += 64;
  }
  sink.Next() = out;
  return CopyLiteralsSse2(p, end, marker, sink);
}

// CopyLiteralsSse2 a word at a time: each word is stored whole while both sides have room, and
// the first byte equal to the marker ends the stretch.
AC_NOINLINE const uint8_t* CopyLiteralsPlain(const uint8_t* p, const uint8_t* end, uint8_t marker,
                                             Sink& sink) {
  const Word vm = kOnes * marker;
  uint8_t*& out = sink.Next();
  while (static_cast<size_t>(end - p) >= sizeof(Word) && sink.Room() >= sizeof(Word)) {
    const Word v = LoadWord(p);
    StoreWord(out, v);
    const Word hits = ZeroBytes(v ^ vm);
    if (hits != 0) {
      const uint32_t j = FirstByte(hits);
      out += j;
      return p + j;
    }
    p += sizeof(Word);
    out += sizeof(Word);
  }
  const void* hit = std::memchr(p, marker, static_cast<size_t>(end - p));
  const uint8_t* stop = hit ? static_cast<const uint8_t*>(hit) : end;
  if (!Copy<kPlain>(sink, p, static_cast<size_t>(stop - p))) return nullptr;
  return stop;
}

template <SFPackPath P>
const uint8_t* CopyLiterals(const uint8_t* p, const uint8_t* end, uint8_t marker, Sink& sink) {
  if constexpr (P == kPlain)
    return CopyLiteralsPlain(p, end, marker, sink);
  else
    return UseAvx2<P>() ? CopyLiteralsAvx2(p, end, marker, sink)
                        : CopyLiteralsSse2(p, end, marker, sink);
}

template <SFPackPath P>
UnpackResult UnpackMarkerBlock(const uint8_t* block, uint32_t length, uint8_t marker, Sink& sink) {
  const uint8_t* p = block + 2;
  const uint8_t* const end = block + length;
  while (p != end) {
    p = CopyLiterals<P>(p, end, marker, sink);
    if (p == nullptr) return Finish(sink, false);
    if (p == end) break;
    if (end - p < 3) return Finish(sink, false);
    const uint8_t value = p[1];
    uint32_t count = 0;
    p = ReadCount(p + 2, end, count);
    if (p == nullptr || !Fill<P>(sink, value, size_t{count} + 1)) return Finish(sink, false);
  }
  return Finish(sink, true);
}

template <SFPackPath P>
UnpackResult UnpackTableBlock(const uint8_t* block, uint32_t length, uint32_t header, Sink& sink) {
  if (header > length || (length - header) % 2 != 0) return Finish(sink, false);
  const uint8_t* const bodyEnd = block + header;
  uint32_t pos = 2;
  for (uint32_t t = length; t > header;) {
    t -= 2;
    const uint32_t e = LoadLE16(block + t);
    // The run's value byte (e - 1) must lie at or behind the current position, its count inside
    // the body.
    if (e <= pos || e >= header) return Finish(sink, false);
    if (!CopyShort<P>(sink, block + pos, e - 1 - pos, block + length)) return Finish(sink, false);
    uint32_t count = 0;
    const uint8_t* next = ReadCount(block + e, bodyEnd, count);
    if (next == nullptr || !Fill<P>(sink, block[e - 1], size_t{count} + 1))
      return Finish(sink, false);
    pos = static_cast<uint32_t>(next - block);
  }
  return Finish(sink, Copy<P>(sink, block + pos, header - pos));
}

// Unpacks one block of at least 2 bytes.
template <SFPackPath P>
UnpackResult UnpackBlockOn(const uint8_t* block, uint8_t* dest, uint32_t length, size_t destSize) {
  Sink sink(dest, destSize);
  const uint32_t header = LoadLE16(block);
  if (header < kFirstTableHeader)
    return UnpackMarkerBlock<P>(block, length, static_cast<uint8_t>(header), sink);
  return UnpackTableBlock<P>(block, length, header, sink);
}

UnpackResult UnpackBlockPlain(const uint8_t* block, uint8_t* dest, uint32_t length,
                              size_t destSize) {
  return UnpackBlockOn<kPlain>(block, dest, length, destSize);
}

AC_SSE2 AC_FLATTEN UnpackResult UnpackBlockSse2(const uint8_t* block, uint8_t* dest,
                                                uint32_t length, size_t destSize) {
  return UnpackBlockOn<kSse2>(block, dest, length, destSize);
}

}  // namespace

SFPackPath SetSFPackHighestPath(SFPackPath highest) {
  pathInUse = std::min(highest, kProcessorPath);
  return pathInUse;
}

SFPackPath SFPackPathInUse() {
  return pathInUse;
}

uint32_t PackBlock(const uint8_t* source, uint8_t* dest, uint32_t length) {
  if (length == 0 || length > kPackBlockMax) return 0;
  return PackOneBlock(source, dest, length);
}

size_t PackedSizeBound(size_t length) {
  const size_t m = std::max<size_t>(length, 255);
  const size_t extra = 4 + 4 * (m / 65535 + 1);
  if (m > std::numeric_limits<size_t>::max() - extra) return std::numeric_limits<size_t>::max();
  return m + extra;
}

size_t PackedSizeMax(size_t length) {
  const size_t blocks = length / kPackBlockMax + (length % kPackBlockMax != 0);
  const size_t extra = 4 + 4 * blocks;
  if (length > std::numeric_limits<size_t>::max() - extra)
    return std::numeric_limits<size_t>::max();
  return length + extra;
}

size_t PackData(const uint8_t* source, uint8_t* dest, size_t length, size_t destSize) {
  if (destSize < 4 || length > std::numeric_limits<uint32_t>::max()) return 0;
  StoreLE32(dest, static_cast<uint32_t>(length));
  size_t pos = 4;
  for (size_t done = 0; done < length;) {
    const uint32_t k = static_cast<uint32_t>(std::min<size_t>(length - done, kPackBlockMax));
    const size_t room = destSize - pos;
    if (room < 2) return 0;
    uint32_t packed;
    if (room >= size_t{k} + 4)
      packed = PackOneBlock(source + done, dest + pos + 2, k);
    else if ((packed = PackBlockTight(source + done, dest + pos + 2, k, room - 2)) == 0)
      return 0;
    StoreLE16(dest + pos, packed);
    pos += 2 + size_t{packed};
    done += k;
  }
  return pos;
}

UnpackResult UnpackBlock(const uint8_t* block, uint8_t* dest, uint32_t length, size_t destSize) {
  if (length < 2) return UnpackResult{0, false};
  if (pathInUse == kPlain) return UnpackBlockPlain(block, dest, length, destSize);
  return UnpackBlockSse2(block, dest, length, destSize);
}

UnpackResult UnpackData(const uint8_t* blocks, uint8_t* dest, size_t length, size_t destSize) {
  UnpackResult total;
  size_t pos = 0;
  while (pos < length) {
    if (length - pos < 2) return UnpackResult{total.written, false};
    const uint32_t blockLength = LoadLE16(blocks + pos);
    pos += 2;
    if (blockLength > length - pos) return UnpackResult{total.written, false};
    const UnpackResult part =
        UnpackBlock(blocks + pos, dest + total.written, blockLength, destSize - total.written);
    total.written += part.written;
    if (!part.ok) return UnpackResult{total.written, false};
    pos += blockLength;
  }
  return total;
}

// A program of the tests with SSE2 code in two functions: SumBytes, named like none of the codec's
// SSE2 functions, and SpreadBytesSse2, named like them. The check of the shipped programs'
// instructions (check_sse.sh) must reject the first and accept the second.

#include <emmintrin.h>

#include <cstdint>

namespace {

// The sum of the 16 bytes at p.
[[gnu::target("sse2"), gnu::noinline]] int SumBytes(const uint8_t* p) {
  const __m128i sums =
      _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
  return _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
}

// The byte at p repeated 16 times into d.
[[gnu::target("sse2"), gnu::noinline]] void SpreadBytesSse2(uint8_t* d, const uint8_t* p) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_set1_epi8(static_cast<char>(*p)));
}

}  // namespace

int main(int argc, char**) {
  uint8_t bytes[16] = {static_cast<uint8_t>(argc)};
  SpreadBytesSse2(bytes, bytes);
  return SumBytes(bytes);
}

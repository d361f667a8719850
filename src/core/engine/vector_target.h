#ifndef TRULVEX_CORE_ENGINE_VECTOR_TARGET_H_
#define TRULVEX_CORE_ENGINE_VECTOR_TARGET_H_

// The instructions the vector paths of the engine are built for: AVX-512
// with VBMI and VBMI2. Only functions marked TRULVEX_AVX512 use them, and
// only after HasVectorCodeMapping() said this processor has them.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TRULVEX_VECTOR_MAPPING 1
#include <immintrin.h>

#define TRULVEX_AVX512 \
  __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt")))

namespace trulvex {

// A 256-byte table in four registers.
struct ByteTable {
  __m512i part[4];
};

TRULVEX_AVX512 inline ByteTable LoadByteTable(const unsigned char* table) {
  return {{_mm512_loadu_si512(table), _mm512_loadu_si512(table + 64),
           _mm512_loadu_si512(table + 128), _mm512_loadu_si512(table + 192)}};
}

// The table's byte for each of 64 characters: two halves of 128 looked up
// at once, picked by the characters' high bits.
TRULVEX_AVX512 inline __m512i LookUp(const ByteTable& table, __m512i chars) {
  const __m512i low =
      _mm512_permutex2var_epi8(table.part[0], chars, table.part[1]);
  const __m512i high =
      _mm512_permutex2var_epi8(table.part[2], chars, table.part[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(chars), low, high);
}

}  // namespace trulvex

#endif

#endif  // TRULVEX_CORE_ENGINE_VECTOR_TARGET_H_

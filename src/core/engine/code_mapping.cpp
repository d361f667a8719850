#include "core/engine/code_mapping.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "core/engine/char_map.h"
#include "core/engine/vector_target.h"

namespace trulvex {
namespace {

constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kLf = '\n';

// Every character as itself (`codes` false) or as its display code, with
// tab, CR and LF standing for the space they become when flattened.
constexpr std::array<std::uint8_t, 256> BuildFlatTable(bool codes) {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = codes ? kLcdCodes[c] : static_cast<std::uint8_t>(c);
  }
  table['\t'] = table['\r'] = table['\n'] = ' ';
  return table;
}
constinit const std::array<std::uint8_t, 256> kFlatChars =
    BuildFlatTable(false);
constinit const std::array<std::uint8_t, 256> kFlatCodes = BuildFlatTable(true);

constexpr bool Flattens(CharPass pass) { return pass != CharPass::kMap; }

// The table a pass looks characters up in.
constexpr const std::array<std::uint8_t, 256>& TableOf(CharPass pass) {
  return pass == CharPass::kFlatten ? kFlatChars
         : pass == CharPass::kMap   ? kLcdCodes
                                    : kFlatCodes;
}

// Line breaks are paired from left to right: a CR or LF right after the
// other one, which began a break, ends that break and writes nothing.
// `pending` is the break character that began the last break if it was the
// last character seen, otherwise 0; it carries across calls.
template <CharPass kPass>
std::size_t MapScalar(const std::uint8_t* in, std::size_t size,
                      std::uint8_t* out, std::uint8_t* pending) {
  constexpr bool kFlatten = Flattens(kPass);
  const std::uint8_t* const table = TableOf(kPass).data();
  std::size_t write = 0;
  std::uint8_t last = *pending;
  for (std::size_t read = 0; read < size; ++read) {
    const std::uint8_t c = in[read];
    if constexpr (kFlatten) {
      if (c == kCr || c == kLf) {
        const bool ends_break = last != 0 && last != c;
        last = ends_break ? 0 : c;
        if (!ends_break) out[write++] = ' ';
        continue;
      }
      last = 0;
    }
    const std::uint8_t code = table[c];
    out[write] = code;
    // Flattening alone keeps every character, NUL included.
    write += kPass == CharPass::kFlatten || code != 0;
  }
  *pending = last;
  return write;
}

#if TRULVEX_VECTOR_MAPPING

// 64 characters at a time: the 256-entry table is looked up as two halves
// of 128, and the characters that write nothing are squeezed out. Blocks in
// which breaks pair up in chains (empty lines) go through the scalar path.
template <CharPass kPass>
TRULVEX_AVX512 std::size_t MapVector(const std::uint8_t* in, std::size_t size,
                                     std::uint8_t* out,
                                     std::uint8_t* pending_break) {
  constexpr bool kFlatten = Flattens(kPass);
  const ByteTable table = LoadByteTable(TableOf(kPass).data());
  const __m512i cr = _mm512_set1_epi8(static_cast<char>(kCr));
  const __m512i lf = _mm512_set1_epi8(static_cast<char>(kLf));
  std::size_t write = 0;
  std::size_t read = 0;
  std::uint8_t pending = *pending_break;
  for (; read + 64 <= size; read += 64) {
    const __m512i chars = _mm512_loadu_si512(in + read);
    const __m512i codes = LookUp(table, chars);
    __mmask64 keep = kPass == CharPass::kFlatten
                         ? ~__mmask64{0}
                         : _mm512_test_epi8_mask(codes, codes);
    if constexpr (kFlatten) {
      const std::uint64_t crs = _mm512_cmpeq_epi8_mask(chars, cr);
      const std::uint64_t lfs = _mm512_cmpeq_epi8_mask(chars, lf);
      if ((crs | lfs | pending) != 0) {
        const std::uint64_t cr_before = (crs << 1) | (pending == kCr);
        const std::uint64_t lf_before = (lfs << 1) | (pending == kLf);
        const std::uint64_t ends = (lfs & cr_before) | (crs & lf_before);
        if ((ends & (ends << 1)) != 0) {
          write += MapScalar<kPass>(in + read, 64, out + write, &pending);
          continue;
        }
        keep &= ~ends;
        const std::uint64_t last = std::uint64_t{1} << 63;
        pending = (ends & last) != 0  ? 0
                  : (crs & last) != 0 ? kCr
                  : (lfs & last) != 0 ? kLf
                                      : 0;
      }
    }
    // The store may run past the kept bytes: mapping in place, they lie in
    // what was read already; otherwise `out` has room for them.
    _mm512_storeu_si512(out + write, _mm512_maskz_compress_epi8(keep, codes));
    write += static_cast<std::size_t>(_mm_popcnt_u64(keep));
  }
  write += MapScalar<kPass>(in + read, size - read, out + write, &pending);
  *pending_break = pending;
  return write;
}

bool CpuHasVectorMapping() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") &&
         __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi") &&
         __builtin_cpu_supports("avx512vbmi2");
}

#endif  // TRULVEX_VECTOR_MAPPING

template <CharPass kPass>
std::size_t Map(const std::uint8_t* in, std::size_t size, std::uint8_t* out,
                std::uint8_t* pending, bool allow_vector) {
#if TRULVEX_VECTOR_MAPPING
  if (allow_vector && HasVectorCodeMapping()) {
    return MapVector<kPass>(in, size, out, pending);
  }
#else
  (void)allow_vector;
#endif
  return MapScalar<kPass>(in, size, out, pending);
}

std::size_t Dispatch(CharPass pass, std::string_view in, char* out,
                     std::uint8_t* pending, bool allow_vector) {
  const auto* from = reinterpret_cast<const std::uint8_t*>(in.data());
  auto* to = reinterpret_cast<std::uint8_t*>(out);
  switch (pass) {
    case CharPass::kFlatten:
      return Map<CharPass::kFlatten>(from, in.size(), to, pending,
                                     allow_vector);
    case CharPass::kMap:
      return Map<CharPass::kMap>(from, in.size(), to, pending, allow_vector);
    case CharPass::kFlattenMap:
      return Map<CharPass::kFlattenMap>(from, in.size(), to, pending,
                                        allow_vector);
  }
  return 0;
}

std::string MapText(CharPass pass, std::string text, bool allow_vector) {
  std::uint8_t pending = 0;
  text.resize(Dispatch(pass, text, text.data(), &pending, allow_vector));
  return text;
}

}  // namespace

bool HasVectorCodeMapping() {
#if TRULVEX_VECTOR_MAPPING
  static const bool has = CpuHasVectorMapping();
  return has;
#else
  return false;
#endif
}

std::size_t RunCharPass(CharPass pass, std::string_view in, char* out,
                        std::uint8_t* pending) {
  return Dispatch(pass, in, out, pending, true);
}

bool HasDisplayable(std::string_view text, bool flatten) {
  const auto& table = flatten ? kFlatCodes : kLcdCodes;
  for (const char c : text) {
    if (table[static_cast<std::uint8_t>(c)] != 0) return true;
  }
  return false;
}

std::string MapToLcdCodes(std::string text) {
  return MapText(CharPass::kMap, std::move(text), true);
}
std::string FlattenToLcdCodes(std::string text) {
  return MapText(CharPass::kFlattenMap, std::move(text), true);
}
std::string MapToLcdCodesScalar(std::string text) {
  return MapText(CharPass::kMap, std::move(text), false);
}
std::string FlattenToLcdCodesScalar(std::string text) {
  return MapText(CharPass::kFlattenMap, std::move(text), false);
}
std::string FlattenTextScalar(std::string text) {
  return MapText(CharPass::kFlatten, std::move(text), false);
}

}  // namespace trulvex

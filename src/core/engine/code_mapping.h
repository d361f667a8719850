#ifndef TRULVEX_CORE_ENGINE_CODE_MAPPING_H_
#define TRULVEX_CORE_ENGINE_CODE_MAPPING_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trulvex {

// The passes over the characters of a text, run 64 characters at a time
// with AVX-512 VBMI2 where the processor has it.
enum class CharPass {
  kFlatten,     // tabs and line breaks become spaces (FlattenText)
  kMap,         // display codes, undisplayable characters left out
  kFlattenMap,  // both in one pass
};

// Runs `pass` over a text that arrives in pieces, writing to `out`: `in`
// itself, or a buffer of at least PassRoom(in.size()) bytes. `pending`
// (0 at the start) carries a line break that may pair with the next
// piece's first character. Returns how many characters it wrote.
std::size_t RunCharPass(CharPass pass, std::string_view in, char* out,
                        std::uint8_t* pending);
constexpr std::size_t PassRoom(std::size_t size) { return size + 64; }

// The display codes of a prepared text, undisplayable characters left out;
// reuses the text's memory.
std::string MapToLcdCodes(std::string text);

// The same as MapToLcdCodes of FlattenText, in one pass.
std::string FlattenToLcdCodes(std::string text);

// The portable forms, which the vector forms must match.
std::string MapToLcdCodesScalar(std::string text);
std::string FlattenToLcdCodesScalar(std::string text);
std::string FlattenTextScalar(std::string text);

// True when this processor runs the vector forms.
bool HasVectorCodeMapping();

// True when the text gives at least one display code (flattened first when
// `flatten` is set, so that blanks and line breaks count as spaces).
bool HasDisplayable(std::string_view text, bool flatten);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_CODE_MAPPING_H_

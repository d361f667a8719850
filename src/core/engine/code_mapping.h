#ifndef TRULVEX_CORE_ENGINE_CODE_MAPPING_H_
#define TRULVEX_CORE_ENGINE_CODE_MAPPING_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trulvex {

// The display codes of a prepared text, undisplayable characters left out;
// reuses the text's memory.
std::string MapToLcdCodes(std::string text);

// The same as MapToLcdCodes of FlattenText, in one pass.
std::string FlattenToLcdCodes(std::string text);

// The portable forms of the two, which the vector forms must match.
std::string MapToLcdCodesScalar(std::string text);
std::string FlattenToLcdCodesScalar(std::string text);

// True when this processor runs the vector forms.
bool HasVectorCodeMapping();

// Maps a text that arrives in pieces, flattening it first when asked; a line
// break split between two pieces still counts once.
class LcdCodeStream {
 public:
  explicit LcdCodeStream(bool flatten) : flatten_(flatten) {}

  // Room `out` needs for a piece of `size` characters.
  static constexpr std::size_t Room(std::size_t size) { return size + 64; }
  // Writes the codes of `piece` to `out`; returns how many.
  std::size_t Map(std::string_view piece, char* out);

 private:
  bool flatten_;
  std::uint8_t pending_ = 0;
};

// True when the text gives at least one display code (flattened first when
// `flatten` is set, so that blanks and line breaks count as spaces).
bool HasDisplayable(std::string_view text, bool flatten);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_CODE_MAPPING_H_

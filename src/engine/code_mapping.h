#ifndef TRULVEX_ENGINE_CODE_MAPPING_H_
#define TRULVEX_ENGINE_CODE_MAPPING_H_

#include <string>

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

}  // namespace trulvex

#endif  // TRULVEX_ENGINE_CODE_MAPPING_H_

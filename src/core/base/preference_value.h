#ifndef TRULVEX_CORE_BASE_PREFERENCE_VALUE_H_
#define TRULVEX_CORE_BASE_PREFERENCE_VALUE_H_

#include <cstdint>
#include <string_view>

namespace trulvex {

// How a preference file value is read as a number: leading spaces and tabs
// skipped, an optional sign, then the decimal digits up to the first
// non-digit. A value without digits gives 0; out-of-range values saturate.
std::int32_t ParsePreferenceInteger(std::string_view value);

// A value with its leading and trailing spaces and tabs removed.
std::string_view TrimBlanks(std::string_view value);

// Group names and keys match ignoring the case of ASCII letters only:
// Cyrillic letters of different case are different names.
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_PREFERENCE_VALUE_H_

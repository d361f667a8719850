#ifndef TRULVEX_CORE_ENGINE_DISPLAY_ART_H_
#define TRULVEX_CORE_ENGINE_DISPLAY_ART_H_

#include <string>

#include "core/engine/display_page.h"

namespace trulvex {

// A page as text: every display row as eight lines of dots ('#' lit, '.'
// dark), one blank column between characters, one blank line between
// display rows. Every line ends with LF.
std::string DisplayPageArt(const DisplayPage& page);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_DISPLAY_ART_H_

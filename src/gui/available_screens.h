#ifndef TRULVEX_GUI_AVAILABLE_SCREENS_H_
#define TRULVEX_GUI_AVAILABLE_SCREENS_H_

#include <vector>

#include "core/shell/settings.h"

namespace trulvex {

// The available areas of the screens, the primary one first.
std::vector<ScreenRect> AvailableScreens();

}  // namespace trulvex

#endif  // TRULVEX_GUI_AVAILABLE_SCREENS_H_

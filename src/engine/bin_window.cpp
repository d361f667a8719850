#include "engine/bin_window.h"

#include "app/main_window.h"

namespace trulvex {

void OpenBinWindow(MainWindow* window) { (void)window; }

}  // namespace trulvex

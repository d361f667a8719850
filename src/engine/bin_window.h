#ifndef TRULVEX_ENGINE_BIN_WINDOW_H_
#define TRULVEX_ENGINE_BIN_WINDOW_H_

namespace trulvex {

class MainWindow;

// Opens the non-modal BIN conversion window, or brings back the one that
// is open (restoring it when minimized).
void OpenBinWindow(MainWindow* window);

}  // namespace trulvex

#endif  // TRULVEX_ENGINE_BIN_WINDOW_H_

#include "profiles/profile_manager_window.h"

#include "app/main_window.h"

namespace trulvex {

void OpenProfileManager(MainWindow* window) { (void)window; }

}  // namespace trulvex

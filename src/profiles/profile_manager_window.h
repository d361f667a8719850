#ifndef TRULVEX_PROFILES_PROFILE_MANAGER_WINDOW_H_
#define TRULVEX_PROFILES_PROFILE_MANAGER_WINDOW_H_

namespace trulvex {

class MainWindow;

// Opens the modal profile manager over the main window and, when it
// closes, refills the profile selector and reloads the working record.
void OpenProfileManager(MainWindow* window);

}  // namespace trulvex

#endif  // TRULVEX_PROFILES_PROFILE_MANAGER_WINDOW_H_

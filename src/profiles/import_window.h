#ifndef TRULVEX_PROFILES_IMPORT_WINDOW_H_
#define TRULVEX_PROFILES_IMPORT_WINDOW_H_

#include <string>
#include <vector>

class QWidget;

namespace trulvex {

class MainWindow;

// Import from a .prof file the user chooses, through the import window
// over `manager`. `existing` are the names the database holds. True when
// profiles were written into the database.
bool RunImport(QWidget* manager, MainWindow* window,
               const std::vector<std::string>& existing);

// Export of the named profiles (code page 1251) to a .prof file the user
// chooses.
void RunExport(QWidget* manager, MainWindow* window,
               const std::vector<std::string>& names);

}  // namespace trulvex

#endif  // TRULVEX_PROFILES_IMPORT_WINDOW_H_

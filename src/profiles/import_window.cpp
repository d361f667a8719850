#include "profiles/import_window.h"

#include "app/main_window.h"

namespace trulvex {

bool RunImport(QWidget*, MainWindow*, const std::vector<std::string>&) {
  return false;
}

void RunExport(QWidget*, MainWindow*, const std::vector<std::string>&) {}

}  // namespace trulvex

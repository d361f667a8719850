#ifndef TRULVEX_GUI_MEMORY_GUARD_H_
#define TRULVEX_GUI_MEMORY_GUARD_H_

#include <new>

#include "core/shell/text_document.h"
#include "gui/user_dialogs.h"

class QWidget;

namespace trulvex {

// Runs a command of a window; memory running out ends that command with a
// message over `parent`, never the program, and the user's text stays.
// Caught here, in the program's own frame, the failure unwinds through
// none of Qt's.
template <class Command>
void RunGuarded(UserDialogs* dialogs, QWidget* parent, Command&& command) {
  try {
    command();
  } catch (const std::bad_alloc&) {
    dialogs->Show(parent, OutOfMemoryMessage());
  }
}

}  // namespace trulvex

#endif  // TRULVEX_GUI_MEMORY_GUARD_H_

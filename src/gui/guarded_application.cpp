#include "gui/guarded_application.h"

#include "gui/memory_guard.h"

namespace trulvex {

GuardedApplication::GuardedApplication(int& argc, char** argv,
                                       UserDialogs* dialogs)
    : QApplication(argc, argv), dialogs_(dialogs) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunGuarded(dialogs_, QApplication::activeWindow(),
             [&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace trulvex

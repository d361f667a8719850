#include "gui/guarded_application.h"

#include <cstdio>
#include <new>

#include "core/shell/text_document.h"
#include "gui/user_dialogs.h"

namespace trulvex {

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    if (reporting_) return false;
    reporting_ = true;
    const UserMessage message = OutOfMemoryMessage();
    if (dialogs_ != nullptr) {
      dialogs_->Show(QApplication::activeWindow(), message);
    } else {
      std::fprintf(stderr, "trulvex: %s\n", message.text.c_str());
    }
    reporting_ = false;
    return false;
  }
}

}  // namespace trulvex

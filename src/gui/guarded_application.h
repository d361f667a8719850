#ifndef TRULVEX_GUI_GUARDED_APPLICATION_H_
#define TRULVEX_GUI_GUARDED_APPLICATION_H_

#include <QApplication>

namespace trulvex {

class UserDialogs;

// The program's application object, the last line of defence: memory
// running out in an event handler that did not catch it itself (the
// windows' commands do, through RunGuarded) ends that handler with a
// message instead of ending the program, so that the user's text is still
// there to be saved. What Qt's own frames between here and the handler
// held may be lost on the way; that costs bytes, the text is kept.
class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv, UserDialogs* dialogs);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  UserDialogs* dialogs_;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_GUARDED_APPLICATION_H_

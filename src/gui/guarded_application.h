#ifndef TRULVEX_GUI_GUARDED_APPLICATION_H_
#define TRULVEX_GUI_GUARDED_APPLICATION_H_

#include <QApplication>

namespace trulvex {

class UserDialogs;

// The program's application object. Memory running out in any event
// handler (a dropped file, a button of any window, a timer) ends that
// handler with a message instead of ending the program, so that the
// user's text is still there to be saved.
class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv);

  // Where the message is shown; until this is set, on standard error.
  void set_dialogs(UserDialogs* dialogs) { dialogs_ = dialogs; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  UserDialogs* dialogs_ = nullptr;
  bool reporting_ = false;  // a failure while the message is up is not told
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_GUARDED_APPLICATION_H_

#ifndef TRULVEX_GUI_PROGRESS_WINDOW_H_
#define TRULVEX_GUI_PROGRESS_WINDOW_H_

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>

#include "core/engine/conversion_run.h"

class QProgressBar;
class QPushButton;

namespace trulvex {

class UserDialogs;

// The small window of a long conversion: a progress bar and the "Отмена"
// button. The run drives it as its observer and, at its stop checks, lets
// it take the pending events, so that the window stays alive on the
// interface thread without costing the run noticeably.
class ProgressWindow : public QWidget, public ConversionObserver {
  Q_OBJECT

 public:
  // A tool window over `owner`, centred on it. It stays enabled while the
  // caller disables the owner; the stop question goes through `dialogs`.
  ProgressWindow(QWidget* owner, UserDialogs* dialogs);

  QProgressBar* bar() const { return bar_; }
  QPushButton* cancel_button() const { return cancel_; }

  void Started(std::uint64_t maximum) override;
  void Progressed(std::uint64_t value) override;
  bool StopRequested() override;

  // Takes the pending events when it is time: for work between the run's
  // stop checks, such as putting the table into the editor. A click on
  // "Отмена" is answered at the next stop check.
  void KeepResponsive();

 protected:
  // The window has no close box; a close from the keyboard or the window
  // manager counts as "Отмена".
  void closeEvent(QCloseEvent* event) override;

 private:
  void TakeEvents();
  bool ConfirmStop();

  UserDialogs* dialogs_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  QElapsedTimer clock_;
  std::uint64_t maximum_ = 10;
  std::uint64_t value_ = 0;
  unsigned checks_since_clock_ = 0;
  bool cancel_clicked_ = false;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_PROGRESS_WINDOW_H_

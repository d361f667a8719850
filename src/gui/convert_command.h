#ifndef TRULVEX_GUI_CONVERT_COMMAND_H_
#define TRULVEX_GUI_CONVERT_COMMAND_H_

#include <cstddef>
#include <memory>

#include "core/engine/conversion_run.h"

namespace trulvex {

class Editor;
class MainWindow;
class ProgressWindow;

// The Convert command: the selected profile turns the source editor's text
// into a source table in the result editor. A long text is converted under
// the progress window, which can stop it at any moment it shows: the table
// goes into the editor piece by piece as the run makes it.
class ConvertCommand {
 public:
  explicit ConvertCommand(MainWindow* window);
  ~ConvertCommand();

  void Run();

  // A run under the progress window takes events; meanwhile the main window
  // must not start anything else.
  bool running() const { return progress_ != nullptr; }
  // Open only while such a run lasts.
  ProgressWindow* progress_window() const { return progress_.get(); }

  // Texts of more characters than this get the progress window.
  void set_progress_threshold(std::size_t characters) {
    progress_threshold_ = characters;
  }
  void set_limits(const RunLimits& limits) { limits_ = limits; }

 private:
  void OpenProgressWindow();
  void CloseProgressWindow();

  MainWindow* window_;
  std::size_t progress_threshold_ = 100;
  RunLimits limits_;
  std::unique_ptr<ProgressWindow> progress_;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_CONVERT_COMMAND_H_

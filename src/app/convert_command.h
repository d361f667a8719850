#ifndef TRULVEX_APP_CONVERT_COMMAND_H_
#define TRULVEX_APP_CONVERT_COMMAND_H_

namespace trulvex {

class MainWindow;

// The Convert command: the selected profile turns the source editor's text
// into a source table in the result editor.
class ConvertCommand {
 public:
  explicit ConvertCommand(MainWindow* window) : window_(window) {}

  void Run();

 private:
  MainWindow* window_;
};

}  // namespace trulvex

#endif  // TRULVEX_APP_CONVERT_COMMAND_H_

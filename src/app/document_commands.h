#ifndef TRULVEX_APP_DOCUMENT_COMMANDS_H_
#define TRULVEX_APP_DOCUMENT_COMMANDS_H_

#include <QString>

namespace trulvex {

class Editor;
class MainWindow;

// New, Open, Save, Save As and saving either editor's text to a file.
class DocumentCommands {
 public:
  explicit DocumentCommands(MainWindow* window) : window_(window) {}

  void New();
  void Open();
  // False when the text was not saved (dialog cancelled or write failed).
  bool Save();
  bool SaveAs();
  // Saves an editor's text to a file the user chooses; the document's own
  // path stays as it is.
  void SaveEditorText(Editor* editor);
  // Opens a file into the source editor and makes it the document.
  bool OpenFile(const QString& path);
  // Opens recent entry n (1 to 10) after the save question.
  void OpenRecent(int n);

 private:
  MainWindow* window_;
};

}  // namespace trulvex

#endif  // TRULVEX_APP_DOCUMENT_COMMANDS_H_

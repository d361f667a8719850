#ifndef TRULVEX_GUI_DOCUMENT_COMMANDS_H_
#define TRULVEX_GUI_DOCUMENT_COMMANDS_H_

#include <QString>

#include "core/base/cp1251.h"

namespace trulvex {

class Editor;
class MainWindow;

// New, Open, Save, Save As and saving either editor's text to a file.
class DocumentCommands {
 public:
  static inline const QString kOpenTitle = QStringLiteral("Открываем файл");
  static inline const QString kSaveTitle = QStringLiteral("Сохраняем файл");
  static inline const QString kFilter =
      QStringLiteral("Текстовые файлы (txt) (*.txt);;Всё (*)");

  explicit DocumentCommands(MainWindow* window) : window_(window) {}

  void New();
  void Open();
  // False when the text was not saved (dialog cancelled, the user declined
  // or the write failed).
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
  // The save dialog with the extension rule; empty when cancelled.
  QString AskSaveName() const;
  QString StartFolder() const;
  // Writes the editor's text in the given encoding, asking first when
  // code page 1251 cannot hold all of it.
  bool WriteEditor(Editor* editor, const QString& path, TextEncoding encoding,
                   bool bom);

  MainWindow* window_;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_DOCUMENT_COMMANDS_H_

#ifndef TRULVEX_GUI_DOCUMENT_COMMANDS_H_
#define TRULVEX_GUI_DOCUMENT_COMMANDS_H_

#include <QString>
#include <filesystem>

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
  // The save dialog's filters also choose the encoding: the first two
  // write code page 1251, the last two UTF-8.
  static inline const QString kUtf8TextFilter =
      QStringLiteral("Текстовые файлы в UTF-8 (*.txt)");
  static inline const QString kUtf8AllFilter =
      QStringLiteral("Всё в UTF-8 (*)");
  static inline const QString kSaveFilter =
      kFilter + QStringLiteral(";;") + kUtf8TextFilter + QStringLiteral(";;") +
      kUtf8AllFilter;

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
  bool OpenFile(const std::filesystem::path& path);
  // Opens recent entry n (1 to 10) after the save question.
  void OpenRecent(int n);

 private:
  // How a text goes into its file.
  struct Format {
    TextEncoding encoding;
    bool bom;
  };

  // The save dialog with the extension rule, offering `format` first; empty
  // when cancelled, else `format` holds the encoding chosen.
  std::filesystem::path AskSaveName(Format* format) const;
  QString StartFolder() const;
  // Writes the editor's text in `format`. When code page 1251 cannot hold
  // all of it the user may save it as UTF-8 instead (`format` says so
  // afterwards) or with "?", which the editor then shows too.
  bool WriteEditor(Editor* editor, const std::filesystem::path& path,
                   Format* format);
  Format DocumentFormat() const;

  MainWindow* window_;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_DOCUMENT_COMMANDS_H_

#ifndef TRULVEX_GUI_EDITOR_H_
#define TRULVEX_GUI_EDITOR_H_

#include <Qsci/qsciscintillabase.h>

#include <QString>
#include <string>

namespace trulvex {

// One of the main window's two editors. Both hold UTF-8 text; the program
// converts at its edges. The window's shortcuts never reach them.
class Editor : public QsciScintillaBase {
  Q_OBJECT

 public:
  enum class Role { kSource, kResult };

  Editor(Role role, QWidget* parent);

  Role role() const { return role_; }
  // The result editor colours the digits of trailing comments that start
  // with this marker (code page 1251).
  void SetCommentMarker(std::string marker);

  QString Text() const;
  void SetText(const QString& text);
  // The text as the editor holds it: UTF-8 bytes.
  std::string Utf8Text() const;
  void SetUtf8Text(const std::string& utf8);

  bool IsModified() const;
  void SetSavePoint();
  void EmptyUndoBuffer();
  bool CanUndo() const;
  bool CanRedo() const;
  void Undo();
  void Redo();
  void Cut();
  void Copy();
  void Paste();
  void SelectAll();
  void ClearAll();

 Q_SIGNALS:
  // A right click: the window shows its own editor menu there.
  void menuRequested(const QPoint& global_position);
  void modifiedChanged(bool modified);
  void stateChanged();
  // Text went in or out, by typing or by a command: what Undo and Redo can
  // do has changed before the editor next repaints.
  void textChanged();

 protected:
  bool event(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void SetUp();
  void Colour(int end_position);

  Role role_;
  std::string comment_marker_;
};

// True for the key combinations that belong to the main window.
bool IsWindowShortcut(int key, Qt::KeyboardModifiers modifiers);

}  // namespace trulvex

#endif  // TRULVEX_GUI_EDITOR_H_

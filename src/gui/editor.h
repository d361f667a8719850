#ifndef TRULVEX_GUI_EDITOR_H_
#define TRULVEX_GUI_EDITOR_H_

#include <Qsci/qsciscintillabase.h>

#include <QList>
#include <QString>
#include <QUrl>
#include <string>
#include <vector>

#include "core/shell/text_document.h"

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

  // The line end that Enter, pasted and dropped text take.
  void SetLineEnd(LineEnd line_end);
  LineEnd line_end() const;

  // Shows what a file written in code page 1251 holds: each span of the
  // text becomes "?", in one step that Undo takes back.
  void ReplaceWithQuestionMarks(const std::vector<TextSpan>& spans);

  // The line-number margin shows every digit of the last line's number.
  // The editor keeps it so itself, except while insert notices are off.
  void FitLineNumberMargin();

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
  // Files dropped on the editor; the main window decides what opens.
  void filesDropped(const QList<QUrl>& urls);

 protected:
  bool event(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void SetUp();
  void Colour(int end_position);
  // Typing joins one undo step per word: a word typed after a blank or a
  // sign starts a new step.
  void StartUndoStepBeforeWord(const QString& typed);

  Role role_;
  std::string comment_marker_;
  int margin_digits_ = 0;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_EDITOR_H_

#include "app/document_commands.h"

#include <QFile>

#include "app/editor.h"
#include "app/main_window.h"
#include "app/qt_text.h"

namespace trulvex {

void DocumentCommands::New() {
  if (!window_->ConfirmDiscard()) return;
  Editor* editor = window_->source_editor();
  editor->ClearAll();
  editor->SetSavePoint();
  editor->EmptyUndoBuffer();
  window_->SetDocument(QString(), TextEncoding::kCp1251, false);
  window_->ShowStatusPath(QString());
}

void DocumentCommands::Open() {}

bool DocumentCommands::Save() { return false; }

bool DocumentCommands::SaveAs() { return false; }

void DocumentCommands::SaveEditorText(Editor*) {}

bool DocumentCommands::OpenFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  Editor* editor = window_->source_editor();
  editor->SetText(FromCp1251(std::string_view(bytes.constData(),
                                              static_cast<std::size_t>(
                                                  bytes.size()))));
  editor->SetSavePoint();
  editor->EmptyUndoBuffer();
  window_->SetDocument(path, TextEncoding::kCp1251, false);
  window_->RecordRecentFile(path);
  window_->ShowStatusPath(path);
  return true;
}

void DocumentCommands::OpenRecent(int) {}

}  // namespace trulvex

#include "gui/document_commands.h"

#include <QFileInfo>
#include <filesystem>
#include <string>

#include "core/shell/text_document.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace trulvex {
namespace {

std::filesystem::path FilePath(const QString& path) {
  return std::filesystem::path(path.toStdU16String());
}

}  // namespace

void DocumentCommands::New() {
  if (!window_->ConfirmDiscard()) return;
  Editor* editor = window_->source_editor();
  editor->ClearAll();
  editor->SetSavePoint();
  editor->EmptyUndoBuffer();
  editor->SetLineEnd(LineEnd::kCrLf);
  window_->SetDocument(QString(), TextEncoding::kCp1251, false);
  window_->ShowStatusPath(QString());
}

void DocumentCommands::Open() {
  if (!window_->ConfirmDiscard()) return;
  const QString path = window_->dialogs()->OpenFileName(window_, kOpenTitle,
                                                        StartFolder(), kFilter);
  if (!path.isEmpty()) OpenFile(path);
}

DocumentCommands::Format DocumentCommands::DocumentFormat() const {
  return {window_->document_encoding(), window_->document_bom()};
}

bool DocumentCommands::Save() {
  const QString path = window_->document_path();
  if (path.isEmpty()) return SaveAs();
  Format format = DocumentFormat();
  if (!WriteEditor(window_->source_editor(), path, &format)) return false;
  window_->SetDocument(path, format.encoding, format.bom);
  return true;
}

bool DocumentCommands::SaveAs() {
  Format format = DocumentFormat();
  const QString path = AskSaveName(&format);
  if (path.isEmpty()) return false;
  if (!WriteEditor(window_->source_editor(), path, &format)) return false;
  window_->SetDocument(path, format.encoding, format.bom);
  return true;
}

void DocumentCommands::SaveEditorText(Editor* editor) {
  // The result table holds only code page 1251 characters; it follows the
  // source document so that a UTF-8 project gets UTF-8 files.
  Format format = DocumentFormat();
  const QString path = AskSaveName(&format);
  if (path.isEmpty()) return;
  WriteEditor(editor, path, &format);
}

bool DocumentCommands::OpenFile(const QString& given_path) {
  // A relative command-line path would name another file in the next run.
  const QString path = QFileInfo(given_path).absoluteFilePath();
  std::string bytes;
  if (!ReadTextFile(FilePath(path), &bytes)) {
    window_->dialogs()->Show(window_, OpenFailedMessage(ToUtf8(path)));
    return false;
  }
  DecodedDocument document = DecodeDocument(bytes);
  Editor* editor = window_->source_editor();
  editor->SetUtf8Text(document.utf8);
  editor->SetSavePoint();
  editor->EmptyUndoBuffer();
  editor->SetLineEnd(document.line_end);
  window_->SetDocument(path, document.encoding, document.bom);
  window_->RecordRecentFile(path);
  window_->ShowStatusPath(path);
  return true;
}

void DocumentCommands::OpenRecent(int n) {
  const QString path = FromUtf8(window_->recent_files().Entry(n));
  if (path.isEmpty() || !window_->ConfirmDiscard()) return;
  OpenFile(path);
}

QString DocumentCommands::AskSaveName(Format* format) const {
  const bool utf8 = format->encoding == TextEncoding::kUtf8;
  QString filter =
      utf8 ? kUtf8TextFilter : kFilter.section(QStringLiteral(";;"), 0, 0);
  const QString name = window_->dialogs()->SaveFileName(
      window_, kSaveTitle, StartFolder(), kSaveFilter, &filter);
  if (name.isEmpty()) return {};
  const bool utf8_chosen =
      filter == kUtf8TextFilter || filter == kUtf8AllFilter;
  if (utf8_chosen != utf8) {
    *format = {utf8_chosen ? TextEncoding::kUtf8 : TextEncoding::kCp1251,
               false};
  }
  return QFileInfo(FromUtf8(WithDefaultExtension(ToUtf8(name))))
      .absoluteFilePath();
}

QString DocumentCommands::StartFolder() const {
  return FromUtf8(StartingFolder(window_->recent_files().Entry(1)));
}

bool DocumentCommands::WriteEditor(Editor* editor, const QString& path,
                                   Format* format) {
  using Button = UserDialogs::Button;
  const std::string text = editor->Utf8Text();
  EncodedDocument encoded = EncodeDocument(text, format->encoding, format->bom);
  if (!encoded.unmappable.empty()) {
    switch (window_->dialogs()->Ask(
        window_, UnmappableSaveQuestion(ToUtf8(MainWindow::kTitle)),
        {Button::kUtf8, Button::kQuestionMarks, Button::kCancel},
        Button::kUtf8)) {
      case Button::kUtf8:
        *format = {TextEncoding::kUtf8, false};
        encoded = EncodeDocument(text, format->encoding, format->bom);
        break;
      case Button::kQuestionMarks:
        break;
      default:
        return false;
    }
  }
  if (!WriteTextFile(FilePath(path), encoded.bytes)) {
    window_->dialogs()->Show(window_, SaveFailedMessage(ToUtf8(path)));
    return false;
  }
  // The editor shows what the file holds, and counts as saved.
  editor->ReplaceWithQuestionMarks(encoded.unmappable);
  editor->SetSavePoint();
  window_->ShowStatusPath(path);
  window_->RecordRecentFile(path);
  return true;
}

}  // namespace trulvex

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
  window_->SetDocument(QString(), TextEncoding::kCp1251, false);
  window_->ShowStatusPath(QString());
}

void DocumentCommands::Open() {
  if (!window_->ConfirmDiscard()) return;
  const QString path = window_->dialogs()->OpenFileName(window_, kOpenTitle,
                                                        StartFolder(), kFilter);
  if (!path.isEmpty()) OpenFile(path);
}

bool DocumentCommands::Save() {
  if (window_->document_path().isEmpty()) return SaveAs();
  return WriteEditor(window_->source_editor(), window_->document_path(),
                     window_->document_encoding(), window_->document_bom());
}

bool DocumentCommands::SaveAs() {
  const QString path = AskSaveName();
  if (path.isEmpty()) return false;
  const TextEncoding encoding = window_->document_encoding();
  const bool bom = window_->document_bom();
  if (!WriteEditor(window_->source_editor(), path, encoding, bom)) {
    return false;
  }
  window_->SetDocument(path, encoding, bom);
  return true;
}

void DocumentCommands::SaveEditorText(Editor* editor) {
  const QString path = AskSaveName();
  if (path.isEmpty()) return;
  // The result table holds only code page 1251 characters; it follows the
  // source document so that a UTF-8 project gets UTF-8 files.
  WriteEditor(editor, path, window_->document_encoding(),
              window_->document_bom());
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
  window_->SetDocument(path, document.encoding, document.bom);
  window_->RecordRecentFile(path);
  window_->ShowStatusPath(path);
  return true;
}

void DocumentCommands::OpenRecent(int n) {
  const QString path = FromUtf8(window_->settings().recent_files.Entry(n));
  if (path.isEmpty() || !window_->ConfirmDiscard()) return;
  OpenFile(path);
}

QString DocumentCommands::AskSaveName() const {
  const QString name = window_->dialogs()->SaveFileName(window_, kSaveTitle,
                                                        StartFolder(), kFilter);
  if (name.isEmpty()) return {};
  return QFileInfo(FromUtf8(WithDefaultExtension(ToUtf8(name))))
      .absoluteFilePath();
}

QString DocumentCommands::StartFolder() const {
  return FromUtf8(StartingFolder(window_->settings().recent_files.Entry(1)));
}

bool DocumentCommands::WriteEditor(Editor* editor, const QString& path,
                                   TextEncoding encoding, bool bom) {
  const EncodedDocument encoded =
      EncodeDocument(editor->Utf8Text(), encoding, bom);
  if (encoded.unmappable > 0 &&
      window_->dialogs()->Ask(
          window_, UnmappableSaveQuestion(ToUtf8(MainWindow::kTitle)),
          {UserDialogs::Button::kYes, UserDialogs::Button::kNo},
          UserDialogs::Button::kNo) != UserDialogs::Button::kYes) {
    return false;
  }
  if (!WriteTextFile(FilePath(path), encoded.bytes)) {
    window_->dialogs()->Show(window_, SaveFailedMessage(ToUtf8(path)));
    return false;
  }
  editor->SetSavePoint();
  window_->ShowStatusPath(path);
  window_->RecordRecentFile(path);
  return true;
}

}  // namespace trulvex

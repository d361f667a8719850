#include "gui/document_commands.h"

#include <QFile>
#include <filesystem>
#include <string>

#include "core/base/path_bytes.h"
#include "core/shell/text_document.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;

// A relative path (from the command line) would name another file in the
// next run.
fs::path Absolute(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return error ? path : absolute.lexically_normal();
}

}  // namespace

void DocumentCommands::New() {
  if (!window_->ConfirmDiscard()) return;
  Editor* editor = window_->source_editor();
  editor->ClearAll();
  editor->SetSavePoint();
  editor->EmptyUndoBuffer();
  editor->SetLineEnd(LineEnd::kCrLf);
  window_->SetDocument({}, TextEncoding::kCp1251, false);
  window_->ShowStatusPath({});
}

void DocumentCommands::Open() {
  if (!window_->ConfirmDiscard()) return;
  const QString path = window_->dialogs()->OpenFileName(window_, kOpenTitle,
                                                        StartFolder(), kFilter);
  if (!path.isEmpty()) OpenFile(ToFilePath(path));
}

DocumentCommands::Format DocumentCommands::DocumentFormat() const {
  return {window_->document_encoding(), window_->document_bom()};
}

bool DocumentCommands::Save() {
  const fs::path path = window_->document_path();
  if (path.empty()) return SaveAs();
  Format format = DocumentFormat();
  if (!WriteEditor(window_->source_editor(), path, &format)) return false;
  window_->SetDocument(path, format.encoding, format.bom);
  return true;
}

bool DocumentCommands::SaveAs() {
  Format format = DocumentFormat();
  const fs::path path = AskSaveName(&format);
  if (path.empty()) return false;
  if (!WriteEditor(window_->source_editor(), path, &format)) return false;
  window_->SetDocument(path, format.encoding, format.bom);
  return true;
}

void DocumentCommands::SaveEditorText(Editor* editor) {
  // The result table holds only code page 1251 characters; it follows the
  // source document so that a UTF-8 project gets UTF-8 files.
  Format format = DocumentFormat();
  const fs::path path = AskSaveName(&format);
  if (path.empty()) return;
  WriteEditor(editor, path, &format);
}

bool DocumentCommands::OpenFile(const fs::path& given_path) {
  const fs::path path = Absolute(given_path);
  std::string bytes;
  std::error_code error;
  if (!ReadTextFile(path, &bytes, &error)) {
    window_->dialogs()->Show(window_, OpenFailedMessage(Utf8Path(path), error));
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
  const std::string& path = window_->recent_files().Entry(n);
  if (path.empty() || !window_->ConfirmDiscard()) return;
  OpenFile(PathFromBytes(path));
}

fs::path DocumentCommands::AskSaveName(Format* format) const {
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
  return Absolute(
      PathFromBytes(WithDefaultExtension(PathBytes(ToFilePath(name)))));
}

QString DocumentCommands::StartFolder() const {
  return DisplayedPath(
      PathFromBytes(StartingFolder(window_->recent_files().Entry(1))));
}

bool DocumentCommands::WriteEditor(Editor* editor, const fs::path& path,
                                   Format* format) {
  using Button = UserDialogs::Button;
  const std::string text = editor->Utf8Text();
  EncodedDocument encoded = EncodeDocument(text, format->encoding, format->bom);
  if (!encoded.unmappable.empty()) {
    switch (window_->dialogs()->Ask(
        window_, UnmappableSaveQuestion(),
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
  if (!WriteTextFile(path, encoded.bytes)) {
    window_->dialogs()->Show(window_, SaveFailedMessage(Utf8Path(path)));
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

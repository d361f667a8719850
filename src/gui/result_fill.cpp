#include "gui/result_fill.h"

#include <string>

#include "core/base/cp1251.h"
#include "gui/editor.h"

namespace trulvex {
namespace {

using Sci = QsciScintillaBase;

}  // namespace

ResultFill::ResultFill(Editor* editor)
    : editor_(editor),
      events_(editor->SendScintilla(Sci::SCI_GETMODEVENTMASK)) {
  editor_->SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 0ul);
  editor_->SendScintilla(Sci::SCI_SETMODEVENTMASK, 0ul);
}

ResultFill::~ResultFill() {
  editor_->SendScintilla(Sci::SCI_SETMODEVENTMASK,
                         static_cast<unsigned long>(events_));
  editor_->SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
  editor_->SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 1ul);
  // The insert notices that would have widened it were off.
  editor_->FitLineNumberMargin();
}

void ResultFill::Start() {
  if (started_) return;
  started_ = true;
  editor_->ClearAll();
}

void ResultFill::Append(std::string_view cp1251) {
  Start();
  const std::string utf8 = Cp1251ToUtf8(cp1251);
  editor_->SendScintilla(Sci::SCI_APPENDTEXT, utf8.size(), utf8.data());
}

void ResultFill::Finish() { Start(); }

void ResultFill::Discard() {
  if (started_) editor_->ClearAll();
}

void FillResultEditor(Editor* editor, std::string_view table) {
  ResultFill fill(editor);
  fill.Append(table);
  fill.Finish();
}

}  // namespace trulvex

#include "gui/editor.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>
#include <optional>
#include <vector>

#include "core/base/cp1251.h"
#include "core/shell/editor_styling.h"
#include "gui/command_table.h"

namespace trulvex {
namespace {

constexpr long Rgb(int red, int green, int blue) {
  return red | (green << 8) | (blue << 16);
}

constexpr int kDefaultStyle = 32;     // STYLE_DEFAULT
constexpr int kLineNumberStyle = 33;  // STYLE_LINENUMBER
// The margin's width until the line numbers need more.
constexpr int kMinMarginWidth = 40;
// Room around the widest number, as the fixed width leaves it for four digits.
constexpr int kMarginPadding = 8;

// Splits the editor's UTF-8 bytes into code page 1251 characters and the
// number of bytes each takes, for styling by the core's rules.
void DecodeForStyling(std::string_view utf8, std::string* cp1251,
                      std::vector<std::uint8_t>* lengths) {
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t code_point = 0;
    std::size_t length = DecodeUtf8Char(utf8, i, &code_point);
    std::optional<std::uint8_t> byte;
    if (length == 0) {
      length = 1;  // a malformed sequence is styled byte by byte
    } else {
      byte = UnicodeToCp1251(code_point);
    }
    cp1251->push_back(static_cast<char>(byte.value_or(kUnmappableByte)));
    lengths->push_back(static_cast<std::uint8_t>(length));
    i += length;
  }
}

int EolMode(LineEnd line_end) {
  switch (line_end) {
    case LineEnd::kLf:
      return QsciScintillaBase::SC_EOL_LF;
    case LineEnd::kCr:
      return QsciScintillaBase::SC_EOL_CR;
    case LineEnd::kCrLf:
      break;
  }
  return QsciScintillaBase::SC_EOL_CRLF;
}

// A key combination as Scintilla's key map names it: letters and digits by
// their character, the modifiers in the high word.
unsigned long ScintillaKey(QKeyCombination keys) {
  using Sci = QsciScintillaBase;
  const Qt::KeyboardModifiers held = keys.keyboardModifiers();
  unsigned long modifiers = 0;
  if (held & Qt::ControlModifier) modifiers |= Sci::SCMOD_CTRL;
  if (held & Qt::ShiftModifier) modifiers |= Sci::SCMOD_SHIFT;
  if (held & Qt::AltModifier) modifiers |= Sci::SCMOD_ALT;
  return static_cast<unsigned long>(keys.key()) | (modifiers << 16);
}

bool IsWordCharacter(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// A drop that names local files opens them; anything else is text.
bool NamesFiles(const QMimeData* data) {
  const QList<QUrl> urls = data->urls();
  return std::any_of(urls.begin(), urls.end(),
                     [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

Editor::Editor(Role role, QWidget* parent)
    : QsciScintillaBase(parent), role_(role) {
  setObjectName(role == Role::kSource ? QStringLiteral("sourceEditor")
                                      : QStringLiteral("resultEditor"));
  SetUp();
  connect(this, &QsciScintillaBase::SCN_STYLENEEDED, this, &Editor::Colour);
  connect(this, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this,
          [this] { Q_EMIT modifiedChanged(true); });
  connect(this, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this,
          [this] { Q_EMIT modifiedChanged(false); });
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this,
          [this](int) { Q_EMIT stateChanged(); });
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int, int type, const char*, int, int lines_added, int, int,
                 int, int, int) {
            if ((type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)) != 0) {
              if (lines_added != 0) FitLineNumberMargin();
              Q_EMIT textChanged();
            }
          });
}

void Editor::SetUp() {
  const bool source = role_ == Role::kSource;
  SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
  // No lexer: the editor asks this class to colour its text.
  SendScintilla(SCI_SETLEXER, static_cast<unsigned long>(SCLEX_CONTAINER));
  SendScintilla(SCI_STYLESETBACK, kDefaultStyle,
                source ? Rgb(236, 245, 255) : Rgb(229, 255, 232));
  SendScintilla(SCI_STYLESETFONT, kDefaultStyle,
                source ? "Verdana" : "Lucida Console");
  SendScintilla(SCI_STYLESETSIZE, kDefaultStyle, 10);
  SendScintilla(SCI_STYLECLEARALL);
  SendScintilla(SCI_SETHSCROLLBAR, 1);
  if (source) {
    SendScintilla(SCI_SETVIEWWS, SCWS_VISIBLEALWAYS);
    SendScintilla(SCI_SETWHITESPACEFORE, 1, Rgb(0, 0, 0));
    SendScintilla(SCI_SETCARETLINEBACK, Rgb(199, 227, 255));
    SendScintilla(SCI_SETCARETLINEVISIBLE, 1);
    SendScintilla(SCI_SETCARETFORE, Rgb(208, 2, 2));
    SendScintilla(SCI_SETCARETWIDTH, 2);
  }
  SendScintilla(SCI_SETSELFORE, 1, Rgb(255, 255, 255));
  SendScintilla(SCI_SETSELBACK, 1, Rgb(36, 2, 165));
  SendScintilla(SCI_SETMARGINWIDTHN, 1, 0l);
  SendScintilla(SCI_SETMARGINTYPEN, 0, SC_MARGIN_NUMBER);
  FitLineNumberMargin();
  SendScintilla(SCI_STYLESETFORE, kStylePlain, Rgb(0, 0, 0));
  SendScintilla(SCI_STYLESETFORE, kStyleCyrillic, Rgb(0, 0, 191));
  SendScintilla(SCI_STYLESETFORE, kStyleUndisplayable, Rgb(191, 0, 0));
  SendScintilla(SCI_STYLESETBOLD, kStyleUndisplayable, 1);
  if (!source) {
    SendScintilla(SCI_STYLESETFORE, kStyleCommentDigit, Rgb(254, 17, 181));
  }
  SendScintilla(SCI_USEPOPUP, 0l);
  // A new text takes the line ends of the program's tables; pasted text
  // takes the document's.
  SetLineEnd(LineEnd::kCrLf);
  SendScintilla(SCI_SETPASTECONVERTENDINGS, 1);
  // Undo and redo go through the window's commands only, which keep them
  // to the source editor: drop the editor's own alternative keys for them.
  SendScintilla(SCI_CLEARCMDKEY, SCK_BACK | (SCMOD_ALT << 16));
  SendScintilla(SCI_CLEARCMDKEY, SCK_BACK | ((SCMOD_ALT | SCMOD_SHIFT) << 16));
  SendScintilla(SCI_CLEARCMDKEY, 'Z' | ((SCMOD_CTRL | SCMOD_SHIFT) << 16));
  // The window's shortcuts are not the editor's, also while the window's
  // command is disabled.
  for (const CommandSpec& command : Commands()) {
    if (command.shortcut != QKeyCombination()) {
      SendScintilla(SCI_CLEARCMDKEY, ScintillaKey(command.shortcut));
    }
  }
}

void Editor::SetCommentMarker(std::string marker) {
  if (marker == comment_marker_) return;
  comment_marker_ = std::move(marker);
  // Everything coloured so far followed the old marker. Marked as not
  // coloured, the text is coloured again as the editor shows it: a large
  // table is never coloured whole.
  SendScintilla(SCI_STARTSTYLING, 0ul, 0l);
  viewport()->update();
}

void Editor::Colour(int end_position) {
  const long styled = SendScintilla(SCI_GETENDSTYLED);
  const long line = SendScintilla(SCI_LINEFROMPOSITION, styled);
  const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
  const long end = std::max<long>(end_position, start);
  std::string utf8;
  if (end > start) {
    std::string buffer(static_cast<std::size_t>(end - start) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, start, end, buffer.data());
    utf8.assign(buffer.data(), static_cast<std::size_t>(end - start));
  }
  std::string cp1251;
  std::vector<std::uint8_t> lengths;
  DecodeForStyling(utf8, &cp1251, &lengths);
  const std::vector<StyleRun> runs =
      role_ == Role::kSource
          ? StyleSourceText(cp1251, lengths)
          : StyleResultText(cp1251, comment_marker_, lengths);
  SendScintilla(SCI_STARTSTYLING, static_cast<unsigned long>(start), 0xFFl);
  for (const StyleRun& run : runs) {
    SendScintilla(SCI_SETSTYLING, run.length, run.style);
  }
}

void Editor::SetLineEnd(LineEnd line_end) {
  SendScintilla(SCI_SETEOLMODE, EolMode(line_end));
}

LineEnd Editor::line_end() const {
  switch (SendScintilla(SCI_GETEOLMODE)) {
    case SC_EOL_LF:
      return LineEnd::kLf;
    case SC_EOL_CR:
      return LineEnd::kCr;
    default:
      return LineEnd::kCrLf;
  }
}

void Editor::ReplaceWithQuestionMarks(const std::vector<TextSpan>& spans) {
  if (spans.empty()) return;
  SendScintilla(SCI_BEGINUNDOACTION);
  // From the end, so that the offsets before each span stay true.
  for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
    SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(span->offset),
                  static_cast<long>(span->offset + span->length));
    SendScintilla(SCI_REPLACETARGET, 1ul, "?");
  }
  SendScintilla(SCI_ENDUNDOACTION);
}

void Editor::FitLineNumberMargin() {
  const long lines = SendScintilla(SCI_GETLINECOUNT);
  const int digits = static_cast<int>(std::to_string(lines).size());
  if (digits == margin_digits_) return;
  margin_digits_ = digits;
  const std::string widest(static_cast<std::size_t>(digits), '9');
  const long width =
      SendScintilla(SCI_TEXTWIDTH, kLineNumberStyle, widest.c_str()) +
      kMarginPadding;
  SendScintilla(SCI_SETMARGINWIDTHN, 0, std::max<long>(kMinMarginWidth, width));
}

void Editor::StartUndoStepBeforeWord(const QString& typed) {
  if (typed.isEmpty() || !IsWordCharacter(typed.front())) return;
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  // Typing over a selection is a step of its own anyway.
  if (caret == 0 || SendScintilla(SCI_GETSELECTIONEMPTY) == 0) return;
  const long before = SendScintilla(SCI_POSITIONBEFORE, caret);
  std::string previous(static_cast<std::size_t>(caret - before) + 1, '\0');
  SendScintilla(SCI_GETTEXTRANGE, before, caret, previous.data());
  const QString character = QString::fromUtf8(previous.c_str());
  if (!character.isEmpty() && IsWordCharacter(character.front())) return;
  // An empty step ends the one the typing so far joined.
  SendScintilla(SCI_BEGINUNDOACTION);
  SendScintilla(SCI_ENDUNDOACTION);
}

void Editor::keyPressEvent(QKeyEvent* event) {
  if ((event->modifiers() &
       (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0) {
    StartUndoStepBeforeWord(event->text());
  }
  QsciScintillaBase::keyPressEvent(event);
}

void Editor::inputMethodEvent(QInputMethodEvent* event) {
  StartUndoStepBeforeWord(event->commitString());
  QsciScintillaBase::inputMethodEvent(event);
}

void Editor::dragEnterEvent(QDragEnterEvent* event) {
  if (NamesFiles(event->mimeData())) {
    event->acceptProposedAction();
    return;
  }
  QsciScintillaBase::dragEnterEvent(event);
}

void Editor::dragMoveEvent(QDragMoveEvent* event) {
  if (NamesFiles(event->mimeData())) {
    event->acceptProposedAction();
    return;
  }
  QsciScintillaBase::dragMoveEvent(event);
}

void Editor::dropEvent(QDropEvent* event) {
  if (NamesFiles(event->mimeData())) {
    event->acceptProposedAction();
    Q_EMIT filesDropped(event->mimeData()->urls());
    return;
  }
  QsciScintillaBase::dropEvent(event);
}

bool Editor::event(QEvent* event) {
  // The window's shortcuts work whichever editor has the focus, and the
  // editor never sees these keys itself.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsWindowShortcut(key->keyCombination())) {
      event->ignore();
      return false;
    }
  }
  return QsciScintillaBase::event(event);
}

void Editor::contextMenuEvent(QContextMenuEvent* event) {
  Q_EMIT menuRequested(event->globalPos());
  event->accept();
}

QString Editor::Text() const { return QString::fromStdString(Utf8Text()); }

void Editor::SetText(const QString& text) {
  SetUtf8Text(text.toUtf8().toStdString());
}

std::string Editor::Utf8Text() const {
  const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
  std::string text(length + 1, '\0');
  SendScintilla(SCI_GETTEXT, length + 1, text.data());
  text.resize(length);
  return text;
}

void Editor::SetUtf8Text(const std::string& utf8) {
  // SCI_SETTEXT stops at a NUL: a text holding one goes in whole this way.
  SendScintilla(SCI_CLEARALL);
  SendScintilla(SCI_APPENDTEXT, utf8.size(), utf8.data());
}

bool Editor::IsModified() const { return SendScintilla(SCI_GETMODIFY) != 0; }
void Editor::SetSavePoint() { SendScintilla(SCI_SETSAVEPOINT); }
void Editor::EmptyUndoBuffer() {
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  // Nothing is left to undo, and no text change says so.
  Q_EMIT stateChanged();
}
bool Editor::CanUndo() const { return SendScintilla(SCI_CANUNDO) != 0; }
bool Editor::CanRedo() const { return SendScintilla(SCI_CANREDO) != 0; }
void Editor::Undo() { SendScintilla(SCI_UNDO); }
void Editor::Redo() { SendScintilla(SCI_REDO); }
void Editor::Cut() { SendScintilla(SCI_CUT); }
void Editor::Copy() { SendScintilla(SCI_COPY); }
void Editor::Paste() { SendScintilla(SCI_PASTE); }
void Editor::SelectAll() { SendScintilla(SCI_SELECTALL); }
void Editor::ClearAll() { SendScintilla(SCI_CLEARALL); }

}  // namespace trulvex

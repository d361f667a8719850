#include "gui/display_preview_pane.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "core/base/cp1251.h"
#include "core/engine/display_page.h"
#include "gui/display_view.h"
#include "gui/editor.h"
#include "gui/qt_text.h"

namespace trulvex {
namespace {

struct ThemeChoice {
  DisplayTheme theme;
  const char* label;
};

constexpr ThemeChoice kThemes[] = {
    {DisplayTheme::kGreen, "Зелёный"},
    {DisplayTheme::kBlue, "Синий"},
    {DisplayTheme::kWhite, "Белый"},
};

// One line of the editor without its line end, as code page 1251.
std::string LineText(Editor* editor, long line) {
  const long start =
      editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
  const long end =
      editor->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
  if (end <= start) return {};
  std::string utf8(static_cast<std::size_t>(end - start) + 1, '\0');
  editor->SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, start, end,
                        utf8.data());
  utf8.pop_back();
  return Utf8ToCp1251(std::move(utf8));
}

}  // namespace

DisplayPreviewPane::DisplayPreviewPane(Editor* source,
                                       const ProfileRecord* profile,
                                       PreviewSettings* settings,
                                       QWidget* parent)
    : QWidget(parent), source_(source), profile_(profile), settings_(settings) {
  setObjectName(QStringLiteral("previewPane"));
  size_selector_ = new QComboBox(this);
  size_selector_->setObjectName(QStringLiteral("previewSize"));
  size_selector_->setToolTip(
      QStringLiteral("Размер индикатора: знаков × строк"));
  for (const DisplaySize size : kDisplaySizes) {
    size_selector_->addItem(FromUtf8(DisplaySizeName(size)));
    if (size == settings_->size) {
      size_selector_->setCurrentIndex(size_selector_->count() - 1);
    }
  }
  theme_selector_ = new QComboBox(this);
  theme_selector_->setObjectName(QStringLiteral("previewTheme"));
  theme_selector_->setToolTip(QStringLiteral("Цвет индикатора"));
  for (const ThemeChoice& choice : kThemes) {
    theme_selector_->addItem(QString::fromUtf8(choice.label));
    if (choice.theme == settings_->theme) {
      theme_selector_->setCurrentIndex(theme_selector_->count() - 1);
    }
  }
  page_label_ = new QLabel(this);
  page_label_->setObjectName(QStringLiteral("previewPage"));
  view_ = new DisplayView(this);
  view_->SetTheme(settings_->theme);

  auto* controls = new QHBoxLayout;
  controls->addWidget(size_selector_);
  controls->addWidget(theme_selector_);
  controls->addStretch(1);
  controls->addWidget(page_label_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addLayout(controls);
  layout->addWidget(view_, 1);

  connect(size_selector_, &QComboBox::currentIndexChanged, this,
          [this](int index) {
            if (index < 0) return;
            settings_->size = kDisplaySizes[static_cast<std::size_t>(index)];
            Refresh();
          });
  connect(theme_selector_, &QComboBox::currentIndexChanged, this,
          [this](int index) {
            if (index < 0) return;
            settings_->theme = kThemes[index].theme;
            view_->SetTheme(settings_->theme);
          });
  // A keystroke may change the text in several steps and move the cursor
  // after them: the page is laid out once, when the editor is done.
  connect(source_, &Editor::textChanged, this,
          &DisplayPreviewPane::ScheduleRefresh);
  connect(source_, &Editor::stateChanged, this,
          &DisplayPreviewPane::ScheduleRefresh);
}

void DisplayPreviewPane::ScheduleRefresh() {
  if (refresh_pending_) return;
  refresh_pending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refresh_pending_ = false;
        Refresh();
      },
      Qt::QueuedConnection);
}

void DisplayPreviewPane::Refresh() {
  if (!isVisible()) return;
  const DisplaySize size = settings_->size;
  const long rows = size.rows;
  const long cursor = source_->SendScintilla(
      QsciScintillaBase::SCI_LINEFROMPOSITION,
      source_->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
  long line_count = source_->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
  // The empty line after a final line break is a page of its own only
  // while the cursor is on it.
  if (line_count > 1 && cursor < line_count - 1 &&
      source_->SendScintilla(QsciScintillaBase::SCI_LINELENGTH,
                             line_count - 1) == 0) {
    --line_count;
  }
  const long number = cursor / rows;
  const long first = number * rows;
  std::vector<std::string> texts;
  for (long line = first; line < std::min(first + rows, line_count); ++line) {
    texts.push_back(LineText(source_, line));
  }
  const std::vector<std::string_view> lines(texts.begin(), texts.end());
  view_->SetPage(
      LayOutPage(lines, size, *profile_, static_cast<std::size_t>(number)),
      static_cast<std::size_t>(first));
  page_label_->setText(
      QStringLiteral("Страница %1 из %2")
          .arg(number + 1)
          .arg(DisplayPageCount(static_cast<std::size_t>(line_count), size)));
}

void DisplayPreviewPane::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

}  // namespace trulvex

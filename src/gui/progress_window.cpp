#include "gui/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <climits>

#include "gui/centre_over.h"
#include "gui/text_fit.h"
#include "gui/user_dialogs.h"

namespace trulvex {
namespace {

// Events are taken this often: the window answers at once to the eye, and
// a run checks the clock only now and then.
constexpr qint64 kEventIntervalMs = 40;
// A stop check follows every data line, which may be a single character;
// reading the clock at each one would cost as much as the conversion.
constexpr unsigned kChecksPerClockRead = 64;

// The bar counts in int: a longer text is shown in coarser steps.
std::uint64_t BarStep(std::uint64_t maximum) {
  return maximum / static_cast<std::uint64_t>(INT_MAX) + 1;
}

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner, UserDialogs* dialogs)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      dialogs_(dialogs) {
  setObjectName(QStringLiteral("progressWindow"));
  setWindowTitle(QStringLiteral("    Преобразование данных"));
  // The small dialog font of the layout: the caption fills its 190 pixels.
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  auto* caption =
      new QLabel(QStringLiteral("Прогресс преобразования текста"), this);
  // A substitute font may run wider: then the caption and the window widen
  // just enough to show it whole.
  const int caption_width = FitWidth(caption, 190);
  caption->setGeometry(20, 8, caption_width, 15);
  setFixedSize(std::max(210, 20 + caption_width), 90);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progressBar"));
  bar_->setGeometry(20, 28, 170, 16);
  bar_->setRange(0, 10);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  cancel_->setGeometry(64, 58, 70, 24);
  connect(cancel_, &QPushButton::clicked, this,
          [this] { cancel_clicked_ = true; });
  CentreOver(this, owner);
  clock_.start();
}

void ProgressWindow::Started(std::uint64_t maximum) {
  maximum_ = maximum;
  value_ = 0;
  bar_->setRange(0, static_cast<int>(maximum / BarStep(maximum)));
  // The window is drawn at the first events taken: a run over before then
  // never pays for drawing it.
  clock_.restart();
}

void ProgressWindow::Progressed(std::uint64_t value) {
  // Only remembered: the bar is redrawn when events are taken.
  value_ = std::min(value, maximum_);
}

bool ProgressWindow::StopRequested() {
  if (++checks_since_clock_ >= kChecksPerClockRead) {
    checks_since_clock_ = 0;
    if (clock_.elapsed() >= kEventIntervalMs) TakeEvents();
  }
  if (!cancel_clicked_) return false;
  cancel_clicked_ = false;
  return ConfirmStop();
}

void ProgressWindow::KeepResponsive() {
  if (clock_.elapsed() >= kEventIntervalMs) TakeEvents();
}

void ProgressWindow::TakeEvents() {
  bar_->setValue(static_cast<int>(value_ / BarStep(maximum_)));
  QCoreApplication::processEvents();
  clock_.restart();
}

bool ProgressWindow::ConfirmStop() {
  const UserMessage question{
      UserMessage::Icon::kQuestion, "Преобразование текста",
      "Вы действительно хотите остановить \nпреобразование текста?"};
  const bool stop =
      dialogs_->Ask(this, question,
                    {UserDialogs::Button::kYes, UserDialogs::Button::kNo},
                    UserDialogs::Button::kNo) == UserDialogs::Button::kYes;
  clock_.restart();
  return stop;
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  cancel_clicked_ = true;
}

}  // namespace trulvex

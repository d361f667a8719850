#include "gui/about_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPropertyAnimation>
#include <QPushButton>
#include <algorithm>

#include "gui/centre_over.h"

namespace trulvex {
namespace {

const QString kTitle = QString::fromUtf8(kProgramTitle);
const QString kBannerResource = QStringLiteral(":/banner/image98.bmp");

QColor Rgb(int r, int g, int b) { return QColor(r, g, b); }
const QColor kDescriptionColour = Rgb(171, 6, 84);
const QColor kTitleColour = Rgb(1, 90, 175);
const QColor kLinkColour = Rgb(58, 2, 197);
const QColor kLinkHoverColour = Rgb(2, 131, 253);

// The balloon tips become styled tooltips: the pale yellow background, the
// system's tooltip text colour, an optional bold title over the text.
const QString kTipStyle = QStringLiteral(
    "QToolTip { background-color: rgb(255, 254, 218);"
    " color: palette(tooltip-text); border: 1px solid palette(shadow);"
    " font: 8pt \"MS Sans Serif\"; }");

constexpr int kTipTextWidth = 240;  // 250 less the tip's border and margins

// A tip's text as rich text, as wide as its longest line allows and never
// wider than a balloon; otherwise the tip label wraps it into a narrow column.
QString Tip(const QFont& font, const QString& title, const QString& text) {
  QFont bold = font;
  bold.setBold(true);
  const int width = std::min(
      kTipTextWidth, std::max(QFontMetrics(bold).horizontalAdvance(title),
                              QFontMetrics(font).horizontalAdvance(text)) +
                         2);
  QString tip = QStringLiteral(
                    "<table width=\"%1\" cellspacing=\"0\" cellpadding=\"0\">"
                    "<tr><td>")
                    .arg(width);
  if (!title.isEmpty()) {
    tip += QStringLiteral("<b>%1</b><br>").arg(title.toHtmlEscaped());
  }
  return tip + text.toHtmlEscaped() + QStringLiteral("</td></tr></table>");
}

QLabel* Text(QWidget* parent, const QString& text, const QRect& place,
             const QColor& colour = {}) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(place);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (colour.isValid()) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
  }
  return label;
}

bool IsLeftRelease(QEvent* event, QWidget* over) {
  if (event->type() != QEvent::MouseButtonRelease) return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  return mouse->button() == Qt::LeftButton &&
         over->rect().contains(mouse->position().toPoint());
}

}  // namespace

AuthorInfo ConfiguredAuthor() {
  return {QString::fromUtf8(TRULVEX_AUTHOR), QString::fromUtf8(TRULVEX_EMAIL),
          QString::fromUtf8(TRULVEX_WEBSITE)};
}

AboutWindow::AboutWindow(QWidget* owner, AuthorInfo author)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      author_(std::move(author)),
      open_link_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  setObjectName(QStringLiteral("aboutWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("О программе"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(258, 220);
  setStyleSheet(kTipStyle);
  BuildControls();

  fade_ = new QPropertyAnimation(this, "windowOpacity", this);
  connect(fade_, &QPropertyAnimation::finished, this, [this] {
    if (!fading_out_) return;
    faded_ = true;
    close();
  });

  CentreOver(this, owner);
}

void AboutWindow::BuildControls() {
  ok_ = new QPushButton(QStringLiteral("Ok"), this);
  ok_->setObjectName(QStringLiteral("okButton"));
  ok_->setGeometry(84, 184, 70, 24);
  ok_->setFocus();
  ok_->setToolTip(Tip(font(), {}, QStringLiteral("Закрыть окно")));
  connect(ok_, &QPushButton::clicked, this, &QWidget::close);

  // The banner is loaded afresh at each opening; the control takes the
  // picture's own size, as a picture control does.
  const QPixmap picture(kBannerResource);
  banner_ = new QLabel(this);
  banner_->setObjectName(QStringLiteral("banner"));
  banner_->setPixmap(picture);
  banner_->setGeometry(44, 10, picture.isNull() ? 170 : picture.width(),
                       picture.isNull() ? 40 : picture.height());
  banner_->setCursor(Qt::PointingHandCursor);
  banner_->setToolTip(
      Tip(font(), QStringLiteral("На чём написана программа"), kAboutToolsTip));
  banner_->installEventFilter(this);

  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame->setGeometry(8, 60, 238, 108);

  QLabel* description =
      Text(this, kAboutDescription, {16, 70, 224, 50}, kDescriptionColour);
  description->setObjectName(QStringLiteral("description"));
  description->setWordWrap(true);
  // The title lies over the description's first words, which are the same
  // string, painting them in its own colour; it covers exactly that string.
  const int title_width =
      std::max(QFontMetrics(font()).horizontalAdvance(kTitle), 1);
  QLabel* title = Text(this, kTitle, {16, 70, title_width, 14}, kTitleColour);
  title->setObjectName(QStringLiteral("title"));
  title->setAutoFillBackground(true);

  // The author and the address come from the build: a longer one widens
  // its control up to the frame's edge.
  const auto width_for = [this](const QString& text, int left, int width) {
    const int needed = QFontMetrics(font()).horizontalAdvance(text) + 1;
    return std::clamp(needed, width, 240 - left);
  };
  const QString author_text =
      QStringLiteral("Автор:") + QString(10, QLatin1Char(' ')) + author_.name;
  QLabel* author =
      Text(this, author_text, {16, 120, width_for(author_text, 16, 180), 15});
  author->setObjectName(QStringLiteral("author"));
  Text(this, QStringLiteral("E-mail:"), {16, 140, 50, 15});

  email_ = Text(this, author_.email,
                {80, 140, width_for(author_.email, 80, 120), 15}, kLinkColour);
  email_->setObjectName(QStringLiteral("emailLink"));
  email_->setCursor(Qt::PointingHandCursor);
  email_->setToolTip(Tip(font(), QStringLiteral("E-mail автора программы"),
                         QStringLiteral("Связаться с автором")));
  email_->installEventFilter(this);
}

void AboutWindow::Present() {
  if (fading_out_) {
    // Closed a moment ago: fade back in from where the fade-out is.
    fading_out_ = false;
    fade_->stop();
  } else if (isVisible()) {
    raise();
    activateWindow();
    return;
  } else {
    setWindowOpacity(0.0);
  }
  fade_->setDuration(kFadeInMs);
  fade_->setStartValue(windowOpacity());
  fade_->setEndValue(1.0);
  SetLinkColour(false);
  show();
  raise();
  activateWindow();
  fade_->start();
}

void AboutWindow::SetLinkColour(bool hover) {
  QPalette palette = email_->palette();
  palette.setColor(QPalette::WindowText,
                   hover ? kLinkHoverColour : kLinkColour);
  email_->setPalette(palette);
}

void AboutWindow::FadeOut() {
  if (fading_out_) return;
  fading_out_ = true;
  fade_->stop();
  fade_->setDuration(kFadeOutMs);
  fade_->setStartValue(windowOpacity());
  fade_->setEndValue(0.0);
  fade_->start();
}

void AboutWindow::CloseAtOnce() {
  fade_->stop();
  faded_ = true;
  close();
}

void AboutWindow::closeEvent(QCloseEvent* event) {
  if (faded_) {
    event->accept();
    return;
  }
  event->ignore();
  FadeOut();
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == email_) {
    if (event->type() == QEvent::Enter) SetLinkColour(true);
    if (event->type() == QEvent::Leave) SetLinkColour(false);
    if (IsLeftRelease(event, email_) && !author_.email.isEmpty()) {
      open_link_(QUrl(QStringLiteral("mailto:") + author_.email));
    }
  } else if (watched == banner_ && IsLeftRelease(event, banner_) &&
             !author_.website.isEmpty()) {
    open_link_(QUrl(author_.website));
  }
  return QWidget::eventFilter(watched, event);
}

void OpenAboutWindow(QWidget* owner) {
  auto* window = owner == nullptr ? nullptr
                                  : owner->findChild<AboutWindow*>(
                                        QString(), Qt::FindDirectChildrenOnly);
  if (window == nullptr) window = new AboutWindow(owner, ConfiguredAuthor());
  window->Present();
}

}  // namespace trulvex

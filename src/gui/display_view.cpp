#include "gui/display_view.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "gui/qt_text.h"

namespace trulvex {
namespace {

// The largest dots the pane draws: beyond this a bigger pane only wastes
// room around the picture.
constexpr int kMaxPaneScale = 8;
constexpr int kPadding = 4;

// The page as the picture shows it for lines that are not there yet.
DisplayPage BlankPage(DisplaySize size) {
  return LayOutPage({}, size, ProfileRecord{});
}

}  // namespace

DisplayView::DisplayView(QWidget* parent)
    : QWidget(parent), page_(BlankPage(kDefaultDisplaySize)) {
  setObjectName(QStringLiteral("displayView"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void DisplayView::SetPage(DisplayPage page, std::size_t first_line) {
  const bool resized = !(page.size == page_.size);
  page_ = std::move(page);
  first_line_ = first_line;
  picture_ = {};
  if (resized) updateGeometry();
  update();
}

void DisplayView::SetTheme(DisplayTheme theme) {
  if (theme == theme_) return;
  theme_ = theme;
  picture_ = {};
  update();
}

int DisplayView::scale() const {
  const DisplayGeometry unit(page_.size, 1);
  const int across = (width() - 2 * kPadding) / unit.width();
  const int down = (height() - 2 * kPadding) / unit.height();
  return std::clamp(std::min(across, down), 1, kMaxPaneScale);
}

QRect DisplayView::PictureRect() const {
  const DisplayGeometry geometry(page_.size, scale());
  return {(width() - geometry.width()) / 2, (height() - geometry.height()) / 2,
          geometry.width(), geometry.height()};
}

QString DisplayView::ToolTipAt(const QPoint& point) const {
  const QRect picture = PictureRect();
  const DisplayGeometry geometry(page_.size, scale());
  int row = 0;
  int column = 0;
  if (!geometry.CellAt(point.x() - picture.x(), point.y() - picture.y(), &row,
                       &column)) {
    return {};
  }
  QStringList lines;
  for (const DisplayMark& mark : page_.MarksAt(row, column)) {
    // The text's own line number, as the editor's margin shows it.
    lines << QStringLiteral("Строка %1, столбец %2: %3")
                 .arg(first_line_ + static_cast<std::size_t>(mark.row) + 1)
                 .arg(mark.column + 1)
                 .arg(FromUtf8(DescribeMark(mark, page_.size)));
  }
  return lines.join(QLatin1Char('\n'));
}

QSize DisplayView::sizeHint() const {
  const DisplayGeometry geometry(page_.size, 3);
  return {geometry.width() + 2 * kPadding, geometry.height() + 2 * kPadding};
}

QSize DisplayView::minimumSizeHint() const {
  const DisplayGeometry geometry(page_.size, 1);
  return {geometry.width() + 2 * kPadding, geometry.height() + 2 * kPadding};
}

bool DisplayView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = ToolTipAt(help->pos());
    if (tip.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
  }
  return QWidget::event(event);
}

void DisplayView::paintEvent(QPaintEvent*) {
  const int dots = scale();
  if (picture_.isNull() || picture_scale_ != dots) {
    const RgbImage image = DrawDisplayPage(page_, theme_, dots);
    picture_ = QImage(image.pixels.data(), image.width, image.height,
                      image.width * 3, QImage::Format_RGB888)
                   .copy();
    picture_scale_ = dots;
  }
  QPainter painter(this);
  painter.drawImage(PictureRect().topLeft(), picture_);
}

}  // namespace trulvex

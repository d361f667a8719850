#ifndef TRULVEX_GUI_DISPLAY_VIEW_H_
#define TRULVEX_GUI_DISPLAY_VIEW_H_

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstddef>

#include "core/engine/display_page.h"
#include "core/engine/display_picture.h"

namespace trulvex {

// Draws one page of the simulated display as large as the widget allows
// (whole pixels per dot), marked cells outlined; a marked cell's tooltip
// says why it is marked.
class DisplayView : public QWidget {
  Q_OBJECT

 public:
  explicit DisplayView(QWidget* parent = nullptr);

  // `first_line` (0-based) is the text line on the page's first row.
  void SetPage(DisplayPage page, std::size_t first_line);
  void SetTheme(DisplayTheme theme);

  const DisplayPage& page() const { return page_; }
  // Pixels per dot at the widget's present size.
  int scale() const;
  // Where the picture sits in the widget.
  QRect PictureRect() const;
  // The tooltip for a point of the widget: empty over an unmarked cell.
  QString ToolTipAt(const QPoint& point) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  DisplayPage page_;
  std::size_t first_line_ = 0;
  DisplayTheme theme_ = DisplayTheme::kGreen;
  // The picture drawn last, kept until the page, theme or scale changes.
  mutable QImage picture_;
  mutable int picture_scale_ = 0;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_DISPLAY_VIEW_H_

#include "gui/text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

namespace trulvex {
namespace {

// Room a push button leaves around its text.
constexpr int kButtonTextPadding = 8;

bool IsCaption(const QWidget* control) {
  return qobject_cast<const QLabel*>(control) != nullptr ||
         qobject_cast<const QCheckBox*>(control) != nullptr;
}

bool HasFixedText(const QWidget* control) {
  return IsCaption(control) ||
         qobject_cast<const QPushButton*>(control) != nullptr ||
         qobject_cast<const QAbstractSpinBox*>(control) != nullptr ||
         qobject_cast<const QComboBox*>(control) != nullptr;
}

}  // namespace

int TextWidth(const QWidget* control) {
  // A button's own size hint asks for more than its text.
  if (const auto* button = qobject_cast<const QPushButton*>(control)) {
    return button->fontMetrics().horizontalAdvance(button->text()) +
           kButtonTextPadding;
  }
  return control->sizeHint().width();
}

int FitWidth(const QWidget* control, int layout_width) {
  return HasFixedText(control) ? std::max(layout_width, TextWidth(control))
                               : layout_width;
}

void ControlLine::Place(QWidget* control, int x, int y, int width, int height) {
  const int layout_end = x + width;
  if (gap_ == kLayoutGap) {
    x = std::max(x, end_ + std::max(0, x - layout_end_));
  } else if (end_ > x) {
    x = end_ + gap_;
  }
  width = FitWidth(control, width);
  control->setGeometry(x, y, width, height);
  end_ = x + (IsCaption(control) ? TextWidth(control) : width);
  layout_end_ = layout_end;
}

}  // namespace trulvex

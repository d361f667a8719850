#include "gui/centre_over.h"

#include <QWidget>
#include <algorithm>

namespace trulvex {

void CentreOver(QWidget* window, const QWidget* owner) {
  if (owner == nullptr) return;
  const QPoint centre = owner->frameGeometry().center();
  window->move(std::max(0, centre.x() - window->width() / 2),
               std::max(0, centre.y() - window->height() / 2));
}

}  // namespace trulvex

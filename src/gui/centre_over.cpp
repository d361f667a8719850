#include "gui/centre_over.h"

#include <QWidget>
#include <cstdint>

#include "core/shell/settings.h"
#include "gui/available_screens.h"

namespace trulvex {

void CentreOver(QWidget* window, const QWidget* owner) {
  if (owner == nullptr) return;
  const QPoint centre = owner->frameGeometry().center();
  const ScreenRect place =
      FitToScreens(std::int64_t{centre.x()} - window->width() / 2,
                   std::int64_t{centre.y()} - window->height() / 2,
                   window->width(), window->height(), AvailableScreens());
  window->move(place.left, place.top);
}

}  // namespace trulvex

#include "gui/available_screens.h"

#include <QGuiApplication>
#include <QList>
#include <QRect>
#include <QScreen>

namespace trulvex {

std::vector<ScreenRect> AvailableScreens() {
  std::vector<ScreenRect> screens;
  // The primary screen first: a window on no screen goes there.
  QList<QScreen*> all = QGuiApplication::screens();
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    all.removeAll(primary);
    all.prepend(primary);
  }
  for (const QScreen* screen : all) {
    const QRect area = screen->availableGeometry();
    screens.push_back({area.x(), area.y(), area.width(), area.height()});
  }
  return screens;
}

}  // namespace trulvex

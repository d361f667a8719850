#include "gui/qt_text.h"

#include "core/base/cp1251.h"

namespace trulvex {

QString FromCp1251(std::string_view cp1251) {
  return FromUtf8(Cp1251ToUtf8(cp1251));
}

std::string ToCp1251(const QString& text) { return Utf8ToCp1251(ToUtf8(text)); }

}  // namespace trulvex

#ifndef TRULVEX_GUI_QT_TEXT_H_
#define TRULVEX_GUI_QT_TEXT_H_

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace trulvex {

// Code page 1251 bytes (profile names, texts of the engine) and Qt's
// strings, through the program's lossless codec.
QString FromCp1251(std::string_view cp1251);
std::string ToCp1251(const QString& text);

// UTF-8 texts of the core (messages, paths).
inline QString FromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string ToUtf8(const QString& text) {
  return text.toUtf8().toStdString();
}

// A path as UTF-8 text, for messages.
inline std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {reinterpret_cast<const char*>(text.data()), text.size()};
}

}  // namespace trulvex

#endif  // TRULVEX_GUI_QT_TEXT_H_

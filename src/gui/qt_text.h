#ifndef TRULVEX_GUI_QT_TEXT_H_
#define TRULVEX_GUI_QT_TEXT_H_

#include <QString>
#include <QUrl>
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

// A path as UTF-8 text, for messages: bytes of its name that are not UTF-8
// show as U+FFFD.
std::string Utf8Path(const std::filesystem::path& path);
// The same for the windows.
QString DisplayedPath(const std::filesystem::path& path);

// A file name Qt gives (a file dialog's choice) as the path the system
// opens.
std::filesystem::path ToFilePath(const QString& path);

// The local file a dropped URL names, its name's bytes kept as they are (a
// name written in code page 1251 is not UTF-8, and QString would lose it);
// empty when the URL names no local file.
std::filesystem::path DroppedFilePath(const QUrl& url);

}  // namespace trulvex

#endif  // TRULVEX_GUI_QT_TEXT_H_

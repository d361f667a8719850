#include "gui/qt_text.h"

#include <QByteArray>
#include <QFile>

#include "core/base/cp1251.h"
#include "core/base/path_bytes.h"

namespace trulvex {

QString FromCp1251(std::string_view cp1251) {
  return FromUtf8(Cp1251ToUtf8(cp1251));
}

std::string ToCp1251(const QString& text) { return Utf8ToCp1251(ToUtf8(text)); }

std::string Utf8Path(const std::filesystem::path& path) {
  return DisplayPath(PathBytes(path));
}

QString DisplayedPath(const std::filesystem::path& path) {
  return FromUtf8(Utf8Path(path));
}

std::filesystem::path ToFilePath(const QString& path) {
#ifdef _WIN32
  return std::filesystem::path(path.toStdU16String());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

std::filesystem::path DroppedFilePath(const QUrl& url) {
  if (!url.isLocalFile()) return {};
#ifndef _WIN32
  // The encoded form still holds the name's own bytes, valid UTF-8 or not.
  if (url.host().isEmpty()) {
    return std::filesystem::path(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
            .toStdString());
  }
#endif
  return ToFilePath(url.toLocalFile());
}

}  // namespace trulvex

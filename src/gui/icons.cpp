#include "gui/icons.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QStyle>

namespace trulvex {
namespace {

constexpr int kSide = 16;
constexpr qsizetype kBitmapHeaderBytes = 40;

int U8(const QByteArray& bytes, qsizetype at) {
  return static_cast<unsigned char>(bytes[at]);
}
int U16(const QByteArray& bytes, qsizetype at) {
  return U8(bytes, at) | U8(bytes, at + 1) << 8;
}
quint32 U32(const QByteArray& bytes, qsizetype at) {
  return static_cast<quint32>(U16(bytes, at)) |
         static_cast<quint32>(U16(bytes, at + 2)) << 16;
}

// Decodes the one 16 by 16 image of a stored icon file: 24-bit or 4-bit
// colour, bottom row first, then the mask whose set bits are transparent.
// Qt's own ICO reader ignores the mask of 24-bit images, so the program
// reads its files itself. Anything else gives a null image.
QImage DecodeIcon(const QByteArray& bytes) {
  if (bytes.size() < 22 || U16(bytes, 0) != 0 || U16(bytes, 2) != 1 ||
      U16(bytes, 4) < 1) {
    return {};
  }
  // The directory entry's bit count may be 0; the bitmap header decides.
  const qsizetype header = U32(bytes, 18);
  if (header > bytes.size() - kBitmapHeaderBytes ||
      U32(bytes, header) != kBitmapHeaderBytes ||
      U32(bytes, header + 4) != kSide || U32(bytes, header + 8) != 2 * kSide ||
      U32(bytes, header + 16) != 0) {
    return {};
  }
  const int bit_count = U16(bytes, header + 14);
  if (bit_count != 24 && bit_count != 4) return {};
  const qsizetype palette = header + kBitmapHeaderBytes;
  const qsizetype pixels = palette + (bit_count == 4 ? 16 * 4 : 0);
  const qsizetype row_bytes = bit_count == 4 ? kSide / 2 : kSide * 3;
  const qsizetype mask = pixels + row_bytes * kSide;
  if (mask + 4 * kSide > bytes.size()) return {};

  const auto colour = [&](qsizetype at) {
    return qRgb(U8(bytes, at + 2), U8(bytes, at + 1), U8(bytes, at));
  };
  QImage image(kSide, kSide, QImage::Format_ARGB32);
  for (int y = 0; y < kSide; ++y) {
    const qsizetype row = kSide - 1 - y;
    for (int x = 0; x < kSide; ++x) {
      if (U8(bytes, mask + row * 4 + x / 8) & (0x80 >> (x % 8))) {
        image.setPixel(x, y, qRgba(0, 0, 0, 0));
        continue;
      }
      if (bit_count == 4) {
        const int pair = U8(bytes, pixels + row * row_bytes + x / 2);
        const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
        image.setPixel(x, y, colour(palette + 4 * index));
      } else {
        image.setPixel(x, y, colour(pixels + row * row_bytes + x * 3));
      }
    }
  }
  return image;
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(
        QStringLiteral(":/app-icon/hicolor/%1x%1/apps/trulvex.png").arg(size),
        QSize(size, size));
  }
  return icon;
}

QIcon StoredIcon(int image) {
  QFile file(QStringLiteral(":/icons/image%1.ico").arg(image));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QImage picture = DecodeIcon(file.readAll());
  if (picture.isNull()) return {};
  return QIcon(QPixmap::fromImage(picture));
}

QIcon StandardUndoIcon(const QStyle* style) {
  return QIcon::fromTheme(QStringLiteral("edit-undo"),
                          style->standardIcon(QStyle::SP_ArrowBack));
}

QIcon StandardRedoIcon(const QStyle* style) {
  return QIcon::fromTheme(QStringLiteral("edit-redo"),
                          style->standardIcon(QStyle::SP_ArrowForward));
}

}  // namespace trulvex

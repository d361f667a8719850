#include "ui/icons.h"

#include <QStyle>

namespace trulvex {

QIcon StoredIcon(int image) {
  return QIcon(QStringLiteral(":/icons/image%1.ico").arg(image));
}

QIcon StandardUndoIcon(const QStyle* style) {
  return QIcon::fromTheme(QStringLiteral("edit-undo"),
                          style->standardIcon(QStyle::SP_ArrowBack));
}

QIcon StandardRedoIcon(const QStyle* style) {
  return QIcon::fromTheme(QStringLiteral("edit-redo"),
                          style->standardIcon(QStyle::SP_ArrowForward));
}

QIcon StandardPropertiesIcon(const QStyle* style) {
  return QIcon::fromTheme(QStringLiteral("document-properties"),
                          style->standardIcon(QStyle::SP_FileDialogInfoView));
}

}  // namespace trulvex

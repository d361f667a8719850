#ifndef TRULVEX_GUI_ICONS_H_
#define TRULVEX_GUI_ICONS_H_

#include <QIcon>

class QStyle;

namespace trulvex {

// The program's own icon, at every size it is drawn in.
QIcon ProgramIcon();

// One of the program's stored pictures, by its image number.
QIcon StoredIcon(int image);

// The platform's own pictures for the Undo and Redo buttons.
QIcon StandardUndoIcon(const QStyle* style);
QIcon StandardRedoIcon(const QStyle* style);

}  // namespace trulvex

#endif  // TRULVEX_GUI_ICONS_H_

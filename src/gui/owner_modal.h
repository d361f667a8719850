#ifndef TRULVEX_GUI_OWNER_MODAL_H_
#define TRULVEX_GUI_OWNER_MODAL_H_

class QDialog;
class QWidget;

namespace trulvex {

// Runs `dialog`, a window of `owner`, until it closes, with `owner`
// disabled meanwhile: modal to its owner only, so that the program's other
// windows (the BIN conversion window beside the main window) stay usable.
// Qt's own modality would block every window of the owner as well. Returns
// the dialog's result.
int ExecOverOwner(QDialog* dialog, QWidget* owner);

}  // namespace trulvex

#endif  // TRULVEX_GUI_OWNER_MODAL_H_

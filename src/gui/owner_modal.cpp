#include "gui/owner_modal.h"

#include <QDialog>
#include <QEventLoop>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace trulvex {

int ExecOverOwner(QDialog* dialog, QWidget* owner) {
  // Disabling the owner disables the windows it holds too: those that were
  // usable stay so.
  QList<QPointer<QWidget>> usable;
  for (QWidget* child :
       owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() && child != dialog && child->isEnabled()) {
      usable.append(child);
    }
  }
  const QPointer<QWidget> focus = dialog->focusWidget();
  owner->setEnabled(false);
  for (const QPointer<QWidget>& window : usable) {
    if (window != nullptr) window->setEnabled(true);
  }
  dialog->setEnabled(true);
  if (focus != nullptr) focus->setFocus();

  QEventLoop loop;
  QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  dialog->show();
  loop.exec(QEventLoop::DialogExec);
  owner->setEnabled(true);
  return dialog->result();
}

}  // namespace trulvex

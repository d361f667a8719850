#ifndef TRULVEX_GUI_CENTRE_OVER_H_
#define TRULVEX_GUI_CENTRE_OVER_H_

class QWidget;

namespace trulvex {

// Moves a secondary window so that it stands centred over `owner`, as far
// as it can while staying whole on a screen.
void CentreOver(QWidget* window, const QWidget* owner);

}  // namespace trulvex

#endif  // TRULVEX_GUI_CENTRE_OVER_H_

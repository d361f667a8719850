#ifndef TRULVEX_GUI_TEXT_FIT_H_
#define TRULVEX_GUI_TEXT_FIT_H_

class QWidget;

namespace trulvex {

// The windows place their controls at the pixel positions of a layout made
// for an 8-point font. Where this platform's substitute font draws a text
// wider, its control widens just enough to show it whole.

// The width `control` needs for its text in its font.
int TextWidth(const QWidget* control);

// `layout_width`, or what the text needs when that is more. Only controls
// with a fixed text (labels, check boxes, buttons, spin boxes, drop-down
// lists) widen; text boxes keep their width.
int FitWidth(const QWidget* control, int layout_width);

// Places the controls of one line of a layout, left to right, each widened
// as FitWidth says. A widened control moves the ones after it along:
// ControlLine() keeps the room the layout left between them; ControlLine(n)
// moves only a control that the one before it now runs into, to n pixels
// after it. A caption wider than its text leaves the rest of its box free.
class ControlLine {
 public:
  ControlLine() = default;
  explicit ControlLine(int gap) : gap_(gap) {}

  void Place(QWidget* control, int x, int y, int width, int height);
  // Starts a new line.
  void Next() { end_ = layout_end_ = 0; }

 private:
  static constexpr int kLayoutGap = -1;
  int gap_ = kLayoutGap;
  int end_ = 0;         // where the last control's content ends
  int layout_end_ = 0;  // where the layout had it end
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_TEXT_FIT_H_

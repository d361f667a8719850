#ifndef TRULVEX_GUI_DISPLAY_PREVIEW_PANE_H_
#define TRULVEX_GUI_DISPLAY_PREVIEW_PANE_H_

#include <QWidget>

#include "core/engine/profile_record.h"
#include "core/shell/settings.h"

class QComboBox;
class QLabel;

namespace trulvex {

class DisplayView;
class Editor;

// The source text on a simulated display: the page that holds the source
// editor's cursor line, redrawn as the user types or moves. Only that page
// is laid out, so the cost does not grow with the text. The module size
// and theme are chosen in the pane and kept in `settings`.
class DisplayPreviewPane : public QWidget {
  Q_OBJECT

 public:
  // `profile` (the working record) gives the cleaning options; the pane
  // reads it on every refresh.
  DisplayPreviewPane(Editor* source, const ProfileRecord* profile,
                     PreviewSettings* settings, QWidget* parent = nullptr);

  // Lays out the cursor line's page again; does nothing while hidden.
  void Refresh();
  // Refreshes once the events in hand are handled.
  void ScheduleRefresh();

  DisplayView* view() const { return view_; }
  QComboBox* size_selector() const { return size_selector_; }
  QComboBox* theme_selector() const { return theme_selector_; }
  QLabel* page_label() const { return page_label_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Editor* source_;
  const ProfileRecord* profile_;
  PreviewSettings* settings_;
  DisplayView* view_ = nullptr;
  QComboBox* size_selector_ = nullptr;
  QComboBox* theme_selector_ = nullptr;
  QLabel* page_label_ = nullptr;
  bool refresh_pending_ = false;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_DISPLAY_PREVIEW_PANE_H_

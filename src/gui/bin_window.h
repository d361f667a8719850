#ifndef TRULVEX_GUI_BIN_WINDOW_H_
#define TRULVEX_GUI_BIN_WINDOW_H_

#include <QString>
#include <QWidget>

#include "core/engine/bin_conversion.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace trulvex {

class WindowHost;

// A name chosen in the browse dialog, with ".bin" added when it has no
// extension.
QString WithBinExtension(const QString& name);

// The non-modal window that writes the source text's display codes into a
// binary file. Every option it shows is the main window's BIN settings: a
// change is stored at once, so the next opening shows it again. It stays
// open after a conversion and is destroyed when closed.
class BinWindow : public QWidget {
  Q_OBJECT

 public:
  explicit BinWindow(WindowHost* host);

  QLineEdit* path_field() const { return path_; }
  QPushButton* browse_button() const { return browse_; }
  QComboBox* save_to_chooser() const { return save_to_; }
  QComboBox* add_chooser() const { return add_; }
  QComboBox* how_chooser() const { return how_; }
  QLineEdit* start_address_field() const { return start_address_; }
  QLabel* start_address_label() const { return start_address_label_; }
  QCheckBox* delete_undisplayable_box() const { return delete_undisplayable_; }
  QCheckBox* delete_spaces_box() const { return delete_spaces_; }
  QSpinBox* space_count() const { return space_count_; }
  QLabel* space_count_label() const { return space_count_label_; }
  QPushButton* convert_button() const { return convert_; }
  QPushButton* cancel_button() const { return cancel_; }

  // Runs the conversion with what the window shows, as its button does.
  void Convert();

 protected:
  // Enter anywhere in the window converts, whichever control has the focus;
  // Escape closes it, as "Отмена" does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void Fill();
  void Connect();
  void ApplyEnablingRules();
  void Browse();
  // The options as the window shows them.
  BinOptions Current() const;
  // Writes what the window shows into the settings.
  void Store();

  WindowHost* host_;

  QLineEdit* path_ = nullptr;
  QPushButton* browse_ = nullptr;
  QComboBox* save_to_ = nullptr;
  QComboBox* add_ = nullptr;
  QComboBox* how_ = nullptr;
  QLineEdit* start_address_ = nullptr;
  QLabel* start_address_label_ = nullptr;
  QCheckBox* delete_undisplayable_ = nullptr;
  QCheckBox* delete_spaces_ = nullptr;
  QSpinBox* space_count_ = nullptr;
  QLabel* space_count_label_ = nullptr;
  QPushButton* convert_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_BIN_WINDOW_H_

#ifndef TRULVEX_GUI_IMPORT_WINDOW_H_
#define TRULVEX_GUI_IMPORT_WINDOW_H_

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

namespace trulvex {

class WindowHost;

// The import window "Загрузка профилей": the profiles of a .prof file with
// a check box each, the duplicates of the database's names in red and
// unticked. RunImport shows it modal to the profile manager.
class ImportWindow : public QDialog {
  Q_OBJECT

 public:
  // `existing` are the database's profile names (code page 1251).
  ImportWindow(QWidget* manager, WindowHost* host, std::filesystem::path source,
               const std::vector<std::string>& existing);

  QTableWidget* list() const { return list_; }
  QPushButton* tick_selected_button() const { return tick_selected_; }
  QPushButton* untick_selected_button() const { return untick_selected_; }
  QPushButton* tick_all_button() const { return tick_all_; }
  QPushButton* untick_all_button() const { return untick_all_; }
  QPushButton* load_button() const { return load_; }
  QPushButton* cancel_button() const { return cancel_; }
  QLabel* count_field() const { return count_field_; }
  QLabel* path_field() const { return path_field_; }

  bool IsDuplicate(int row) const;
  bool IsTicked(int row) const;
  // True once a load has written the database.
  bool imported() const { return imported_; }

 Q_SIGNALS:
  // The information beep of a tick button that found nothing to do.
  void Beeped();

 private:
  void TickSelected();
  void UntickSelected();
  void SetAllTicks(bool ticked);
  void Load();
  void Beep();
  void SetTicked(int row, bool ticked);
  void Fill(const std::vector<std::string>& existing);

  WindowHost* host_;
  std::filesystem::path source_;
  bool imported_ = false;

  QTableWidget* list_;
  QPushButton* tick_selected_;
  QPushButton* untick_selected_;
  QPushButton* tick_all_;
  QPushButton* untick_all_;
  QPushButton* load_;
  QPushButton* cancel_;
  QLabel* count_field_;
  QLabel* path_field_;
};

// Import from a .prof file the user chooses, through the import window
// over `manager`. `existing` are the names the database holds. True when
// profiles were written into the database.
bool RunImport(QWidget* manager, WindowHost* host,
               const std::vector<std::string>& existing);

// Export of the named profiles (code page 1251) to a .prof file the user
// chooses.
void RunExport(QWidget* manager, WindowHost* host,
               const std::vector<std::string>& names);

}  // namespace trulvex

#endif  // TRULVEX_GUI_IMPORT_WINDOW_H_

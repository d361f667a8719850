#ifndef TRULVEX_GUI_MAIN_WINDOW_H_
#define TRULVEX_GUI_MAIN_WINDOW_H_

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/base/cp1251.h"
#include "core/base/version.h"
#include "core/engine/profile_record.h"
#include "core/shell/settings.h"
#include "gui/user_dialogs.h"
#include "gui/window_host.h"

class QAction;
class QComboBox;
class QDockWidget;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace trulvex {

class BinWindow;
class ConvertCommand;
class DisplayPreviewPane;
class DocumentCommands;
class Editor;
class MenuStyleLayer;
struct ToolSpec;

// Where the program keeps its two files.
struct AppPaths {
  std::filesystem::path settings;
  std::filesystem::path database;
};

// The program's one main window: menus, toolbar with the profile selector,
// the source editor above the result editor, and the status bar. It owns
// the program-wide state: settings, working record, current document. The
// other windows reach it through WindowHost only.
class MainWindow : public QMainWindow, public WindowHost {
  Q_OBJECT

 public:
  MainWindow(AppPaths paths, UserDialogs* dialogs);
  ~MainWindow() override;

  // Start-up after the window is built: the profile database, the profile
  // selector, placement, the menu style mark and the command-line file.
  // False when the program must end (the database could not be created).
  // `arguments` are the command line's, its file names as the system's
  // bytes.
  bool Start(const std::vector<std::filesystem::path>& arguments);

  // Carries out a command of the menus, shortcuts and toolbar.
  void RunCommand(int command);

  Editor* source_editor() const { return source_; }
  Editor* result_editor() const { return result_; }
  QComboBox* profile_selector() const { return selector_; }
  QSplitter* divider() const { return divider_; }
  QMenu* editor_menu() const { return editor_menu_; }
  QMenu* recent_menu() const { return recent_menu_; }
  QMenu* recent_dropdown() const { return recent_dropdown_; }
  MenuStyleLayer* menu_layer() const { return menu_layer_.get(); }
  QToolButton* open_button() const { return open_button_; }
  QLabel* modified_indicator() const { return modified_indicator_; }
  QLabel* status_path() const { return status_path_; }
  QLabel* status_encoding() const { return status_encoding_; }
  QAction* menu_action(int command) const {
    return menu_actions_.value(command);
  }
  QAction* toolbar_action(int command) const {
    return toolbar_actions_.value(command);
  }
  QAction* editor_menu_action(int command) const {
    return editor_menu_actions_.value(command);
  }
  // The source text on a simulated display, docked under the editors.
  QDockWidget* preview_dock() const { return preview_dock_; }
  DisplayPreviewPane* preview_pane() const { return preview_pane_; }

  // WindowHost.
  QWidget* host_window() override { return this; }
  UserDialogs* dialogs() const override { return dialogs_; }
  const std::filesystem::path& profile_database() const override {
    return paths_.database;
  }
  std::string SourceText() const override;
  const BinSettings& bin_settings() const override { return settings_.bin; }
  void StoreBinSettings(const BinSettings& bin) override {
    settings_.bin = bin;
  }
  std::vector<std::string> SelectorProfiles() const override;
  int SelectedProfile() const override;
  std::optional<ProfileRecord> LoadNamedProfile(std::string_view name,
                                                QWidget* parent) override;
  void ProfilesChanged(int index) override { RefillProfileSelector(index); }

  const RecentFiles& recent_files() const { return settings_.recent_files; }
  // The profile selected in the selector, as the last load gave it.
  const ProfileRecord& working_record() const { return working_; }

  // The source text's file: its path (empty for a new text) and how its
  // bytes are encoded.
  const std::filesystem::path& document_path() const { return document_path_; }
  void SetDocument(const std::filesystem::path& path, TextEncoding encoding,
                   bool bom);
  TextEncoding document_encoding() const { return document_encoding_; }
  bool document_bom() const { return document_bom_; }
  void ShowStatusPath(const std::filesystem::path& path);

  // The save question before the source text is discarded. False when the
  // command that asks must stop: Cancel, or Yes and the save did not
  // complete.
  bool ConfirmDiscard();

  // Records a path in the recent files list and relabels both menus.
  void RecordRecentFile(const std::filesystem::path& path);

  // Refills the profile selector from the database and loads the selected
  // profile; the Convert command is enabled exactly when there is one.
  void RefillProfileSelector(int index);
  // Loads the selector's current profile into the working record; nothing
  // when none is selected or the load failed (and was reported).
  std::optional<ProfileRecord> LoadSelectedProfile();

  DocumentCommands* documents() const { return documents_.get(); }
  ConvertCommand* convert_command() const { return convert_.get(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void RunCommandUnguarded(int command);
  void BuildMenus();
  void BuildToolbar();
  void BuildStatusBar();
  void BuildEditors(const WindowGeometry& geometry);
  // A command's menu item, as the command table describes it.
  QAction* AddMenuAction(QMenu* menu, int command);
  void AddToolButton(QToolBar* toolbar, const ToolSpec& tool);
  void AddRecentFilesButton(QToolBar* toolbar, const ToolSpec& tool);
  void AddProfileSelector(QToolBar* toolbar, const ToolSpec& tool);
  void BuildPreviewPane();
  // Shows or hides the preview pane and ticks its menu item and button.
  void SetPreviewVisible(bool visible);
  void RefreshEditStates();
  void RefreshRecentLabels();
  void ShowEditorMenu(Editor* editor, const QPoint& position);
  void EditCommand(int command);
  // Moves the check mark to the style and draws the menus in it.
  void SetMenuStyle(int style);
  Editor* FocusedEditor() const;
  void SaveWindowPlacement();
  // Drops anywhere on the window: the first file opens, after the save
  // question.
  void OpenDroppedFiles(const QList<QUrl>& urls);
  // Opens the one BIN conversion window, or brings back the one that is
  // open (restoring it when minimized).
  void OpenBinWindow();
  void SetCommentMarker(std::string marker);
  // Every other window of the program closes with this one, at once.
  void CloseOtherWindows();

  AppPaths paths_;
  UserDialogs* dialogs_;
  Settings settings_;
  ProfileRecord working_;
  std::string comment_marker_;
  std::filesystem::path document_path_;
  TextEncoding document_encoding_ = TextEncoding::kCp1251;
  bool document_bom_ = false;
  bool database_unreadable_ = false;
  std::error_code database_error_;

  Editor* source_ = nullptr;
  Editor* result_ = nullptr;
  QSplitter* divider_ = nullptr;
  QDockWidget* preview_dock_ = nullptr;
  DisplayPreviewPane* preview_pane_ = nullptr;
  bool preview_height_restored_ = false;
  QComboBox* selector_ = nullptr;
  QMenu* editor_menu_ = nullptr;
  QMenu* recent_menu_ = nullptr;
  QMenu* recent_dropdown_ = nullptr;
  QToolButton* open_button_ = nullptr;
  QLabel* modified_indicator_ = nullptr;
  QLabel* status_path_ = nullptr;
  QLabel* status_encoding_ = nullptr;
  QMap<int, QAction*> menu_actions_;
  QMap<int, QAction*> toolbar_actions_;
  QMap<int, QAction*> editor_menu_actions_;
  QMap<int, QAction*> style_actions_;
  QList<QAction*> recent_menu_items_;
  QList<QAction*> recent_dropdown_items_;
  Editor* last_editor_ = nullptr;

  QPointer<BinWindow> bin_window_;
  std::unique_ptr<DocumentCommands> documents_;
  std::unique_ptr<ConvertCommand> convert_;
  // Declared last: it gives the menus back to the platform's drawing
  // before anything else goes.
  std::unique_ptr<MenuStyleLayer> menu_layer_;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_MAIN_WINDOW_H_

#include "gui/main_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <new>
#include <vector>

#include "core/base/path_bytes.h"
#include "core/profiles/profile_database.h"
#include "core/shell/text_document.h"
#include "gui/about_window.h"
#include "gui/available_screens.h"
#include "gui/bin_window.h"
#include "gui/command_ids.h"
#include "gui/command_table.h"
#include "gui/convert_command.h"
#include "gui/display_preview_pane.h"
#include "gui/document_commands.h"
#include "gui/editor.h"
#include "gui/icons.h"
#include "gui/memory_guard.h"
#include "gui/menu_style.h"
#include "gui/profile_manager_window.h"
#include "gui/qt_text.h"

namespace trulvex {
namespace {

constexpr int kMinimumWidth = 520;
constexpr int kMinimumHeight = 304;
constexpr int kMinimumEditorHeight = 50;
constexpr int kDividerMargin = 2;
constexpr int kSelectorListHeight = 200;
// What a window manager's frame typically adds around the inner area.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 40;

// A path the command line or a drop names: an existing file of at least
// one byte; anything else is ignored without a message.
bool IsOpenableFile(const std::filesystem::path& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error) &&
         std::filesystem::file_size(path, error) > 0 && !error;
}

// The stored height counts the menu bar. The window's own height holds it
// already unless the menu bar is the platform's, outside the window.
int MenuBarOutsideHeight(const QMenuBar* bar) {
  return bar->isNativeMenuBar() ? bar->sizeHint().height() : 0;
}

}  // namespace

MainWindow::MainWindow(AppPaths paths, UserDialogs* dialogs)
    : paths_(std::move(paths)), dialogs_(dialogs) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QString::fromUtf8(kProgramTitle));
  // Every window opened from here shows it too.
  setWindowIcon(ProgramIcon());
  settings_ = LoadSettings(paths_.settings);
  const std::vector<ScreenRect> screens = AvailableScreens();
  CorrectWindowPlacement(screens, &settings_);

  documents_ = std::make_unique<DocumentCommands>(this);
  convert_ = std::make_unique<ConvertCommand>(this);
  menu_layer_ = std::make_unique<MenuStyleLayer>();
  BuildMenus();
  // Whatever the stored numbers, the window opens whole on a screen.
  const WindowGeometry geometry = RestoredWindowGeometry(
      settings_, screens, {0, 0, kFrameWidth, kFrameHeight},
      MenuBarOutsideHeight(menuBar()), {0, 0, kMinimumWidth, kMinimumHeight});
  BuildToolbar();
  BuildStatusBar();
  BuildEditors(geometry);
  BuildPreviewPane();
  setMinimumSize(std::min(kMinimumWidth, geometry.width),
                 std::min(kMinimumHeight, geometry.height));
  resize(geometry.width, geometry.height);
  move(geometry.x, geometry.y);
  setAcceptDrops(true);
  connect(qApp, &QApplication::focusChanged, this,
          [this] { RefreshEditStates(); });
  RefreshEditStates();
}

MainWindow::~MainWindow() {
  // Destroying the children moves the focus: a half-destroyed window must
  // not refresh its commands.
  disconnect(qApp, nullptr, this, nullptr);
  // The dock reports itself hidden as the children go: nobody is listening.
  if (preview_dock_ != nullptr)
    disconnect(preview_dock_, nullptr, this, nullptr);
  source_ = nullptr;
}

QAction* MainWindow::AddMenuAction(QMenu* menu, int command) {
  const CommandSpec* spec = FindCommand(command);
  QAction* action = menu->addAction(spec->label);
  action->setObjectName(QStringLiteral("menu%1").arg(command));
  action->setCheckable(spec->checkable);
  if (spec->shortcut != QKeyCombination()) {
    action->setShortcut(spec->shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
  }
  connect(action, &QAction::triggered, this,
          [this, command] { RunCommand(command); });
  menu_actions_.insert(command, action);
  return action;
}

void MainWindow::BuildMenus() {
  for (const MenuSpec& spec : MenuBarLayout()) {
    QMenu* menu = menuBar()->addMenu(spec.title);
    for (const int entry : spec.entries) {
      switch (entry) {
        case kSeparator:
          menu->addSeparator();
          break;
        case kRecentFilesSubmenu:
          recent_menu_ = menu->addMenu(QStringLiteral("Недавние файлы"));
          recent_menu_->setObjectName(QStringLiteral("recentMenu"));
          break;
        case kMenuStyleSubmenu: {
          QMenu* styles = menu->addMenu(QStringLiteral("Стиль меню"));
          for (int style = 1; style <= 3; ++style) {
            style_actions_.insert(
                style,
                AddMenuAction(styles, kCommandMenuStyleFirst - 1 + style));
          }
          break;
        }
        default:
          AddMenuAction(menu, entry);
      }
    }
  }

  editor_menu_ = new QMenu(this);
  editor_menu_->setObjectName(QStringLiteral("editorMenu"));
  for (const int command : EditorMenuLayout()) {
    if (command == kSeparator) {
      editor_menu_->addSeparator();
      continue;
    }
    const CommandSpec* spec = FindCommand(command);
    QAction* action = editor_menu_->addAction(spec->label);
    action->setObjectName(QStringLiteral("editorMenu%1").arg(command));
    // Shown here, owned by the menu bar's item.
    if (spec->shortcut != QKeyCombination()) {
      action->setShortcut(spec->shortcut);
      action->setShortcutContext(Qt::WidgetShortcut);
    }
    connect(action, &QAction::triggered, this, [this, command] {
      Editor* editor = last_editor_ != nullptr ? last_editor_ : source_;
      editor->setFocus();
      RunCommand(command);
    });
    editor_menu_actions_.insert(command, action);
  }

  recent_dropdown_ = new QMenu(this);
  recent_dropdown_->setObjectName(QStringLiteral("recentDropdown"));
  for (int n = 1; n <= RecentFiles::kCount; ++n) {
    const int command = kCommandRecentFirst + n - 1;
    QAction* item = recent_menu_->addAction(QString());
    item->setObjectName(QStringLiteral("recent%1").arg(n));
    connect(item, &QAction::triggered, this,
            [this, command] { RunCommand(command); });
    recent_menu_items_.append(item);
    QAction* dropdown_item = recent_dropdown_->addAction(QString());
    dropdown_item->setObjectName(QStringLiteral("recentDropdown%1").arg(n));
    connect(dropdown_item, &QAction::triggered, this,
            [this, command] { RunCommand(command); });
    recent_dropdown_items_.append(dropdown_item);
  }
  RefreshRecentLabels();

  // The recent files drop-down carries a vertical caption in every style.
  menu_layer_->SetCaptionHook(
      [this](const QStyleOptionMenuItem&, MenuCaptionRequest* request) {
        if (request->kind != MenuStyleLayer::kPopup ||
            request->menu != recent_dropdown_) {
          return 0;
        }
        request->caption = QStringLiteral("Файлы, открытые последними");
        request->across = 2;
        request->along = 4;
        request->font = QFont(QStringLiteral("MS Sans Serif"), 8, QFont::Bold);
        request->colour = QColor(252, 6, 3);
        return 1;
      });
}

void MainWindow::BuildToolbar() {
  QToolBar* toolbar = addToolBar(QStringLiteral("Панель инструментов"));
  toolbar->setObjectName(QStringLiteral("toolbar"));
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setIconSize(QSize(16, 16));
  toolbar->toggleViewAction()->setEnabled(false);
  setContextMenuPolicy(Qt::NoContextMenu);

  for (const ToolSpec& tool : ToolbarLayout()) {
    switch (tool.command) {
      case kToolbarSeparator:
        toolbar->addSeparator();
        break;
      case kRecentFilesButton:
        AddRecentFilesButton(toolbar, tool);
        break;
      case kProfileSelector:
        AddProfileSelector(toolbar, tool);
        break;
      default:
        AddToolButton(toolbar, tool);
    }
  }
}

void MainWindow::AddToolButton(QToolBar* toolbar, const ToolSpec& tool) {
  const int command = tool.command;
  QAction* action;
  if (FindCommand(command)->checkable) {
    // One action, so that the button and the menu item agree.
    action = menu_actions_.value(command);
    toolbar->addAction(action);
  } else {
    action = toolbar->addAction(QString());
    action->setObjectName(QStringLiteral("tool%1").arg(command));
    connect(action, &QAction::triggered, this,
            [this, command] { RunCommand(command); });
  }
  if (tool.image != 0) {
    action->setIcon(StoredIcon(tool.image));
  } else if (command == kCommandUndo || command == kCommandRedo) {
    action->setIcon(command == kCommandUndo ? StandardUndoIcon(style())
                                            : StandardRedoIcon(style()));
  }
  action->setToolTip(tool.tip);
  toolbar_actions_.insert(command, action);
}

void MainWindow::AddRecentFilesButton(QToolBar* toolbar, const ToolSpec& tool) {
  // The Open button only drops the recent files down; Ctrl+O and the menu
  // item open the file dialog.
  open_button_ = new QToolButton(toolbar);
  open_button_->setObjectName(QStringLiteral("openButton"));
  open_button_->setIcon(StoredIcon(tool.image));
  open_button_->setToolTip(tool.tip);
  // The arrow shows as a part of its own, and the face drops the list down
  // as well.
  open_button_->setPopupMode(QToolButton::MenuButtonPopup);
  open_button_->setMenu(recent_dropdown_);
  open_button_->setAutoRaise(true);
  connect(open_button_, &QToolButton::clicked, open_button_,
          &QToolButton::showMenu);
  toolbar->addWidget(open_button_);
}

void MainWindow::AddProfileSelector(QToolBar* toolbar, const ToolSpec& tool) {
  auto* label_gap = new QWidget(toolbar);
  label_gap->setFixedWidth(72);
  auto* label = new QLabel(QStringLiteral("Профиль"), label_gap);
  label->setObjectName(QStringLiteral("profileLabel"));
  label->setGeometry(14, 5, 58, 16);
  toolbar->addWidget(label_gap);
  auto* selector_gap = new QWidget(toolbar);
  selector_gap->setFixedWidth(146);
  selector_ = new QComboBox(selector_gap);
  selector_->setObjectName(QStringLiteral("profileSelector"));
  selector_->setToolTip(tool.tip);
  selector_->setGeometry(0, 2, 140, selector_->sizeHint().height());
  // However many profiles there are, the list drops down 200 pixels at most.
  selector_->setMaxVisibleItems(100);
  selector_->view()->window()->setMaximumHeight(kSelectorListHeight);
  toolbar->addWidget(selector_gap);
  connect(selector_, &QComboBox::activated, this, [this] {
    LoadSelectedProfile();
    source_->setFocus();
  });
}

void MainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  auto* field = new QWidget(bar);
  field->setFixedWidth(30);
  modified_indicator_ = new QLabel(field);
  modified_indicator_->setObjectName(QStringLiteral("modifiedIndicator"));
  modified_indicator_->setPixmap(StoredIcon(kImageModified).pixmap(16, 16));
  modified_indicator_->setGeometry(5, 3, 16, 16);
  modified_indicator_->setToolTip(
      QStringLiteral("Признак того, что текст в редакторе был изменён"));
  modified_indicator_->hide();
  bar->addWidget(field);
  status_path_ = new QLabel(bar);
  status_path_->setObjectName(QStringLiteral("statusPath"));
  status_path_->setMinimumWidth(200);
  bar->addWidget(status_path_, 1);
  status_encoding_ = new QLabel(QStringLiteral("CP1251"), bar);
  status_encoding_->setObjectName(QStringLiteral("statusEncoding"));
  bar->addPermanentWidget(status_encoding_);
}

void MainWindow::BuildEditors(const WindowGeometry& geometry) {
  divider_ = new QSplitter(Qt::Vertical, this);
  divider_->setObjectName(QStringLiteral("divider"));
  divider_->setChildrenCollapsible(false);
  divider_->setContentsMargins(kDividerMargin, kDividerMargin, kDividerMargin,
                               kDividerMargin);
  source_ = new Editor(Editor::Role::kSource, divider_);
  result_ = new Editor(Editor::Role::kResult, divider_);
  for (Editor* editor : {source_, result_}) {
    editor->setMinimumHeight(kMinimumEditorHeight);
    connect(editor, &Editor::menuRequested, this,
            [this, editor](const QPoint& at) { ShowEditorMenu(editor, at); });
    connect(editor, &Editor::stateChanged, this,
            [this] { RefreshEditStates(); });
    connect(editor, &Editor::textChanged, this,
            [this] { RefreshEditStates(); });
    connect(editor, &Editor::filesDropped, this, &MainWindow::OpenDroppedFiles);
  }
  connect(source_, &Editor::modifiedChanged, this,
          [this](bool modified) { modified_indicator_->setVisible(modified); });
  divider_->addWidget(source_);
  divider_->addWidget(result_);
  // The divider stays R pixels from the top: resizing the window only
  // changes the result editor.
  divider_->setStretchFactor(0, 0);
  divider_->setStretchFactor(1, 1);
  setCentralWidget(divider_);
  divider_->setSizes(
      {geometry.divider, std::max(geometry.height - geometry.divider, 100)});
}

void MainWindow::BuildPreviewPane() {
  preview_dock_ =
      new QDockWidget(QStringLiteral("Просмотр на индикаторе"), this);
  preview_dock_->setObjectName(QStringLiteral("previewDock"));
  // A fixed place under the editors: its height is all there is to keep.
  preview_dock_->setFeatures(QDockWidget::DockWidgetClosable);
  preview_dock_->setAllowedAreas(Qt::BottomDockWidgetArea);
  preview_pane_ = new DisplayPreviewPane(source_, &working_, &settings_.preview,
                                         preview_dock_);
  preview_dock_->setWidget(preview_pane_);
  addDockWidget(Qt::BottomDockWidgetArea, preview_dock_);
  // The pane's own close button hides it as the menu item does.
  connect(preview_dock_, &QDockWidget::visibilityChanged, this, [this] {
    if (preview_dock_->isHidden() && settings_.preview.visible) {
      SetPreviewVisible(false);
    }
  });
  SetPreviewVisible(settings_.preview.visible);
}

void MainWindow::SetPreviewVisible(bool visible) {
  settings_.preview.visible = visible;
  preview_dock_->setVisible(visible);
  // The menu item and the toolbar button are one action.
  menu_actions_.value(kCommandPreview)->setChecked(visible);
}

bool MainWindow::Start(const std::vector<std::filesystem::path>& arguments) {
  const EnsureDatabaseResult database = EnsureProfileDatabase(
      paths_.database, [this](const UserMessage& question) {
        return dialogs_->Ask(
                   this, question,
                   {UserDialogs::Button::kYes, UserDialogs::Button::kNo},
                   UserDialogs::Button::kYes) == UserDialogs::Button::kYes;
      });
  if (database == EnsureDatabaseResult::kCreateFailed) {
    dialogs_->Show(nullptr, DatabaseCreateFailedMessage());
    return false;
  }
  RefillProfileSelector(settings_.Pos);
  if (database_unreadable_) {
    dialogs_->Show(this,
                   DatabaseUnreadableMessage(paths_.database, database_error_));
  }
  SetMenuStyle(EffectiveMenuStyle(settings_.StyleMenu));
  if (!arguments.empty() && IsOpenableFile(arguments.front())) {
    // Memory running out leaves the program started with an empty text.
    RunGuarded(dialogs_, this,
               [this, &arguments] { documents_->OpenFile(arguments.front()); });
  }
  source_->setFocus();
  return true;
}

void MainWindow::RefillProfileSelector(int index) {
  std::vector<std::string> names;
  database_error_.clear();
  // A database that is there but cannot be read is told once at start-up
  // and keeps the stored selection.
  database_unreadable_ =
      !FillProfileList(paths_.database, &names, &database_error_) &&
      ProfileDatabaseExists(paths_.database);
  selector_->clear();
  for (const std::string& name : names) selector_->addItem(FromCp1251(name));
  selector_->setCurrentIndex(
      SelectedProfileIndex(index, static_cast<int>(names.size())));
  LoadSelectedProfile();
  const bool any = selector_->count() > 0;
  menu_actions_.value(kCommandConvert)->setEnabled(any);
  toolbar_actions_.value(kCommandConvert)->setEnabled(any);
}

std::optional<ProfileRecord> MainWindow::LoadSelectedProfile() {
  if (selector_->currentIndex() < 0) return std::nullopt;
  std::optional<ProfileRecord> record =
      LoadNamedProfile(ToCp1251(selector_->currentText()), this);
  if (record) {
    working_ = *record;
    // The profile's cleaning decides what the display shows.
    if (preview_pane_ != nullptr) preview_pane_->ScheduleRefresh();
  }
  return record;
}

std::optional<ProfileRecord> MainWindow::LoadNamedProfile(std::string_view name,
                                                          QWidget* parent) {
  ProfileRecord record;
  std::string marker;
  switch (LoadProfile(paths_.database, name, &record, &marker)) {
    case LoadProfileResult::kLoaded:
      break;
    case LoadProfileResult::kNotFound:
      dialogs_->Show(parent, ProfileNotFoundMessage(name));
      return std::nullopt;
    case LoadProfileResult::kUnavailable:
      // Without its database the selector has nothing left to offer.
      selector_->clear();
      dialogs_->Show(parent, DatabaseMissingMessage(paths_.database));
      return std::nullopt;
  }
  record.Name = std::string(name);
  // The result editor's colouring follows the profile loaded last.
  SetCommentMarker(std::move(marker));
  return record;
}

std::string MainWindow::SourceText() const {
  return Utf8ToCp1251(source_->Utf8Text());
}

std::vector<std::string> MainWindow::SelectorProfiles() const {
  std::vector<std::string> names;
  for (int i = 0; i < selector_->count(); ++i) {
    names.push_back(ToCp1251(selector_->itemText(i)));
  }
  return names;
}

int MainWindow::SelectedProfile() const { return selector_->currentIndex(); }

void MainWindow::SetCommentMarker(std::string marker) {
  comment_marker_ = std::move(marker);
  result_->SetCommentMarker(comment_marker_);
}

void MainWindow::SetDocument(const std::filesystem::path& path,
                             TextEncoding encoding, bool bom) {
  document_path_ = path;
  document_encoding_ = encoding;
  document_bom_ = bom;
  status_encoding_->setText(encoding == TextEncoding::kUtf8
                                ? QStringLiteral("UTF-8")
                                : QStringLiteral("CP1251"));
}

void MainWindow::ShowStatusPath(const std::filesystem::path& path) {
  status_path_->setText(DisplayedPath(path));
}

bool MainWindow::ConfirmDiscard() {
  if (!source_->IsModified()) return true;
  const UserMessage question = SaveChangesQuestion();
  switch (dialogs_->Ask(this, question,
                        {UserDialogs::Button::kYes, UserDialogs::Button::kNo,
                         UserDialogs::Button::kCancel},
                        UserDialogs::Button::kYes)) {
    case UserDialogs::Button::kYes:
      // An unfinished save keeps the text: the command stops.
      return documents_->Save();
    case UserDialogs::Button::kNo:
      return true;
    default:
      return false;
  }
}

void MainWindow::RecordRecentFile(const std::filesystem::path& path) {
  if (settings_.recent_files.Record(PathBytes(path))) RefreshRecentLabels();
}

void MainWindow::RefreshRecentLabels() {
  for (int n = 1; n <= RecentFiles::kCount; ++n) {
    // The label holds the path's own bytes, which need not be UTF-8.
    const QString label =
        FromUtf8(DisplayPath(settings_.recent_files.Label(n)));
    recent_menu_items_[n - 1]->setText(label);
    recent_dropdown_items_[n - 1]->setText(label);
  }
}

Editor* MainWindow::FocusedEditor() const {
  QWidget* focus = QApplication::focusWidget();
  if (focus == source_) return source_;
  if (focus == result_) return result_;
  return nullptr;
}

void MainWindow::RefreshEditStates() {
  if (source_ == nullptr) return;
  Editor* editor = FocusedEditor();
  if (editor != nullptr) last_editor_ = editor;
  const bool in_editor = editor != nullptr;
  const bool source = editor == source_;
  for (int command = kCommandUndo; command <= kCommandSelectAll; ++command) {
    menu_actions_.value(command)->setEnabled(in_editor);
  }
  for (int command : {kCommandCut, kCommandCopy, kCommandPaste}) {
    toolbar_actions_.value(command)->setEnabled(in_editor);
  }
  const bool can_undo = source && source_->CanUndo();
  const bool can_redo = source && source_->CanRedo();
  for (const auto* actions :
       {&menu_actions_, &toolbar_actions_, &editor_menu_actions_}) {
    actions->value(kCommandUndo)->setEnabled(can_undo);
    actions->value(kCommandRedo)->setEnabled(can_redo);
  }
}

void MainWindow::ShowEditorMenu(Editor* editor, const QPoint& position) {
  editor->setFocus();
  last_editor_ = editor;
  RefreshEditStates();
  // The editor that was clicked decides Undo and Redo, whatever the focus
  // is while the menu is open.
  const bool source = editor == source_;
  editor_menu_actions_.value(kCommandUndo)
      ->setEnabled(source && source_->CanUndo());
  editor_menu_actions_.value(kCommandRedo)
      ->setEnabled(source && source_->CanRedo());
  editor_menu_->popup(position);
}

void MainWindow::EditCommand(int command) {
  Editor* editor = FocusedEditor();
  if (editor == nullptr) return;
  switch (command) {
    case kCommandUndo:
      if (editor == source_ && source_->CanUndo()) source_->Undo();
      return;
    case kCommandRedo:
      if (editor == source_ && source_->CanRedo()) source_->Redo();
      return;
    case kCommandCut:
      editor->Cut();
      break;
    case kCommandCopy:
      editor->Copy();
      break;
    case kCommandPaste:
      editor->Paste();
      break;
    case kCommandSelectAll:
      editor->SelectAll();
      break;
    case kCommandSaveEditorText:
      documents_->SaveEditorText(editor);
      break;
  }
  editor->setFocus();
}

void MainWindow::SetMenuStyle(int style) {
  for (auto it = style_actions_.begin(); it != style_actions_.end(); ++it) {
    it.value()->setChecked(it.key() == style);
  }
  MenuStyleLayer& layer = *menu_layer_;
  if (style != 2 && style != 3) {
    // The standard style: the platform draws the window's menus; the
    // drop-down keeps the last owner-drawn scheme and its caption.
    layer.RegisterMenu(menuBar(), false, MenuStyleLayer::kMenuBar);
    layer.RegisterMenu(editor_menu_, false, MenuStyleLayer::kPopup);
    layer.RegisterMenu(recent_dropdown_, true, MenuStyleLayer::kPopup);
    menuBar()->update();
    return;
  }
  layer.RegisterMenu(menuBar(), true, MenuStyleLayer::kMenuBar);
  layer.RegisterMenu(editor_menu_, true, MenuStyleLayer::kPopup);
  layer.RegisterMenu(recent_dropdown_, true, MenuStyleLayer::kPopup);
  layer.ApplyColourScheme(style == 2 ? ColourScheme::kOfficeXp
                                     : ColourScheme::kOffice2003);
  MenuStyle record = layer.style_record();
  SetProgramShortcutColours(&record);
  layer.SetStyleRecord(record);

  for (const auto* actions : {&menu_actions_, &editor_menu_actions_}) {
    for (auto it = actions->begin(); it != actions->end(); ++it) {
      const CommandSpec* spec = FindCommand(it.key());
      if (spec->menu_image != 0) {
        MenuStyleLayer::AttachIcon(it.value(), StoredIcon(spec->menu_image));
      }
    }
  }
  menuBar()->update();
}

void MainWindow::RunCommand(int command) {
  RunGuarded(dialogs_, this, [this, command] { RunCommandUnguarded(command); });
}

void MainWindow::RunCommandUnguarded(int command) {
  if (command >= kCommandUndo && command <= kCommandSaveEditorText) {
    EditCommand(command);
    RefreshEditStates();
    return;
  }
  if (command >= kCommandRecentFirst && command <= kCommandRecentLast) {
    documents_->OpenRecent(command - kCommandRecentFirst + 1);
    source_->setFocus();
    return;
  }
  if (command >= kCommandMenuStyleFirst && command <= kCommandMenuStyleLast) {
    settings_.StyleMenu = command - 50;
    SetMenuStyle(settings_.StyleMenu);
    source_->setFocus();
    return;
  }
  switch (command) {
    case kCommandOpen:
      documents_->Open();
      break;
    case kCommandSaveAs:
      documents_->SaveAs();
      break;
    case kCommandNew:
      documents_->New();
      break;
    case kCommandSave:
      documents_->Save();
      break;
    case kCommandQuit:
      close();
      return;
    case kCommandConvert:
      convert_->Run();
      break;
    case kCommandProfiles:
      OpenProfileManager(this);
      break;
    case kCommandConvertToBin:
      OpenBinWindow();
      return;  // the BIN window keeps the focus
    case kCommandPreview:
      SetPreviewVisible(!settings_.preview.visible);
      break;
    case kCommandAbout:
      OpenAboutWindow(this);
      return;  // the About window keeps the focus
    default:
      break;
  }
  source_->setFocus();
}

void MainWindow::SaveWindowPlacement() {
  const QRect frame = frameGeometry();
  const QRect inner = geometry();
  settings_.X = frame.x();
  settings_.Y = frame.y();
  settings_.W = inner.width();
  settings_.H = inner.height() + MenuBarOutsideHeight(menuBar());
  const QList<int> sizes = divider_->sizes();
  if (!sizes.isEmpty()) settings_.R = sizes.first();
  if (!database_unreadable_) settings_.Pos = selector_->currentIndex();
  if (settings_.preview.visible) {
    settings_.preview.height = preview_dock_->height();
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The dock takes a height only once the window has laid it out.
  if (!preview_height_restored_ && settings_.preview.visible &&
      settings_.preview.height > 0) {
    resizeDocks({preview_dock_}, {settings_.preview.height}, Qt::Vertical);
  }
  preview_height_restored_ = true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Disabled, the window is under a long conversion or a window modal to
  // it: it stays until they end.
  if (!isEnabled() || !ConfirmDiscard()) {
    event->ignore();
    return;
  }
  CloseOtherWindows();
  // Once, with the final values: the BIN window has stored its options.
  SaveWindowPlacement();
  SaveSettings(paths_.settings, settings_);
  event->accept();
}

void MainWindow::CloseOtherWindows() {
  // Qt's own quit asks every window to close and gives up when one refuses
  // (the About window fades out instead): the program would go on without
  // a main window.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow() || child->isHidden()) continue;
    if (auto* about = qobject_cast<AboutWindow*>(child)) {
      about->CloseAtOnce();
    } else {
      child->close();
    }
  }
}

void MainWindow::OpenBinWindow() {
  if (bin_window_.isNull()) {
    bin_window_ = new BinWindow(this);
  } else {
    bin_window_->setWindowState(bin_window_->windowState() &
                                ~Qt::WindowMinimized);
  }
  bin_window_->show();
  bin_window_->raise();
  bin_window_->activateWindow();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty()) return;
  event->acceptProposedAction();
  OpenDroppedFiles(urls);
}

void MainWindow::OpenDroppedFiles(const QList<QUrl>& urls) {
  if (urls.isEmpty()) return;
  const std::filesystem::path path = DroppedFilePath(urls.first());
  // The first dropped file only; the text is kept unless the user agrees.
  if (!IsOpenableFile(path) || !ConfirmDiscard()) return;
  RunGuarded(dialogs_, this, [this, &path] { documents_->OpenFile(path); });
  source_->setFocus();
}

}  // namespace trulvex

#ifndef TRULVEX_GUI_COMMAND_TABLE_H_
#define TRULVEX_GUI_COMMAND_TABLE_H_

#include <QKeyCombination>
#include <QString>
#include <span>

namespace trulvex {

// Everything the menus, the toolbar and the keyboard show of the main
// window's commands, in one place. A new command is an entry of Commands()
// and a place in the layouts below; the menus, the toolbar, the window's
// shortcuts and the editors' key handling all follow from them.

struct CommandSpec {
  int command;
  // The item's text; the menus show the shortcut after it.
  QString label;
  // A window shortcut: it works whichever control has the focus, and the
  // editors never see it. None for most commands.
  QKeyCombination shortcut;
  // The picture beside the item in the owner-drawn menus, 0 for none.
  int menu_image = 0;
  // An on/off command: its menu item and toolbar button share one checked
  // state.
  bool checkable = false;
};

std::span<const CommandSpec> Commands();
// The entry of `command`; null when it has none.
const CommandSpec* FindCommand(int command);

// True for the key combinations that belong to the main window.
bool IsWindowShortcut(QKeyCombination keys);

// Entries of the menu layouts besides command numbers.
enum MenuEntry : int {
  kSeparator = -1,
  kRecentFilesSubmenu = -2,  // "Недавние файлы", the ten recent files
  kMenuStyleSubmenu = -3,  // "Стиль меню", the three menu style commands
};

struct MenuSpec {
  QString title;
  std::span<const int> entries;  // command numbers and MenuEntry values
};

std::span<const MenuSpec> MenuBarLayout();
// The editor context menu. It shows the shortcuts of its items, but the
// menu bar's items own them.
std::span<const int> EditorMenuLayout();

// Entries of the toolbar layout besides buttons.
enum ToolbarEntry : int {
  kToolbarSeparator = -1,
  kRecentFilesButton = -2,  // the Open button, which drops the list down
  kProfileSelector = -3,    // the label "Профиль" and the selector
};

struct ToolSpec {
  int command;  // a command number or a ToolbarEntry value
  // A stored picture; 0 takes the platform's standard one for the command.
  int image = 0;
  QString tip;
};

std::span<const ToolSpec> ToolbarLayout();

}  // namespace trulvex

#endif  // TRULVEX_GUI_COMMAND_TABLE_H_

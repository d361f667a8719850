#include "gui/command_table.h"

#include <algorithm>
#include <vector>

#include "gui/command_ids.h"

namespace trulvex {
namespace {

constexpr QKeyCombination Ctrl(Qt::Key key) { return Qt::CTRL | key; }

}  // namespace

std::span<const CommandSpec> Commands() {
  static const std::vector<CommandSpec> commands = {
      {kCommandNew, QStringLiteral("Новый"), Ctrl(Qt::Key_N), kImageNew},
      {kCommandOpen, QStringLiteral("Открыть"), Ctrl(Qt::Key_O), kImageOpen},
      {kCommandSave, QStringLiteral("Сохранить"), Ctrl(Qt::Key_S), kImageSave},
      {kCommandSaveAs, QStringLiteral("Сохранить как..."),
       Qt::CTRL | Qt::SHIFT | Qt::Key_S},
      {kCommandQuit, QStringLiteral("Закрыть"), {}},
      {kCommandUndo, QStringLiteral("Отменить"), Ctrl(Qt::Key_Z), kImageUndo},
      {kCommandRedo, QStringLiteral("Повторить"), Ctrl(Qt::Key_Y), kImageRedo},
      {kCommandCut, QStringLiteral("Вырезать"), Ctrl(Qt::Key_X), kImageCut},
      {kCommandCopy, QStringLiteral("Копировать"), Ctrl(Qt::Key_C), kImageCopy},
      {kCommandPaste, QStringLiteral("Вставить"), Ctrl(Qt::Key_V), kImagePaste},
      {kCommandSelectAll, QStringLiteral("Выделить всё"), Ctrl(Qt::Key_A)},
      {kCommandSaveEditorText,
       QStringLiteral("Сохранить в файле"),
       {},
       kImageSave},
      {kCommandMenuStyleFirst, QStringLiteral("Стандартный"), {}, 0, true},
      {kCommandMenuStyleFirst + 1, QStringLiteral("Офис ХР"), {}, 0, true},
      {kCommandMenuStyleFirst + 2, QStringLiteral("Офис 2003"), {}, 0, true},
      {kCommandConvert, QStringLiteral("Преобразовать..."), Ctrl(Qt::Key_T)},
      {kCommandConvertToBin, QStringLiteral("Преобразовать в BIN формат"),
       Ctrl(Qt::Key_B)},
      {kCommandProfiles,
       QStringLiteral("Управление профилями"),
       {},
       kImageProfiles},
      {kCommandAbout, QStringLiteral("О программе"), {}, kImageAbout},
      // The menu item shows its state by a check box, not a picture.
      {kCommandPreview, QStringLiteral("Просмотр на индикаторе"),
       QKeyCombination(Qt::Key_F8), 0, true},
  };
  return commands;
}

const CommandSpec* FindCommand(int command) {
  const std::span<const CommandSpec> all = Commands();
  const auto found = std::find_if(
      all.begin(), all.end(),
      [command](const CommandSpec& spec) { return spec.command == command; });
  return found == all.end() ? nullptr : &*found;
}

bool IsWindowShortcut(QKeyCombination keys) {
  const Qt::KeyboardModifiers modifiers =
      keys.keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier |
                                  Qt::AltModifier | Qt::MetaModifier);
  const QKeyCombination plain(modifiers, keys.key());
  const std::span<const CommandSpec> all = Commands();
  return std::any_of(all.begin(), all.end(), [plain](const CommandSpec& spec) {
    return spec.shortcut != QKeyCombination() && spec.shortcut == plain;
  });
}

std::span<const MenuSpec> MenuBarLayout() {
  static const int file[] = {kCommandNew,    kCommandOpen, kCommandSave,
                             kCommandSaveAs, kSeparator,   kRecentFilesSubmenu,
                             kSeparator,     kCommandQuit};
  static const int edit[] = {kCommandUndo,     kCommandRedo,      kSeparator,
                             kCommandCut,      kCommandCopy,      kCommandPaste,
                             kSeparator,       kCommandSelectAll, kSeparator,
                             kMenuStyleSubmenu};
  static const int convert[] = {kCommandConvert, kCommandConvertToBin,
                                kSeparator, kCommandProfiles};
  static const int view[] = {kCommandPreview};
  static const int help[] = {kCommandAbout};
  static const std::vector<MenuSpec> menus = {
      {QStringLiteral("Файл"), file},
      {QStringLiteral("Правка"), edit},
      {QStringLiteral("Вид"), view},
      {QStringLiteral("Преобразование"), convert},
      {QStringLiteral("Справка"), help},
  };
  return menus;
}

std::span<const int> EditorMenuLayout() {
  static const int items[] = {
      kCommandUndo, kCommandRedo,          kSeparator, kCommandCut,
      kCommandCopy, kCommandPaste,         kSeparator, kCommandSelectAll,
      kSeparator,   kCommandSaveEditorText};
  return items;
}

std::span<const ToolSpec> ToolbarLayout() {
  static const std::vector<ToolSpec> tools = {
      {kToolbarSeparator, 0, {}},
      {kCommandNew, kImageNew, QStringLiteral("Новый")},
      {kRecentFilesButton, kImageOpen, QStringLiteral("Открыть")},
      {kCommandSave, kImageSave, QStringLiteral("Сохранить")},
      {kToolbarSeparator, 0, {}},
      {kCommandCut, kImageCut, QStringLiteral("Вырезать")},
      {kCommandCopy, kImageCopy, QStringLiteral("Копировать")},
      {kCommandPaste, kImagePaste, QStringLiteral("Вставить")},
      {kToolbarSeparator, 0, {}},
      {kCommandUndo, 0, {}},
      {kCommandRedo, 0, {}},
      {kToolbarSeparator, 0, {}},
      // The platform's "properties" picture, where it has one at all, looks
      // like the About button's: Convert has its own.
      {kCommandConvert, kImageConvert, QStringLiteral("Преобразовать")},
      {kProfileSelector, 0, QStringLiteral("Выбор профиля")},
      {kCommandProfiles, kImageProfiles,
       QStringLiteral("Управление профилями")},
      {kToolbarSeparator, 0, {}},
      {kCommandPreview, kImagePreview,
       QStringLiteral("Просмотр на индикаторе")},
      {kToolbarSeparator, 0, {}},
      {kCommandAbout, kImageAbout, QStringLiteral("О программе")},
  };
  return tools;
}

}  // namespace trulvex

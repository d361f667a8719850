#ifndef TRULVEX_GUI_COMMAND_IDS_H_
#define TRULVEX_GUI_COMMAND_IDS_H_

namespace trulvex {

// A menu item, its shortcut and its toolbar button share one command.
enum Command : int {
  kCommandOpen = 1,
  kCommandSaveAs = 2,
  kCommandProfiles = 3,
  kCommandQuit = 4,
  kCommandAbout = 5,
  kCommandConvert = 7,
  kCommandConvertToBin = 8,
  kCommandNew = 9,
  kCommandSave = 10,
  kCommandUndo = 18,
  kCommandRedo = 19,
  kCommandCut = 20,
  kCommandCopy = 21,
  kCommandPaste = 22,
  kCommandSelectAll = 23,
  kCommandSaveEditorText = 24,
  kCommandRecentFirst = 30,  // recent entry n is kCommandRecentFirst + n - 1
  kCommandRecentLast = 39,
  kCommandMenuStyleFirst = 51,  // menu style n is 50 + n
  kCommandMenuStyleLast = 53,
  // Shows or hides the display preview pane (the "Вид" menu).
  kCommandPreview = 60,
};

// The stored pictures, by the numbers the toolbar and the menus use.
enum Image : int {
  kImageOpen = 1,
  kImageSave = 2,
  kImageProfiles = 3,
  kImageCut = 4,
  kImageCopy = 5,
  kImagePaste = 6,
  kImageNew = 7,
  kImageAbout = 9,
  kImageModified = 10,
  kImageUndo = 20,
  kImageRedo = 21,
  kImageConvert = 22,
  kImagePreview = 23,
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_COMMAND_IDS_H_

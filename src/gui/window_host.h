#ifndef TRULVEX_GUI_WINDOW_HOST_H_
#define TRULVEX_GUI_WINDOW_HOST_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/profile_record.h"
#include "core/shell/settings.h"

class QWidget;

namespace trulvex {

class UserDialogs;

// What the program's other windows ask of the main window. They get this
// instead of the main window itself, so that the program-wide state stays
// the main window's to change.
class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // The window the others are opened over and centred on.
  virtual QWidget* host_window() = 0;
  virtual UserDialogs* dialogs() const = 0;
  virtual const std::filesystem::path& profile_database() const = 0;

  // The source editor's whole text, in code page 1251.
  virtual std::string SourceText() const = 0;

  // The BIN options the settings keep; a stored change is kept at once.
  virtual const BinSettings& bin_settings() const = 0;
  virtual void StoreBinSettings(const BinSettings& bin) = 0;

  // The profile selector's names (code page 1251), in its order, and the
  // index of its selected entry (-1 for none).
  virtual std::vector<std::string> SelectorProfiles() const = 0;
  virtual int SelectedProfile() const = 0;

  // Loads the profile `name` from the database. A failure is reported over
  // `parent` as everywhere in the program, and gives nothing.
  virtual std::optional<ProfileRecord> LoadNamedProfile(std::string_view name,
                                                        QWidget* parent) = 0;

  // The database changed: the selector is filled again with entry `index`
  // selected, and the working record follows it.
  virtual void ProfilesChanged(int index) = 0;
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_WINDOW_HOST_H_

#include "core/shell/program_info.h"

#include "core/base/version.h"

namespace trulvex {

std::optional<std::string> ProgramInfoText(
    const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  const std::string& first = arguments.front();
  if (first == "--version") return std::string("trulvex ") + kVersion + "\n";
  if (first != "--help" && first != "-h") return std::nullopt;
  return std::string(kProgramTitle) +
         " — перевод текста в коды знакогенератора HD44780 (кириллица)\n"
         "\n"
         "Использование: trulvex [ФАЙЛ]\n"
         "  ФАЙЛ         текстовый файл (UTF-8 или cp1251), который откроется\n"
         "               в верхнем редакторе\n"
         "  -h, --help   эта справка\n"
         "  --version    версия программы\n"
         "\n"
         "Профили (Profile.prof) и настройки (Preferences.ini) хранятся в\n"
         "$TRULVEX_DATA_DIR, если он задан; иначе в каталоге программы, если\n"
         "там уже есть Profile.prof или файл portable; иначе в\n"
         "$XDG_CONFIG_HOME/trulvex (по умолчанию ~/.config/trulvex).\n"
         "\n"
         "Перевод из командной строки и сценариев: trulvex-cli help.\n";
}

}  // namespace trulvex

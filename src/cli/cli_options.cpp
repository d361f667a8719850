#include "cli/cli_options.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "core/base/path_bytes.h"

namespace trulvex::cli {
namespace {

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<InputEncoding> ParseInputEncoding(std::string_view value) {
  if (value == "auto") return InputEncoding::kAuto;
  if (value == "cp1251") return InputEncoding::kCp1251;
  if (value == "utf-8" || value == "utf8") return InputEncoding::kUtf8;
  return std::nullopt;
}

std::optional<TextEncoding> ParseOutputEncoding(std::string_view value) {
  if (value == "cp1251") return TextEncoding::kCp1251;
  if (value == "utf-8" || value == "utf8") return TextEncoding::kUtf8;
  return std::nullopt;
}

// Walks the arguments of one subcommand; options take their value either
// as the next argument or after "=".
class ArgumentReader {
 public:
  // `first`: the index of the first argument after the subcommand's words.
  ArgumentReader(const std::vector<std::string>& args, std::size_t first)
      : args_(args), next_(first) {}

  bool Done() const { return next_ >= args_.size(); }

  // Splits the next argument into its option name and an attached value:
  // "--name=value", or "-pNAME" for a short option that takes a value.
  void Take(bool split, std::string* name,
            std::optional<std::string>* attached) {
    const std::string& arg = args_[next_++];
    attached->reset();
    const std::size_t eq = arg.find('=');
    if (split && arg.starts_with("--") && eq != std::string::npos) {
      *name = arg.substr(0, eq);
      *attached = arg.substr(eq + 1);
    } else if (split && arg.size() > 2 && arg[0] == '-' &&
               std::string_view("poe").find(arg[1]) != std::string_view::npos) {
      *name = arg.substr(0, 2);
      *attached = arg.substr(2);
    } else {
      *name = arg;
    }
  }

  // Takes the next argument when it is a number: an optional value given
  // after a blank.
  std::optional<std::string> TakeNumber() {
    if (Done() || !AllDigits(args_[next_])) return std::nullopt;
    return args_[next_++];
  }

  // The value of an option: attached, or the next argument.
  bool Value(const std::string& name, std::optional<std::string>* attached,
             std::string* value, std::string* error) {
    if (*attached) {
      *value = **attached;
      return true;
    }
    if (Done()) {
      *error = "Для параметра " + name + " не указано значение.";
      return false;
    }
    *value = args_[next_++];
    return true;
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_;
};

// A switch takes no value: "--replace=no" would otherwise replace all the
// same.
bool RefuseValue(const std::string& name,
                 const std::optional<std::string>& attached,
                 std::string* error) {
  if (!attached) return true;
  *error = "Параметр " + name + " не принимает значения, получено \"" +
           *attached + "\".";
  return false;
}

bool ParseProfilesFile(const std::string& name, ArgumentReader* reader,
                       std::optional<std::string>* attached,
                       CliOptions* options, std::string* error) {
  std::string value;
  if (!reader->Value(name, attached, &value, error)) return false;
  if (value.empty()) {
    *error = "Не указан путь к файлу профилей.";
    return false;
  }
  options->profiles_file = PathFromBytes(value);
  return true;
}

bool ParseCommon(const std::string& name, ArgumentReader* reader,
                 std::optional<std::string>* attached, CliOptions* options,
                 std::string* error, bool* handled) {
  *handled = true;
  std::string value;
  if (name == "-q" || name == "--quiet") {
    if (!RefuseValue(name, *attached, error)) return false;
    options->quiet = true;
  } else if (name == "-o" || name == "--output") {
    if (!reader->Value(name, attached, &value, error)) return false;
    if (value.empty()) {
      *error = "Не указан путь к файлу результата.";
      return false;
    }
    options->output = PathFromBytes(value);
  } else if (name == "-e" || name == "--encoding") {
    if (!reader->Value(name, attached, &value, error)) return false;
    const auto encoding = ParseInputEncoding(value);
    if (!encoding) {
      *error = "Неизвестная кодировка \"" + value +
               "\": допустимы auto, cp1251, utf-8.";
      return false;
    }
    options->input_encoding = *encoding;
  } else {
    *handled = false;
  }
  return true;
}

bool ParseTableOption(const std::string& name, ArgumentReader* reader,
                      std::optional<std::string>* attached, CliOptions* options,
                      std::string* error) {
  std::string value;
  if (name == "-p" || name == "--profile") {
    if (!reader->Value(name, attached, &value, error)) return false;
    options->profile = value;
  } else if (name == "--profiles") {
    return ParseProfilesFile(name, reader, attached, options, error);
  } else if (name == "--set") {
    if (!reader->Value(name, attached, &value, error)) return false;
    const std::size_t eq = value.find('=');
    if (eq == std::string::npos || eq == 0) {
      *error =
          "Параметр --set ожидает КЛЮЧ=ЗНАЧЕНИЕ, получено \"" + value + "\".";
      return false;
    }
    options->overrides.emplace_back(value.substr(0, eq), value.substr(eq + 1));
  } else if (name == "--output-encoding") {
    if (!reader->Value(name, attached, &value, error)) return false;
    const auto encoding = ParseOutputEncoding(value);
    if (!encoding) {
      *error = "Неизвестная кодировка результата \"" + value +
               "\": допустимы cp1251, utf-8.";
      return false;
    }
    options->output_encoding = *encoding;
  } else {
    *error = "Неизвестный параметр " + name + ".";
    return false;
  }
  return true;
}

// Strict reading of a small positive number.
std::optional<int> ParseCount(std::string_view value, int max) {
  if (!AllDigits(value) || value.size() > 3) return std::nullopt;
  const int number = std::stoi(std::string(value));
  if (number < 1 || number > max) return std::nullopt;
  return number;
}

std::string SizeList() {
  std::string list;
  for (const DisplaySize size : kDisplaySizes) {
    list += (list.empty() ? "" : ", ") + DisplaySizeName(size);
  }
  return list;
}

bool ParsePreviewOption(const std::string& name, ArgumentReader* reader,
                        std::optional<std::string>* attached,
                        CliOptions* options, std::string* error) {
  if (name != "--size" && name != "--format" && name != "--scale" &&
      name != "--theme") {
    // The profile is chosen and changed as for a table.
    if (name == "--output-encoding") {
      *error = "Неизвестный параметр " + name + ".";
      return false;
    }
    return ParseTableOption(name, reader, attached, options, error);
  }
  std::string value;
  if (!reader->Value(name, attached, &value, error)) return false;
  if (name == "--size") {
    const auto size = ParseDisplaySize(value);
    if (!size) {
      *error = "Неизвестный размер индикатора \"" + value + "\": допустимы " +
               SizeList() + ".";
      return false;
    }
    options->display_size = *size;
  } else if (name == "--format") {
    if (value != "text" && value != "png") {
      *error = "Неизвестный формат \"" + value + "\": допустимы text, png.";
      return false;
    }
    options->preview_format =
        value == "png" ? PreviewFormat::kPng : PreviewFormat::kText;
  } else if (name == "--scale") {
    const auto scale = ParseCount(value, kMaxDisplayScale);
    if (!scale) {
      *error = "Масштаб --scale должен быть числом от 1 до " +
               std::to_string(kMaxDisplayScale) + ", получено \"" + value +
               "\".";
      return false;
    }
    options->scale = *scale;
  } else {
    const auto theme = ParseDisplayTheme(value);
    if (!theme) {
      *error =
          "Неизвестная тема \"" + value + "\": допустимы green, blue, white.";
      return false;
    }
    options->theme = *theme;
  }
  return true;
}

bool ParseBinOption(const std::string& name, ArgumentReader* reader,
                    std::optional<std::string>* attached, CliOptions* options,
                    std::string* error) {
  std::string value;
  BinOptions& bin = options->bin;
  if (name == "--existing") {
    if (!RefuseValue(name, *attached, error)) return false;
    bin.SaveFile = 1;
  } else if (name == "--at") {
    if (!reader->Value(name, attached, &value, error)) return false;
    const std::optional<std::uint64_t> address = ParseAddress(value);
    if (!address) {
      *error =
          "Начальный адрес должен быть числом: десятичным (16) или "
          "шестнадцатеричным (0x10, $10, 10h), получено \"" +
          value + "\".";
      return false;
    }
    bin.AddFile = 1;
    bin.start_address = std::to_string(*address);
  } else if (name == "--replace") {
    if (!RefuseValue(name, *attached, error)) return false;
    bin.AsAddFile = 1;
  } else if (name == "--past-end") {
    if (!reader->Value(name, attached, &value, error)) return false;
    if (value != "append" && value != "cancel") {
      *error = "Параметр --past-end принимает append или cancel.";
      return false;
    }
    options->append_past_end = value == "append";
  } else if (name == "--delete-undisplayable") {
    if (!RefuseValue(name, *attached, error)) return false;
    bin.DelErrSunmol = 1;
  } else if (name == "--delete-spaces") {
    bin.DelSpace = 1;
    // The count may follow after a blank; a file named by digits alone is
    // then written as ./123.
    if (!*attached) *attached = reader->TakeNumber();
    if (*attached) {
      const std::string& count = **attached;
      if (!AllDigits(count) || count.size() > 3 || std::stoi(count) < 1 ||
          std::stoi(count) > 100) {
        *error = "Число пробелов для --delete-spaces должно быть от 1 до 100.";
        return false;
      }
      bin.CountSpace = std::stoi(count);
    }
  } else {
    *error = "Неизвестный параметр " + name + ".";
    return false;
  }
  return true;
}

std::optional<ProfilesAction> ParseProfilesAction(std::string_view word) {
  if (word == "list") return ProfilesAction::kList;
  if (word == "show") return ProfilesAction::kShow;
  if (word == "export") return ProfilesAction::kExport;
  if (word == "import") return ProfilesAction::kImport;
  return std::nullopt;
}

// The usage error of the operands of a profiles action, or "".
std::string CheckProfilesOperands(const CliOptions& options) {
  const std::vector<std::string>& operands = options.operands;
  if (options.import_all &&
      options.profiles_action != ProfilesAction::kImport) {
    return "Параметр --all действует только в profiles import.";
  }
  switch (options.profiles_action) {
    case ProfilesAction::kList:
      if (!operands.empty()) return "Команда profiles list не принимает имён.";
      break;
    case ProfilesAction::kShow:
      if (operands.size() != 1) {
        return "Укажите одно имя профиля: profiles show ИМЯ.";
      }
      break;
    case ProfilesAction::kExport:
      if (operands.size() < 2) {
        return "Укажите файл и имена профилей: profiles export ФАЙЛ ИМЯ...";
      }
      break;
    case ProfilesAction::kImport:
      if (operands.empty()) {
        return "Укажите файл профилей: profiles import ФАЙЛ [ИМЯ...].";
      }
      if (options.import_all && operands.size() > 1) {
        return "Параметр --all нельзя сочетать с именами профилей.";
      }
      break;
  }
  if (options.profiles_action != ProfilesAction::kList &&
      options.profiles_action != ProfilesAction::kShow &&
      operands.front().empty()) {
    return "Не указан путь к файлу.";
  }
  return "";
}

ParseResult ParseProfiles(const std::vector<std::string>& args) {
  ParseResult result;
  CliOptions& options = result.options;
  options.command = Command::kProfiles;
  if (args.size() < 2) {
    result.error = "Не указано действие: list, show, export, import.";
    return result;
  }
  if (args[1] == "-h" || args[1] == "--help") {
    options.command = Command::kHelp;
    return result;
  }
  const auto action = ParseProfilesAction(args[1]);
  if (!action) {
    result.error = "Неизвестное действие \"" + args[1] +
                   "\". Действия: list, show, export, import.";
    return result;
  }
  options.profiles_action = *action;

  ArgumentReader reader(args, 2);
  bool only_operands = false;
  while (!reader.Done()) {
    std::string name;
    std::optional<std::string> attached;
    reader.Take(!only_operands, &name, &attached);
    if (!only_operands && name == "--") {
      only_operands = true;
    } else if (only_operands || name.size() < 2 || name[0] != '-') {
      options.operands.push_back(name);
    } else if (name == "-h" || name == "--help") {
      if (!RefuseValue(name, attached, &result.error)) return result;
      options.command = Command::kHelp;
      return result;
    } else if (name == "--profiles") {
      if (!ParseProfilesFile(name, &reader, &attached, &options,
                             &result.error)) {
        return result;
      }
    } else if (name == "--all") {
      if (!RefuseValue(name, attached, &result.error)) return result;
      options.import_all = true;
    } else if (name == "-q" || name == "--quiet") {
      if (!RefuseValue(name, attached, &result.error)) return result;
      options.quiet = true;
    } else {
      result.error = "Неизвестный параметр " + name + ".";
      return result;
    }
  }
  result.error = CheckProfilesOperands(options);
  return result;
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
  ParseResult result;
  CliOptions& options = result.options;
  if (args.empty() || args[0] == "help" || args[0] == "-h" ||
      args[0] == "--help") {
    options.command = Command::kHelp;
    return result;
  }
  if (args[0] == "--version") {
    options.command = Command::kVersion;
    return result;
  }
  if (args[0] == "profiles") return ParseProfiles(args);
  if (args[0] == "table") {
    options.command = Command::kTable;
  } else if (args[0] == "bin") {
    options.command = Command::kBin;
  } else if (args[0] == "preview") {
    options.command = Command::kPreview;
  } else {
    result.error = "Неизвестная команда \"" + args[0] +
                   "\". Команды: table, bin, preview, profiles, help.";
    return result;
  }

  ArgumentReader reader(args, 1);
  bool have_input = false;
  bool only_operands = false;
  while (!reader.Done()) {
    std::string name;
    std::optional<std::string> attached;
    reader.Take(!only_operands, &name, &attached);
    if (!only_operands && name == "--") {
      only_operands = true;
      continue;
    }
    if (only_operands || name.size() < 2 || name[0] != '-') {
      if (have_input) {
        result.error = "Указано больше одного входного файла.";
        return result;
      }
      have_input = true;
      options.input =
          name == "-" ? std::filesystem::path() : PathFromBytes(name);
      continue;
    }
    if (name == "-h" || name == "--help") {
      if (!RefuseValue(name, attached, &result.error)) return result;
      options.command = Command::kHelp;
      return result;
    }
    bool handled = false;
    if (!ParseCommon(name, &reader, &attached, &options, &result.error,
                     &handled)) {
      return result;
    }
    if (handled) continue;
    bool parsed = false;
    switch (options.command) {
      case Command::kTable:
        parsed =
            ParseTableOption(name, &reader, &attached, &options, &result.error);
        break;
      case Command::kPreview:
        parsed = ParsePreviewOption(name, &reader, &attached, &options,
                                    &result.error);
        break;
      default:
        parsed =
            ParseBinOption(name, &reader, &attached, &options, &result.error);
        break;
    }
    if (!parsed) return result;
  }

  if (options.command == Command::kBin) {
    const BinOptions& bin = options.bin;
    if (options.output.empty()) {
      result.error =
          "Не указан файл результата: -o ФАЙЛ (или -o - для "
          "стандартного вывода).";
    } else if (options.output == "-" && bin.SaveFile == 1) {
      result.error =
          "Параметр --existing требует файл: стандартный вывод нельзя "
          "дополнить.";
    } else if (bin.AddFile == 1 && bin.SaveFile != 1) {
      result.error = "Параметр --at действует только вместе с --existing.";
    } else if (bin.AsAddFile == 1 && bin.AddFile != 1) {
      result.error = "Параметр --replace действует только вместе с --at.";
    }
  }
  return result;
}

std::optional<std::uint64_t> ParseAddress(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  } else if (text.starts_with('$')) {
    text.remove_prefix(1);
    base = 16;
  } else if (text.ends_with('h') || text.ends_with('H')) {
    text.remove_suffix(1);
    base = 16;
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (value > (UINT64_MAX - static_cast<std::uint64_t>(digit)) /
                    static_cast<std::uint64_t>(base)) {
      return std::nullopt;
    }
    value = value * static_cast<std::uint64_t>(base) +
            static_cast<std::uint64_t>(digit);
  }
  return value;
}

const char* HelpText() {
  return R"(trulvex-cli — перевод текста в коды знакогенератора HD44780 (кириллица)

Использование:
  trulvex-cli table [-p ИМЯ] [--profiles БАЗА] [--set КЛЮЧ=ЗНАЧЕНИЕ]...
                    [-e auto|cp1251|utf-8] [--output-encoding cp1251|utf-8]
                    [-o ФАЙЛ|-] [-q] [ФАЙЛ|-]
  trulvex-cli bin -o ФАЙЛ|- [--existing] [--at АДРЕС] [--replace]
                  [--past-end append|cancel] [--delete-undisplayable]
                  [--delete-spaces [N]] [-e auto|cp1251|utf-8] [-q] [ФАЙЛ|-]
  trulvex-cli preview [-p ИМЯ] [--profiles БАЗА] [--set КЛЮЧ=ЗНАЧЕНИЕ]...
                      [--size СxР] [--format text|png] [--scale N]
                      [--theme green|blue|white] [-e auto|cp1251|utf-8]
                      [-o ФАЙЛ|-] [ФАЙЛ|-]
  trulvex-cli profiles list [--profiles БАЗА]
  trulvex-cli profiles show ИМЯ [--profiles БАЗА]
  trulvex-cli profiles export ФАЙЛ ИМЯ... [--profiles БАЗА] [-q]
  trulvex-cli profiles import ФАЙЛ [ИМЯ...] [--all] [--profiles БАЗА] [-q]
  trulvex-cli help | -h | --help
  trulvex-cli --version

table  Таблица данных для ассемблера, C или Basic по профилю.
       -p ИМЯ, -pИМЯ    профиль из базы профилей (без учёта регистра
                        латинских букв); без -p берётся первый профиль
       --profiles БАЗА  файл базы профилей (он должен существовать) вместо
                        Profile.prof из каталога данных программы; пока
                        Profile.prof нет, доступны три встроенных профиля
       --set К=З        заменить поле профиля на время запуска,
                        например --set CountByte=16 --set "RazdelitelData=, "
       -e КОДИРОВКА     кодировка текста; auto: UTF-8, если текст (с меткой
                        BOM или без) корректный UTF-8 с не-ASCII символами,
                        иначе cp1251
       --output-encoding  кодировка таблицы; по умолчанию кодировка текста
                        (UTF-8, если вывод идёт на терминал)
       -o ФАЙЛ          записать таблицу в файл; без -o или с -o - таблица
                        идёт на стандартный вывод
       Строки таблицы всегда кончаются на CR LF, как того требует формат,
       в том числе на терминале; убрать CR: trulvex-cli table ... | tr -d '\r'

bin    Коды символов в виде байтов двоичного файла.
       -o ФАЙЛ          файл результата (новый файл заменяет прежний);
                        -o - — стандартный вывод (только байты, не на
                        терминал)
       --existing       дописать в существующий файл (создаётся, если его нет)
       --at АДРЕС       вставить с этого смещения: десятичное (16) или
                        шестнадцатеричное (0x10, $10, 10h), от 0
       --replace        вместе с --at: заменить байты вместо вставки
       --past-end       если адрес не меньше размера файла: append — дописать
                        в конец, cancel — ничего не записывать (по умолчанию)
       --delete-undisplayable  удалять неотображаемые символы
       --delete-spaces [N]     оставлять не больше N пробелов подряд
                        (1–100, по умолчанию 2; также --delete-spaces=N)

preview  Текст на индикаторе так, как его покажет знакогенератор с
       кириллицей: строки текста занимают строки индикатора по порядку,
       каждая страница — столько строк, сколько их у индикатора. Знаки
       очищаются и переводятся в коды, как в таблице по профилю (-p, --set).
       --size СxР       размер индикатора: 8x1, 8x2, 16x1, 16x2 (по
                        умолчанию), 16x4, 20x2, 20x4, 24x2, 40x2, 40x4
       --format text    каждая строка индикатора — 8 строк точек: # горит,
                        . не горит; страницы разделены строкой --
       --format png     картинка индикатора; обрезанные и неотображаемые
                        знаки обведены красным. По умолчанию png, если -o
                        называет файл .png, иначе text
       --scale N        точек картинки на точку индикатора (1–32, 4)
       --theme ТЕМА     green (по умолчанию), blue или white
       -o ФАЙЛ          записать в файл (по умолчанию — на экран)
       Каждый обрезанный или неотображаемый знак — строка в стандартном
       потоке ошибок после своей страницы; тогда код возврата 1.

profiles  Профили из базы профилей (вывод в UTF-8).
       list             имена профилей по порядку, по одному в строке
       show ИМЯ         17 полей профиля; тексты — в двойных кавычках
       export ФАЙЛ ИМЯ...  сохранить профили в новом файле .prof
                        (расширение .prof добавляется, если его нет)
       import ФАЙЛ [ИМЯ...]  загрузить профили из файла .prof в базу:
                        названные, --all — все, а без имён — только новые.
                        Имя считается уже имеющимся в базе, если совпадает
                        с именем из базы без учёта регистра латинских и
                        русских букв (кроме Ё и Я): такие профили без имён
                        пропускаются. Загружаемый профиль заменяет прежний,
                        только если имена совпадают с точностью до регистра
                        латинских букв; иначе он добавляется в конец базы
                        ("тест" рядом с "Тест" станет вторым профилем).
                        Если базы нет, она создаётся с тремя встроенными
                        профилями.

-q, --quiet  не выводить сообщения о ходе работы («Преобразование успешно
             завершено.», «Сохранён: ...»); ошибки выводятся всегда.
Сообщения идут на стандартный поток ошибок, результат — на стандартный
вывод. Текст читается из ФАЙЛА или со стандартного ввода, если ФАЙЛ не
указан или "-"; канал и устройство читаются как поток. Файлы данных:
$TRULVEX_DATA_DIR, иначе каталог программы, если там есть Profile.prof или
файл portable, иначе $XDG_CONFIG_HOME/trulvex (~/.config/trulvex).
Запись в файл: через временный файл рядом с ним, который заменяет прежний
целиком (права, владелец и группа сохраняются); файл с несколькими именами,
в каталоге без права записи или точка монтирования записывается на месте.
Стандартные потоки (-o /dev/stdout), устройства и каналы пишутся напрямую.
Пока одна программа меняет файл, другие ждут до 10 с.
Коды возврата: 0 — успех, 1 — команда отклонена (preview: текст не
поместился или не весь отображается), 2 — ошибка в параметрах, 3 — ошибка
файла, вывода или нехватка памяти.
)";
}

}  // namespace trulvex::cli

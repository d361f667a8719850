#include "core/base/error_reason.h"

#include <cerrno>

#include "core/base/file_error.h"

namespace trulvex {

std::string ErrorReason(std::error_code error) {
  if (!error) return "неизвестная ошибка";
  // The program's own failures (a lock not obtained, a refused link) carry
  // their Russian text in their category.
  if (error.category() == FileErrorCategory()) return error.message();
  using std::errc;
  static constexpr struct {
    errc code;
    const char* reason;
  } kReasons[] = {
      {errc::no_such_file_or_directory, "нет такого файла"},
      {errc::permission_denied, "доступ запрещён"},
      {errc::operation_not_permitted, "доступ запрещён"},
      {errc::is_a_directory, "это каталог"},
      {errc::not_a_directory, "часть пути не является каталогом"},
      {errc::no_space_on_device, "нет места на устройстве"},
      {errc::read_only_file_system, "файловая система только для чтения"},
      {errc::file_too_large, "файл слишком велик"},
      {errc::filename_too_long, "слишком длинное имя файла"},
      {errc::too_many_symbolic_link_levels, "слишком много символьных ссылок"},
      {errc::io_error, "ошибка ввода-вывода"},
      {errc::too_many_files_open, "открыто слишком много файлов"},
      {errc::too_many_files_open_in_system, "открыто слишком много файлов"},
      {errc::not_enough_memory, "недостаточно памяти"},
      {errc::file_exists, "файл уже существует"},
      {errc::text_file_busy, "файл занят"},
      {errc::device_or_resource_busy, "устройство занято"},
      {errc::broken_pipe, "канал закрыт читающей стороной"},
      {errc::no_such_device_or_address, "нет такого устройства"},
      {errc::no_such_device, "нет такого устройства"},
      {errc::invalid_argument, "недопустимый аргумент"},
      {errc::cross_device_link, "файл на другом устройстве"},
      {errc::not_supported, "это не обычный файл"},
  };
  for (const auto& entry : kReasons) {
    if (error == entry.code) return entry.reason;
  }
#if defined(EDQUOT)
  if (error.default_error_condition() ==
      std::error_condition(EDQUOT, std::generic_category())) {
    return "превышена дисковая квота";
  }
#endif
  return "системная ошибка " + std::to_string(error.value());
}

std::error_code LastSystemError() { return {errno, std::generic_category()}; }

}  // namespace trulvex

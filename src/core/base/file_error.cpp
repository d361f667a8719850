#include "core/base/file_error.h"

#include <string>

namespace trulvex {
namespace {

class Category : public std::error_category {
 public:
  const char* name() const noexcept override { return "trulvex-file"; }
  std::string message(int code) const override {
    switch (static_cast<FileErrc>(code)) {
      case FileErrc::kLockTimeout:
        return "файл занят другой программой: он не освободился за 10 с, "
               "ничего не записано";
      case FileErrc::kProtectedSymlink:
        return "символьная ссылка в общем каталоге принадлежит другому "
               "пользователю, по ней не пишем";
      case FileErrc::kNotRegularFile:
        return "не является обычным файлом";
      case FileErrc::kTooLarge:
        return "файл больше 128 МБ, столько редактор не вмещает";
    }
    return "неизвестная ошибка";
  }
};

}  // namespace

const std::error_category& FileErrorCategory() {
  static const Category category;
  return category;
}

std::error_code make_error_code(FileErrc code) {
  return {static_cast<int>(code), FileErrorCategory()};
}

}  // namespace trulvex

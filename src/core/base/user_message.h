#ifndef TRULVEX_CORE_BASE_USER_MESSAGE_H_
#define TRULVEX_CORE_BASE_USER_MESSAGE_H_

#include <string>

namespace trulvex {

// A message box as the core words it; the windows show it, the
// command-line converter prints it. Texts are UTF-8.
struct UserMessage {
  enum class Icon { kInformation, kWarning, kError, kQuestion };

  Icon icon;
  std::string title;
  std::string text;

  bool operator==(const UserMessage&) const = default;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_USER_MESSAGE_H_

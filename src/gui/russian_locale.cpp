#include "gui/russian_locale.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <optional>
#include <string_view>
#include <vector>

namespace trulvex {
namespace {

// Texts of Qt 6 that the system's qtbase_ru translation may not hold yet.
class MissingTextsTranslator : public QTranslator {
 public:
  using QTranslator::QTranslator;

  bool isEmpty() const override { return false; }

  QString translate(const char* context, const char* source,
                    const char* /*disambiguation*/, int /*n*/) const override {
    if (std::string_view(context) != "QAbstractFileIconProvider") return {};
    const std::string_view text = source;
    if (text == "Folder") return QStringLiteral("Папка");
    if (text == "Drive") return QStringLiteral("Диск");
    if (text == "Unknown") return QStringLiteral("Неизвестно");
    return {};
  }
};

}  // namespace

void UseRussianSystemLocale() {
  const char* const kVariables[] = {"LC_ALL",      "LC_NUMERIC",     "LC_TIME",
                                    "LC_MONETARY", "LC_MEASUREMENT", "LANG"};
  std::vector<std::optional<QByteArray>> saved;
  for (const char* name : kVariables) {
    saved.push_back(qEnvironmentVariableIsSet(name)
                        ? std::optional<QByteArray>(qgetenv(name))
                        : std::nullopt);
  }
  qputenv("LC_ALL", "ru_RU.UTF-8");
  (void)QLocale::system();
  for (std::size_t i = 0; i < saved.size(); ++i) {
    if (saved[i]) {
      qputenv(kVariables[i], *saved[i]);
    } else {
      qunsetenv(kVariables[i]);
    }
  }
}

void InstallRussianTranslations(QCoreApplication* app) {
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  // Installed first, asked last: Qt's own translation wins where it has
  // the text.
  QCoreApplication::installTranslator(new MissingTextsTranslator(app));
  auto* qt = new QTranslator(app);
  if (qt->load(QStringLiteral("qtbase_ru"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  }
}

}  // namespace trulvex

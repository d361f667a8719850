#include <QApplication>
#include <QFont>
#include <cstdio>
#include <string>
#include <vector>

#include "core/base/data_directory.h"
#include "core/shell/program_info.h"
#include "gui/icons.h"
#include "gui/main_window.h"
#include "gui/russian_locale.h"
#include "gui/user_dialogs.h"

int main(int argc, char** argv) {
  // Before QApplication, which needs a display.
  if (const auto info = trulvex::ProgramInfoText(
          std::vector<std::string>(argv + 1, argv + argc))) {
    std::fwrite(info->data(), 1, info->size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  trulvex::UseRussianSystemLocale();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("trulvex"));
  QApplication::setApplicationVersion(QString::fromUtf8(trulvex::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("trulvex"));
  QApplication::setWindowIcon(trulvex::ProgramIcon());
  trulvex::InstallRussianTranslations(&app);
  // The fonts the editors ask for, where the system lacks them.
  QFont::insertSubstitutions(
      QStringLiteral("Verdana"),
      {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
       QStringLiteral("Sans Serif")});
  QFont::insertSubstitutions(
      QStringLiteral("Lucida Console"),
      {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
       QStringLiteral("Monospace")});
  QFont::insertSubstitutions(
      QStringLiteral("MS Sans Serif"),
      {QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});

  const std::filesystem::path data = trulvex::DataDirectory();
  // The profile database is created at start-up: its directory comes first.
  trulvex::EnsureDataDirectory(data);
  trulvex::QtUserDialogs dialogs;
  trulvex::MainWindow window(
      {data / trulvex::kSettingsFileName, data / trulvex::kProfileDatabaseName},
      &dialogs);
  if (!window.Start(QApplication::arguments().mid(1))) return 1;
  window.show();
  return QApplication::exec();
}

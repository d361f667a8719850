#include <QApplication>
#include <QFont>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/data_directory.h"
#include "core/shell/program_info.h"
#include "gui/guarded_application.h"
#include "gui/icons.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/russian_locale.h"
#include "gui/user_dialogs.h"

namespace {

// The command line after the options Qt took, its file names as the
// system's bytes: a name written in code page 1251 is not UTF-8, and would
// not survive the arguments' QStrings.
std::vector<std::filesystem::path> FileArguments([[maybe_unused]] int argc,
                                                 [[maybe_unused]] char** argv) {
#ifdef _WIN32
  std::vector<std::filesystem::path> paths;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    paths.push_back(trulvex::ToFilePath(argument));
  }
  return paths;
#else
  return {argv + 1, argv + argc};
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // Before QApplication, which needs a display.
  if (const auto info = trulvex::ProgramInfoText(
          std::vector<std::string>(argv + 1, argv + argc))) {
    std::fwrite(info->data(), 1, info->size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  trulvex::UseRussianSystemLocale();
  trulvex::QtUserDialogs dialogs;
  trulvex::GuardedApplication app(argc, argv, &dialogs);
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
  trulvex::MainWindow window(
      {data / trulvex::kSettingsFileName, data / trulvex::kProfileDatabaseName},
      &dialogs);
  if (!window.Start(FileArguments(argc, argv))) return 1;
  window.show();
  return QApplication::exec();
}

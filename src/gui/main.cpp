#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include "core/base/data_directory.h"
#include "gui/main_window.h"
#include "gui/user_dialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("trulvex"));
  // Standard dialogs in Russian, where the system has the translation.
  QTranslator translator;
  if (translator.load(QStringLiteral("qtbase_ru"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&translator);
  }
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
  trulvex::QtUserDialogs dialogs;
  trulvex::MainWindow window(
      {data / trulvex::kSettingsFileName, data / trulvex::kProfileDatabaseName},
      &dialogs);
  if (!window.Start(QApplication::arguments().mid(1))) return 1;
  window.show();
  return QApplication::exec();
}

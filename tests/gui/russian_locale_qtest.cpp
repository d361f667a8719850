#include <QApplication>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include "gui/russian_locale.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::TempDir;

// Runs as a user whose locale is C.UTF-8 (see main below).
class RussianLocaleTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void FileDialogListsSizesDatesAndFoldersInRussian() {
    TempDir dir;
    testing::WriteFile(dir / "hello.txt", std::string(66, 'x'));
    std::filesystem::create_directory(dir / "folder");
    QFileSystemModel model;
    QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
    const QString root = QString::fromStdString(dir.path().string());
    const QModelIndex parent = model.setRootPath(root);
    QVERIFY(loaded.wait(5000));
    const QModelIndex file = model.index(root + QStringLiteral("/hello.txt"));
    const QModelIndex folder = model.index(root + QStringLiteral("/folder"));
    QVERIFY(file.isValid() && folder.isValid() && parent.isValid());
    const QString size = model.index(file.row(), 1, parent).data().toString();
    QVERIFY2(size.startsWith(QStringLiteral("66 байт")), qPrintable(size));
    const QString date = model.index(file.row(), 3, parent).data().toString();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} "))
                 .match(date)
                 .hasMatch(),
             qPrintable(date));
    QCOMPARE(model.index(folder.row(), 2, parent).data().toString(),
             QStringLiteral("Папка"));
    // The user's own environment is back for the programs started later.
    QCOMPARE(qgetenv("LC_ALL"), QByteArray("C.UTF-8"));
    QCOMPARE(QLocale().language(), QLocale::Russian);
  }
};

}  // namespace
}  // namespace trulvex

int main(int argc, char** argv) {
  qputenv("LC_ALL", "C.UTF-8");
  trulvex::UseRussianSystemLocale();
  QApplication app(argc, argv);
  trulvex::InstallRussianTranslations(&app);
  trulvex::RussianLocaleTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "russian_locale_qtest.moc"

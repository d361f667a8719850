#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "gui/command_ids.h"
#include "gui/icons.h"
#include "gui/main_window.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;

constexpr int kImages[] = {kImageOpen, kImageSave,  kImageProfiles,
                           kImageCut,  kImageCopy,  kImagePaste,
                           kImageNew,  kImageAbout, kImageModified,
                           kImageUndo, kImageRedo,  kImageConvert};

// True when the picture has some opaque pixel: it was really drawn.
bool HasInk(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) == 255) return true;
    }
  }
  return false;
}

class IconsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void StoredIconsAreSixteenPixelsWithTransparentCorners() {
    for (int image : kImages) {
      const QIcon icon = StoredIcon(image);
      QVERIFY2(!icon.isNull(), qPrintable(QString::number(image)));
      const QImage picture =
          icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
      QCOMPARE(picture.size(), QSize(16, 16));
      QVERIFY2(HasInk(picture), qPrintable(QString::number(image)));
      for (const QPoint corner :
           {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)}) {
        QVERIFY2(qAlpha(picture.pixel(corner)) == 0,
                 qPrintable(QStringLiteral("image %1").arg(image)));
      }
    }
  }

  void MainWindowShowsTheStoredPictures() {
    TempDir dir;
    ScriptedDialogs dialogs;
    dialogs.answers = {UserDialogs::Button::kYes};
    MainWindow window({dir / "Preferences.ini", dir / "Profile.prof"},
                      &dialogs);
    QVERIFY(window.Start({}));
    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("toolbar"));
    QVERIFY(toolbar != nullptr);
    for (int command :
         {kCommandNew, kCommandSave, kCommandCut, kCommandCopy, kCommandPaste,
          kCommandConvert, kCommandProfiles, kCommandAbout}) {
      auto* button = qobject_cast<QToolButton*>(
          toolbar->widgetForAction(window.toolbar_action(command)));
      QVERIFY2(button != nullptr, qPrintable(QString::number(command)));
      QVERIFY2(HasInk(button->icon().pixmap(16, 16).toImage()),
               qPrintable(QString::number(command)));
    }
    QVERIFY(HasInk(window.open_button()->icon().pixmap(16, 16).toImage()));
    for (int command : {kCommandUndo, kCommandRedo}) {
      QVERIFY(
          HasInk(window.menu_action(command)->icon().pixmap(16, 16).toImage()));
    }
    QVERIFY(HasInk(window.modified_indicator()->pixmap().toImage()));
  }

  // The program's icon is drawn at every size of the icon theme and is the
  // icon of the main window and of the windows it opens.
  void EveryWindowShowsTheProgramIcon() {
    const QIcon icon = ProgramIcon();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
      const QImage picture = icon.pixmap(size, size).toImage();
      QCOMPARE(picture.size(), QSize(size, size));
      QVERIFY2(HasInk(picture), qPrintable(QString::number(size)));
    }
    TempDir dir;
    ScriptedDialogs dialogs;
    dialogs.answers = {UserDialogs::Button::kYes};
    MainWindow window({dir / "Preferences.ini", dir / "Profile.prof"},
                      &dialogs);
    QVERIFY(window.Start({}));
    window.RunCommand(kCommandConvertToBin);
    window.RunCommand(kCommandAbout);
    const QImage expected = icon.pixmap(32, 32).toImage();
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (!widget->isWindow() || widget->windowTitle().isEmpty()) continue;
      ++windows;
      QVERIFY2(widget->windowIcon().pixmap(32, 32).toImage() == expected,
               qPrintable(widget->windowTitle()));
    }
    QVERIFY(windows >= 3);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::IconsTest)
#include "icons_qtest.moc"

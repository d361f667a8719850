#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "gui/about_window.h"
#include "gui/command_ids.h"
#include "gui/main_window.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

struct Fixture {
  testing::TempDir dir;
  testing::ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;

  Fixture() {
    std::filesystem::copy_file(
        testing::TestData("profile_database_fresh.golden"),
        dir / "Profile.prof");
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);
    window->Start({});
    window->show();
  }
  QList<AboutWindow*> Open() const {
    return window->findChildren<AboutWindow*>();
  }
  AboutWindow* Ask() const {
    window->RunCommand(kCommandAbout);
    return Open().front();
  }
};

QColor TextColour(const QWidget* widget) {
  return widget->palette().color(QPalette::WindowText);
}

class AboutTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void OpensOneWindowWithTheAuthor() {
    Fixture f;
    f.window->menu_action(kCommandAbout)->trigger();
    QCOMPARE(f.Open().size(), 1);
    AboutWindow* about = f.Open().front();
    QCOMPARE(f.Ask(), about);
    QCOMPARE(f.Open().size(), 1);
    QVERIFY(about->isVisible());
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("author"))->text(),
             QStringLiteral("Автор:          ") + ConfiguredAuthor().name);
    QCOMPARE(about->email_link()->text(), ConfiguredAuthor().email);
  }

  void FadesInAndFadesOutBeforeClosing() {
    Fixture f;
    QPointer<AboutWindow> about = f.Ask();
    QCOMPARE(about->fade()->propertyName(), QByteArray("windowOpacity"));
    QCOMPARE(about->fade()->duration(), 800);
    QTRY_COMPARE(about->windowOpacity(), 1.0);
    // Ok and the close box both fade out over a second, then close.
    for (const bool ok : {true, false}) {
      if (about.isNull()) about = f.Ask();
      ok ? QTest::mouseClick(about->ok_button(), Qt::LeftButton)
         : void(about->close());
      QVERIFY(about->fading_out());
      QCOMPARE(about->fade()->duration(), 1000);
      QCOMPARE(about->fade()->endValue().toDouble(), 0.0);
      QTest::qWait(300);
      QVERIFY(!about.isNull() && about->isVisible());
      QTRY_VERIFY_WITH_TIMEOUT(about.isNull(), 3000);
      QVERIFY(f.Open().isEmpty());
    }
    // Asked for again while fading out, the window stays and fades back in.
    about = f.Ask();
    about->close();
    QCOMPARE(f.Ask(), about.data());
    QVERIFY(!about->fading_out());
    QCOMPARE(about->fade()->endValue().toDouble(), 1.0);
    QTest::qWait(1300);
    QVERIFY(!about.isNull());
    QCOMPARE(f.Open().size(), 1);
  }

  void LinksGoThroughTheOpenerAndTheLinkLightsUp() {
    Fixture f;
    AboutWindow* about = f.Ask();
    QList<QUrl> opened;
    about->set_link_opener([&](const QUrl& url) { opened.append(url); });
    QTest::mouseClick(about->banner(), Qt::LeftButton);
    QTest::mouseClick(about->email_link(), Qt::LeftButton);
    QTest::mouseClick(about->email_link(), Qt::RightButton);
    QCOMPARE(opened, (QList<QUrl>{QUrl(ConfiguredAuthor().website),
                                  QUrl(QStringLiteral("mailto:") +
                                       ConfiguredAuthor().email)}));
    const QColor idle = TextColour(about->email_link());
    QEnterEvent enter({1, 1}, {1, 1}, {1, 1});
    QApplication::sendEvent(about->email_link(), &enter);
    QVERIFY(TextColour(about->email_link()) != idle);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(about->email_link(), &leave);
    QCOMPARE(TextColour(about->email_link()), idle);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::AboutTest)
#include "about_qtest.moc"

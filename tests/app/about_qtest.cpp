#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/about_window.h"
#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;
using testing::TestData;

// The real main window over a fresh copy of the default profile database.
struct Fixture {
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;

  Fixture() {
    std::filesystem::copy_file(TestData("profile_database_fresh.golden"),
                               dir / "Profile.prof");
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);
    window->Start({});
    window->show();
  }
  QList<AboutWindow*> Open() const {
    return window->findChildren<AboutWindow*>();
  }
};

QColor TextColour(const QWidget* widget) {
  return widget->palette().color(QPalette::WindowText);
}

quint32 U32(const QByteArray& bytes, int at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}

class AboutTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void OpensOneWindowWithItsContents() {
    Fixture f;
    f.window->menu_action(kCommandAbout)->trigger();
    QCOMPARE(f.Open().size(), 1);
    AboutWindow* about = f.Open().front();
    f.window->RunCommand(kCommandAbout);
    QCOMPARE(f.Open().size(), 1);
    QCOMPARE(f.Open().front(), about);
    QVERIFY(about->isVisible());

    QCOMPARE(about->windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(about->size(), QSize(258, 220));
    QCOMPARE(about->banner()->pixmap().size(), QSize(168, 35));
    QCOMPARE(about->banner()->cursor().shape(), Qt::PointingHandCursor);
    const auto* title = about->findChild<QLabel*>(QStringLiteral("title"));
    const auto* description =
        about->findChild<QLabel*>(QStringLiteral("description"));
    QVERIFY(description->text().startsWith(title->text()));
    QCOMPARE(title->pos(), description->pos());
    QCOMPARE(TextColour(title), QColor(1, 90, 175));
    QCOMPARE(TextColour(description), QColor(171, 6, 84));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("author"))->text(),
             QStringLiteral("Автор:          ") + ConfiguredAuthor().name);
    QCOMPARE(about->email_link()->text(), ConfiguredAuthor().email);

    // Pale yellow tips; only the banner and the link carry a title.
    QVERIFY(about->styleSheet().contains(QStringLiteral("255, 254, 218")));
    QVERIFY(
        about->ok_button()->toolTip().contains(QStringLiteral("Закрыть окно")));
    QVERIFY(!about->ok_button()->toolTip().contains(QStringLiteral("<b>")));
    QVERIFY(about->banner()->toolTip().contains(
        QStringLiteral("<b>На чём написана программа</b>")));
    QVERIFY(about->email_link()->toolTip().contains(
        QStringLiteral("<b>E-mail автора программы</b>")));
  }

  void FadesInAndFadesOutBeforeClosing() {
    Fixture f;
    f.window->RunCommand(kCommandAbout);
    QPointer<AboutWindow> about = f.Open().front();
    QCOMPARE(about->fade()->propertyName(), QByteArray("windowOpacity"));
    QCOMPARE(about->fade()->duration(), 800);
    QCOMPARE(about->fade()->endValue().toDouble(), 1.0);
    QTRY_COMPARE(about->windowOpacity(), 1.0);

    // Ok and the close box both fade out over a second, then close.
    const std::function<void(AboutWindow*)> closers[] = {
        [](AboutWindow* w) {
          QTest::mouseClick(w->ok_button(), Qt::LeftButton);
        },
        [](AboutWindow* w) { w->close(); }};
    for (const auto& close : closers) {
      if (about.isNull()) {
        f.window->RunCommand(kCommandAbout);
        about = f.Open().front();
      }
      close(about);
      QVERIFY(about->fading_out());
      QCOMPARE(about->fade()->duration(), 1000);
      QCOMPARE(about->fade()->endValue().toDouble(), 0.0);
      QTest::qWait(300);
      QVERIFY(!about.isNull() && about->isVisible());
      QTRY_VERIFY_WITH_TIMEOUT(about.isNull(), 3000);
      QVERIFY(f.Open().isEmpty());
    }

    // Asked for again while fading out, the window stays and fades back in.
    f.window->RunCommand(kCommandAbout);
    about = f.Open().front();
    about->close();
    f.window->RunCommand(kCommandAbout);
    QVERIFY(!about->fading_out());
    QCOMPARE(about->fade()->endValue().toDouble(), 1.0);
    QTest::qWait(1300);
    QVERIFY(!about.isNull());
    QCOMPARE(f.Open().size(), 1);
  }

  void LinksGoThroughTheOpenerAndTheLinkLightsUp() {
    Fixture f;
    f.window->RunCommand(kCommandAbout);
    AboutWindow* about = f.Open().front();
    QList<QUrl> opened;
    about->set_link_opener([&](const QUrl& url) { opened.append(url); });

    QTest::mouseClick(about->banner(), Qt::LeftButton);
    QTest::mouseClick(about->email_link(), Qt::LeftButton);
    QTest::mouseClick(about->email_link(), Qt::RightButton);
    QCOMPARE(opened, (QList<QUrl>{QUrl(ConfiguredAuthor().website),
                                  QUrl(QStringLiteral("mailto:") +
                                       ConfiguredAuthor().email)}));

    QCOMPARE(TextColour(about->email_link()), QColor(58, 2, 197));
    QEnterEvent enter({1, 1}, {1, 1}, {1, 1});
    QApplication::sendEvent(about->email_link(), &enter);
    QCOMPARE(TextColour(about->email_link()), QColor(2, 131, 253));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(about->email_link(), &leave);
    QCOMPARE(TextColour(about->email_link()), QColor(58, 2, 197));
  }

  void BannerIsTheStoredBitmap() {
    QFile file(QStringLiteral(":/banner/image98.bmp"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.size(), 17696);
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(U32(bytes, 2), 17696u);
    QCOMPARE(U32(bytes, 10), 54u);   // pixel data
    QCOMPARE(U32(bytes, 18), 168u);  // width
    QCOMPARE(U32(bytes, 22), 35u);   // height, bottom row first
    QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 28), quint16{24});
    QCOMPARE(U32(bytes, 30), 0u);  // uncompressed
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::AboutTest)
#include "about_qtest.moc"

#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QtTest>

#include "core/profiles/profile_database.h"
#include "gui/command_ids.h"
#include "gui/display_preview_pane.h"
#include "gui/display_view.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/menu_style.h"
#include "gui/qt_text.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;

// Types any text, Cyrillic included, as key presses carrying it.
void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

// The main window over the stock profiles; a second session in the same
// directory is the program started again.
class Session {
 public:
  explicit Session(const testing::TempDir& dir) {
    if (!fs::exists(dir / "Profile.prof")) {
      fs::copy_file(testing::TestData("profile_database_fresh.golden"),
                    dir / "Profile.prof");
    }
    window_ = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs_);
    window_->Start({});
    window_->resize(700, 560);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) qFatal("no window");
  }
  // Quits as the user does, which saves the settings.
  void Quit() { QVERIFY(window_->close()); }

  MainWindow* window() const { return window_.get(); }
  Editor* source() const { return window_->source_editor(); }
  DisplayPreviewPane* pane() const { return window_->preview_pane(); }
  DisplayView* view() const { return pane()->view(); }
  bool PaneShown() const { return !window_->preview_dock()->isHidden(); }
  bool Ticked() const {
    return window_->menu_action(kCommandPreview)->isChecked() &&
           window_->toolbar_action(kCommandPreview)->isChecked();
  }
  // The codes of a display row, without the blanks after them.
  QByteArray Row(int row) const {
    QByteArray codes;
    const DisplayPage& page = view()->page();
    for (int column = 0; column < page.size.columns; ++column) {
      codes += static_cast<char>(page.at(row, column).code);
    }
    return codes.trimmed();
  }
  QPoint CellCentre(int row, int column) const {
    const DisplayGeometry geometry(view()->page().size, view()->scale());
    return view()->PictureRect().topLeft() +
           QPoint(geometry.CellLeft(column) + geometry.cell_width() / 2,
                  geometry.CellTop(row) + geometry.cell_height() / 2);
  }

 private:
  testing::ScriptedDialogs dialogs_;
  std::unique_ptr<MainWindow> window_;
};

class PreviewPaneTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void TypingInTheSourceEditorUpdatesThePane() {
    testing::TempDir dir;
    Session session(dir);
    QVERIFY(!session.PaneShown());  // off until asked for
    QTest::keyClick(session.source(), Qt::Key_F8);
    QVERIFY(session.PaneShown());
    QVERIFY(session.Ticked());
    QVERIFY(session.source()->hasFocus());

    Type(session.source(), QStringLiteral("Hi"));
    QTRY_COMPARE(session.Row(0), QByteArray("Hi"));
    QCOMPARE(session.pane()->page_label()->text(),
             QStringLiteral("Страница 1 из 1"));
    QTest::keyClick(session.source(), Qt::Key_Return);
    Type(session.source(), QStringLiteral("Привет"));
    QTRY_COMPARE(session.Row(1), QByteArray("\xA8p\xB8\xB3"
                                            "e\xBF"));
    QTest::keyClick(session.source(), Qt::Key_Return);
    Type(session.source(), QStringLiteral("3"));
    // The third line opens the second page of a 16x2 display.
    QTRY_COMPARE(session.Row(0), QByteArray("3"));
    QCOMPARE(session.pane()->page_label()->text(),
             QStringLiteral("Страница 2 из 2"));
    QTest::keyClick(session.source(), Qt::Key_Up);
    QTRY_COMPARE(session.Row(0), QByteArray("Hi"));
    QCOMPARE(session.pane()->page_label()->text(),
             QStringLiteral("Страница 1 из 2"));

    // The selected profile's cleaning applies, from the moment it is loaded.
    ProfileRecord cleaning = session.window()->working_record();
    cleaning.DeleteSpace = 1;
    cleaning.CountSpace = 1;
    const std::string name =
        ToCp1251(session.window()->profile_selector()->currentText());
    QCOMPARE(SaveProfile(dir / "Profile.prof", name, cleaning),
             SaveProfileResult::kSaved);
    QVERIFY(session.window()->LoadSelectedProfile());
    Type(session.source(), QStringLiteral("    !"));
    QTRY_COMPARE(session.Row(1), QByteArray("\xA8 !p\xB8\xB3"
                                            "e\xBF"));
  }

  void MarkedCellsSayWhy() {
    testing::TempDir dir;
    Session session(dir);
    session.window()->RunCommand(kCommandPreview);
    Type(session.source(), QStringLiteral("a{b 1234567890123456"));
    QTRY_COMPARE(session.view()->page().at(0, 1).marks, kCellUnshowable);
    QCOMPARE(
        session.view()->ToolTipAt(session.CellCentre(0, 1)),
        QStringLiteral("Строка 1, столбец 2: \"{\" — нет в знакогенераторе "
                       "индикатора, не выводится"));
    QCOMPARE(session.view()->ToolTipAt(session.CellCentre(0, 15)),
             QStringLiteral("Строка 1, столбец 17: \"4\" и дальше — строка "
                            "длиннее 16 знаков, обрезано знаков: 3"));
    QVERIFY(session.view()->ToolTipAt(session.CellCentre(0, 0)).isEmpty());
    // The picture outlines the marked cell in red.
    const QImage shot = session.view()->grab().toImage();
    const DisplayGeometry geometry(session.view()->page().size,
                                   session.view()->scale());
    const QPoint ring =
        session.view()->PictureRect().topLeft() +
        QPoint(geometry.CellLeft(1) - geometry.mark_offset() - 1,
               geometry.CellTop(0) + geometry.scale());
    QCOMPARE(shot.pixelColor(ring), QColor(230, 0, 0));
  }

  void ThePanesStateSurvivesARestart() {
    testing::TempDir dir;
    {
      Session session(dir);
      session.window()->toolbar_action(kCommandPreview)->trigger();
      QVERIFY(session.PaneShown());
      session.pane()->size_selector()->setCurrentText(QStringLiteral("20x4"));
      session.pane()->theme_selector()->setCurrentText(QStringLiteral("Белый"));
      session.window()->resizeDocks({session.window()->preview_dock()}, {150},
                                    Qt::Vertical);
      QTRY_COMPARE(session.window()->preview_dock()->height(), 150);
      session.Quit();
    }
    {
      Session session(dir);
      QVERIFY(session.PaneShown());
      QVERIFY(session.Ticked());
      QCOMPARE(session.pane()->size_selector()->currentText(),
               QStringLiteral("20x4"));
      QCOMPARE(session.pane()->theme_selector()->currentText(),
               QStringLiteral("Белый"));
      QCOMPARE(session.view()->page().size, (DisplaySize{20, 4}));
      QCOMPARE(session.window()->preview_dock()->height(), 150);
      // The pane's own close button hides it and clears the ticks.
      session.window()->preview_dock()->close();
      QVERIFY(!session.Ticked());
      session.Quit();
    }
    const Settings saved = LoadSettings(dir / "Preferences.ini");
    QVERIFY(!saved.preview.visible);
    QCOMPARE(saved.preview.theme, DisplayTheme::kWhite);
    Session session(dir);
    QVERIFY(!session.PaneShown());
  }

  void TheViewMenuIsDrawnInEveryStyle() {
    testing::TempDir dir;
    Session session(dir);
    MainWindow* window = session.window();
    QMenu* view = nullptr;
    for (QAction* menu : window->menuBar()->actions()) {
      if (menu->text() == QStringLiteral("Вид")) view = menu->menu();
    }
    QVERIFY(view != nullptr);
    for (int style : {3, 2, 1}) {
      window->RunCommand(50 + style);
      QCOMPARE(view->style() == window->menu_layer(), style != 1);
    }
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::PreviewPaneTest)
#include "preview_pane_qtest.moc"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTimer>
#include <QtTest>
#include <cstdint>

#include "core/profiles/profile_database.h"
#include "gui/about_window.h"
#include "gui/bin_window.h"
#include "gui/command_ids.h"
#include "gui/command_table.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/result_fill.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedDialogs;
using testing::TempDir;
using Button = UserDialogs::Button;

// The started, active window over the stock profiles and any stored settings.
struct Session {
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;

  explicit Session(const Settings* stored = nullptr) {
    fs::copy_file(testing::TestData("profile_database_fresh.golden"),
                  dir / "Profile.prof");
    if (stored != nullptr) {
      testing::WriteFile(dir / "Preferences.ini", "");
      SaveSettings(dir / "Preferences.ini", *stored);
    }
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);
    window->Start({});
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get())) qFatal("no active window");
  }
  Editor* source() const { return window->source_editor(); }
  Editor* result() const { return window->result_editor(); }
};

void Press(QWidget* widget, Qt::Key key) {
  QTest::keyClick(widget, key, Qt::ControlModifier);
}

long Selected(Editor* editor) {
  return editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND) -
         editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
}

// The Ctrl shortcuts a menu shows, in order.
QString Shortcuts(const QMenu* menu) {
  QStringList keys;
  for (const QAction* action : menu->actions())
    if (!action->shortcut().isEmpty())
      keys << action->shortcut().toString().remove("Ctrl+");
  return keys.join(',');
}

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void StartUpAsksForAMissingDatabase_data() {
    QTest::addColumn<bool>("create");
    QTest::addColumn<bool>("blocked");  // a folder holds the database's name
    QTest::newRow("yes") << true << false;
    QTest::newRow("no") << false << false;
    QTest::newRow("cannot create") << true << true;
  }
  void StartUpAsksForAMissingDatabase() {
    QFETCH(bool, create);
    QFETCH(bool, blocked);
    TempDir dir;
    if (blocked) fs::create_directory(dir / "Profile.prof");
    ScriptedDialogs dialogs;
    dialogs.answers = {create ? Button::kYes : Button::kNo};
    MainWindow window({dir / "Preferences.ini", dir / "Profile.prof"},
                      &dialogs);
    QCOMPARE(window.Start({}), !blocked);
    QVERIFY(dialogs.shown[0].message == MissingDatabaseQuestion());
    if (blocked) {
      QVERIFY(dialogs.shown.back().message ==
              (UserMessage{UserMessage::Icon::kError, "Фатальная ошибка",
                           "Не удалось создать файл!\n"
                           "Работа програмы прервана!"}));
      return;
    }
    QCOMPARE(dialogs.shown.size(), 1u);
    QCOMPARE(window.profile_selector()->count(), create ? 3 : 0);
    QCOMPARE(window.profile_selector()->currentIndex(), create ? 0 : -1);
    QCOMPARE(window.toolbar_action(kCommandConvert)->isEnabled(), create);
  }

  void StoredSettingsAtStartAndWrittenAtExit_data() {
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("checked");
    QTest::newRow("in range") << 1 << 1 << 2 << 52;
    QTest::newRow("past the end") << 3 << 2 << 3 << 53;
    QTest::newRow("negative, unknown style") << -1 << 2 << 7 << 51;
  }
  void StoredSettingsAtStartAndWrittenAtExit() {
    QFETCH(int, pos);
    QFETCH(int, selected);
    QFETCH(int, style);
    QFETCH(int, checked);
    Settings stored;
    stored.Pos = pos;
    stored.StyleMenu = style;
    stored.R = 150;
    Session session(&stored);
    MainWindow* window = session.window.get();
    QComboBox* selector = window->profile_selector();
    QCOMPARE(selector->currentIndex(), selected);
    ProfileRecord expected;
    expected.Name = ToCp1251(selector->currentText());
    LoadProfile(session.dir / "Profile.prof", expected.Name, &expected);
    QVERIFY(window->working_record() == expected);
    for (int id = 51; id <= 53; ++id)
      QCOMPARE(window->menu_action(id)->isChecked(), id == checked);
    QCOMPARE(window->divider()->sizes().first(), 150);
    window->resize(400, 250);  // below the minimum for both editors
    QCOMPARE(window->size(), QSize(520, 304));
    window->divider()->setSizes({0, 1000});
    QVERIFY(session.source()->height() >= 50);
    window->move(60, 40);
    window->resize(640, 420);
    QTRY_COMPARE(window->height(), 420);
    window->divider()->setSizes({120, 1000});
    selector->setCurrentIndex(0);
    const QPoint frame = window->frameGeometry().topLeft();
    QVERIFY(window->close());
    const Settings saved = LoadSettings(session.dir / "Preferences.ini");
    QCOMPARE(QPoint(saved.X, saved.Y), frame);
    QCOMPARE(QSize(saved.W, saved.H), QSize(640, 420));
    QCOMPARE(saved.R, 120);
    QCOMPARE(saved.Pos, 0);
    // A style the user did not choose is written back as it was stored.
    QCOMPARE(saved.StyleMenu, style);
  }

  // A database that is there but unreadable is told once; the stored
  // selection survives the run.
  void UnreadableDatabaseIsReportedAndKeepsThePosition() {
    TempDir dir;
    if (!testing::MakeFifo(dir / "Profile.prof")) {
      QSKIP("no FIFO here to stand for a database that cannot be read");
    }
    testing::WriteFile(dir / "Preferences.ini", "");
    Settings stored;
    stored.Pos = 2;
    SaveSettings(dir / "Preferences.ini", stored);
    ScriptedDialogs dialogs;
    MainWindow window({dir / "Preferences.ini", dir / "Profile.prof"},
                      &dialogs);
    QVERIFY(window.Start({}));
    QCOMPARE(dialogs.shown.size(), 1u);
    const std::string text = dialogs.shown[0].message.text;
    QVERIFY(text.starts_with("Не удалось прочитать базу профилей\n"));
    QVERIFY(text.find("не является обычным файлом") != std::string::npos);
    QCOMPARE(window.profile_selector()->count(), 0);
    QVERIFY(!window.toolbar_action(kCommandConvert)->isEnabled());
    QVERIFY(window.close());
    QCOMPARE(LoadSettings(dir / "Preferences.ini").Pos, 2);
  }

  // Stored numbers at the ends of their range open a window whole on the
  // screen.
  void ExtremeStoredPlacementFitsTheScreen() {
    Settings stored;
    stored.X = stored.Y = stored.W = stored.H = stored.R = INT32_MAX;
    Session session(&stored);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(session.window->geometry()));
    stored.X = stored.Y = stored.W = stored.H = stored.R = INT32_MIN;
    Session low(&stored);
    QVERIFY(screen.contains(low.window->geometry()));
  }

  void MenusHoldTheCommandsWithTheirShortcuts() {
    Session session;
    QStringList menus;
    for (QAction* menu : session.window->menuBar()->actions())
      menus << menu->text() + ":" + Shortcuts(menu->menu());
    QCOMPARE(menus.join(' '), QString("Файл:N,O,S,Shift+S Правка:Z,Y,X,C,V,A "
                                      "Вид:F8 Преобразование:T,B Справка:"));
    QCOMPARE(Shortcuts(session.window->editor_menu()), QString("Z,Y,X,C,V,A"));
  }

  // A shortcut entered in the command table alone is the window's: its
  // menu item carries it and the editors leave it alone, also when no
  // command takes it.
  void EveryShortcutOfTheTableIsTheWindows() {
    Session session;
    Editor* source = session.source();
    QTest::keyClicks(source, "abc");
    QApplication::clipboard()->setText("zz");
    int shortcuts = 0;
    for (const CommandSpec& spec : Commands()) {
      if (spec.shortcut == QKeyCombination()) continue;
      ++shortcuts;
      QAction* item = session.window->menu_action(spec.command);
      QCOMPARE(item->shortcut(), QKeySequence(spec.shortcut));
      item->setShortcut({});
    }
    QCOMPARE(shortcuts, 13);  // twelve with Ctrl, and F8 for the preview
    for (const CommandSpec& spec : Commands()) {
      if (spec.shortcut == QKeyCombination()) continue;
      QTest::keyClick(source, spec.shortcut.key(),
                      spec.shortcut.keyboardModifiers());
      QCOMPARE(source->Text(), QString("abc"));
      QCOMPARE(Selected(source), 0l);
    }
    QVERIFY(source->CanUndo());
  }

  void ShortcutsReachTheWindowNotTheEditors() {
    Session session;
    Editor* source = session.source();
    Editor* result = session.result();
    QTest::keyClicks(source, "abc");
    Press(source, Qt::Key_Z);
    QVERIFY(source->Text().size() < 3);
    Press(source, Qt::Key_Y);
    QCOMPARE(source->Text(), QString("abc"));
    Press(source, Qt::Key_A);
    Press(source, Qt::Key_C);

    result->setFocus();
    Press(result, Qt::Key_V);
    Press(result, Qt::Key_V);
    QCOMPARE(result->Text(), QString("abcabc"));
    Press(result, Qt::Key_Z);  // the result editor's history is not undone
    QCOMPARE(result->Text(), QString("abcabc"));
    Press(result, Qt::Key_A);
    QCOMPARE(Selected(result), 6l);
    Press(result, Qt::Key_X);
    QCOMPARE(result->Text(), QString());
    QCOMPARE(QApplication::clipboard()->text(), QString("abcabc"));
    QCOMPARE(source->Text(), QString("abc"));
  }

  void TypingUndoesAWordAtATime() {
    Session session;
    Editor* source = session.source();
    QTest::keyClicks(source, "one two,  ");
    for (const QChar letter : QStringLiteral("три"))  // beyond keyClicks' ASCII
      QTest::sendKeyEvent(QTest::Click, source, Qt::Key_unknown, letter, {});
    QTest::keyClick(source, Qt::Key_Return);
    QTest::keyClicks(source, "x");
    const QStringList steps = {"one two,  три\r\n", "one two,  ", "one ", ""};
    for (const QString& step : steps) {
      Press(source, Qt::Key_Z);
      QCOMPARE(source->Text(), step);
    }
    QVERIFY(!source->CanUndo());
    Press(source, Qt::Key_Y);
    QCOMPARE(source->Text(), QString("one "));
    // A caret moved elsewhere starts a step of its own, as before.
    source->SendScintilla(QsciScintillaBase::SCI_DOCUMENTSTART);
    QTest::keyClicks(source, "ab");
    Press(source, Qt::Key_Z);
    QCOMPARE(source->Text(), QString("one "));
  }

  void TheLineNumberMarginShowsEveryDigit() {
    Session session;
    for (Editor* editor : {session.source(), session.result()}) {
      int last_width = 0;
      for (const int lines : {1, 100000, 10000000}) {
        const std::string text(static_cast<std::size_t>(lines - 1), '\n');
        if (editor == session.source()) {
          editor->SetUtf8Text(text);
        } else {
          FillResultEditor(editor, text);  // without insert notices
        }
        const long width =
            editor->SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, 0);
        const long digits = editor->SendScintilla(
            QsciScintillaBase::SCI_TEXTWIDTH, 33,
            std::to_string(lines).c_str());    // STYLE_LINENUMBER
        if (lines == 1) QCOMPARE(width, 40l);  // the width of the layout
        QVERIFY2(width > digits && width > last_width,
                 qPrintable(QString::number(lines)));
        last_width = static_cast<int>(width);
      }
      editor->SetUtf8Text("");
      QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, 0),
               40l);
    }
  }

  // A profile with another comment marker re-colours only what the result
  // editor shows, however long the table.
  void SwitchingProfilesColoursOnlyWhatTheResultEditorShows() {
    Session session;
    Editor* result = session.result();
    std::string table;
    for (int line = 0; line < 200000; ++line)
      table += "    Dt    0x41 ; 12\r\n";
    FillResultEditor(result, table);
    const long digit = static_cast<long>(table.find('1', 15));
    const auto style_of_digit = [&] {
      QCoreApplication::processEvents();  // the editor paints, and colours
      return result->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, digit);
    };
    QCOMPARE(style_of_digit(), 3l);  // "; " begins past the 8th character
    QComboBox* selector = session.window->profile_selector();
    for (const int profile : {2, 0}) {  // "' ", then "; " again
      selector->setCurrentIndex(profile);
      Q_EMIT selector->activated(profile);
      QCOMPARE(style_of_digit(), profile == 2 ? 0l : 3l);
      QVERIFY(result->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED) <
              static_cast<long>(table.size() / 100));
    }
  }

  void EditCommandStatesFollowTheFocus() {
    Session session;
    MainWindow* window = session.window.get();
    // Undo..Select all in the menu bar, toolbar, editor menu; 1: on or absent.
    const auto states = [&] {
      QString all;
      for (int id = kCommandUndo; id <= kCommandSelectAll; ++id, all += ' ')
        for (QAction* action :
             {window->menu_action(id), window->toolbar_action(id),
              window->editor_menu_action(id)})
          all += action == nullptr || action->isEnabled() ? '1' : '0';
      return all.trimmed();
    };
    QCOMPARE(states(), QString("000 000 111 111 111 111"));
    QTest::keyClicks(session.source(), "ab");
    QCOMPARE(states(), QString("111 000 111 111 111 111"));
    Press(session.source(), Qt::Key_Z);
    QCOMPARE(states(), QString("000 111 111 111 111 111"));
    QTest::keyClicks(session.source(), "ab");
    session.dialogs.answers = {Button::kNo};
    window->RunCommand(kCommandNew);  // a new text has no history
    QCOMPARE(states(), QString("000 000 111 111 111 111"));
    session.result()->setFocus();
    QCOMPARE(states(), QString("000 000 111 111 111 111"));
    window->profile_selector()->setFocus();
    QCOMPARE(states(), QString("000 000 001 001 001 011"));
  }

  void TheEditorMenuActsOnTheEditorClicked() {
    Session session;
    MainWindow* window = session.window.get();
    QTest::keyClicks(session.source(), "ab");
    session.result()->SetText("xyz");
    window->profile_selector()->setFocus();
    const auto right_click = [&](Editor* editor) {
      QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(60, 10),
                              editor->viewport()->mapToGlobal(QPoint(60, 10)));
      QApplication::sendEvent(editor->viewport(), &click);
      QVERIFY(window->editor_menu()->isVisible());
      QCOMPARE(QApplication::focusWidget(), editor);
      window->editor_menu()->hide();
    };
    right_click(session.result());
    for (int id = kCommandUndo; id <= kCommandSaveEditorText; ++id)
      QCOMPARE(window->editor_menu_action(id)->isEnabled(), id >= kCommandCut);
    window->editor_menu_action(kCommandSelectAll)->trigger();
    QCOMPARE(Selected(session.result()), 3l);
    QCOMPARE(Selected(session.source()), 0l);

    right_click(session.source());  // Undo is on for the source only
    window->editor_menu_action(kCommandUndo)->trigger();
    QCOMPARE(session.source()->Text(), QString());
    QCOMPARE(session.result()->Text(), QString("xyz"));

    // Window commands and a profile choice hand the focus back.
    session.result()->setFocus();
    window->RunCommand(kCommandConvert);  // refused: no text
    QCOMPARE(QApplication::focusWidget(), session.source());
    window->profile_selector()->setFocus();
    Q_EMIT window->profile_selector()->activated(2);
    QCOMPARE(QApplication::focusWidget(), session.source());
  }

  void QuittingWithChangedTextAsksAndCancelKeepsTheWindow() {
    Session session;
    session.dialogs.answers = {Button::kCancel};
    QTest::keyClicks(session.source(), "x");
    QVERIFY(session.window->modified_indicator()->isVisible());
    session.window->RunCommand(kCommandQuit);
    QVERIFY(session.window->isVisible());
    QCOMPARE(session.dialogs.shown.size(), 1u);
    const ScriptedDialogs::Shown& question = session.dialogs.shown.back();
    QVERIFY(
        question.message ==
        (UserMessage{UserMessage::Icon::kWarning, "Trulvex For HD44780  v1.2",
                     "Текст в файле был модифицирован.\nСохранить его?"}));
    QVERIFY((question.buttons ==
             std::vector<Button>{Button::kYes, Button::kNo, Button::kCancel}));
    // Enter saves; it never throws the text away.
    QVERIFY(question.default_button == Button::kYes);
    QCOMPARE(testing::ReadFile(session.dir / "Preferences.ini"), "");

    // Undone back to the save point: no question.
    Press(session.source(), Qt::Key_Z);
    QVERIFY(session.window->modified_indicator()->isHidden());
    session.window->RunCommand(kCommandQuit);
    QVERIFY(!session.window->isVisible());
    QCOMPARE(session.dialogs.shown.size(), 1u);
  }

  // Closing the main window ends the program whatever else is open: the
  // About window's fade does not hold the quit up, and the BIN options
  // changed last are saved.
  void ClosingTheMainWindowEndsTheProgram() {
    Session session;
    MainWindow* window = session.window.get();
    window->RunCommand(kCommandConvertToBin);
    window->findChild<BinWindow*>()->delete_spaces_box()->click();
    window->RunCommand(kCommandAbout);
    QVERIFY(window->findChild<AboutWindow*>()->isVisible());
    bool timed_out = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [&] {
      timed_out = true;
      QApplication::exit(1);
    });
    watchdog.start(10000);
    QTimer::singleShot(0, window, [window] { window->close(); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!timed_out);
    for (const QWidget* top : QApplication::topLevelWidgets())
      QVERIFY2(top->isHidden(), qPrintable(top->objectName()));
    QCOMPARE(LoadSettings(session.dir / "Preferences.ini").bin.DelSpace, 1);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::MainWindowTest)
#include "main_window_qtest.moc"

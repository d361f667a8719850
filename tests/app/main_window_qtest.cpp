#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/editor.h"
#include "app/editor_styling.h"
#include "app/main_window.h"
#include "app/scripted_dialogs.h"
#include "profiles/profile_database.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedDialogs;
using testing::TempDir;
using Button = UserDialogs::Button;
using Sci = QsciScintillaBase;

// A data directory with the three stock profiles and, when given, stored
// settings; the window is started, shown and active.
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
  Settings Saved() const { return LoadSettings(dir / "Preferences.ini"); }
};

// Types any text, Cyrillic included, key by key.
void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c),
                        Qt::NoModifier);
  }
}

void Press(QWidget* widget, Qt::Key key) {
  QTest::keyClick(widget, key, Qt::ControlModifier);
}

long Selected(Editor* editor) {
  return editor->SendScintilla(Sci::SCI_GETSELECTIONEND) -
         editor->SendScintilla(Sci::SCI_GETSELECTIONSTART);
}

// Items as a menu shows them: "label\tshortcut", "-" for a separator and
// ">title" for a submenu.
QStringList Describe(const QMenu* menu) {
  QStringList items;
  for (const QAction* action : menu->actions()) {
    const QString keys = action->shortcut().toString();
    items << (action->isSeparator()       ? QString("-")
              : action->menu() != nullptr ? ">" + action->text()
              : keys.isEmpty()            ? action->text()
                                          : action->text() + "\t" + keys);
  }
  return items;
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
    QCOMPARE(window.windowTitle(), QString("Trulvex For HD44780  v1.2"));
    QCOMPARE(window.profile_selector()->count(), create ? 3 : 0);
    QCOMPARE(window.profile_selector()->currentIndex(), create ? 0 : -1);
    QCOMPARE(window.menu_action(kCommandConvert)->isEnabled(), create);
    QCOMPARE(window.toolbar_action(kCommandConvert)->isEnabled(), create);
  }

  void StoredPosAndMenuStyleAtStart_data() {
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("checked");
    QTest::newRow("in range") << 1 << 1 << 2 << 52;
    QTest::newRow("past the end") << 3 << 2 << 3 << 53;
    QTest::newRow("negative, unknown style") << -1 << 2 << 7 << 51;
  }
  void StoredPosAndMenuStyleAtStart() {
    QFETCH(int, pos);
    QFETCH(int, selected);
    QFETCH(int, style);
    QFETCH(int, checked);
    Settings stored;
    stored.Pos = pos;
    stored.StyleMenu = style;
    Session session(&stored);
    QComboBox* selector = session.window->profile_selector();
    QCOMPARE(selector->currentIndex(), selected);
    ProfileRecord expected;
    QVERIFY(LoadProfile(session.dir / "Profile.prof",
                        Utf8ToCp1251(selector->currentText().toStdString()),
                        &expected) == LoadProfileResult::kLoaded);
    QVERIFY(session.window->working_record() == expected);
    for (int id = 51; id <= 53; ++id) {
      QCOMPARE(session.window->menu_action(id)->isChecked(), id == checked);
    }
    // A style the user did not choose is written back as it was stored.
    QVERIFY(session.window->close());
    QCOMPARE(session.Saved().StyleMenu, style);
  }

  void MenusHoldTheCommandsWithTheirShortcuts() {
    Session session;
    const QList<QAction*> menus = session.window->menuBar()->actions();
    const std::pair<QString, QStringList> expected[] = {
        {"Файл",
         {"Новый\tCtrl+N", "Открыть\tCtrl+O", "Сохранить\tCtrl+S",
          "Сохранить как...\tCtrl+Shift+S", "-", ">Недавние файлы", "-",
          "Закрыть"}},
        {"Правка",
         {"Отменить\tCtrl+Z", "Повторить\tCtrl+Y", "-", "Вырезать\tCtrl+X",
          "Копировать\tCtrl+C", "Вставить\tCtrl+V", "-", "Выделить всё\tCtrl+A",
          "-", ">Стиль меню"}},
        {"Преобразование",
         {"Преобразовать...\tCtrl+T", "Преобразовать в BIN формат\tCtrl+B", "-",
          "Управление профилями"}},
        {"Справка", {"О программе"}},
    };
    QCOMPARE(menus.size(), 4);
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(menus[i]->text(), expected[i].first);
      QCOMPARE(Describe(menus[i]->menu()), expected[i].second);
    }
    QCOMPARE(session.window->recent_menu()->actions().size(), 10);
    QCOMPARE(Describe(menus[1]->menu()->actions().last()->menu()),
             QStringList({"Стандартный", "Офис ХР", "Офис 2003"}));
    QCOMPARE(Describe(session.window->editor_menu()),
             QStringList({"Отменить\tCtrl+Z", "Повторить\tCtrl+Y", "-",
                          "Вырезать\tCtrl+X", "Копировать\tCtrl+C",
                          "Вставить\tCtrl+V", "-", "Выделить всё\tCtrl+A", "-",
                          "Сохранить в файле"}));
  }

  void ToolbarItemsInOrderWithTheirTooltips() {
    Session session;
    auto* toolbar = session.window->findChild<QToolBar*>();
    QStringList items;
    for (QAction* action : toolbar->actions()) {
      QWidget* widget = toolbar->widgetForAction(action);
      if (action->isSeparator()) {
        items << "|";
      } else if (widget == session.window->open_button()) {
        items << "open:" + widget->toolTip();
      } else if (qobject_cast<QToolButton*>(widget) == nullptr) {
        items << QString("gap%1").arg(widget->width());
      } else {
        items << action->objectName() + ":" + action->toolTip();
      }
    }
    QCOMPARE(
        items,
        QStringList({"|", "tool9:Новый", "open:Открыть", "tool10:Сохранить",
                     "|", "tool20:Вырезать", "tool21:Копировать",
                     "tool22:Вставить", "|", "tool18:", "tool19:", "|",
                     "tool7:Преобразовать", "gap72", "gap146",
                     "tool3:Управление профилями", "|", "tool5:О программе"}));
    auto* label = toolbar->findChild<QLabel*>("profileLabel");
    QCOMPARE(label->text(), QString("Профиль"));
    QCOMPARE(label->pos(), QPoint(14, 5));
    QComboBox* selector = session.window->profile_selector();
    QCOMPARE(selector->toolTip(), QString("Выбор профиля"));
    QCOMPARE(selector->geometry().topLeft(), QPoint(0, 2));
    QCOMPARE(selector->width(), 140);
    QVERIFY(!selector->isEditable());
    // However long the list, it drops down 200 pixels at most.
    for (int i = 0; i < 40; ++i) selector->addItem(QString::number(i));
    selector->showPopup();
    const int height = selector->view()->window()->height();
    QVERIFY2(height <= 200 && height > 150,
             qPrintable(QString::number(height)));
    selector->hidePopup();
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
    QCOMPARE(Selected(source), 3l);
    Press(source, Qt::Key_C);
    QCOMPARE(QApplication::clipboard()->text(), QString("abc"));

    result->setFocus();
    Press(result, Qt::Key_V);
    Press(result, Qt::Key_V);
    QCOMPARE(result->Text(), QString("abcabc"));
    // The result editor has a history of its own, but Undo is not for it.
    Press(result, Qt::Key_Z);
    QCOMPARE(result->Text(), QString("abcabc"));
    Press(result, Qt::Key_A);
    QCOMPARE(Selected(result), 6l);
    Press(result, Qt::Key_X);
    QCOMPARE(result->Text(), QString());
    QCOMPARE(QApplication::clipboard()->text(), QString("abcabc"));
    QCOMPARE(source->Text(), QString("abc"));
  }

  void EditCommandStatesFollowTheFocus() {
    Session session;
    MainWindow* window = session.window.get();
    // Per command 18 to 23: menu bar, toolbar, editor menu (1 = enabled or
    // no such item).
    const auto states = [&] {
      QStringList all;
      for (int id = kCommandUndo; id <= kCommandSelectAll; ++id) {
        QString state;
        for (QAction* action :
             {window->menu_action(id), window->toolbar_action(id),
              window->editor_menu_action(id)}) {
          state += action == nullptr || action->isEnabled() ? '1' : '0';
        }
        all << state;
      }
      return all.join(' ');
    };
    QCOMPARE(states(), QString("000 000 111 111 111 111"));
    QTest::keyClicks(session.source(), "ab");
    QCOMPARE(states(), QString("111 000 111 111 111 111"));
    Press(session.source(), Qt::Key_Z);
    QCOMPARE(states(), QString("000 111 111 111 111 111"));
    // A new text has no history.
    QTest::keyClicks(session.source(), "ab");
    session.dialogs.answers = {Button::kNo};
    window->RunCommand(kCommandNew);
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
    };
    right_click(session.result());
    QVERIFY(window->editor_menu()->isVisible());
    QCOMPARE(QApplication::focusWidget(), session.result());
    QVERIFY(!window->editor_menu_action(kCommandUndo)->isEnabled());
    QVERIFY(!window->editor_menu_action(kCommandRedo)->isEnabled());
    for (int id = kCommandCut; id <= kCommandSaveEditorText; ++id) {
      QVERIFY(window->editor_menu_action(id)->isEnabled());
    }
    window->editor_menu()->hide();
    window->editor_menu_action(kCommandSelectAll)->trigger();
    QCOMPARE(Selected(session.result()), 3l);
    QCOMPARE(Selected(session.source()), 0l);

    right_click(session.source());
    QVERIFY(window->editor_menu_action(kCommandUndo)->isEnabled());
    window->editor_menu()->hide();
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

  void TheWindowAndItsEditorsKeepAMinimumSize() {
    Session session;
    MainWindow* window = session.window.get();
    window->resize(400, 250);
    QCOMPARE(window->size(), QSize(520, 304));
    for (const QList<int>& sizes : {QList<int>{0, 1000}, {1000, 0}}) {
      window->divider()->setSizes(sizes);
      QVERIFY(session.source()->height() >= 50);
      QVERIFY(session.result()->height() >= 50);
    }
  }

  void SettingsAreWrittenAtExit() {
    Settings stored;
    stored.R = 150;
    Session session(&stored);
    MainWindow* window = session.window.get();
    QCOMPARE(window->divider()->sizes().first(), 150);
    window->move(60, 40);
    window->resize(640, 420);
    QTRY_COMPARE(window->height(), 420);
    // The editors sit 2 pixels inside the area between the bars.
    const QRect top(session.source()->mapTo(window, QPoint()),
                    session.source()->size());
    const QRect bottom(session.result()->mapTo(window, QPoint()),
                       session.result()->size());
    QCOMPARE(top.left(), 2);
    QCOMPARE(top.right(), window->width() - 3);
    QCOMPARE(top.top(),
             window->findChild<QToolBar*>()->geometry().bottom() + 3);
    QCOMPARE(bottom.bottom(), window->statusBar()->geometry().top() - 3);
    window->divider()->setSizes({120, 1000});
    window->profile_selector()->setCurrentIndex(1);
    window->menu_action(52)->trigger();
    QVERIFY(window->menu_action(52)->isChecked());
    QVERIFY(!window->menu_action(53)->isChecked());
    const QPoint frame = window->frameGeometry().topLeft();
    QVERIFY(window->close());
    const Settings saved = session.Saved();
    QCOMPARE(QPoint(saved.X, saved.Y), frame);
    QCOMPARE(saved.W, 640);
    QCOMPARE(saved.H, 420);  // the window's inner height holds the menu bar
    QCOMPARE(saved.R, 120);
    QCOMPARE(saved.Pos, 1);
    QCOMPARE(saved.StyleMenu, 2);
  }

  void QuittingWithChangedTextAsksAndCancelKeepsTheWindow() {
    Session session;
    session.dialogs.answers = {Button::kCancel, Button::kCancel};
    QLabel* indicator = session.window->modified_indicator();
    QVERIFY(indicator->isHidden());
    QTest::keyClicks(session.source(), "x");
    QVERIFY(!indicator->isHidden());
    session.window->RunCommand(kCommandQuit);
    QVERIFY(session.window->isVisible());
    QVERIFY(!session.window->close());
    QCOMPARE(session.dialogs.shown.size(), 2u);
    const ScriptedDialogs::Shown& question = session.dialogs.shown.back();
    QVERIFY(
        question.message ==
        (UserMessage{UserMessage::Icon::kWarning, "Trulvex For HD44780  v1.2",
                     "Текст в файле был модифицирован.\nСохранить его?"}));
    QVERIFY((question.buttons ==
             std::vector<Button>{Button::kYes, Button::kNo, Button::kCancel}));
    QCOMPARE(testing::ReadFile(session.dir / "Preferences.ini"), "");

    // Undone back to the save point: no question.
    Press(session.source(), Qt::Key_Z);
    QVERIFY(indicator->isHidden());
    session.window->RunCommand(kCommandQuit);
    QVERIFY(!session.window->isVisible());
    QCOMPARE(session.dialogs.shown.size(), 2u);
  }

  void EditorsColourWhatTheyHold() {
    Session session;
    const auto style = [](Editor* editor, int position) {
      return static_cast<int>(
          editor->SendScintilla(Sci::SCI_GETSTYLEAT, position));
    };
    // In the editor a Cyrillic letter takes two bytes, the sign № three.
    Type(session.source(), "Ёж, {№}");
    QApplication::processEvents();
    const int expected[] = {1, 1, 1, 1, 0, 0, 2, 1, 1, 1, 2};
    for (int p = 0; p < 11; ++p)
      QCOMPARE(style(session.source(), p), expected[p]);

    Editor* result = session.result();
    result->SetText("\tDt 1,2 ; ж7\n; 7");
    // A new marker recolours the text already there.
    result->SetCommentMarker(";");
    QCOMPARE(style(result, 10), int{kStyleCyrillic});
    QCOMPARE(style(result, 12), int{kStyleCommentDigit});
    QCOMPARE(style(result, 16), int{kStylePlain});  // a comment at the start
    result->SetCommentMarker("");
    QCOMPARE(style(result, 12), int{kStylePlain});
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::MainWindowTest)
#include "main_window_qtest.moc"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/engine/conversion_run.h"
#include "core/engine/profile_record.h"
#include "core/profiles/profile_database.h"
#include "gui/command_ids.h"
#include "gui/convert_command.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/progress_window.h"
#include "gui/qt_text.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::ReadFile;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::TestData;
using Button = UserDialogs::Button;

ProgressWindow* OpenProgressWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String("progressWindow")) {
      return static_cast<ProgressWindow*>(widget);
    }
  }
  return nullptr;
}

// Scripted answers; answering No may click "Отмена" again at once, as a
// user who changes their mind would.
class StopDialogs : public ScriptedDialogs {
 public:
  bool click_again_after_no = false;

  Button Ask(QWidget* parent, const UserMessage& message,
             const std::vector<Button>& buttons,
             Button default_button) override {
    const Button answer =
        ScriptedDialogs::Ask(parent, message, buttons, default_button);
    if (answer == Button::kNo && click_again_after_no) {
      click_again_after_no = false;
      OpenProgressWindow()->cancel_button()->click();
    }
    return answer;
  }
};

// Runs `action` when the progress window appears, inside the command.
class OnProgressShown : public QObject {
 public:
  explicit OnProgressShown(std::function<void()> action)
      : action_(std::move(action)) {
    qApp->installEventFilter(this);
  }

  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::Show && object == OpenProgressWindow()) {
      action_();
    }
    return false;
  }

 private:
  std::function<void()> action_;
};

// The real main window over a fresh copy of the default profile database.
struct Fixture {
  TempDir dir;
  StopDialogs dialogs;
  std::unique_ptr<MainWindow> window;

  Fixture() {
    std::filesystem::copy_file(TestData("profile_database_fresh.golden"),
                               dir / "Profile.prof");
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);
    window->Start({});
    window->show();
  }

  // Converts `text` (UTF-8) with the focus in the result editor; `during`
  // runs when the progress window appears, if it does.
  void Convert(
      const QString& text, std::function<void()> during = [] {}) {
    window->source_editor()->SetText(text);
    window->result_editor()->setFocus();
    OnProgressShown hook(std::move(during));
    window->RunCommand(kCommandConvert);
  }
  QString Result() const { return window->result_editor()->Text(); }
};

// The table of the first default profile, as the editor shows it.
QString ExpectedTable(const QString& text) {
  return FromCp1251(
      ConvertToTable(ToCp1251(text), DefaultProfileRecords()[0]).table);
}

class ConvertTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void ConvertsIntoTheResultEditorAndFocusesTheSource() {
    Fixture f;
    f.window->result_editor()->SetText(QStringLiteral("старое"));
    f.Convert(QStringLiteral("Привет, мир!"));
    QCOMPARE(f.Result(), FromCp1251(ReadFile(TestData("privet_dt.golden"))));
    QVERIFY(f.dialogs.shown.empty());
    QCOMPARE(f.window->focusWidget(), f.window->source_editor());
  }

  void RefusesAndLeavesTheResultAlone() {
    Fixture f;
    f.window->result_editor()->SetText(QStringLiteral("старое"));
    const auto expect = [&](UserMessage::Icon icon, const std::string& title,
                            const std::string& text) {
      QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
      QVERIFY(f.dialogs.shown.back().message ==
              (UserMessage{icon, title, text}));
      QCOMPARE(f.Result(), QStringLiteral("старое"));
      QCOMPARE(f.window->focusWidget(), f.window->source_editor());
      f.dialogs.shown.clear();
    };

    f.Convert(QString());
    expect(UserMessage::Icon::kWarning, "Преобразование текста",
           "Отсутствует преобразуемый текст");

    // 101 characters: the refusal also closes the progress window.
    f.window->convert_command()->set_limits({.max_output_bytes = 100});
    f.Convert(QString(101, QChar(u'Ы')));
    expect(UserMessage::Icon::kError, "Преобразование текста",
           "Таблица получается слишком большой\n"
           "и не поместится в окне результата.\n"
           "Сократите текст или выберите другой профиль.");
    QVERIFY(f.window->isEnabled());
    QVERIFY(OpenProgressWindow() == nullptr);

    std::filesystem::remove(f.dir / "Profile.prof");
    f.Convert(QStringLiteral("Привет"));
    expect(
        UserMessage::Icon::kError, "Ошибка",
        "Файл  \n\"" + Utf8Path(f.dir / "Profile.prof") + "\"\nне обнаружен");
    QCOMPARE(f.window->profile_selector()->count(), 0);
    QVERIFY(f.window->menu_action(kCommandConvert)->isEnabled());

    f.Convert(QStringLiteral("Привет"));
    expect(UserMessage::Icon::kWarning, "Преобразование текста",
           "Не выбран профиль!");
  }

  void ShowsTheProgressWindowAboveOneHundredCharacters_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("progress");
    QTest::newRow("100") << 100 << false;
    QTest::newRow("101") << 101 << true;
  }
  void ShowsTheProgressWindowAboveOneHundredCharacters() {
    QFETCH(int, length);
    QFETCH(bool, progress);
    Fixture f;
    // Two UTF-8 bytes each: the limit counts characters.
    const QString text(length, QChar(u'Ы'));
    bool shown = false;
    bool closed = true;
    bool main_enabled = true;
    bool stop_usable = false;
    QString title;
    QSize size;
    f.Convert(text, [&] {
      shown = true;
      ProgressWindow* window = OpenProgressWindow();
      title = window->windowTitle();
      size = window->size();
      main_enabled = f.window->isEnabled();
      stop_usable = window->isEnabled() &&
                    window->cancel_button()->isEnabled() &&
                    window->cancel_button()->text() == "Отмена" &&
                    !(window->windowFlags() & Qt::WindowCloseButtonHint);
      closed = f.window->close();
    });

    QCOMPARE(shown, progress);
    if (progress) {
      QCOMPARE(title, QStringLiteral("    Преобразование данных"));
      // 210 wide, or just wide enough for the caption in a wider font.
      QVERIFY(size.width() >= 210 && size.width() <= 240);
      QCOMPARE(size.height(), 90);
      QVERIFY(!main_enabled);
      QVERIFY(stop_usable);
      QVERIFY(!closed);
    }
    QVERIFY(f.window->isEnabled());
    QVERIFY(f.window->isVisible());
    QVERIFY(OpenProgressWindow() == nullptr);
    QCOMPARE(f.Result(), ExpectedTable(text));
    QCOMPARE(f.window->focusWidget(), f.window->source_editor());
    QVERIFY(f.dialogs.shown.empty());
  }

  void StopsOnlyWhenTheUserConfirms_data() {
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("click_again");
    // How many data lines, each with its comment line, the result keeps;
    // -1 for the whole table.
    QTest::addColumn<int>("lines");
    QTest::newRow("yes") << QList<int>{int(Button::kYes)} << false << 1;
    QTest::newRow("no") << QList<int>{int(Button::kNo)} << false << -1;
    QTest::newRow("no, then yes")
        << QList<int>{int(Button::kNo), int(Button::kYes)} << true << 2;
  }
  void StopsOnlyWhenTheUserConfirms() {
    QFETCH(QList<int>, answers);
    QFETCH(bool, click_again);
    QFETCH(int, lines);
    Fixture f;
    for (int answer : answers) {
      f.dialogs.answers.push_back(static_cast<Button>(answer));
    }
    f.dialogs.click_again_after_no = click_again;
    const QString text = QStringLiteral("Прогресс преобразования ").repeated(6);
    f.Convert(text, [] { OpenProgressWindow()->cancel_button()->click(); });

    const QString full = ExpectedTable(text);
    qsizetype end = full.size();
    if (lines > 0) {
      end = 0;
      for (int n = 0; n < 2 * lines; ++n) end = full.indexOf("\r\n", end) + 2;
    }
    QCOMPARE(f.Result(), full.left(end));
    QCOMPARE(f.dialogs.shown.size(), std::size_t(answers.size()));
    for (const ScriptedDialogs::Shown& shown : f.dialogs.shown) {
      QVERIFY(
          shown.message ==
          (UserMessage{UserMessage::Icon::kQuestion, "Преобразование текста",
                       "Вы действительно хотите остановить "
                       "\nпреобразование текста?"}));
      QVERIFY((shown.buttons == std::vector{Button::kYes, Button::kNo}));
      QVERIFY(shown.default_button == Button::kNo);
    }
    QCOMPARE(f.dialogs.unscripted, 0);
    QVERIFY(f.window->isEnabled());
    QCOMPARE(f.window->focusWidget(), f.window->source_editor());
  }

  // The table goes into the editor as the run makes it: "Отмена" is
  // answered while the editor fills, as early in the run.
  void StopsWhileTheResultEditorFills_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << int(Button::kYes);
    QTest::newRow("no") << int(Button::kNo);
  }
  void StopsWhileTheResultEditorFills() {
    QFETCH(int, answer);
    Fixture f;
    f.dialogs.answers = {Button(answer)};
    // About 30 MB of table: the run takes events many times while it fills.
    const QString text =
        QStringLiteral("Прогресс преобразования ").repeated(125000);
    Editor* result = f.window->result_editor();
    bool clicked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      if (clicked ||
          result->SendScintilla(QsciScintillaBase::SCI_GETLENGTH) == 0)
        return;
      clicked = true;
      OpenProgressWindow()->cancel_button()->click();
    });
    f.Convert(text, [&] { poll.start(0); });
    QVERIFY(clicked);
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
    const QString full = ExpectedTable(text);
    const QString shown = f.Result();
    if (Button(answer) == Button::kNo) {
      QCOMPARE(shown.size(), full.size());
      QVERIFY(shown == full);
    } else {
      QVERIFY(!shown.isEmpty() && shown.size() < full.size());
      QVERIFY(full.startsWith(shown));
      QVERIFY(shown.endsWith(", ") || shown.endsWith("\r\n"));
    }
    QVERIFY(f.window->isEnabled());
  }

  // Pieces of one character have no room for a check between numbers; the
  // check after each data line stops them.
  void StopsARunOfOneCharacterLines() {
    Fixture f;
    ProfileRecord single = DefaultProfileRecords()[0];
    single.CountByte = 1;
    QCOMPARE(SaveProfile(f.dir / "Profile.prof", "Single", single),
             SaveProfileResult::kSaved);
    f.window->RefillProfileSelector(3);
    f.dialogs.answers = {Button::kYes};
    f.Convert(QString(300, QChar(u'Ы')),
              [] { OpenProgressWindow()->cancel_button()->click(); });
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
    QCOMPARE(f.Result(),
             FromCp1251(ConvertToTable(ToCp1251("Ы"), single).table));
  }

  // Keys and clicks the disabled window got during a run are thrown away,
  // not carried out once it is enabled again.
  void InputDuringARunIsDiscarded() {
    Fixture f;
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    const QString text = QStringLiteral("Прогресс ").repeated(100);
    int runs = 0;
    f.Convert(text, [&] {
      ++runs;
      // Posted as the platform queues input: Ctrl+T, a typed letter and a
      // click on "Новый".
      Editor* source = f.window->source_editor();
      for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QCoreApplication::postEvent(
            source, new QKeyEvent(type, Qt::Key_T, Qt::ControlModifier));
        QCoreApplication::postEvent(
            source, new QKeyEvent(type, Qt::Key_X, {}, QStringLiteral("x")));
      }
      QWidget* new_button = f.window->findChild<QToolBar*>()->widgetForAction(
          f.window->toolbar_action(kCommandNew));
      const QPointF at = QRectF(new_button->rect()).center();
      for (const QEvent::Type type :
           {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            new_button, new QMouseEvent(type, at, new_button->mapToGlobal(at),
                                        Qt::LeftButton, Qt::LeftButton, {}));
      }
    });
    QCoreApplication::processEvents();
    QCOMPARE(runs, 1);
    QCOMPARE(f.window->source_editor()->Text(), text);
    QVERIFY(f.dialogs.shown.empty());  // "Новый" would ask to save first
    QCOMPARE(f.Result(), ExpectedTable(text));
  }

  // A click reaches the window while the run works, and the bar follows
  // the run, clipped to the text length.
  void TakesEventsWhileTheRunWorks() {
    ScriptedDialogs dialogs;
    dialogs.answers = {Button::kYes};
    ProgressWindow window(nullptr, &dialogs);
    window.show();
    window.Started(1000);
    window.Progressed(5000);
    QTimer::singleShot(0, window.cancel_button(), &QPushButton::click);
    QElapsedTimer clock;
    clock.start();
    while (!window.StopRequested() && clock.elapsed() < 10000) {
    }
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QCOMPARE(window.bar()->maximum(), 1000);
    QCOMPARE(window.bar()->value(), 1000);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::ConvertTest)
#include "convert_qtest.moc"

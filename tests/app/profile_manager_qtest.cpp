#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/scripted_dialogs.h"
#include "profiles/profile_database.h"
#include "profiles/profile_manager_window.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::Cp;
using testing::ReadFile;
using testing::ScriptedDialogs;
using testing::TempDir;
using Button = UserDialogs::Button;
using Mode = ProfileManagerWindow::Mode;

const QColor kRed(207, 2, 2);
const QColor kBlueViolet(38, 4, 190);
const QColor kBlack(0, 0, 0);
const QString kTaken = "Пожалуйста, выберите другое имя для профиля.";

// The three stock profiles and two with Cyrillic names, the main window
// started over them and the manager open on it.
struct Session {
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<ProfileManagerWindow> manager;

  explicit Session(bool empty_database = false) {
    if (empty_database) {
      testing::WriteFile(database(), "");
    } else {
      fs::copy_file(testing::TestData("profile_database_fresh.golden"),
                    database());
      for (const char* name : {"Дом Юла", "Ящик Ёж"}) {
        SaveProfile(database(), Cp(name), DefaultProfileRecords()[2]);
      }
    }
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", database()}, &dialogs);
    window->Start({});
    window->show();
    Open();
  }
  fs::path database() const { return dir / "Profile.prof"; }
  void Open() {
    manager = std::make_unique<ProfileManagerWindow>(window.get());
    manager->show();
  }

  template <class T>
  T* Get(const char* name) const {
    T* child = manager->findChild<T*>(QLatin1String(name));
    if (child == nullptr) qFatal("no control %s", name);
    return child;
  }
  QListWidget* list() const { return Get<QListWidget>("profileList"); }
  QColor NameColour() const {
    return Box("Name")->palette().color(QPalette::Text);
  }
  QLineEdit* Box(const char* key) const { return Get<QLineEdit>(key); }
  QCheckBox* Tick(const char* key) const { return Get<QCheckBox>(key); }
  QSpinBox* Number(const char* key) const { return Get<QSpinBox>(key); }
  void Click(const char* button) const {
    QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton);
  }
  QStringList Names() const {
    QStringList names;
    for (int row = 0; row < list()->count(); ++row) {
      names << list()->item(row)->text();
    }
    return names;
  }
  QString Preview() const {
    return Get<QPlainTextEdit>("preview")->toPlainText();
  }
  void EditRow(int row) const {
    QListWidget* profiles = list();
    const QPoint at = profiles->visualItemRect(profiles->item(row)).center();
    // A real double click: the first click, then the second one.
    QTest::mouseClick(profiles->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(profiles->viewport(), Qt::LeftButton, {}, at);
  }
  ProfileRecord Stored(const QString& name) const {
    ProfileRecord record;
    LoadProfile(database(), ToCp1251(name), &record);
    return record;
  }
  const UserMessage& LastMessage() const {
    if (dialogs.shown.empty()) qFatal("no message");
    return dialogs.shown.back().message;
  }
};

// Types any text, Cyrillic included, over what the box held.
void Retype(QWidget* box, const QString& text) {
  box->setFocus();
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Delete);
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c),
                        Qt::NoModifier);
  }
}

class ProfileManagerTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void OpensInViewingWithEveryTextWholeAndNoOverlap() {
    Session s;
    s.window->profile_selector()->setCurrentIndex(1);
    s.Open();
    QCOMPARE(s.manager->windowTitle(), QString("Управление профилями"));
    QCOMPARE(s.Names(),
             QStringList({"ASM — DT For PIC", "ASM — DE For PIC",
                          "MikroBasic For PIC", "Дом Юла", "Ящик Ёж"}));
    QCOMPARE(s.list()->currentRow(), 1);
    QVERIFY(s.list()->item(1)->isSelected());
    QCOMPARE(s.Get<QPushButton>("acceptButton")->text(),
             QString::fromUtf16(u"\u041E\u043A"));
    QCOMPARE(s.Get<QComboBox>("SI")->currentIndex(), 2);
    QVERIFY(!s.Box("Name")->isEnabled());

    // Whatever this platform's font, every text shows whole, inside the
    // window and the frame, and no control covers another.
    const auto shown = [](const QWidget* w) {
      QRect r = w->geometry();
      if (qobject_cast<const QLabel*>(w) || qobject_cast<const QCheckBox*>(w)) {
        r.setWidth(w->sizeHint().width());
      }
      return r;
    };
    QList<QWidget*> controls;
    QRect frame;
    for (QWidget* child : s.manager->findChildren<QWidget*>(
             QString(), Qt::FindDirectChildrenOnly)) {
      if (child->metaObject()->className() == QByteArray("QFrame")) {
        frame = child->geometry();
      } else {
        controls << child;
      }
    }
    QVERIFY(s.manager->rect().contains(frame));
    for (int i = 0; i < controls.size(); ++i) {
      const QWidget* a = controls[i];
      const QString what = a->objectName() + a->property("text").toString();
      QVERIFY2(a->width() >= shown(a).width(), qPrintable(what));
      QVERIFY2(a->y() < frame.y() || frame.contains(a->geometry()),
               qPrintable(what));
      for (int j = i + 1; j < controls.size(); ++j) {
        QVERIFY2(!shown(a).intersects(shown(controls[j])), qPrintable(what));
      }
    }
  }

  void NewProfileFollowsTheEnablingRulesAndIsAppended() {
    Session s;
    s.Click("newButton");
    QCOMPARE(s.manager->mode(), Mode::kNew);
    QVERIFY(!s.list()->isEnabled() &&
            !s.Get<QPushButton>("editButton")->isEnabled());
    for (const char* dependent :
         {"CommentState", "CountByteToComment", "PerenosPoSlovam"}) {
      QVERIFY(!s.Tick(dependent)->isEnabled());
    }
    QVERIFY(!s.Number("CountSpace")->isEnabled());

    Retype(s.Box("Name"), " Мой ");
    Retype(s.Box("Directive"), "db");
    Retype(s.Box("Comment"), ";");
    s.Tick("CommentState")->click();
    QVERIFY(s.Preview().startsWith(";Пример преобразования текста\ndb"));
    Retype(s.Number("CountByte"), "8");
    QVERIFY(s.Tick("PerenosPoSlovam")->isEnabled());
    s.Tick("DeleteSpace")->click();
    QTest::keyClick(s.Number("CountSpace"), Qt::Key_Up);
    // Emptying the comment disables its boxes but keeps their ticks.
    Retype(s.Box("Comment"), "");
    QVERIFY(!s.Tick("CommentState")->isEnabled());
    QTest::keyClick(s.manager.get(), Qt::Key_Escape);
    QVERIFY(s.manager->isVisible());
    s.Click("acceptButton");

    QVERIFY(s.dialogs.shown.empty());
    QCOMPARE(s.manager->mode(), Mode::kViewing);
    QCOMPARE(s.Names().back(), QString(" Мой "));
    QCOMPARE(s.list()->currentRow(), 0);
    QVERIFY(s.list()->selectedItems().isEmpty());
    QVERIFY(s.Box("Name")->text().isEmpty() && !s.Box("Name")->isEnabled());
    ProfileRecord expected;
    expected.Ost1 = expected.Ost2 = 0;
    expected.Directive = "db";
    expected.CommentState = 1;
    expected.CountByte = 8;
    expected.DeleteSpace = 1;
    expected.CountSpace = 3;
    QVERIFY(s.Stored(" Мой ") == expected);
  }

  void PreviewShowsAChangedSeparatorBeforeSaving() {
    Session s;
    s.EditRow(1);
    QCOMPARE(s.manager->mode(), Mode::kEditing);
    QCOMPARE(s.Box("Directive")->text(), QString("De"));
    QVERIFY(s.Preview().contains(", 0x"));
    const std::string before = ReadFile(s.database());
    Retype(s.Box("RazdelitelData"), " | ");
    QVERIFY(s.Preview().contains(" | 0x") && !s.Preview().contains(", 0x"));
    QCOMPARE(ReadFile(s.database()), before);

    s.Click("cancelButton");
    QCOMPARE(s.manager->mode(), Mode::kViewing);
    QCOMPARE(ReadFile(s.database()), before);
    s.EditRow(1);
    Retype(s.Box("RazdelitelData"), " | ");
    s.Click("acceptButton");
    QCOMPARE(s.Stored("ASM — DE For PIC").RazdelitelData, std::string(" | "));
  }

  void AcceptChecksAndColoursTheName_data() {
    QTest::addColumn<int>("edited");  // -1: a new profile
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("refusal");  // empty: saved
    QTest::newRow("ASCII case") << -1 << "asm — dt for pic" << kRed << kTaken;
    QTest::newRow("А to Ю case") << -1 << "дом юла" << kRed << kTaken;
    QTest::newRow("Я differs") << -1 << "ящик Ёж" << kBlack << QString();
    QTest::newRow("Ё differs") << -1 << "Ящик ёж" << kBlack << QString();
    QTest::newRow("other letters") << -1 << "ЯЩИК Ёж" << kRed << kTaken;
    QTest::newRow("empty") << -1 << "" << kBlack << "Не указанно имя профиля.";
    QTest::newRow("bracket") << -1 << "A]B" << kBlack
                             << "Имя профиля не может содержать символ «]».";
    QTest::newRow("rename") << 0 << "Мой DT" << kBlack << QString();
    QTest::newRow("case only")
        << 2 << "MIKROBASIC FOR pic" << kBlack << QString();
    QTest::newRow("starting name")
        << 1 << "ASM — DE For PIC" << kBlueViolet << QString();
    QTest::newRow("another's") << 0 << "asm — de for pic" << kRed << kTaken;
  }
  void AcceptChecksAndColoursTheName() {
    QFETCH(int, edited);
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QFETCH(QString, refusal);
    Session s;
    const std::string before = ReadFile(s.database());
    QStringList expected = s.Names();
    ProfileRecord record;
    if (edited < 0) {
      s.Click("newButton");
      expected << name;
    } else {
      record = s.Stored(expected[edited]);
      s.EditRow(edited);
      expected[edited] = name;
    }
    Retype(s.Box("Name"), name);
    QCOMPARE(s.NameColour(), colour);
    s.Click("acceptButton");
    if (refusal.isEmpty()) {
      // The list is read back from the file: an edited profile keeps its
      // place under its new name.
      QVERIFY(s.dialogs.shown.empty());
      QCOMPARE(s.Names(), expected);
      if (edited >= 0) QVERIFY(s.Stored(name) == record);
      return;
    }
    QCOMPARE(FromUtf8(s.LastMessage().text), refusal);
    QCOMPARE(s.LastMessage().icon, UserMessage::Icon::kWarning);
    QCOMPARE(s.LastMessage().title,
             std::string(refusal == kTaken ? "Повторное имя" : ""));
    QCOMPARE(s.manager->mode(), edited < 0 ? Mode::kNew : Mode::kEditing);
    QCOMPARE(ReadFile(s.database()), before);
  }

  void AcceptThatCannotSaveKeepsTheForm() {
    Session s;
    s.Click("newButton");
    Retype(s.Box("Name"), "Новый");
    fs::remove(s.database());
    fs::create_directory(s.database());
    s.Click("acceptButton");
    QVERIFY(s.LastMessage() == SaveProfileFailedMessage());
    QCOMPARE(s.manager->mode(), Mode::kNew);
    QCOMPARE(s.Box("Name")->text(), QString("Новый"));
  }

  void DeletesTheSelectedProfilesAfterOneQuestion() {
    Session s;
    QListWidget* list = s.list();
    for (const int row : {0, 2, 4}) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton,
                        row == 0 ? Qt::NoModifier : Qt::ControlModifier,
                        list->visualItemRect(list->item(row)).center());
    }
    s.dialogs.answers = {Button::kYes};
    s.Click("deleteButton");
    const ScriptedDialogs::Shown& question = s.dialogs.shown.back();
    QCOMPARE(s.dialogs.shown.size(), std::size_t{1});
    QVERIFY(question.message ==
            (UserMessage{UserMessage::Icon::kQuestion, "Вы уверены?",
                         "Вы действительно хотите удалить профили\n"
                         "ASM — DT For PIC\nMikroBasic For PIC\nЯщик Ёж\n"}));
    QCOMPARE(question.default_button, Button::kNo);
    QCOMPARE(s.Names(), QStringList({"ASM — DE For PIC", "Дом Юла"}));
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(list->item(0)->isSelected());
  }

  void ClosingRefillsTheSelectorAndSetsTheConvertState() {
    Session s(/*empty_database=*/true);
    QAction* convert = s.window->menu_action(kCommandConvert);
    QVERIFY(!convert->isEnabled());
    s.Click("editButton");
    QVERIFY(s.LastMessage() == (UserMessage{UserMessage::Icon::kWarning,
                                            "Внимание", "Не выбран профиль!"}));
    s.Click("newButton");
    Retype(s.Box("Name"), "Первый");
    Retype(s.Box("Directive"), "Dt");
    s.Click("acceptButton");
    s.manager->close();
    QCOMPARE(s.window->profile_selector()->currentText(), QString("Первый"));
    QCOMPARE(s.window->working_record().Directive, std::string("Dt"));
    QVERIFY(convert->isEnabled());
    QVERIFY(s.window->toolbar_action(kCommandConvert)->isEnabled());

    // The real command runs the window modally; deleting the only profile
    // and closing disables Convert again.
    s.dialogs.answers = {Button::kYes};
    QTimer::singleShot(0, [] {
      auto* manager = qobject_cast<ProfileManagerWindow*>(
          QApplication::activeModalWidget());
      if (manager == nullptr) qFatal("the manager is not modal");
      manager->findChild<QPushButton*>("deleteButton")->click();
      manager->close();
    });
    s.window->RunCommand(kCommandProfiles);
    QCOMPARE(s.window->profile_selector()->count(), 0);
    QVERIFY(!convert->isEnabled());
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::ProfileManagerTest)
#include "profile_manager_qtest.moc"

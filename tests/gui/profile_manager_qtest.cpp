#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include "core/profiles/profile_database.h"
#include "gui/command_ids.h"
#include "gui/main_window.h"
#include "gui/profile_manager_window.h"
#include "gui/qt_text.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedDialogs;
using Mode = ProfileManagerWindow::Mode;

const QColor kRed(207, 2, 2);
const QColor kBlack(0, 0, 0);
const QString kTaken =
    "Повторное имя: Пожалуйста, выберите другое имя для профиля.";

// The manager over the stock and two Cyrillic profiles, or none (-1).
struct Session {
  testing::TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<ProfileManagerWindow> manager;

  explicit Session(int selected = 0) {
    fs::copy_file(testing::TestData("profile_database_fresh.golden"),
                  database());
    for (const char* name : {"Дом Юла", "Ящик Ёж"})
      SaveProfile(database(), testing::Cp(name), DefaultProfileRecords()[2]);
    if (selected < 0) testing::WriteFile(database(), "");
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", database()}, &dialogs);
    window->Start({});
    window->show();
    window->profile_selector()->setCurrentIndex(selected);
    manager = std::make_unique<ProfileManagerWindow>(window.get());
    manager->show();
  }
  fs::path database() const { return dir / "Profile.prof"; }

  template <class T>
  T* Get(const char* name) const {
    return manager->findChild<T*>(name);
  }
  QListWidget* list() const { return Get<QListWidget>("profileList"); }
  QLineEdit* Box(const char* key) const { return Get<QLineEdit>(key); }
  QCheckBox* Tick(const char* key) const { return Get<QCheckBox>(key); }
  QSpinBox* Number(const char* key) const { return Get<QSpinBox>(key); }
  void Click(const char* button) const {
    QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton);
  }
  QStringList Names() const {
    QStringList names;
    for (int row = 0; row < list()->count(); ++row)
      names << list()->item(row)->text();
    return names;
  }
  QString Preview() const {
    return Get<QPlainTextEdit>("preview")->toPlainText();
  }
  void ClickRow(int row, bool twice = false,
                Qt::KeyboardModifiers keys = {}) const {
    const QPoint at = list()->visualItemRect(list()->item(row)).center();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, keys, at);
    if (twice) QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
  }
  ProfileRecord Stored(const QString& name) const {
    ProfileRecord record;
    LoadProfile(database(), ToCp1251(name), &record);
    return record;
  }
};

// Types any text, Cyrillic included, over what the box held.
void Retype(QWidget* box, const QString& text) {
  box->setFocus();
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Delete);
  for (const QChar c : text)
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c),
                        Qt::NoModifier);
}

class ProfileManagerTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void NewProfileFollowsTheEnablingRulesAndIsAppended() {
    Session s(1);  // opens on the selector's profile, viewing
    QCOMPARE(s.list()->currentRow(), 1);
    QVERIFY(s.list()->item(1)->isSelected() && !s.Box("Name")->isEnabled());

    s.Click("newButton");
    QCOMPARE(s.manager->mode(), Mode::kNew);
    QVERIFY(!s.list()->isEnabled() && !s.Number("CountSpace")->isEnabled() &&
            !s.Get<QPushButton>("editButton")->isEnabled());
    for (const char* dependent :
         {"CommentState", "CountByteToComment", "PerenosPoSlovam"})
      QVERIFY(!s.Tick(dependent)->isEnabled());
    Retype(s.Box("Name"), " Мой ");
    Retype(s.Box("Directive"), "db");
    Retype(s.Box("Comment"), ";");
    s.Tick("CommentState")->click();
    QVERIFY(s.Preview().startsWith(";Пример преобразования текста\ndb"));
    Retype(s.Number("CountByte"), "8");
    QVERIFY(s.Tick("PerenosPoSlovam")->isEnabled());
    s.Tick("DeleteSpace")->click();
    QTest::keyClick(s.Number("CountSpace"), Qt::Key_Up);
    Retype(s.Box("Comment"), "");  // its boxes go off, their ticks stay
    QVERIFY(!s.Tick("CommentState")->isEnabled());
    QTest::keyClick(s.manager.get(), Qt::Key_Escape);
    QVERIFY(s.manager->isVisible());
    s.Click("acceptButton");

    QCOMPARE(s.manager->mode(), Mode::kViewing);
    QCOMPARE(s.Names().back(), QString(" Мой "));
    QVERIFY(s.list()->currentRow() == 0 && s.list()->selectedItems().isEmpty());
    QVERIFY(s.Box("Name")->text().isEmpty() && !s.Box("Name")->isEnabled());
    const ProfileRecord saved = s.Stored(" Мой ");
    QVERIFY(saved.Directive == "db" && saved.CommentState == 1 &&
            saved.CountByte == 8 && saved.DeleteSpace == 1 &&
            saved.CountSpace == 3 && saved.Ost1 == 0 && saved.Ost2 == 0);
  }

  void PreviewShowsAChangedSeparatorBeforeSaving() {
    Session s;
    const std::string before = testing::ReadFile(s.database());
    for (const char* button : {"cancelButton", "acceptButton"}) {
      s.ClickRow(1, /*twice=*/true);
      QVERIFY(s.Preview().contains(", 0x"));
      Retype(s.Box("RazdelitelData"), " | ");
      QVERIFY(s.Preview().contains(" | 0x") && !s.Preview().contains(", 0x"));
      QCOMPARE(testing::ReadFile(s.database()), before);
      s.Click(button);
      QCOMPARE(s.manager->mode(), Mode::kViewing);
    }
    QCOMPARE(s.Stored("ASM — DE For PIC").RazdelitelData, std::string(" | "));
  }

  void AcceptChecksAndColoursTheName_data() {
    QTest::addColumn<int>("edited");  // -1: new; -2: new, database unwritable
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("refusal");  // "title: text"; empty: saved
    QTest::newRow("ASCII case") << -1 << "asm — dt for pic" << kRed << kTaken;
    QTest::newRow("А to Ю case") << -1 << "дом юла" << kRed << kTaken;
    QTest::newRow("Я differs") << -1 << "ящик Ёж" << kBlack << QString();
    QTest::newRow("Ё differs") << -1 << "Ящик ёж" << kBlack << QString();
    QTest::newRow("other letters") << -1 << "ЯЩИК Ёж" << kRed << kTaken;
    QTest::newRow("empty") << -1 << "" << kBlack
                           << ": Не указанно имя профиля.";
    QTest::newRow("bracket") << -1 << "A]B" << kBlack
                             << ": Имя профиля не может содержать символ «]».";
    QTest::newRow("cannot save")
        << -2 << "Новый" << kBlack
        << "Ошибка: Не удалось сохранить данные профиля";
    QTest::newRow("rename") << 0 << "Мой DT" << kBlack << QString();
    QTest::newRow("case only") << 2 << "MIKROBASIC FOR pic" << kBlack << "";
    QTest::newRow("starting name")
        << 1 << "ASM — DE For PIC" << QColor(38, 4, 190) << QString();
    QTest::newRow("another's") << 0 << "asm — de for pic" << kRed << kTaken;
  }
  void AcceptChecksAndColoursTheName() {
    QFETCH(int, edited);
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QFETCH(QString, refusal);
    Session s;
    const std::string before = testing::ReadFile(s.database());
    QStringList expected = s.Names();
    const ProfileRecord record = s.Stored(expected[std::max(edited, 0)]);
    if (edited < 0) {
      s.Click("newButton");
      expected << name;
    } else {
      s.ClickRow(edited, /*twice=*/true);
      expected[edited] = name;
    }
    Retype(s.Box("Name"), name);
    QCOMPARE(s.Box("Name")->palette().color(QPalette::Text), colour);
    if (edited == -2) {
      fs::remove(s.database());
      fs::create_directory(s.database());
    }
    s.Click("acceptButton");
    if (refusal.isEmpty()) {
      // Read back from the file: an edited profile keeps its place.
      QVERIFY(s.dialogs.shown.empty());
      QCOMPARE(s.Names(), expected);
      if (edited >= 0) QVERIFY(s.Stored(name) == record);
      return;
    }
    QCOMPARE(s.dialogs.shown.size(), std::size_t{1});
    const UserMessage& message = s.dialogs.shown[0].message;
    QCOMPARE(FromUtf8(message.title + ": " + message.text), refusal);
    QCOMPARE(s.manager->mode(), edited < 0 ? Mode::kNew : Mode::kEditing);
    QCOMPARE(s.Box("Name")->text(), name);
    if (edited != -2) QCOMPARE(testing::ReadFile(s.database()), before);
  }

  void DeletesTheSelectedProfilesAfterOneQuestion() {
    Session s;
    for (const int row : {0, 2, 4})
      s.ClickRow(row, false, row == 0 ? Qt::NoModifier : Qt::ControlModifier);
    s.dialogs.answers = {UserDialogs::Button::kYes};
    s.Click("deleteButton");
    QCOMPARE(s.dialogs.shown.size(), std::size_t{1});
    QVERIFY(s.dialogs.shown[0].message ==
            (UserMessage{UserMessage::Icon::kQuestion, "Вы уверены?",
                         "Вы действительно хотите удалить профили\n"
                         "ASM — DT For PIC\nMikroBasic For PIC\nЯщик Ёж\n"}));
    QCOMPARE(s.dialogs.shown[0].default_button, UserDialogs::Button::kNo);
    QCOMPARE(s.Names(), QStringList({"ASM — DE For PIC", "Дом Юла"}));
    QVERIFY(s.list()->currentRow() == 0 && s.list()->item(0)->isSelected());
  }

  // Enter does what the mode's main button does, never import.
  void EnterSavesWhileAProfileIsComposed() {
    Session s;
    s.ClickRow(1);
    for (QWidget* focus : std::initializer_list<QWidget*>{
             s.list(), s.Get<QPushButton>("editButton")}) {
      focus->setFocus();
      QTest::keyClick(focus, Qt::Key_Return);
    }
    QVERIFY(s.dialogs.file_requests.empty() && s.dialogs.shown.empty());
    QCOMPARE(s.manager->mode(), Mode::kViewing);

    s.Click("newButton");
    Retype(s.Box("Name"), "Новый");
    QTest::keyClick(s.Box("Name"), Qt::Key_Return);
    QCOMPARE(s.manager->mode(), Mode::kViewing);
    QVERIFY(s.Names().contains("Новый"));

    s.ClickRow(0);
    s.Click("editButton");
    s.Number("Ost1")->setValue(7);
    QTest::keyClick(s.Number("Ost1"), Qt::Key_Enter);
    QCOMPARE(s.manager->mode(), Mode::kViewing);
    QCOMPARE(s.Stored(s.Names()[0]).Ost1, 7);
    QVERIFY(s.dialogs.file_requests.empty() && s.dialogs.shown.empty());
  }

  // Every text of the form is stored in code page 1251, as the file keeps
  // it; a Cyrillic letter shows it.
  void FormTextsAreStoredInCodePage1251() {
    Session s;
    s.ClickRow(0);
    s.Click("editButton");
    const char* const keys[] = {"Directive", "StartDataBlok", "EndDataBlok",
                                "StartData", "EndData",       "RazdelitelData",
                                "Comment"};
    for (const char* key : keys) Retype(s.Box(key), QString("Ж") + key);
    Retype(s.Box("Name"), "Профиль Ж");
    s.Click("acceptButton");
    const ProfileRecord stored = s.Stored("Профиль Ж");
    const std::string* const texts[] = {
        &stored.Directive, &stored.StartDataBlok, &stored.EndDataBlok,
        &stored.StartData, &stored.EndData,       &stored.RazdelitelData,
        &stored.Comment};
    for (std::size_t i = 0; i < std::size(keys); ++i)
      QCOMPARE(*texts[i], testing::Cp("Ж") + keys[i]);
  }

  // A database deleted behind the program's back is told the same way
  // wherever a profile is loaded, and nothing goes on with a stale list.
  void AMissingDatabaseIsToldWhereverAProfileIsLoaded() {
    Session s(1);
    const UserMessage missing = DatabaseMissingMessage(s.database());
    fs::remove(s.database());

    s.ClickRow(2);
    s.Click("editButton");
    QCOMPARE(s.dialogs.shown.size(), std::size_t{1});
    QVERIFY(s.dialogs.shown.back().message == missing);
    QCOMPARE(s.manager->mode(), Mode::kViewing);
    QVERIFY(!s.Box("Name")->isEnabled());
    QCOMPARE(s.window->profile_selector()->count(), 0);

    // The selector, refilled from a database that then goes again.
    s.manager->close();
    fs::copy_file(testing::TestData("profile_database_fresh.golden"),
                  s.database());
    s.window->RefillProfileSelector(0);
    QCOMPARE(s.window->profile_selector()->count(), 3);
    fs::remove(s.database());
    QComboBox* selector = s.window->profile_selector();
    selector->setCurrentIndex(1);
    Q_EMIT selector->activated(1);
    QCOMPARE(s.dialogs.shown.size(), std::size_t{2});
    QVERIFY(s.dialogs.shown.back().message == missing);
    QCOMPARE(selector->count(), 0);
  }

  void ClosingRefillsTheSelectorAndSetsTheConvertState() {
    Session s(-1);
    QAction* convert = s.window->menu_action(kCommandConvert);
    s.Click("newButton");
    Retype(s.Box("Name"), "Первый");
    Retype(s.Box("Directive"), "Dt");
    s.Click("acceptButton");
    s.manager->close();
    QCOMPARE(s.window->profile_selector()->currentText(), QString("Первый"));
    QCOMPARE(s.window->working_record().Directive, std::string("Dt"));
    QVERIFY(convert->isEnabled());
    QVERIFY(s.window->toolbar_action(kCommandConvert)->isEnabled());

    // Deleting the only profile in the modal command disables Convert.
    s.dialogs.answers = {UserDialogs::Button::kYes};
    QTimer::singleShot(0, [&s] {
      QWidget* manager = nullptr;
      for (auto* shown : s.window->findChildren<ProfileManagerWindow*>())
        if (shown != s.manager.get() && shown->isVisible()) manager = shown;
      QVERIFY(manager != nullptr && !s.window->isEnabled());
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

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/editor.h"
#include "app/main_window.h"
#include "app/scripted_dialogs.h"
#include "engine/bin_window.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::ReadFile;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::TestData;
using testing::WriteFile;
using Button = UserDialogs::Button;
using Icon = UserMessage::Icon;

const UserMessage kSuccess{Icon::kInformation, "Преобразование",
                           "Преобразование успешно завершено."};

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

  BinSettings& bin() { return window->settings().bin; }
  BinWindow* Open() {
    window->RunCommand(kCommandConvertToBin);
    return qobject_cast<BinWindow*>(window->bin_window().data());
  }
  QString Path(std::string_view name) const {
    return QString::fromStdString((dir / name).string());
  }
  // Chooses `name` in the browse dialog.
  void Choose(BinWindow* bin, const QString& name) {
    dialogs.file_names.push_back(name);
    bin->browse_button()->click();
  }
  void Convert(BinWindow* bin, const QString& text) {
    window->source_editor()->SetText(text);
    bin->convert_button()->click();
  }
};

// The options a window shows, in the settings' key order.
QString Shown(const BinWindow* bin) {
  return QStringList{
      QString::number(bin->delete_undisplayable_box()->isChecked()),
      QString::number(bin->delete_spaces_box()->isChecked()),
      bin->space_count()->text(),
      QString::number(bin->save_to_chooser()->currentIndex()),
      QString::number(bin->add_chooser()->currentIndex()),
      QString::number(bin->how_chooser()->currentIndex()),
      bin->start_address_field()->text()}
      .join(u',');
}

class BinWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void EnablesControlsByTheChoosersAndStoresEachChange() {
    Fixture f;
    BinWindow* bin = f.Open();
    QVERIFY(bin != nullptr && bin->isVisible());
    struct Case {
      int save_to, add;
      bool add_enabled, address_enabled;
    };
    for (const Case c : {Case{0, 1, false, false}, Case{1, 0, true, false},
                         Case{1, 1, true, true}, Case{0, 0, false, false}}) {
      bin->save_to_chooser()->setCurrentIndex(c.save_to);
      bin->add_chooser()->setCurrentIndex(c.add);
      QCOMPARE(bin->add_chooser()->isEnabled(), c.add_enabled);
      QCOMPARE(bin->how_chooser()->isEnabled(), c.address_enabled);
      QCOMPARE(bin->start_address_field()->isEnabled(), c.address_enabled);
      QCOMPARE(bin->start_address_label()->isEnabled(), c.address_enabled);
      QCOMPARE(f.bin().SaveFile, c.save_to);
      QCOMPARE(f.bin().AddFile, c.add);
    }
    QVERIFY(!bin->space_count()->isEnabled());
    bin->delete_spaces_box()->click();
    QVERIFY(bin->space_count()->isEnabled());
    QVERIFY(bin->space_count_label()->isEnabled());
    QCOMPARE(f.bin().DelSpace, 1);
    bin->delete_spaces_box()->click();
    QVERIFY(!bin->space_count_label()->isEnabled());
    QCOMPARE(f.bin().DelSpace, 0);
  }

  void RemembersOptionsAndKeepsOneWindow() {
    Fixture f;
    // Values the window never shows open as its defaults.
    f.bin() = {.DelErrSunmol = 5,
               .CountSpace = 150,
               .SaveFile = 7,
               .StartAddress = -5};
    BinWindow* bin = f.Open();
    QCOMPARE(Shown(bin), QStringLiteral("0,0,2,0,0,0,0"));

    bin->delete_undisplayable_box()->click();
    bin->delete_spaces_box()->click();
    bin->space_count()->setValue(7);
    bin->save_to_chooser()->setCurrentIndex(1);
    bin->add_chooser()->setCurrentIndex(1);
    bin->how_chooser()->setCurrentIndex(1);
    bin->start_address_field()->setText(QStringLiteral("42"));
    f.Choose(bin, f.Path("out.bin"));
    QCOMPARE(f.bin().CountSpace, 7);
    QCOMPARE(f.bin().AsAddFile, 1);
    QCOMPARE(f.bin().StartAddress, 42);

    // Asking again brings back the open window, even from the task bar.
    bin->showMinimized();
    QCOMPARE(f.Open(), bin);
    QVERIFY(!bin->isMinimized() && bin->isVisible());

    bin->cancel_button()->click();
    QTRY_VERIFY(f.window->bin_window().isNull());
    bin = f.Open();
    QCOMPARE(Shown(bin), QStringLiteral("1,1,7,1,1,1,42"));
    QVERIFY(bin->path_field()->text().isEmpty());
  }

  void BrowseAddsTheBinExtensionOnlyWhenThereIsNone() {
    Fixture f;
    BinWindow* bin = f.Open();
    f.Choose(bin, QStringLiteral("/data/rom"));
    QCOMPARE(bin->path_field()->text(), QStringLiteral("/data/rom.bin"));
    f.Choose(bin, QStringLiteral("/data/rom.hex"));
    QCOMPARE(bin->path_field()->text(), QStringLiteral("/data/rom.hex"));
    f.Choose(bin, QString());  // cancelled
    QCOMPARE(bin->path_field()->text(), QStringLiteral("/data/rom.hex"));
    const auto& request = f.dialogs.file_requests.back();
    QVERIFY(request.save && request.title.isEmpty() &&
            request.directory.isEmpty());
    QCOMPARE(request.filter,
             QStringLiteral("Двоичные файлы (*.bin);;Все файлы (*)"));
  }

  void StartAddressTakesEightDigitsAndAnEmptyOneIsRefused() {
    Fixture f;
    f.bin().SaveFile = f.bin().AddFile = 1;
    BinWindow* bin = f.Open();
    QLineEdit* field = bin->start_address_field();
    field->clear();
    QTest::keyClicks(field, QStringLiteral("12a-34 567890"));
    QCOMPARE(field->text(), QStringLiteral("12345678"));
    QCOMPARE(f.bin().StartAddress, 12345678);

    field->clear();
    QCOMPARE(f.bin().StartAddress, 0);
    WriteFile(f.dir / "rom.bin", "0123456789");
    f.Choose(bin, f.Path("rom.bin"));
    f.Convert(bin, QStringLiteral("ABC"));
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
    QVERIFY(f.dialogs.shown[0].message ==
            (UserMessage{Icon::kWarning, "Предупреждение",
                         "Поле  \"Начальный адрес\"  не заполенно\n"
                         "Нужно указать начальный адрес добавляемых данных "
                         "в файл."}));
    QCOMPARE(ReadFile(f.dir / "rom.bin"), std::string("0123456789"));
  }

  void WritesEachMode_data() {
    QTest::addColumn<int>("save_to");
    QTest::addColumn<int>("add");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString abc = QStringLiteral("ABC");
    QTest::newRow("new file replaces") << 0 << 1 << 0 << "4" << abc << "ABC";
    QTest::newRow("append") << 1 << 0 << 1 << "" << abc << "0123456789ABC";
    QTest::newRow("insert") << 1 << 1 << 0 << "4" << abc << "0123ABC456789";
    QTest::newRow("replace") << 1 << 1 << 1 << "4" << abc << "0123ABC789";
    QTest::newRow("cleaned") << 0 << 0 << 0 << "0"
                             << "A    B\r\nC"
                             << "A B C";
  }
  void WritesEachMode() {
    QFETCH(int, save_to);
    QFETCH(int, add);
    QFETCH(int, how);
    QFETCH(QString, address);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    Fixture f;
    f.bin() = {.DelSpace = 1,
               .CountSpace = 1,
               .SaveFile = save_to,
               .AddFile = add,
               .AsAddFile = how};
    BinWindow* bin = f.Open();
    bin->start_address_field()->setText(address);
    WriteFile(f.dir / "rom.bin", "0123456789");
    f.Choose(bin, f.Path("rom.bin"));
    f.window->source_editor()->SetText(text);
    // Enter in any control converts, as the button does.
    QTest::keyClick(bin->path_field(), Qt::Key_Return);
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
    QVERIFY(f.dialogs.shown[0].message == kSuccess);
    QCOMPARE(ReadFile(f.dir / "rom.bin"), expected.toStdString());
    QVERIFY(bin->isVisible());
  }

  void AsksBeforeAppendingPastTheEnd() {
    for (const Button answer : {Button::kYes, Button::kNo}) {
      Fixture f;
      f.bin() = {.SaveFile = 1, .AddFile = 1, .StartAddress = 10};
      BinWindow* bin = f.Open();
      WriteFile(f.dir / "rom.bin", "0123456789");
      f.Choose(bin, f.Path("rom.bin"));
      f.dialogs.answers.push_back(answer);
      f.Convert(bin, QStringLiteral("ABC"));
      QCOMPARE(f.dialogs.shown.size(), std::size_t{2});
      const auto& question = f.dialogs.shown[0];
      QVERIFY(question.message ==
              (UserMessage{Icon::kWarning, "Преобразование",
                           "Начальный адрес больше текущего размера файла!\n"
                           "Добавить данные в конец файла?"}));
      QVERIFY(question.buttons ==
              (std::vector<Button>{Button::kYes, Button::kNo}));
      const bool yes = answer == Button::kYes;
      QVERIFY(f.dialogs.shown[1].message ==
              (yes ? kSuccess
                   : UserMessage{Icon::kWarning, "Преобразование",
                                 "Преобразование не производилось"}));
      QCOMPARE(ReadFile(f.dir / "rom.bin"),
               std::string(yes ? "0123456789ABC" : "0123456789"));
    }
  }

  void ReportsRefusalsAndFailures() {
    Fixture f;
    BinWindow* bin = f.Open();
    f.Convert(bin, QStringLiteral("ABC"));
    QVERIFY(f.dialogs.shown.back().message ==
            (UserMessage{Icon::kWarning, "Подготовка к преобразованию",
                         "Не указан путь к файлу!"}));
    f.Choose(bin, f.Path("rom.bin"));
    f.Convert(bin, QString());
    QVERIFY(f.dialogs.shown.back().message ==
            (UserMessage{Icon::kWarning, "Преобразование текста",
                         "Отсутствует преобразуемый текст"}));
    const QString missing = f.Path("no/such/dir/rom.bin");
    f.Choose(bin, missing);
    f.Convert(bin, QStringLiteral("ABC"));
    QVERIFY(f.dialogs.shown.back().message ==
            (UserMessage{Icon::kError, "Ошибка",
                         "Не удалось создать файл \n\"" +
                             missing.toStdString() + "\""}));
    QCOMPARE(f.dialogs.shown.size(), std::size_t{3});
    QVERIFY(testing::FileNames(f.dir.path()) ==
            (std::vector<std::string>{"Preferences.ini", "Profile.prof"}));
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::BinWindowTest)
#include "bin_window_qtest.moc"

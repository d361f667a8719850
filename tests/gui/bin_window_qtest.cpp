#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "gui/bin_window.h"
#include "gui/command_ids.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using Button = UserDialogs::Button;
const QString kDone = QStringLiteral("Преобразование успешно завершено.");

struct Fixture {
  testing::TempDir dir;
  testing::ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;

  explicit Fixture(BinSettings settings = {}) {
    std::filesystem::copy_file(
        testing::TestData("profile_database_fresh.golden"),
        dir / "Profile.prof");
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);
    window->Start({});
    window->show();
    window->StoreBinSettings(settings);
  }
  const BinSettings& bin() const { return window->bin_settings(); }
  BinWindow* Open() {
    window->RunCommand(kCommandConvertToBin);
    return window->findChild<BinWindow*>();
  }
  bool Closed() const { return window->findChild<BinWindow*>() == nullptr; }
  QString Path(std::string_view name) const {
    return QString::fromStdString((dir / name).string());
  }
  void Choose(BinWindow* bin, const QString& name) {
    dialogs.file_names.push_back(name);
    bin->browse_button()->click();
  }
  QString Last() const { return QString::fromStdString(dialogs.LastText()); }
};

QString Shown(const BinWindow* b) {
  return QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
      .arg(int(b->delete_undisplayable_box()->isChecked()))
      .arg(int(b->delete_spaces_box()->isChecked()))
      .arg(b->space_count()->value())
      .arg(b->save_to_chooser()->currentIndex())
      .arg(b->add_chooser()->currentIndex())
      .arg(b->how_chooser()->currentIndex())
      .arg(b->start_address_field()->text());
}

class BinWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void EnablesControlsByTheChoosersAndStoresEachChange() {
    Fixture f;
    BinWindow* bin = f.Open();
    QVERIFY(bin != nullptr && bin->isVisible());
    // Fixed size: a minimise button and no maximise button.
    QVERIFY(bin->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(bin->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(bin->minimumSize(), bin->maximumSize());
    // save to, add -> add enabled, address enabled
    const bool cases[][4] = {
        {0, 1, 0, 0}, {1, 0, 1, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}};
    for (const auto& [save_to, add, add_on, address_on] : cases) {
      bin->save_to_chooser()->setCurrentIndex(save_to);
      bin->add_chooser()->setCurrentIndex(add);
      QCOMPARE(bin->add_chooser()->isEnabled(), add_on);
      QCOMPARE(bin->how_chooser()->isEnabled(), address_on);
      QCOMPARE(bin->start_address_field()->isEnabled(), address_on);
      QCOMPARE(bin->start_address_label()->isEnabled(), address_on);
      QVERIFY(f.bin().SaveFile == save_to && f.bin().AddFile == add);
    }
    for (const bool on : {true, false}) {
      bin->delete_spaces_box()->click();
      QCOMPARE(bin->space_count()->isEnabled(), on);
      QCOMPARE(bin->space_count_label()->isEnabled(), on);
      QCOMPARE(f.bin().DelSpace, int(on));
    }
  }

  void RemembersOptionsButNotThePathAndKeepsOneWindow() {
    // Values the window never shows open as its defaults.
    Fixture f({.DelErrSunmol = 5,
               .CountSpace = 150,
               .SaveFile = 7,
               .StartAddress = -5});
    BinWindow* bin = f.Open();
    QCOMPARE(Shown(bin), QStringLiteral("0,0,2,0,0,0,0"));
    bin->delete_undisplayable_box()->click();
    bin->delete_spaces_box()->click();
    bin->space_count()->setValue(7);
    bin->save_to_chooser()->setCurrentIndex(1);
    bin->add_chooser()->setCurrentIndex(1);
    bin->how_chooser()->setCurrentIndex(1);
    bin->start_address_field()->clear();
    QTest::keyClicks(bin->start_address_field(),
                     QStringLiteral("1a-2 345678-9"));
    QCOMPARE(f.bin().StartAddress, 12345678);  // digits only, eight at most
    for (const char* chosen : {"out", ""}) {   // the second is cancelled
      f.Choose(bin, *chosen ? f.Path(chosen) : QString());
      QCOMPARE(bin->path_field()->text(), f.Path("out.bin"));
    }
    QCOMPARE(WithBinExtension("/d/rom.hex"), QStringLiteral("/d/rom.hex"));

    bin->showMinimized();
    QCOMPARE(f.Open(), bin);
    QVERIFY(!bin->isMinimized() && bin->isVisible());
    bin->cancel_button()->click();
    QTRY_VERIFY(f.Closed());
    bin = f.Open();
    QCOMPARE(Shown(bin), QStringLiteral("1,1,7,1,1,1,12345678"));
    QVERIFY(bin->path_field()->text().isEmpty());
  }

  void WritesEachMode_data() {
    QTest::addColumn<QList<int>>("mode");  // save to, add, how
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer");  // to the past-the-end question, or -1
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    const QString abc = QStringLiteral("ABC");
    const QList<int> insert{1, 1, 0};
    const int yes = int(Button::kYes), no = int(Button::kNo);
    QTest::newRow("new file")
        << QList{0, 1, 0} << "4" << abc << -1 << kDone << "ABC";
    QTest::newRow("append")
        << QList{1, 0, 1} << "" << abc << -1 << kDone << "0123456789ABC";
    QTest::newRow("insert")
        << insert << "4" << abc << -1 << kDone << "0123ABC456789";
    QTest::newRow("replace")
        << QList{1, 1, 1} << "4" << abc << -1 << kDone << "0123ABC789";
    QTest::newRow("cleaned") << QList{0, 0, 0} << "0"
                             << "A    B\r\nC" << -1 << kDone << "A B C";
    QTest::newRow("past end, Yes")
        << insert << "10" << abc << yes << kDone << "0123456789ABC";
    QTest::newRow("past end, No")
        << insert << "10" << abc << no << "Преобразование не производилось"
        << "0123456789";
    QTest::newRow("no address") << insert << "" << abc << -1
                                << "Поле  \"Начальный адрес\"  не заполенно\n"
                                   "Нужно указать начальный адрес добавляемых "
                                   "данных в файл."
                                << "0123456789";
  }
  void WritesEachMode() {
    QFETCH(QList<int>, mode);
    QFETCH(QString, address);
    QFETCH(QString, text);
    QFETCH(int, answer);
    Fixture f({.DelSpace = 1,
               .CountSpace = 1,
               .SaveFile = mode[0],
               .AddFile = mode[1],
               .AsAddFile = mode[2]});
    BinWindow* bin = f.Open();
    testing::WriteFile(f.dir / "rom.bin", "0123456789");
    f.Choose(bin, f.Path("rom.bin"));
    bin->start_address_field()->setText(address);
    f.window->source_editor()->SetText(text);
    if (answer >= 0) f.dialogs.answers.push_back(Button(answer));
    QTest::keyClick(bin->path_field(), Qt::Key_Return);
    const auto& shown = f.dialogs.shown;
    QCOMPARE(shown.size(), std::size_t(answer < 0 ? 1 : 2));
    if (answer >= 0) {
      QCOMPARE(shown[0].message.text,
               std::string("Начальный адрес больше текущего размера файла!\n"
                           "Добавить данные в конец файла?"));
      QVERIFY((shown[0].buttons == std::vector{Button::kYes, Button::kNo}));
    }
    QTEST(f.Last(), "message");
    QTEST(QString::fromStdString(testing::ReadFile(f.dir / "rom.bin")),
          "expected");
    QVERIFY(bin->isVisible());
  }

  void KeysFocusAndTheProfileManagerBeside() {
    Fixture f;
    BinWindow* bin = f.Open();
    QApplication::setActiveWindow(bin);
    QVERIFY(QTest::qWaitForWindowActive(bin));
    QCOMPARE(QApplication::focusWidget(), bin->browse_button());
    // Enter converts from any control; here nothing is chosen yet.
    QTest::keyClick(bin->delete_undisplayable_box(), Qt::Key_Enter);
    QCOMPARE(f.Last(), QStringLiteral("Не указан путь к файлу!"));

    // The profile manager keeps the main window, not this one.
    bool usable = false;
    QTimer::singleShot(0, [&] {
      usable = !f.window->isEnabled() && bin->isEnabled() &&
               bin->convert_button()->isEnabled() &&
               QApplication::activeModalWidget() == nullptr;
      bin->delete_spaces_box()->click();
      for (auto* manager : f.window->findChildren<QDialog*>())
        if (manager->isVisible()) manager->close();
    });
    f.window->RunCommand(kCommandProfiles);
    QVERIFY(usable);
    QCOMPARE(f.bin().DelSpace, 1);
    QVERIFY(f.window->isEnabled() && bin->isEnabled());

    QTest::keyClick(bin->delete_spaces_box(), Qt::Key_Escape);
    QTRY_VERIFY(f.Closed());
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
  }

  void ReportsRefusalsAndFailures() {
    Fixture f;
    BinWindow* bin = f.Open();
    const QString missing = f.Path("no/such/dir/rom.bin");
    // A FIFO no one reads must not hold the window.
    const QString fifo = f.Path("fifo.bin");
    const bool has_fifo = testing::MakeFifo(f.dir / "fifo.bin");
    struct Case {
      QString path, text, message;
    };
    std::vector<Case> cases = {
        {{}, "ABC", "Не указан путь к файлу!"},
        {f.Path("rom.bin"), {}, "Отсутствует преобразуемый текст"},
        {missing, "ABC", "Не удалось создать файл \n\"" + missing + "\""}};
    std::vector<std::string> names = {"Preferences.ini", "Profile.prof"};
    if (has_fifo) {
      cases.push_back(
          {fifo, "ABC", "Не удалось создать файл \n\"" + fifo + "\""});
      names.push_back("fifo.bin");
    }
    for (const auto& c : cases) {
      if (!c.path.isEmpty()) f.Choose(bin, c.path);
      f.window->source_editor()->SetText(c.text);
      bin->convert_button()->click();
      QCOMPARE(f.Last(), c.message);
    }
    QCOMPARE(f.dialogs.shown.size(), cases.size());
    QVERIFY(testing::FileNames(f.dir.path()) == names);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::BinWindowTest)
#include "bin_window_qtest.moc"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "core/engine/profile_record.h"
#include "core/profiles/profile_database.h"
#include "gui/import_window.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::Cp;
using testing::ReadFile;
using Names = std::vector<std::string>;

const std::string kDt = "ASM \x97 DT For PIC";
const std::string kDe = "ASM \x97 DE For PIC";
const std::string kMikro = "MikroBasic For PIC";

Names ProfileNames(const fs::path& path) {
  Names names;
  FillProfileList(path, &names);
  return names;
}
UserMessage NoAccess(const fs::path& path) {
  return {UserMessage::Icon::kWarning, "Ошибка",
          "Нет доступа к файлу\n" + Utf8Path(path)};
}

// in.prof: the defaults (the first lower-cased and edited) and a new one.
struct Fixture {
  testing::TempDir dir;
  testing::ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;
  QWidget manager;
  fs::path database = dir / "Profile.prof";
  fs::path source = dir / "in.prof";

  Fixture() {
    fs::copy_file(testing::TestData("profile_database_fresh.golden"), database);
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", database}, &dialogs);
    std::vector<ProfileRecord> profiles = DefaultProfileRecords();
    profiles[0].Name = "asm \x97 dt for pic";
    profiles[0].Directive = "Db";
    profiles.push_back(profiles[2]);
    profiles.back().Name = Cp("Свой");
    WriteProfileFile(source, profiles);
    manager.show();
  }
  // `act` runs on the import window, if one opens, before it is closed.
  bool Import(const fs::path& chosen, std::function<void(ImportWindow*)> act) {
    dialogs.file_names.push_back(QString::fromStdU16String(chosen.u16string()));
    QTimer::singleShot(0, [this, act] {
      auto* w = manager.findChild<ImportWindow*>();
      if (w == nullptr) return;
      // Modal to the manager only.
      QVERIFY(!manager.isEnabled() && w->isEnabled());
      act(w);
      if (w->isVisible()) w->reject();
    });
    const bool imported =
        RunImport(&manager, window.get(), ProfileNames(database));
    QCoreApplication::processEvents();  // the timer when none opened
    return imported;
  }
  void Export(const fs::path& chosen, const Names& names) {
    dialogs.file_names.push_back(QString::fromStdU16String(chosen.u16string()));
    RunExport(&manager, window.get(), names);
  }
  const UserMessage& Last() const { return dialogs.shown.back().message; }
};

class ImportExportTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void DuplicatesAreRedUntickedAndLoadOverwritesInPlace() {
    Fixture f;
    ImportWindow w(&f.manager, f.window.get(), f.source,
                   ProfileNames(f.database));
    QTableWidget* list = w.list();
    for (int row = 0; row < 4; ++row) {
      const bool duplicate = row < 3;
      QCOMPARE(w.IsDuplicate(row), duplicate);
      QCOMPARE(w.IsTicked(row), !duplicate);
      QCOMPARE(list->item(row, 0)->foreground().color() == QColor(253, 2, 2),
               duplicate);
    }
    QSignalSpy beeps(&w, &ImportWindow::Beeped);
    for (int row = 0; row < 3; ++row) list->item(row, 0)->setSelected(true);
    w.tick_selected_button()->click();
    QCOMPARE(beeps.count(), 1);
    QVERIFY(!w.IsTicked(0) && !w.IsTicked(1) && !w.IsTicked(2) &&
            list->selectedItems().isEmpty());

    w.tick_all_button()->click();
    for (int row = 0; row < 4; ++row) QVERIFY(w.IsTicked(row));
    w.load_button()->click();
    QVERIFY(w.result() == QDialog::Accepted && w.imported());
    QVERIFY(f.manager.isEnabled() && f.dialogs.shown.empty());
    QCOMPARE(ProfileNames(f.database), (Names{kDt, kDe, kMikro, Cp("Свой")}));
    ProfileRecord record;
    QCOMPARE(LoadProfile(f.database, kDt, &record), LoadProfileResult::kLoaded);
    QCOMPARE(record.Directive, std::string("Db"));
  }

  void TickButtonsAndFailedLoadsKeepTheWindow() {
    Fixture f;
    const std::string before = ReadFile(f.database);
    ImportWindow w(&f.manager, f.window.get(), f.source,
                   ProfileNames(f.database));
    QSignalSpy beeps(&w, &ImportWindow::Beeped);
    w.untick_selected_button()->click();  // nothing selected
    QCOMPARE(beeps.count(), 1);
    w.list()->item(3, 0)->setSelected(true);
    w.untick_selected_button()->click();
    QVERIFY(!w.IsTicked(3));
    for (int row : {3, 0}) w.list()->item(row, 0)->setSelected(true);
    w.tick_selected_button()->click();  // the new one ticks, the duplicate not
    QVERIFY(w.IsTicked(3) && !w.IsTicked(0) && beeps.count() == 1);

    w.untick_all_button()->click();
    w.load_button()->click();
    QCOMPARE(f.Last().text,
             std::string("Нужно выбрать не менее одного профиля"));
    w.tick_all_button()->click();
    fs::permissions(f.database, fs::perms::owner_read);
    w.load_button()->click();
    QCOMPARE(f.Last(), SaveProfileFailedMessage());
    fs::remove(f.source);
    w.load_button()->click();
    QCOMPARE(f.Last().text, "Файл  " + Utf8Path(f.source) + "\nне найден!");
    QCOMPARE(f.dialogs.shown.size(), std::size_t{3});
    QCOMPARE(ReadFile(f.database), before);
    QVERIFY(!w.imported());
    w.cancel_button()->click();
    QVERIFY(w.isHidden());
  }

  void RunImportOpensTheWindowOnlyForAFileOtherThanTheDatabase() {
    Fixture f;
    int opened = 0;
    QVERIFY(f.Import(f.source, [&](ImportWindow* w) {
      ++opened;
      w->load_button()->click();
    }));
    QVERIFY(opened == 1 && f.manager.isEnabled());
    testing::WriteFile(f.dir / "none.prof", "junk\r\n");
    f.Import(f.dir / "none.prof", [&](ImportWindow* w) {
      ++opened;
      for (QPushButton* b : w->findChildren<QPushButton*>())
        QCOMPARE(b->isEnabled(), b == w->cancel_button());
    });

    testing::WriteFile(f.dir / "empty.prof", "");
    const fs::path alias = f.dir / "." / "Profile.prof";
    for (const fs::path& refused :
         {f.dir / "gone.prof", f.dir / "empty.prof", alias})
      QVERIFY(!f.Import(refused, [&](ImportWindow*) { ++opened; }));
    QCOMPARE(opened, 2);
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
    QCOMPARE(f.Last(), NoAccess(alias));
  }

  void ExportWritesTheChosenProfilesInOneFile() {
    Fixture f;
    const fs::path out = f.dir / "out";
    fs::create_directory(out);
    f.Export(out / "out", {kDt, "", kDe});
    QCOMPARE(ProfileNames(out / "out.prof"), (Names{kDt, kDe}));
    f.Export(out / "out.prof", {kMikro});  // replaced without a question
    QCOMPARE(ProfileNames(out / "out.prof"), Names{kMikro});

    const std::string before = ReadFile(f.database);
    f.Export(f.dir / "Profile", {kDt});  // ".prof" makes it the database
    QCOMPARE(f.Last(), NoAccess(f.database));
    QCOMPARE(ReadFile(f.database), before);
    f.Export(f.dir / "no" / "x", {kMikro});
    QCOMPARE(f.Last().text, "Не удалось создать файл\n" +
                                Utf8Path(f.dir / "no" / "x.prof") +
                                "\nнет такого файла");
    f.Export("", {kDt});  // cancelled
    QCOMPARE(f.dialogs.shown.size(), std::size_t{2});
    QCOMPARE(testing::FileNames(out), std::vector<std::string>{"out.prof"});
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::ImportExportTest)
#include "import_export_qtest.moc"

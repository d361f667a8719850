#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/scripted_dialogs.h"
#include "profiles/import_window.h"
#include "profiles/profile_database.h"
#include "profiles/profile_record.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using testing::Cp;
using testing::FileNames;
using testing::ReadFile;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::TestData;
using Icon = UserMessage::Icon;
using Names = std::vector<std::string>;

const std::string kDt = "ASM \x97 DT For PIC";
const std::string kDe = "ASM \x97 DE For PIC";
const std::string kMikro = "MikroBasic For PIC";
const QString kFilter =
    QStringLiteral("Файлы профилей (*.prof);;Все файлы (*)");

QString Q(const fs::path& path) {
  return QString::fromStdU16String(path.u16string());
}

Names ProfileNames(const fs::path& path) {
  Names names;
  FillProfileList(path, &names);
  return names;
}

// The default database, a stand-in for the profile manager, and an import
// file holding the three defaults (the first in lower case and edited)
// followed by one new profile.
struct Fixture {
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;
  QWidget manager;
  fs::path database = dir / "Profile.prof";
  fs::path source = dir / "in.prof";

  Fixture() {
    fs::copy_file(TestData("profile_database_fresh.golden"), database);
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

  // RunImport with `chosen` picked in the open dialog; `act` runs on the
  // import window if one opens, which is closed afterwards.
  bool Import(const fs::path& chosen,
              std::function<void(ImportWindow*)> act = {}) {
    dialogs.file_names.push_back(Q(chosen));
    QTimer::singleShot(0, [act] {
      auto* w = qobject_cast<ImportWindow*>(QApplication::activeModalWidget());
      if (w == nullptr) return;
      if (act) act(w);
      if (w->isVisible()) w->reject();
    });
    const bool imported =
        RunImport(&manager, window.get(), ProfileNames(database));
    QCoreApplication::processEvents();  // a timer left over when none opened
    return imported;
  }
  void Export(const fs::path& chosen, const Names& names) {
    dialogs.file_names.push_back(Q(chosen));
    RunExport(&manager, window.get(), names);
  }
};

class ImportExportTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void DuplicatesAreRedUntickedAndLoadOverwritesInPlace() {
    Fixture f;
    ImportWindow w(&f.manager, f.window.get(), f.source,
                   ProfileNames(f.database));
    QVERIFY(!f.manager.isEnabled() && w.isEnabled());
    QCOMPARE(w.count_field()->text(), QStringLiteral("  4"));
    QCOMPARE(w.path_field()->text(), "  " + Q(f.source));
    QTableWidget* list = w.list();
    QCOMPARE(list->item(3, 0)->text(), QStringLiteral("Свой"));
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
    QVERIFY(!w.IsTicked(0) && !w.IsTicked(1) && !w.IsTicked(2));
    QVERIFY(list->selectedItems().isEmpty());

    w.tick_all_button()->click();
    for (int row = 0; row < 4; ++row) QVERIFY(w.IsTicked(row));
    w.load_button()->click();
    QVERIFY(w.result() == QDialog::Accepted && w.imported());
    QVERIFY(f.manager.isEnabled() && f.dialogs.shown.empty());
    // The edited duplicate replaced the database's copy where it stood.
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
    w.list()->item(3, 0)->setSelected(true);
    w.list()->item(0, 0)->setSelected(true);
    w.tick_selected_button()->click();  // the new one ticks, the duplicate not
    QVERIFY(w.IsTicked(3) && !w.IsTicked(0) && beeps.count() == 1);

    w.untick_all_button()->click();
    w.load_button()->click();
    QCOMPARE(f.dialogs.shown.back().message,
             (UserMessage{Icon::kWarning, "",
                          "Нужно выбрать не менее одного профиля"}));

    // A database that cannot be written stays whole and says so.
    w.tick_all_button()->click();
    fs::permissions(f.database, fs::perms::owner_read);
    w.load_button()->click();
    QCOMPARE(f.dialogs.shown.back().message, SaveProfileFailedMessage());
    fs::permissions(f.database, fs::perms::owner_read | fs::perms::owner_write);

    fs::remove(f.source);
    w.load_button()->click();
    QCOMPARE(f.dialogs.shown.back().message,
             (UserMessage{Icon::kError, "Фатальная ошибка",
                          "Файл  " + Utf8Path(f.source) + "\nне найден!"}));
    QCOMPARE(f.dialogs.shown.size(), std::size_t{3});
    QCOMPARE(ReadFile(f.database), before);
    QVERIFY(!w.imported() && !f.manager.isEnabled());
    w.cancel_button()->click();
    QVERIFY(f.manager.isEnabled());
  }

  void RunImportOpensTheWindowOverTheDisabledManager() {
    Fixture f;
    bool opened = false;
    // True after a load, so that the manager refills its list.
    QVERIFY(f.Import(f.source, [&](ImportWindow* w) {
      opened = true;
      QVERIFY(!f.manager.isEnabled());
      QCOMPARE(w->focusWidget(), w->list());
      w->load_button()->click();
    }));
    QVERIFY(opened && f.manager.isEnabled());
    const auto& request = f.dialogs.file_requests.back();
    QVERIFY(!request.save && request.directory.isEmpty());
    QCOMPARE(request.title, QStringLiteral("Открыть файл профиля..."));
    QCOMPARE(request.filter, kFilter);

    // A file without profiles leaves only "Отмена" to press.
    testing::WriteFile(f.dir / "none.prof", "junk\r\n");
    opened = false;
    f.Import(f.dir / "none.prof", [&](ImportWindow* w) {
      opened = true;
      QCOMPARE(w->count_field()->text(), QStringLiteral("  0"));
      for (QPushButton* b : w->findChildren<QPushButton*>())
        QCOMPARE(b->isEnabled(), b == w->cancel_button());
    });
    QVERIFY(opened);
  }

  void TheDatabaseItselfIsRefusedAndEmptySourcesIgnored() {
    Fixture f;
    const std::string before = ReadFile(f.database);
    const fs::path alias = f.dir / "." / "Profile.prof";
    testing::WriteFile(f.dir / "empty.prof", "");
    bool opened = false;
    const auto mark = [&](ImportWindow*) { opened = true; };
    for (const fs::path& ignored :
         {f.dir / "gone.prof", f.dir / "empty.prof"}) {
      QVERIFY(!f.Import(ignored, mark));
    }
    QVERIFY(f.dialogs.shown.empty());
    QVERIFY(!f.Import(alias, mark));
    QVERIFY(!opened);
    QCOMPARE(f.dialogs.shown.back().message,
             (UserMessage{Icon::kWarning, "Ошибка",
                          "Нет доступа к файлу\n" + Utf8Path(alias)}));

    f.Export(f.dir / "Profile", {kDt});  // ".prof" makes it the database
    QCOMPARE(f.dialogs.shown.back().message,
             (UserMessage{Icon::kWarning, "Ошибка",
                          "Нет доступа к файлу\n" + Utf8Path(f.database)}));
    QCOMPARE(ReadFile(f.database), before);
    QVERIFY(f.manager.isEnabled());
  }

  void ExportWritesTheChosenProfilesInOneFile() {
    Fixture f;
    const fs::path out = f.dir / "out";
    fs::create_directory(out);
    f.Export(out / "out", {kDt, "", kDe});
    QVERIFY(f.dialogs.shown.empty());
    const auto& request = f.dialogs.file_requests.back();
    QVERIFY(request.save && request.directory.isEmpty());
    QCOMPARE(request.title, QStringLiteral("Сохранить файл профиля..."));
    QCOMPARE(request.filter, kFilter);
    QCOMPARE(ProfileNames(out / "out.prof"), (Names{kDt, kDe}));

    // An existing file is replaced without a question.
    f.Export(out / "out.prof", {kMikro});
    QCOMPARE(ProfileNames(out / "out.prof"), Names{kMikro});
    QVERIFY(f.dialogs.shown.empty());

    f.Export(f.dir / "no" / "x", {kMikro});
    QCOMPARE(f.dialogs.shown.back().message,
             (UserMessage{Icon::kError, "Ошибка",
                          "Не удалось создать файл\n" +
                              Utf8Path(f.dir / "no" / "x.prof")}));
    f.Export("", {kDt});  // cancelled
    QCOMPARE(f.dialogs.shown.size(), std::size_t{1});
    // Nothing half-written or temporary is left behind.
    QCOMPARE(FileNames(out), std::vector<std::string>{"out.prof"});
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::ImportExportTest)
#include "import_export_qtest.moc"

#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

#include "gui/document_commands.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using Button = UserDialogs::Button;
using testing::Cp;
const std::string kCannotOpen = "Не удалось открыть файл\n";

struct Session {
  testing::TempDir dir;
  testing::ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(
      AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);

  QString Path(const char* name) const {
    return QString::fromStdString((dir / name).string());
  }
  QString Make(const char* name, std::string_view bytes) const {
    testing::WriteFile(dir / name, bytes);
    return Path(name);
  }
  std::string File(const char* n) const { return testing::ReadFile(dir / n); }
  Editor* source() const { return window->source_editor(); }
  std::string Text() const { return source()->Utf8Text(); }
  DocumentCommands* docs() const { return window->documents(); }
  QString Recent(int n) const {
    return window->recent_menu()->actions().at(n - 1)->text();
  }
  void ExpectPath(const QString& path, const QString& status) const {
    QCOMPARE(window->document_path(), path);
    QCOMPARE(window->status_path()->text(), status);
  }
};

class DocumentsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SaveQuestionGuardsNewAndOpen() {
    using enum UserDialogs::Button;
    enum Start { kFile, kNewText, kReadOnlyFile };
    const struct {
      Start start;  // then New from a file, else Open
      Button answer;
      QStringList file_names;  // given to the save dialogs, in turn
      std::string want_text;
      const char* want_path;
      std::string want_a;  // a.txt afterwards
    } cases[] = {
        {kFile, kNo, {}, "", "", "a"},
        {kFile, kCancel, {}, "changed", "a.txt", "a"},
        {kFile, kYes, {}, "", "", "changed"},
        {kNewText, kYes, {""}, "changed", "", "a"},  // save cancelled
        {kNewText, kYes, {"a", "b.txt"}, "b", "b.txt", "changed"},
        {kReadOnlyFile, kYes, {}, "changed", "a.txt", "a"},
    };
    for (const auto& c : cases) {
      Session s;
      const QString a = s.Make("a.txt", "a");
      s.Make("b.txt", "b");
      if (c.start != kNewText) QVERIFY(s.docs()->OpenFile(a));
      if (c.start == kReadOnlyFile)
        std::filesystem::permissions(s.dir / "a.txt",
                                     std::filesystem::perms::owner_read);
      s.source()->SetText(QStringLiteral("changed"));
      s.dialogs.answers = {c.answer};
      for (const QString& name : c.file_names)
        s.dialogs.file_names.push_back(name.isEmpty() ? name
                                                      : s.Path("") + name);
      c.start == kFile ? s.docs()->New() : s.docs()->Open();
      QCOMPARE(s.Text(), c.want_text);
      QCOMPARE(s.window->document_path(),
               *c.want_path ? s.Path(c.want_path) : QString());
      QCOMPARE(s.File("a.txt"), c.want_a);
      QCOMPARE(s.dialogs.file_requests.size(),
               std::size_t(c.file_names.size()));
      QCOMPARE(s.dialogs.shown.front().message.text,
               std::string("Текст в файле был модифицирован.\nСохранить его?"));
      QCOMPARE(s.source()->IsModified(), c.want_text == "changed");
      if (c.start == kReadOnlyFile)
        QCOMPARE(s.dialogs.LastText(),
                 "Не удалось сохранить файл\n" + a.toStdString());
    }
  }

  void FilesComeBackByteForByte() {
    const std::pair<std::string, QString> cases[] = {
        {Cp("строка\nвторая\n") + '\0' + Cp("конец"), "CP1251"},
        {"", "CP1251"},
        {std::string(kUtf8Bom) + "Ж 漢\r\n", "UTF-8"}};
    for (const auto& [bytes, encoding] : cases) {
      Session s;
      QVERIFY(s.docs()->OpenFile(s.Make("in.txt", bytes)));
      QVERIFY(!s.source()->IsModified() && !s.source()->CanUndo());
      QCOMPARE(s.window->status_encoding()->text(), encoding);
      s.dialogs.file_names = {s.Path("out")};
      QVERIFY(s.docs()->SaveAs());
      QCOMPARE(s.File("out.txt"), bytes);
      s.ExpectPath(s.Path("out.txt"), s.Path("out.txt"));
    }
  }

  void UnmappableCharactersAskBeforeBecomingQuestionMarks() {
    Session s;
    s.source()->SetText(QStringLiteral("Ж漢"));
    s.dialogs.file_names = {s.Path("x.txt"), s.Path("x.txt")};
    s.dialogs.answers = {Button::kNo};
    QVERIFY(!s.docs()->Save());
    QVERIFY(!std::filesystem::exists(s.dir / "x.txt") &&
            s.source()->IsModified());
    QCOMPARE(s.dialogs.LastText(),
             "Текст содержит символы, которых нет в "
             "кодовой странице 1251.\nОни будут записаны как «?». Сохранить?");
    QVERIFY((s.dialogs.shown.back().buttons ==
             std::vector{Button::kYes, Button::kNo}));
    s.dialogs.answers = {Button::kYes};
    QVERIFY(s.docs()->Save());
    QCOMPARE(s.File("x.txt"), Cp("Ж") + "?");
    QVERIFY(!s.source()->IsModified());
  }

  void ResultEditorTextSavesBesideTheDocument() {
    Session s;
    QVERIFY(s.docs()->OpenFile(s.Make("a.txt", "Ж")));  // UTF-8
    s.source()->SetText(QStringLiteral("edited"));
    Editor* result = s.window->result_editor();
    result->SetText(QStringLiteral("Dt \"Я漢\""));
    s.dialogs.file_names = {s.Path("table"), s.Path("table.asm")};
    s.docs()->SaveEditorText(result);  // as UTF-8, without a question
    QCOMPARE(s.File("table.txt"), std::string("Dt \"Я漢\""));
    QVERIFY(s.dialogs.shown.empty());
    s.ExpectPath(s.Path("a.txt"), s.Path("table.txt"));
    QCOMPARE(s.Recent(1), "1)    " + s.Path("table.txt"));
    QVERIFY(s.source()->IsModified() && !result->IsModified());
    s.dialogs.answers = {Button::kNo, Button::kYes};  // New, then "?" for 漢
    s.docs()->New();
    s.docs()->SaveEditorText(result);
    QCOMPARE(s.File("table.asm"), Cp("Dt \"Я?\""));
  }

  void RecentFilesAndTheOpenDialog() {
    Session s;
    s.docs()->Open();  // cancelled; no recent folder to start in
    QCOMPARE(s.dialogs.file_requests.back().directory, QString());
    const QString a = s.Make("a.txt", "a");
    const QString b = s.Make("b.txt", "b");
    for (const QString& path : {a, b, a}) QVERIFY(s.docs()->OpenFile(path));
    s.dialogs.file_names = {s.Path("missing.txt")};
    s.docs()->Open();  // starts in the folder of recent entry 1
    QCOMPARE(s.dialogs.file_requests.back().directory, s.Path(""));
    QCOMPARE(s.dialogs.LastText(),
             kCannotOpen + s.Path("missing.txt").toStdString());
    s.ExpectPath(a, a);
    for (QMenu* menu : {s.window->recent_menu(), s.window->recent_dropdown()}) {
      QCOMPARE(menu->actions().at(0)->text(), "1)    " + a);
      QCOMPARE(menu->actions().at(1)->text(), "2)    " + b);
      QCOMPARE(menu->actions().at(2)->text(), QStringLiteral("3)    "));
    }
    s.source()->SetText(QStringLiteral("changed"));
    s.dialogs.answers = {Button::kCancel};
    s.window->recent_dropdown()->actions().at(1)->trigger();
    QCOMPARE(s.Text(), std::string("changed"));
    s.dialogs.answers = {Button::kNo};
    s.window->recent_menu()->actions().at(1)->trigger();
    QCOMPARE(s.Text(), std::string("b"));
    QCOMPARE(s.Recent(1), "1)    " + b);
    // A vanished file is reported and stays; an empty entry does nothing.
    std::filesystem::remove(s.dir / "a.txt");
    s.dialogs.shown.clear();
    s.docs()->OpenRecent(2);
    s.docs()->OpenRecent(5);
    QCOMPARE(s.dialogs.shown.size(), std::size_t{1});
    QCOMPARE(s.dialogs.LastText(), kCannotOpen + a.toStdString());
    QCOMPARE(s.Recent(2), "2)    " + a);
    QCOMPARE(s.Text(), std::string("b"));
  }

  void CommandLineAndDroppedFilesOpen() {
    Session s;
    std::filesystem::copy_file(
        testing::TestData("profile_database_fresh.golden"),
        s.dir / "Profile.prof");
    const QString path = s.Make("cmd.txt", "cmd");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(s.Path(""));
    QVERIFY(s.window->Start({"cmd.txt", "ignored"}));
    QDir::setCurrent(previous);
    QCOMPARE(s.Text(), std::string("cmd"));
    s.ExpectPath(path, path);
    QCOMPARE(s.Recent(1), "1)    " + path);
    QVERIFY(s.dialogs.shown.empty());

    s.source()->SetText(QStringLiteral("changed"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(s.Make("d.txt", "dropped"))});
    for (const Button answer : {Button::kCancel, Button::kNo}) {
      s.dialogs.answers = {answer};
      QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
      static_cast<QObject*>(s.window.get())->event(&drop);  // no real drag
      QCOMPARE(s.Text(), answer == Button::kNo ? "dropped" : "changed");
    }
    QCOMPARE(s.window->document_path(), s.Path("d.txt"));
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::DocumentsTest)
#include "documents_qtest.moc"

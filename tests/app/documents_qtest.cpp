#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/document_commands.h"
#include "app/editor.h"
#include "app/main_window.h"
#include "app/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using Button = UserDialogs::Button;
using testing::Cp;
using testing::ReadFile;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::WriteFile;

// A main window over a fresh data directory, with files beside it.
struct Session {
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;

  Session() {
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);
  }
  QString Path(const char* name) const {
    return QString::fromStdString((dir / name).string());
  }
  QString Make(const char* name, std::string_view bytes) const {
    WriteFile(dir / name, bytes);
    return Path(name);
  }
  std::string File(const char* name) const { return ReadFile(dir / name); }
  Editor* source() const { return window->source_editor(); }
  std::string Text() const { return source()->Utf8Text(); }
  DocumentCommands* docs() const { return window->documents(); }
  QString Recent(int n) const {
    return window->recent_menu()->actions().at(n - 1)->text();
  }
};

class DocumentsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SaveQuestionGuardsNewAndOpen() {
    enum class Start { kFile, kNewText, kReadOnlyFile };
    struct Case {
      const char* name;
      Start start;
      bool open;  // Open, else New
      Button answer;
      QStringList file_names;
      std::string want_text;
      const char* want_path;  // "" for none
      std::string want_a;     // a.txt afterwards
      int want_file_dialogs;
    };
    const Case cases[] = {
        {"New, No", Start::kFile, false, Button::kNo, {}, "", "", "a", 0},
        {"New, Cancel", Start::kFile, false, Button::kCancel, {}, "changed",
         "a.txt", "a", 0},
        {"New, Yes", Start::kFile, false, Button::kYes, {}, "", "",
         "changed", 0},
        {"Open, Yes, save dialog cancelled", Start::kNewText, true,
         Button::kYes, {""}, "changed", "", "a", 1},
        {"Open, Yes, saved as a", Start::kNewText, true, Button::kYes,
         {"a", "b.txt"}, "b", "b.txt", "changed", 2},
        {"Open, Yes, write failed", Start::kReadOnlyFile, true, Button::kYes,
         {}, "changed", "a.txt", "a", 0},
    };
    for (const Case& c : cases) {
      Session s;
      const QString a = s.Make("a.txt", "a");
      s.Make("b.txt", "b");
      if (c.start != Start::kNewText) QVERIFY(s.docs()->OpenFile(a));
      if (c.start == Start::kReadOnlyFile) {
        std::filesystem::permissions(s.dir / "a.txt",
                                     std::filesystem::perms::owner_read);
      }
      s.source()->SetText(QStringLiteral("changed"));
      s.dialogs.answers = {c.answer};
      for (const QString& name : c.file_names) {
        s.dialogs.file_names.push_back(name.isEmpty() ? name
                                                      : s.Path("") + name);
      }
      c.open ? s.docs()->Open() : s.docs()->New();

      QVERIFY2(s.Text() == c.want_text, c.name);
      QCOMPARE(s.window->document_path(),
               *c.want_path ? s.Path(c.want_path) : QString());
      QVERIFY2(s.File("a.txt") == c.want_a, c.name);
      QCOMPARE(int(s.dialogs.file_requests.size()), c.want_file_dialogs);
      QCOMPARE(s.dialogs.shown.front().message.text,
               std::string("Текст в файле был модифицирован.\nСохранить его?"));
      QCOMPARE(s.source()->IsModified(), c.want_text == "changed");
      if (c.start == Start::kReadOnlyFile) {
        QCOMPARE(s.dialogs.LastText(),
                 "Не удалось сохранить файл\n" + a.toStdString());
      }
    }
  }

  void OpenDialogAndItsFailure() {
    Session s;
    s.dialogs.file_names = {s.Path("missing.txt")};
    s.docs()->Open();
    QCOMPARE(s.dialogs.file_requests.back().directory, QString());
    QVERIFY(s.docs()->OpenFile(s.Make("a.txt", "a")));
    s.source()->SetText(QStringLiteral("kept"));
    s.dialogs.file_names = {s.Path("missing.txt")};
    s.dialogs.answers = {Button::kNo};
    s.docs()->Open();

    const ScriptedDialogs::FileRequest& open = s.dialogs.file_requests.back();
    QVERIFY(!open.save);
    QCOMPARE(open.title, QStringLiteral("Открываем файл"));
    QCOMPARE(open.directory, s.Path(""));  // from recent entry 1
    QCOMPARE(open.filter, DocumentCommands::kFilter);
    QVERIFY((s.dialogs.shown.back().message ==
             UserMessage{UserMessage::Icon::kError, "Ошибка",
                         "Не удалось открыть файл\n" +
                             s.Path("missing.txt").toStdString()}));
    QCOMPARE(s.Text(), std::string("kept"));
    QCOMPARE(s.window->document_path(), s.Path("a.txt"));
    QCOMPARE(s.window->status_path()->text(), s.Path("a.txt"));
    QCOMPARE(s.Recent(2), QStringLiteral("2)    "));
  }

  void FilesComeBackByteForByte() {
    struct Case {
      const char* name;
      std::string bytes;
      const char* encoding;
    };
    const Case cases[] = {
        {"unix line ends and NUL", Cp("строка\nвторая\n\0конец"), "CP1251"},
        {"empty", "", "CP1251"},
        {"UTF-8 with mark", std::string(kUtf8Bom) + "Ж 漢\r\n", "UTF-8"},
    };
    for (const Case& c : cases) {
      Session s;
      QVERIFY(s.docs()->OpenFile(s.Make("in.txt", c.bytes)));
      QVERIFY2(!s.source()->IsModified(), c.name);
      QVERIFY(!s.source()->CanUndo());
      QCOMPARE(s.window->status_encoding()->text(),
               QString::fromLatin1(c.encoding));
      s.dialogs.file_names = {s.Path("out")};
      QVERIFY(s.docs()->SaveAs());
      QVERIFY2(s.File("out.txt") == c.bytes, c.name);
      QCOMPARE(s.window->document_path(), s.Path("out.txt"));
      QCOMPARE(s.window->status_path()->text(), s.Path("out.txt"));
    }
  }

  void UnmappableCharactersAskBeforeBecomingQuestionMarks() {
    Session s;
    s.source()->SetText(QStringLiteral("Ж漢"));
    s.dialogs.file_names = {s.Path("x.txt"), s.Path("x.txt")};
    s.dialogs.answers = {Button::kNo};
    QVERIFY(!s.docs()->Save());
    QVERIFY(!std::filesystem::exists(s.dir / "x.txt"));
    QCOMPARE(s.dialogs.file_requests.back().title,
             QStringLiteral("Сохраняем файл"));
    QVERIFY(s.source()->IsModified());
    const ScriptedDialogs::Shown& question = s.dialogs.shown.back();
    QCOMPARE(question.message.icon, UserMessage::Icon::kWarning);
    QCOMPARE(question.message.text,
             std::string("Текст содержит символы, которых нет в кодовой "
                         "странице 1251.\nОни будут записаны как «?». "
                         "Сохранить?"));
    QVERIFY((question.buttons == std::vector{Button::kYes, Button::kNo}));

    s.dialogs.answers = {Button::kYes};
    QVERIFY(s.docs()->Save());
    QCOMPARE(s.File("x.txt"), Cp("Ж") + "?");
    QVERIFY(!s.source()->IsModified());

    // A UTF-8 document holds them as they are.
    QVERIFY(s.docs()->OpenFile(s.Make("u.txt", "Ж")));
    s.source()->SetText(QStringLiteral("Ж漢"));
    QVERIFY(s.docs()->Save());
    QCOMPARE(s.File("u.txt"), std::string("Ж漢"));
    QCOMPARE(s.dialogs.unscripted, 0);
  }

  void ResultEditorTextSavesBesideTheDocument() {
    Session s;
    QVERIFY(s.docs()->OpenFile(s.Make("a.txt", "Ж")));  // UTF-8
    s.source()->SetText(QStringLiteral("edited"));
    s.window->result_editor()->SetText(QStringLiteral("Dt \"Я\""));
    s.dialogs.file_names = {s.Path("table"), s.Path("table.asm")};
    s.docs()->SaveEditorText(s.window->result_editor());
    QCOMPARE(s.File("table.txt"), std::string("Dt \"Я\""));
    QCOMPARE(s.window->document_path(), s.Path("a.txt"));
    QCOMPARE(s.window->status_path()->text(), s.Path("table.txt"));
    QCOMPARE(s.Recent(1), "1)    " + s.Path("table.txt"));
    QVERIFY(s.source()->IsModified());
    QVERIFY(!s.window->result_editor()->IsModified());

    s.dialogs.answers = {Button::kNo};
    s.docs()->New();
    s.docs()->SaveEditorText(s.window->result_editor());
    QCOMPARE(s.File("table.asm"), Cp("Dt \"Я\""));
  }

  void RecentFilesOpenWithTheSaveQuestion() {
    Session s;
    const QString a = s.Make("a.txt", "a");
    const QString b = s.Make("b.txt", "b");
    for (const QString& path : {a, b, a}) QVERIFY(s.docs()->OpenFile(path));
    for (QMenu* menu : {s.window->recent_menu(), s.window->recent_dropdown()}) {
      QCOMPARE(menu->actions().size(), 10);
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
    QCOMPARE(s.window->document_path(), b);
    QCOMPARE(s.Recent(1), "1)    " + b);

    // A vanished file is reported and keeps its place; an empty entry
    // does nothing.
    std::filesystem::remove(s.dir / "a.txt");
    const std::size_t shown = s.dialogs.shown.size();
    s.docs()->OpenRecent(2);
    QCOMPARE(s.dialogs.LastText(),
             "Не удалось открыть файл\n" + a.toStdString());
    QCOMPARE(s.Recent(2), "2)    " + a);
    s.docs()->OpenRecent(5);
    QCOMPARE(s.dialogs.shown.size(), shown + 1);
    QCOMPARE(s.Text(), std::string("b"));
  }

  void DroppedFileAsksTheSaveQuestion() {
    Session s;
    const QString dropped = s.Make("d.txt", "dropped");
    s.source()->SetText(QStringLiteral("changed"));
    const auto drop = [&] {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(dropped)});
      QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data,
                       Qt::LeftButton, Qt::NoModifier);
      // Straight to the window: the application hands drops on only
      // during a real drag.
      static_cast<QObject*>(s.window.get())->event(&event);
    };
    s.dialogs.answers = {Button::kCancel};
    drop();
    QCOMPARE(s.Text(), std::string("changed"));
    s.dialogs.answers = {Button::kNo};
    drop();
    QCOMPARE(s.Text(), std::string("dropped"));
    QCOMPARE(s.window->document_path(), dropped);
  }

  void CommandLineFileOpensAtStartUnderItsFullPath() {
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
    QCOMPARE(s.window->document_path(), path);
    QCOMPARE(s.window->status_path()->text(), path);
    QCOMPARE(s.Recent(1), "1)    " + path);
    QVERIFY(s.dialogs.shown.empty());
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::DocumentsTest)
#include "documents_qtest.moc"

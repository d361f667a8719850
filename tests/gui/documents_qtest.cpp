#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QtTest>
#include <fstream>

#include "core/base/path_bytes.h"
#include "core/shell/text_document.h"
#include "gui/document_commands.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using Button = UserDialogs::Button;
using testing::Cp;
using testing::ScriptedDialogs;
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
  bool Open(const QString& path) const {
    return docs()->OpenFile(ToFilePath(path));
  }
  QString DocumentPath() const {
    return DisplayedPath(window->document_path());
  }
  QString Recent(int n) const {
    return window->recent_menu()->actions().at(n - 1)->text();
  }
  void ExpectPath(const QString& path, const QString& status) const {
    QCOMPARE(DocumentPath(), path);
    QCOMPARE(window->status_path()->text(), status);
  }
};

class DocumentsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // What the editor cannot hold is refused before a byte is read: a FIFO
  // would freeze the window, /dev/zero never ends.
  void FilesTheEditorCannotHoldAreRefused() {
    Session s;
    QVERIFY(s.Open(s.Make("a.txt", "kept")));
    {
      std::ofstream big(s.dir / "big.txt", std::ios::binary);
      big.seekp(std::streamoff{kMaxDocumentBytes});
      big.put('x');
    }
    struct Case {
      QString path;
      const char* reason;
    };
    std::vector<Case> cases = {{s.Path("big.txt"), "файл больше 128 МБ"}};
    if (testing::MakeFifo(s.dir / "fifo")) {  // and so /dev/zero
      cases.push_back({s.Path("fifo"), "не является обычным файлом"});
      cases.push_back({"/dev/zero", "не является обычным файлом"});
    }
    for (const auto& c : cases) {
      QVERIFY(!s.Open(c.path));
      QVERIFY2(s.dialogs.LastText().find(c.reason) != std::string::npos,
               s.dialogs.LastText().c_str());
      QCOMPARE(s.Text(), std::string("kept"));
    }
  }

  // Memory running out while a text is read ends that command only: the
  // message says why and the text in the editor stays.
  void RunningOutOfMemoryKeepsTheText() {
#if defined(_WIN32)
    QSKIP("Windows has no limit on a process's own address space");
#else
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer reserves more address space than any limit");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    QSKIP("AddressSanitizer reserves more address space than any limit");
#endif
#endif
    Session s;
    QVERIFY(s.Open(s.Make("a.txt", "kept")));
    {
      std::ofstream big(s.dir / "big.txt", std::ios::binary);
      big.seekp(std::streamoff{96} << 20);
      big.put('x');
    }
    // Room for 32 MB more than the program holds now.
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    QVERIFY(pages > 0);
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_AS, &saved), 0);
    const rlim_t in_use =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    const rlimit tight{in_use + (rlim_t{32} << 20), saved.rlim_max};
    QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
    const bool opened = s.Open(s.Path("big.txt"));
    setrlimit(RLIMIT_AS, &saved);
    QVERIFY(!opened);
    QVERIFY2(
        s.dialogs.LastText().find("недостаточно памяти") != std::string::npos,
        s.dialogs.LastText().c_str());
    QCOMPARE(s.Text(), std::string("kept"));
    QCOMPARE(s.DocumentPath(), s.Path("a.txt"));
#endif
  }

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
      if (c.start != kNewText) QVERIFY(s.Open(a));
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
      QCOMPARE(s.DocumentPath(),
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
      QVERIFY(s.Open(s.Make("in.txt", bytes)));
      QVERIFY(!s.source()->IsModified() && !s.source()->CanUndo());
      QCOMPARE(s.window->status_encoding()->text(), encoding);
      s.dialogs.file_names = {s.Path("out")};
      QVERIFY(s.docs()->SaveAs());
      QCOMPARE(s.File("out.txt"), bytes);
      s.ExpectPath(s.Path("out.txt"), s.Path("out.txt"));
    }
  }

  void TextCodePage1251CannotHoldSavesWholeOrAsShown() {
    Session s;
    s.source()->SetText(QStringLiteral("Ж漢"));
    s.dialogs.file_names = {s.Path("x.txt")};
    s.dialogs.answers = {Button::kCancel};
    QVERIFY(!s.docs()->Save());
    QVERIFY(!std::filesystem::exists(s.dir / "x.txt") &&
            s.source()->IsModified());
    const ScriptedDialogs::Shown& question = s.dialogs.shown.back();
    QCOMPARE(question.message.text,
             std::string("Текст содержит символы, которых нет в кодовой "
                         "странице 1251.\nСохранить его целиком в кодировке "
                         "UTF-8\nили записать эти символы как «?»?"));
    QVERIFY(
        (question.buttons ==
         std::vector{Button::kUtf8, Button::kQuestionMarks, Button::kCancel}));
    QVERIFY(question.default_button == Button::kUtf8);

    // Whole, as UTF-8: the document is UTF-8 from now on.
    s.dialogs.file_names = {s.Path("x.txt")};
    s.dialogs.answers = {Button::kUtf8};
    QVERIFY(s.docs()->Save());
    QCOMPARE(s.File("x.txt"), std::string("Ж漢"));
    QCOMPARE(s.window->status_encoding()->text(), QStringLiteral("UTF-8"));
    QVERIFY(!s.source()->IsModified() && s.Text() == "Ж漢");

    // With "?": the editor shows what the file holds; Undo takes it back.
    s.docs()->New();
    s.source()->SetText(QStringLiteral("a漢b😀"));
    s.dialogs.answers = {Button::kQuestionMarks};
    s.dialogs.file_names = {s.Path("q.txt")};
    QVERIFY(s.docs()->Save());
    QCOMPARE(s.File("q.txt"), std::string("a?b?"));
    QCOMPARE(s.Text(), std::string("a?b?"));
    QVERIFY(!s.source()->IsModified());
    s.source()->Undo();
    QCOMPARE(s.Text(), std::string("a漢b😀"));
    QVERIFY(s.source()->IsModified());
  }

  void SaveAsChoosesTheEncodingByItsFilter() {
    Session s;
    s.source()->SetText(QStringLiteral("Ж"));
    const QString code_page = "Текстовые файлы (txt) (*.txt)";
    const QString utf8 = DocumentCommands::kUtf8TextFilter;
    const struct {
      QString chosen;  // empty: the filter shown first
      QString shown_first;
      std::string bytes;
      QString encoding;
    } cases[] = {
        {{}, code_page, Cp("Ж"), "CP1251"},
        {utf8, code_page, "Ж", "UTF-8"},
        {{}, utf8, "Ж", "UTF-8"},  // a UTF-8 document offers UTF-8
        {DocumentCommands::kUtf8AllFilter, utf8, "Ж", "UTF-8"},
        {"Всё (*)", utf8, Cp("Ж"), "CP1251"},
    };
    for (const auto& c : cases) {
      s.dialogs.file_names = {s.Path("out")};
      if (!c.chosen.isEmpty()) s.dialogs.filters = {c.chosen};
      QVERIFY(s.docs()->SaveAs());
      QCOMPARE(s.dialogs.file_requests.back().selected_filter, c.shown_first);
      QCOMPARE(s.dialogs.file_requests.back().filter,
               DocumentCommands::kSaveFilter);
      QCOMPARE(s.File("out.txt"), c.bytes);
      QCOMPARE(s.window->status_encoding()->text(), c.encoding);
    }
    QVERIFY(s.dialogs.shown.empty());
  }

  void NewLinesTakeTheLineEndsOfTheDocument() {
    const struct {
      const char* name;
      std::string file;  // empty: a new text
      std::string saved;
    } cases[] = {
        {"CR LF", "line1\r\nline2\r\nline3",
         "line1\r\nline2\r\nline3\r\nline4\r\nx\r\ny"},
        {"LF", "line1\nline2\nline3", "line1\nline2\nline3\nline4\nx\ny"},
        {"mixed, mostly LF", "a\r\nb\nc\nd", "a\r\nb\nc\nd\nline4\nx\ny"},
        {"new text", "", "\r\nline4\r\nx\r\ny"},
    };
    for (const auto& c : cases) {
      Session s;
      if (!c.file.empty()) QVERIFY(s.Open(s.Make("in.txt", c.file)));
      s.source()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
      QTest::keyClick(s.source(), Qt::Key_Return);
      QTest::keyClicks(s.source(), "line4");
      QTest::keyClick(s.source(), Qt::Key_Return);
      QApplication::clipboard()->setText(QStringLiteral("x\ny"));
      s.source()->Paste();
      s.dialogs.file_names = {s.Path("out.txt")};
      QVERIFY2(s.docs()->Save(), c.name);
      QCOMPARE(s.File(c.file.empty() ? "out.txt" : "in.txt"), c.saved);
    }
  }

  void ResultEditorTextSavesBesideTheDocument() {
    Session s;
    QVERIFY(s.Open(s.Make("a.txt", "Ж")));  // UTF-8
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
    // New, then "?" for 漢.
    s.dialogs.answers = {Button::kNo, Button::kQuestionMarks};
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
    for (const QString& path : {a, b, a}) QVERIFY(s.Open(path));
    s.dialogs.file_names = {s.Path("missing.txt")};
    s.docs()->Open();  // starts in the folder of recent entry 1
    QCOMPARE(s.dialogs.file_requests.back().directory, s.Path(""));
    QCOMPARE(s.dialogs.LastText(), kCannotOpen +
                                       s.Path("missing.txt").toStdString() +
                                       "\nнет такого файла");
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
    QCOMPARE(s.dialogs.LastText(),
             kCannotOpen + a.toStdString() + "\nнет такого файла");
    QCOMPARE(s.Recent(2), "2)    " + a);
    QCOMPARE(s.Text(), std::string("b"));
  }

  void TheCommandLineFileOpens() {
    Session s;
    std::filesystem::copy_file(
        testing::TestData("profile_database_fresh.golden"),
        s.dir / "Profile.prof");
    const QString path = s.Make("cmd.txt", "cmd");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(s.Path(""));
    QVERIFY(s.window->Start({"cmd.txt", "ignored"}));  // relative to the cwd
    QDir::setCurrent(previous);
    QCOMPARE(s.Text(), std::string("cmd"));
    s.ExpectPath(path, path);
    QCOMPARE(s.Recent(1), "1)    " + path);
    QVERIFY(s.dialogs.shown.empty());
  }

  // A name written in code page 1251 is not UTF-8: it opens from the
  // command line, a drop and the recent list all the same, and is saved
  // back under its own bytes.
  void NamesInCodePage1251OpenFromEverywhere() {
    Session s;
    std::filesystem::copy_file(
        testing::TestData("profile_database_fresh.golden"),
        s.dir / "Profile.prof");
    const std::filesystem::path path =
        s.dir.path() / PathFromBytes("\xCF\xF0\xE8\xE2\xE5\xF2.txt");
    testing::WriteFile(path, "cp");
    QVERIFY(s.window->Start({path}));
    QCOMPARE(s.Text(), std::string("cp"));
    QVERIFY(s.window->document_path() == path);
    s.source()->SetText(QStringLiteral("saved"));
    QVERIFY(s.docs()->Save());
    QCOMPARE(testing::ReadFile(path), std::string("saved"));
    QCOMPARE(testing::FileNames(s.dir.path()).size(), std::size_t{3});
    // Listed with stand-ins for the bytes, reopened by the bytes.
    QVERIFY(s.Recent(1).contains(QChar(0xFFFD)));
    s.docs()->New();
    s.window->recent_menu()->actions().at(0)->trigger();
    QCOMPARE(s.Text(), std::string("saved"));

    s.docs()->New();
    QMimeData data;
    data.setUrls({QUrl::fromEncoded(
        "file://" +
        QByteArray::fromStdString(PathBytes(path)).toPercentEncoding("/"))});
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(s.source()->viewport(), &enter);
    QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(s.source()->viewport(), &drop);
    QCOMPARE(s.Text(), std::string("saved"));
    QVERIFY(s.window->document_path() == path);
    QVERIFY(s.dialogs.shown.empty());
  }

  void FilesDroppedAnywhereOpenAfterTheSaveQuestion() {
    Session s;
    const QString first = s.Make("first.txt", "first");
    const QString empty = s.Make("empty.txt", "");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(first),
                   QUrl::fromLocalFile(s.Make("second.txt", "second"))});
    QMimeData nothing_to_open;
    nothing_to_open.setUrls(
        {QUrl::fromLocalFile(empty), QUrl::fromLocalFile(s.Path(""))});
    QWidget* const targets[] = {s.source()->viewport(),
                                s.window->result_editor()->viewport(),
                                s.window.get()};
    for (QWidget* target : targets) {
      QVERIFY(s.Open(empty));
      s.source()->SetText(QStringLiteral("changed"));
      for (QMimeData* data : {&nothing_to_open, &files}) {
        for (const Button answer : {Button::kCancel, Button::kNo}) {
          QDragEnterEvent enter({5, 5}, Qt::CopyAction, data, Qt::LeftButton,
                                {});
          QApplication::sendEvent(target, &enter);
          QVERIFY(enter.isAccepted());
          s.dialogs.answers = {answer};
          QDropEvent drop({5, 5}, Qt::CopyAction, data, Qt::LeftButton, {});
          QApplication::sendEvent(target, &drop);
        }
      }
      // The first file, after one question for each drop of it.
      QVERIFY2(s.Text() == "first", s.Text().c_str());
      s.ExpectPath(first, first);
      QCOMPARE(s.dialogs.shown.size(), std::size_t{2});
      s.dialogs.shown.clear();
    }

    // Text that is not a file goes into the editor where it is dropped.
    QMimeData text;
    text.setText(QStringLiteral("XY"));
    QWidget* viewport = s.source()->viewport();
    QDragEnterEvent enter({1, 1}, Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move({1, 1}, Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop({1, 1}, Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    QVERIFY(s.Text() == "XYfirst" || s.Text() == "firstXY");
    QVERIFY(s.dialogs.shown.empty());
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::DocumentsTest)
#include "documents_qtest.moc"

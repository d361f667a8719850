// Memory running out in an event handler of any window ends that handler
// with one message; the program and its windows go on.
#include <QMimeData>
#include <QPushButton>
#include <QtTest>
#include <new>

#include "core/shell/text_document.h"
#include "gui/guarded_application.h"
#include "gui/scripted_dialogs.h"

namespace trulvex {
namespace {

// A field that takes drops and runs out of memory with each one.
class StarvedDropTarget : public QWidget {
 public:
  StarvedDropTarget() { setAcceptDrops(true); }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override {
    event->acceptProposedAction();
  }
  void dropEvent(QDropEvent*) override { throw std::bad_alloc(); }
};

class GuardedApplicationTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void AFailedHandlerIsToldAndTheProgramGoesOn() {
    testing::ScriptedDialogs dialogs;
    static_cast<GuardedApplication*>(qApp)->set_dialogs(&dialogs);
    QPushButton button(QStringLiteral("Загрузить"));
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&clicks] {
      if (++clicks == 1) throw std::bad_alloc();
    });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QVERIFY(dialogs.shown.back().message == OutOfMemoryMessage());
    QTest::mouseClick(&button, Qt::LeftButton);  // the button still works
    QCOMPARE(clicks, 2);
    QCOMPARE(dialogs.shown.size(), std::size_t{1});

    StarvedDropTarget target;
    target.show();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt"))});
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton,
                    Qt::NoModifier);
    QVERIFY(!QApplication::sendEvent(&target, &drop));
    QCOMPARE(dialogs.shown.size(), std::size_t{2});
    QVERIFY(dialogs.shown.back().message == OutOfMemoryMessage());
    static_cast<GuardedApplication*>(qApp)->set_dialogs(nullptr);
  }
};

}  // namespace
}  // namespace trulvex

int main(int argc, char** argv) {
  trulvex::GuardedApplication app(argc, argv);
  trulvex::GuardedApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "guarded_application_qtest.moc"

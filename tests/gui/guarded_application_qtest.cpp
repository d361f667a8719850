// Memory running out in an event handler that does not catch it itself
// ends that handler with one message; the program and its event loop go
// on.
#include <QEvent>
#include <QtTest>
#include <new>

#include "core/shell/text_document.h"
#include "gui/guarded_application.h"
#include "gui/scripted_dialogs.h"

namespace trulvex {
namespace {

// The application's dialog seam, made before the application takes it.
testing::ScriptedDialogs dialogs;

// Runs out of memory with every event of its own kind.
class StarvedObject : public QObject {
 public:
  static constexpr QEvent::Type kStarve = QEvent::User;
  int handled = 0;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != kStarve) return QObject::event(event);
    ++handled;
    throw std::bad_alloc();
  }
};

class GuardedApplicationTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void AFailedHandlerIsToldAndTheProgramGoesOn() {
    StarvedObject starved;
    QEvent sent(StarvedObject::kStarve);
    QVERIFY(!QCoreApplication::sendEvent(&starved, &sent));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QVERIFY(dialogs.shown.back().message == OutOfMemoryMessage());

    // From the event loop: the events after it are still delivered.
    QCoreApplication::postEvent(&starved, new QEvent(StarvedObject::kStarve));
    bool later = false;
    QMetaObject::invokeMethod(
        &starved, [&later] { later = true; }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCOMPARE(starved.handled, 2);
    QVERIFY(later);
    QCOMPARE(dialogs.shown.size(), std::size_t{2});
  }
};

}  // namespace
}  // namespace trulvex

int main(int argc, char** argv) {
  trulvex::GuardedApplication app(argc, argv, &trulvex::dialogs);
  trulvex::GuardedApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "guarded_application_qtest.moc"

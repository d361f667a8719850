#include <QComboBox>
#include <QtTest>

#include "app/command_ids.h"
#include "app/editor.h"
#include "app/main_window.h"
#include "app/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void StartsWithAFreshDatabaseWhenTheUserAgrees() {
    TempDir dir;
    ScriptedDialogs dialogs;
    dialogs.answers = {UserDialogs::Button::kYes};
    MainWindow window({dir / "Preferences.ini", dir / "Profile.prof"},
                      &dialogs);
    QVERIFY(window.Start({}));
    QCOMPARE(window.profile_selector()->count(), 3);
    QVERIFY(window.menu_action(kCommandConvert)->isEnabled());
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::MainWindowTest)
#include "main_window_qtest.moc"

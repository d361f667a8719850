#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/scripted_dialogs.h"
#include "test_support.h"
#include "ui/menu_style.h"

namespace trulvex {
namespace {

using testing::ScriptedDialogs;
using testing::TempDir;

const QColor kPopupBackground(243, 243, 243);

// The started window over a data directory with the stock profiles and a
// stored menu style.
struct Session {
  TempDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<MainWindow> window;

  explicit Session(int style) {
    std::filesystem::copy_file(
        testing::TestData("profile_database_fresh.golden"),
        dir / "Profile.prof");
    testing::WriteFile(dir / "Preferences.ini", "");
    Settings stored;
    stored.StyleMenu = style;
    SaveSettings(dir / "Preferences.ini", stored);
    window = std::make_unique<MainWindow>(
        AppPaths{dir / "Preferences.ini", dir / "Profile.prof"}, &dialogs);
    window->Start({});
    window->show();
  }
  QMenu* Bar(int index) const {
    return window->menuBar()->actions().at(index)->menu();
  }
};

// The pop-up as it is on the screen, with `active` selected.
QImage Render(QMenu* menu, QAction* active = nullptr) {
  menu->popup(QPoint(200, 100));
  if (active != nullptr) menu->setActiveAction(active);
  const QImage image = menu->grab().toImage();
  menu->hide();
  return image;
}

QAction* Item(QMenu* menu, const QString& label) {
  for (QAction* action : menu->actions()) {
    if (action->text() == label) return action;
  }
  qFatal("no item %s", qPrintable(label));
}

QAction* SeparatorAfter(QMenu* menu, const QString& label) {
  const QList<QAction*> items = menu->actions();
  return items.at(items.indexOf(Item(menu, label)) + 1);
}

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

int Count(const QImage& image, QRect area,
          const std::function<bool(QColor)>& test) {
  area &= image.rect();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      count += test(At(image, x, y)) ? 1 : 0;
    }
  }
  return count;
}

int CountColour(const QImage& image, const QRect& area, QColor colour) {
  return Count(image, area, [&](QColor c) { return c == colour; });
}

// Pixels of the caption's red in the icon column.
int CaptionPixels(const QImage& image, const QRect& area) {
  return Count(image, area, [](QColor c) {
    return c.red() > 200 && c.green() < 90 && c.blue() < 90;
  });
}

// An icon column with nothing on it has the same colours in every row.
bool ColumnIsPlain(const QImage& image, const QRect& item) {
  for (int x = item.left(); x < item.left() + 22; ++x) {
    const QRect strip(x, item.top(), 1, item.height());
    if (CountColour(image, strip, At(image, x, item.top())) != item.height()) {
      return false;
    }
  }
  return true;
}

class MenuStyleTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SchemesPaintTheirFixedPixels_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QColor>("separator");  // invalid: etched
    QTest::addColumn<QColor>("column_left");
    QTest::addColumn<QColor>("column_last");
    QTest::addColumn<QColor>("selected_frame");
    QTest::addColumn<QColor>("selected_fill");
    QTest::addColumn<QColor>("check_fill");
    QTest::addColumn<QColor>("check_frame");
    QTest::addColumn<QColor>("bar");
    QTest::newRow("Офис 2003")
        << 3 << QColor(81, 124, 198) << QColor(240, 244, 253)
        << QColor(157, 185, 244)  // 21 of 22 steps, rounded
        << QColor(0, 0, 137) << QColor(255, 238, 206) << QColor(255, 212, 115)
        << QColor(0, 0, 137) << QColor(192, 215, 254);
    QTest::newRow("Офис ХР") << 2 << QColor() << QColor(230, 225, 209)
                             << QColor(230, 225, 209) << QColor(49, 106, 197)
                             << QColor(193, 210, 238) << QColor(193, 210, 238)
                             << QColor(49, 106, 197) << QColor(225, 225, 225);
  }
  void SchemesPaintTheirFixedPixels() {
    QFETCH(int, style);
    QFETCH(QColor, separator);
    QFETCH(QColor, column_left);
    QFETCH(QColor, column_last);
    QFETCH(QColor, selected_frame);
    QFETCH(QColor, selected_fill);
    QFETCH(QColor, check_fill);
    QFETCH(QColor, check_frame);
    QFETCH(QColor, bar);
    Session session(style);
    QMenu* file = session.Bar(0);
    QAction* open = Item(file, "Открыть");
    const QImage image = Render(file, open);

    // The separator starts 26 pixels into the item.
    const QRect line =
        file->actionGeometry(SeparatorAfter(file, "Сохранить как..."));
    const int l = line.left();
    QCOMPARE(At(image, l + 25, line.top() + 2), kPopupBackground);
    if (separator.isValid()) {
      QCOMPARE(At(image, l + 26, line.top() + 2), separator);
      QCOMPARE(At(image, line.right(), line.top() + 2), separator);
      QCOMPARE(At(image, l + 26, line.top() + 3), kPopupBackground);
    } else {
      QCOMPARE(At(image, l + 26, line.top() + 2).rgb(),
               file->palette().color(QPalette::Dark).rgb());
      QCOMPARE(At(image, l + 26, line.top() + 3).rgb(),
               file->palette().color(QPalette::Light).rgb());
    }

    // The icon column's gradient; "Сохранить как..." has no picture.
    const QRect save_as = file->actionGeometry(Item(file, "Сохранить как..."));
    const int middle = save_as.center().y();
    QCOMPARE(At(image, save_as.left(), middle), column_left);
    QCOMPARE(At(image, save_as.left() + 21, middle), column_last);
    QCOMPARE(At(image, save_as.left() + 22, middle), kPopupBackground);
    QVERIFY(ColumnIsPlain(image, save_as));
    const QRect create = file->actionGeometry(Item(file, "Новый"));
    QVERIFY(!ColumnIsPlain(image, create));

    // The selected item: framed across the icon column, shortcut in red;
    // the other shortcuts are purple and the labels black.
    const QRect chosen = file->actionGeometry(open);
    QCOMPARE(At(image, chosen.left(), chosen.top()), selected_frame);
    QCOMPARE(At(image, chosen.right(), chosen.bottom()), selected_frame);
    QCOMPARE(At(image, chosen.right() - 2, chosen.top() + 1), selected_fill);
    const QColor red(194, 2, 19), purple(100, 10, 110);
    const auto keys = [](const QRect& item) {
      return item.adjusted(item.width() / 2, 0, -10, 0);
    };
    const auto label = [](const QRect& item) {
      return QRect(item.left() + 26, item.top(), 40, item.height());
    };
    QVERIFY(CountColour(image, keys(chosen), red) > 0);
    QCOMPARE(CountColour(image, keys(chosen), purple), 0);
    QVERIFY(CountColour(image, keys(create), purple) > 0);
    QCOMPARE(CountColour(image, keys(create), red), 0);
    QCOMPARE(CountColour(image, label(create), purple), 0);
    QVERIFY(CountColour(image, label(create), Qt::black) > 0);
    // Right aligned: nothing of it in the last 10 pixels.
    QCOMPARE(
        CountColour(image, chosen.adjusted(chosen.width() - 10, 0, 0, 0), red),
        0);

    // Undo is disabled: gray label with a white shadow, picture in colour.
    QMenu* edit = session.Bar(1);
    QAction* undo = Item(edit, "Отменить");
    QVERIFY(!undo->isEnabled());
    const QImage edit_image = Render(edit);
    const QRect undo_item = edit->actionGeometry(undo);
    QVERIFY(CountColour(edit_image, label(undo_item), Qt::white) > 0);
    QCOMPARE(CountColour(edit_image, label(undo_item), Qt::black), 0);
    QVERIFY(!ColumnIsPlain(edit_image, undo_item));

    // The checked style item: a filled, framed box with a tick.
    QMenu* styles = Item(edit, "Стиль меню")->menu();
    const QImage styles_image = Render(styles);
    const QRect checked =
        styles->actionGeometry(session.window->menu_action(50 + style));
    QCOMPARE(At(styles_image, checked.left() + 1, checked.top() + 1),
             check_frame);
    QCOMPARE(At(styles_image, checked.left() + 19, checked.bottom() - 1),
             check_frame);
    QCOMPARE(At(styles_image, checked.left() + 3, checked.top() + 2),
             check_fill);
    const int x0 = checked.left() + 8;
    const int c = checked.top() + 1 + (checked.height() - 2) / 2 - 12;
    QCOMPARE(At(styles_image, x0 - 1, c + 11), QColor(Qt::black));
    QCOMPARE(At(styles_image, x0 + 5, c + 11), QColor(Qt::black));
    const QRect unchecked =
        styles->actionGeometry(session.window->menu_action(51));
    QCOMPARE(At(styles_image, unchecked.left() + 3, unchecked.top() + 2),
             At(styles_image, unchecked.left() + 3, unchecked.bottom() - 1));

    QMenuBar* menu_bar = session.window->menuBar();
    const QImage bar_image = menu_bar->grab().toImage();
    QCOMPARE(At(bar_image, bar_image.width() - 5, bar_image.height() / 2), bar);
  }

  void CaptionBandOnlyInTheDropDown_data() {
    QTest::addColumn<int>("style");
    QTest::newRow("Стандартный") << 1;
    QTest::newRow("Офис ХР") << 2;
    QTest::newRow("Офис 2003") << 3;
  }
  void CaptionBandOnlyInTheDropDown() {
    QFETCH(int, style);
    Session session(style);
    QMenu* dropdown = session.window->recent_dropdown();
    const QImage image = Render(dropdown);
    const QRect first = dropdown->actionGeometry(dropdown->actions().first());
    const QRect last = dropdown->actionGeometry(dropdown->actions().last());
    const QRect band(first.left(), first.top(), 22,
                     last.bottom() - first.top() + 1);
    QVERIFY(CaptionPixels(image, band) > 40);
    // It reads upwards from 4 pixels above the band's lower end.
    QVERIFY(CaptionPixels(image, band.adjusted(0, band.height() - 12, 0, 0)) >
            0);
    QCOMPARE(CaptionPixels(image, band.adjusted(0, 0, 0, -band.height() + 20)),
             0);
    QCOMPARE(CaptionPixels(image, band.adjusted(22, 0, 200, 0)), 0);

    // The same items in the "Файл" menu: no caption; nor beside the
    // editor menu's separators, where no picture stands.
    const QImage plain = Render(session.window->recent_menu());
    QCOMPARE(CaptionPixels(plain, plain.rect()), 0);
    QMenu* editor_menu = session.window->editor_menu();
    const QImage editor_image = Render(editor_menu);
    for (QAction* action : editor_menu->actions()) {
      if (!action->isSeparator()) continue;
      QCOMPARE(CaptionPixels(editor_image, editor_menu->actionGeometry(action)),
               0);
      if (style != 1) {
        QVERIFY(
            ColumnIsPlain(editor_image, editor_menu->actionGeometry(action)));
      }
    }
  }

  void StyleCommandsSwitchAtOnceAndAreSaved() {
    Session session(3);
    MainWindow* window = session.window.get();
    MenuStyleLayer* layer = window->menu_layer();
    QMenu* file = session.Bar(0);
    QAction* create = window->menu_action(kCommandNew);

    window->menu_action(52)->trigger();
    window->menu_action(51)->trigger();
    for (int id = 51; id <= 53; ++id) {
      QCOMPARE(window->menu_action(id)->isChecked(), id == 51);
    }
    QVERIFY(window->menuBar()->style() != layer);
    QVERIFY(file->style() != layer);
    QVERIFY(window->editor_menu()->style() != layer);
    QVERIFY(!create->isIconVisibleInMenu());
    QVERIFY(!window->editor_menu_action(kCommandCut)->isIconVisibleInMenu());
    // The drop-down keeps "Офис ХР", the scheme chosen last.
    QMenu* dropdown = window->recent_dropdown();
    QCOMPARE(dropdown->style(), layer);
    const QImage image = Render(dropdown);
    const QRect last = dropdown->actionGeometry(dropdown->actions().last());
    QCOMPARE(At(image, last.left(), last.top()), QColor(230, 225, 209));

    window->menu_action(53)->trigger();
    QVERIFY(window->menu_action(53)->isChecked());
    QCOMPARE(window->menuBar()->style(), layer);
    QCOMPARE(Item(session.Bar(1), "Стиль меню")->menu()->style(), layer);
    QCOMPARE(window->editor_menu()->style(), layer);
    QVERIFY(create->isIconVisibleInMenu());
    QCOMPARE(layer->style_record().ItemShortcutText, MenuRgb(100, 10, 110));

    window->menu_action(52)->trigger();
    QVERIFY(window->close());
    QCOMPARE(LoadSettings(session.dir / "Preferences.ini").StyleMenu, 2);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::MenuStyleTest)
#include "menu_style_qtest.moc"

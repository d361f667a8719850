#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "gui/command_ids.h"
#include "gui/main_window.h"
#include "gui/menu_style.h"
#include "gui/scripted_dialogs.h"
#include "test_support.h"

namespace trulvex {
namespace {

const QColor kPopupBackground(243, 243, 243);

// The started window over the stock profiles and a stored menu style.
struct Session {
  testing::TempDir dir;
  testing::ScriptedDialogs dialogs;
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
  QMenu* Bar(int i) const { return window->menuBar()->actions()[i]->menu(); }
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
  for (QAction* action : menu->actions())
    if (action->text() == label) return action;
  qFatal("no item %s", qPrintable(label));
}

// Per scheme: separator (invalid: etched), the icon column's first and
// last step, selected item frame and fill, check box fill and frame, bar.
struct Colours {
  QColor separator, column_left, column_last, selected_frame, selected_fill,
      check_fill, check_frame, bar;
};

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

int Count(const QImage& image, QRect area,
          const std::function<bool(QColor)>& test) {
  area &= image.rect();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      count += test(At(image, x, y)) ? 1 : 0;
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

// Where an item's shortcut and label are drawn.
QRect Keys(QRect r) { return r.adjusted(r.width() / 2, 0, -10, 0); }
QRect Label(QRect r) { return QRect(r.x() + 26, r.y(), 40, r.height()); }

// An icon column with nothing on it has the same colours in every row.
bool ColumnIsPlain(const QImage& image, const QRect& item) {
  for (int x = item.left(); x < item.left() + 22; ++x)
    if (CountColour(image, QRect(x, item.top(), 1, item.height()),
                    At(image, x, item.top())) != item.height())
      return false;
  return true;
}

class MenuStyleTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SchemesPaintTheirFixedPixels_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<Colours>("colours");
    QTest::newRow("Офис 2003")
        << 3 << Colours{{81, 124, 198},  {240, 244, 253},
                        {157, 185, 244},  // 21 of 22 steps, rounded
                        {0, 0, 137},     {255, 238, 206},
                        {255, 212, 115}, {0, 0, 137},
                        {192, 215, 254}};
    QTest::newRow("Офис ХР") << 2
                             << Colours{{},
                                        {230, 225, 209},
                                        {230, 225, 209},
                                        {49, 106, 197},
                                        {193, 210, 238},
                                        {193, 210, 238},
                                        {49, 106, 197},
                                        {225, 225, 225}};
  }
  void SchemesPaintTheirFixedPixels() {
    QFETCH(int, style);
    QFETCH(Colours, colours);
    const auto [separator, column_left, column_last, selected_frame,
                selected_fill, check_fill, check_frame, bar] = colours;
    Session session(style);
    QMenu* file = session.Bar(0);
    QAction* open = Item(file, "Открыть");
    const QImage image = Render(file, open);

    // The separator starts 26 pixels into the item.
    const QRect line = file->actionGeometry(file->actions().at(4));
    const int l = line.left(), y = line.top() + 2;
    const QColor upper =
        separator.isValid() ? separator : file->palette().color(QPalette::Dark);
    const QColor lower = separator.isValid()
                             ? kPopupBackground
                             : file->palette().color(QPalette::Light);
    QCOMPARE(At(image, l + 25, y), kPopupBackground);
    QCOMPARE(At(image, l + 26, y).rgb(), upper.rgb());
    QCOMPARE(At(image, line.right() - 1, y).rgb(), upper.rgb());
    QCOMPARE(At(image, l + 26, y + 1).rgb(), lower.rgb());

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
    QVERIFY(CountColour(image, Keys(chosen), red) > 0);
    QCOMPARE(CountColour(image, Keys(chosen), purple), 0);
    QVERIFY(CountColour(image, Keys(create), purple) > 0);
    QVERIFY(CountColour(image, Label(create), Qt::black) > 0);

    // Undo is disabled: gray label with a white shadow, picture in colour.
    QMenu* edit = session.Bar(1);
    const QImage edit_image = Render(edit);
    const QRect undo_item = edit->actionGeometry(Item(edit, "Отменить"));
    QVERIFY(CountColour(edit_image, Label(undo_item), Qt::white) > 0);
    QCOMPARE(CountColour(edit_image, Label(undo_item), Qt::black), 0);
    QVERIFY(!ColumnIsPlain(edit_image, undo_item));

    // The checked style item: a filled, framed box with a tick.
    QMenu* styles = Item(edit, "Стиль меню")->menu();
    const QImage ticks = Render(styles);
    const QRect on = styles->actionGeometry(styles->actions().at(style - 1));
    const QRect off = styles->actionGeometry(styles->actions().at(0));
    QCOMPARE(At(ticks, on.left() + 1, on.top() + 1), check_frame);
    QCOMPARE(At(ticks, on.left() + 3, on.top() + 2), check_fill);
    QVERIFY(CountColour(ticks, QRect(on.x(), on.y(), 20, on.height()),
                        Qt::black) > 0);
    QCOMPARE(At(ticks, off.left() + 3, off.top() + 2),
             At(ticks, off.left() + 3, off.bottom() - 1));

    const QImage bar_image = session.window->menuBar()->grab().toImage();
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
    QRect band = dropdown->actionGeometry(dropdown->actions().first());
    band = band.united(dropdown->actionGeometry(dropdown->actions().last()));
    band.setWidth(22);
    QVERIFY(CaptionPixels(image, band) > 40);
    QCOMPARE(CaptionPixels(image, band.adjusted(22, 0, 200, 0)), 0);

    // None in the "Файл" menu's copy, nor by the editor menu's separators.
    const QImage plain = Render(session.window->recent_menu());
    QCOMPARE(CaptionPixels(plain, plain.rect()), 0);
    QMenu* editor_menu = session.window->editor_menu();
    const QImage editor_image = Render(editor_menu);
    for (QAction* action : editor_menu->actions()) {
      const QRect item = editor_menu->actionGeometry(action);
      if (!action->isSeparator()) continue;
      QCOMPARE(CaptionPixels(editor_image, item), 0);
      if (style != 1) QVERIFY(ColumnIsPlain(editor_image, item));
    }
  }

  void StyleCommandsSwitchAtOnceAndAreSaved() {
    Session session(3);
    MainWindow* window = session.window.get();
    MenuStyleLayer* layer = window->menu_layer();
    QAction* create = window->menu_action(kCommandNew);

    window->menu_action(52)->trigger();
    window->menu_action(51)->trigger();
    for (int id = 51; id <= 53; ++id)
      QCOMPARE(window->menu_action(id)->isChecked(), id == 51);
    for (QWidget* menu :
         QWidgetList{window->menuBar(), session.Bar(0), window->editor_menu()})
      QVERIFY(menu->style() != layer);
    QVERIFY(!create->isIconVisibleInMenu());
    QVERIFY(!window->editor_menu_action(kCommandCut)->isIconVisibleInMenu());
    // The drop-down keeps "Офис ХР", the scheme chosen last.
    QMenu* dropdown = window->recent_dropdown();
    const QImage image = Render(dropdown);
    const QRect last = dropdown->actionGeometry(dropdown->actions().last());
    QCOMPARE(At(image, last.left(), last.top()), QColor(230, 225, 209));

    window->menu_action(53)->trigger();
    QMenu* styles = Item(session.Bar(1), "Стиль меню")->menu();
    for (QWidget* menu :
         QWidgetList{window->menuBar(), window->editor_menu(), styles})
      QCOMPARE(menu->style(), layer);
    QVERIFY(create->isIconVisibleInMenu());

    window->menu_action(52)->trigger();
    QVERIFY(window->close());
    QCOMPARE(LoadSettings(session.dir / "Preferences.ini").StyleMenu, 2);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::MenuStyleTest)
#include "menu_style_qtest.moc"

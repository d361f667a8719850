#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

#include "core/engine/lcd_glyphs.h"
#include "gui/display_preview_pane.h"
#include "gui/display_view.h"
#include "gui/editor.h"
#include "gui/qt_text.h"

namespace trulvex {
namespace {

// Types any text, Cyrillic included, as key presses carrying it.
void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

// A source editor with the pane under it, as the main window holds them.
struct Bench {
  QWidget window;
  Editor* source;
  DisplayPreviewPane* pane;
  ProfileRecord profile;
  PreviewSettings settings;

  explicit Bench(PreviewSettings stored = {}) : settings(stored) {
    auto* layout = new QVBoxLayout(&window);
    source = new Editor(Editor::Role::kSource, &window);
    pane = new DisplayPreviewPane(source, &profile, &settings, &window);
    layout->addWidget(source);
    layout->addWidget(pane);
    window.resize(700, 500);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qFatal("no window");
    source->setFocus();
  }
  DisplayView* view() const { return pane->view(); }
  // The codes of a display row.
  QByteArray Row(int row) const {
    QByteArray codes;
    const DisplayPage& page = view()->page();
    for (int column = 0; column < page.size.columns; ++column) {
      codes += static_cast<char>(page.at(row, column).code);
    }
    return codes.trimmed();
  }
  QPoint CellCentre(int row, int column) const {
    const DisplayGeometry geometry(view()->page().size, view()->scale());
    return view()->PictureRect().topLeft() +
           QPoint(geometry.CellLeft(column) + geometry.cell_width() / 2,
                  geometry.CellTop(row) + geometry.cell_height() / 2);
  }
};

class PreviewPaneTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void TypingAndMovingShowTheCursorLinesPage() {
    Bench bench;
    Type(bench.source, QStringLiteral("Hi"));
    QTRY_COMPARE(bench.Row(0), QByteArray("Hi"));
    QTRY_COMPARE(bench.pane->page_label()->text(),
                 QStringLiteral("Страница 1 из 1"));
    QTest::keyClick(bench.source, Qt::Key_Return);
    Type(bench.source, QStringLiteral("Привет"));
    QTRY_COMPARE(bench.Row(1), QByteArray("\xA8p\xB8\xB3"
                                          "e\xBF"));
    QTest::keyClick(bench.source, Qt::Key_Return);
    Type(bench.source, QStringLiteral("3"));
    // The third line opens the second page of a 16x2 display.
    QTRY_COMPARE(bench.Row(0), QByteArray("3"));
    QTRY_COMPARE(bench.pane->page_label()->text(),
                 QStringLiteral("Страница 2 из 2"));
    QTest::keyClick(bench.source, Qt::Key_Up);
    QTRY_COMPARE(bench.Row(0), QByteArray("Hi"));
    QTRY_COMPARE(bench.pane->page_label()->text(),
                 QStringLiteral("Страница 1 из 2"));
  }

  void MarkedCellsSayWhy() {
    Bench bench;
    Type(bench.source, QStringLiteral("a{b 1234567890123456"));
    QTRY_COMPARE(bench.view()->page().at(0, 1).marks, kCellUnshowable);
    QCOMPARE(
        bench.view()->ToolTipAt(bench.CellCentre(0, 1)),
        QStringLiteral("Строка 1, столбец 2: \"{\" — нет в знакогенераторе "
                       "индикатора, не выводится"));
    QCOMPARE(bench.view()->ToolTipAt(bench.CellCentre(0, 15)),
             QStringLiteral("Строка 1, столбец 17: \"4\" и дальше — строка "
                            "длиннее 16 знаков, обрезано знаков: 3"));
    QVERIFY(bench.view()->ToolTipAt(bench.CellCentre(0, 0)).isEmpty());
  }

  void TheProfilesCleaningApplies() {
    Bench bench;
    bench.profile.DeleteSpace = 1;
    bench.profile.CountSpace = 1;
    Type(bench.source, QStringLiteral("A    B"));
    QTRY_COMPARE(bench.Row(0), QByteArray("A B"));
  }

  void SizeAndThemeAreKept() {
    PreviewSettings stored;
    stored.size = {20, 4};
    stored.theme = DisplayTheme::kWhite;
    Bench bench(stored);
    QCOMPARE(bench.pane->size_selector()->currentText(),
             QStringLiteral("20x4"));
    QCOMPARE(bench.pane->theme_selector()->currentText(),
             QStringLiteral("Белый"));
    QCOMPARE(bench.view()->page().size, (DisplaySize{20, 4}));
    bench.pane->size_selector()->setCurrentText(QStringLiteral("8x1"));
    bench.pane->theme_selector()->setCurrentText(QStringLiteral("Синий"));
    QCOMPARE(bench.settings.size, (DisplaySize{8, 1}));
    QCOMPARE(bench.settings.theme, DisplayTheme::kBlue);
    QCOMPARE(bench.view()->page().size, (DisplaySize{8, 1}));
    const QImage shot = bench.view()->grab().toImage();
    const QPoint corner = bench.view()->PictureRect().topLeft();
    QCOMPARE(shot.pixelColor(corner).rgb() & 0xFFFFFF, 0x1842D6u);
  }
};

}  // namespace
}  // namespace trulvex

QTEST_MAIN(trulvex::PreviewPaneTest)
#include "preview_pane_qtest.moc"

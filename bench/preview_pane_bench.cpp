// The display preview pane in the real main window, offscreen, on a 1 MB
// text: what one keystroke costs with the pane shown and without it, and
// the pane's own redraw (laying out the cursor's page and painting it),
// also for the worst case of a 1 MB text on one line.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "bench_window.h"
#include "core/base/cp1251.h"
#include "gui/command_ids.h"
#include "gui/display_preview_pane.h"
#include "gui/display_view.h"
#include "gui/editor.h"
#include "gui/main_window.h"
#include "sample_text.h"

namespace trulvex {
namespace {

constexpr std::size_t kTextBytes = std::size_t{1} << 20;
constexpr int kKeystrokes = 200;
constexpr int kRounds = 5;
// A frame at 60 Hz: more than this per keystroke is a lag one can see.
constexpr double kFrameMs = 1000.0 / 60.0;

// Best of kRounds of `count` repetitions of `work`, in milliseconds per
// repetition.
double BestMs(int count, const std::function<void()>& work) {
  double best = std::numeric_limits<double>::max();
  for (int round = 0; round < kRounds; ++round) {
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) work();
    best =
        std::min(best, static_cast<double>(clock.nsecsElapsed()) / 1e6 / count);
  }
  return best;
}

void PutCursorMidway(Editor* editor) {
  const long middle =
      editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH) / 2;
  editor->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, middle);
  QCoreApplication::processEvents();
}

// One typed character, handled and painted as the event loop would.
void Keystroke(Editor* editor) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier,
                  QStringLiteral("x"));
  QApplication::sendEvent(editor, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier,
                    QStringLiteral("x"));
  QApplication::sendEvent(editor, &release);
  QCoreApplication::processEvents();
}

int Main() {
  const std::unique_ptr<bench::BenchWindow> session =
      bench::BenchWindow::Open();
  if (!session) return 1;
  MainWindow& window = session->window();
  window.resize(900, 700);
  window.show();
  Editor* source = window.source_editor();
  DisplayPreviewPane* pane = window.preview_pane();
  source->setFocus();

  const std::string text = bench::SampleText(kTextBytes);
  source->SetUtf8Text(Cp1251ToUtf8(text));
  PutCursorMidway(source);
  const long lines = source->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);

  const double typing_without = BestMs(kKeystrokes, [&] { Keystroke(source); });
  window.RunCommand(kCommandPreview);
  PutCursorMidway(source);
  const double typing_with = BestMs(kKeystrokes, [&] { Keystroke(source); });
  const std::size_t page = pane->view()->page().number;
  const auto redraw = [&] {
    pane->Refresh();
    pane->view()->repaint();
  };
  const double pane_redraw = BestMs(kKeystrokes, redraw);

  // The worst case: one line of 1 MB, cut at the display's edge.
  std::string one_line = text;
  std::replace(one_line.begin(), one_line.end(), '\r', ' ');
  std::replace(one_line.begin(), one_line.end(), '\n', ' ');
  source->SetUtf8Text(Cp1251ToUtf8(one_line));
  PutCursorMidway(source);
  const double long_line_redraw = BestMs(20, redraw);
  const bool cut = !pane->view()->page().marks.empty();

  const double added = typing_with - typing_without;
  std::printf(
      "\nPreview pane, %.1f MB text of %ld lines, cursor on page %zu of the "
      "16x2 display, offscreen, best of %d rounds\n",
      kTextBytes / 1048576.0, lines, page + 1, kRounds);
  std::printf("  keystroke, pane hidden          %7.3f ms\n", typing_without);
  std::printf("  keystroke, pane shown           %7.3f ms\n", typing_with);
  std::printf("  the pane's redraw alone         %7.3f ms\n", pane_redraw);
  std::printf("  redraw, 1 MB on one line        %7.3f ms  (cut marked: %s)\n",
              long_line_redraw, cut ? "yes" : "NO");
  std::printf(
      "pane's cost per keystroke:        %+.3f ms (within a frame, "
      "%.1f ms)  %s\n",
      added, kFrameMs,
      pane_redraw <= kFrameMs && added <= kFrameMs ? "met" : "NOT MET");
  return cut ? 0 : 1;
}

}  // namespace
}  // namespace trulvex

int main(int argc, char** argv) {
  return trulvex::bench::RunOffscreen(argc, argv, trulvex::Main);
}

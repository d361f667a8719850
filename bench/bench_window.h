#ifndef TRULVEX_BENCH_BENCH_WINDOW_H_
#define TRULVEX_BENCH_BENCH_WINDOW_H_

// What the window benchmarks share: the real main window over a fresh
// profile database, a dialog seam that never blocks, and an offscreen
// application.

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/profiles/profile_database.h"
#include "gui/main_window.h"
#include "gui/user_dialogs.h"

namespace trulvex::bench {

// Never blocks: the benchmark has nobody to answer.
class SilentDialogs : public UserDialogs {
 public:
  void Show(QWidget*, const UserMessage& message) override {
    std::fprintf(stderr, "message: %s\n", message.text.c_str());
  }
  Button Ask(QWidget*, const UserMessage&, const std::vector<Button>&,
             Button) override {
    return Button::kNo;
  }
  QString OpenFileName(QWidget*, const QString&, const QString&,
                       const QString&) override {
    return {};
  }
  QString SaveFileName(QWidget*, const QString&, const QString&, const QString&,
                       QString*) override {
    return {};
  }
};

// The main window, started and shown, its files in a temporary directory.
class BenchWindow {
 public:
  // Null, with the reason on standard error, when it could not start.
  static std::unique_ptr<BenchWindow> Open() {
    auto bench = std::unique_ptr<BenchWindow>(new BenchWindow);
    const std::filesystem::path data = bench->dir_.path().toStdString();
    if (!bench->dir_.isValid() ||
        !CreateProfileDatabase(data / "Profile.prof")) {
      std::fprintf(stderr, "cannot create the profile database\n");
      return nullptr;
    }
    bench->window_ = std::make_unique<MainWindow>(
        AppPaths{data / "Preferences.ini", data / "Profile.prof"},
        &bench->dialogs_);
    if (!bench->window_->Start({})) return nullptr;
    bench->window_->show();
    QCoreApplication::processEvents();
    return bench;
  }

  MainWindow& window() { return *window_; }

 private:
  BenchWindow() = default;

  QTemporaryDir dir_;
  SilentDialogs dialogs_;
  std::unique_ptr<MainWindow> window_;
};

// Runs `run` in an application on the offscreen platform, unless another
// one is asked for.
inline int RunOffscreen(int argc, char** argv, int (*run)()) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  return run();
}

}  // namespace trulvex::bench

#endif  // TRULVEX_BENCH_BENCH_WINDOW_H_

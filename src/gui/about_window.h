#ifndef TRULVEX_GUI_ABOUT_WINDOW_H_
#define TRULVEX_GUI_ABOUT_WINDOW_H_

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "core/base/version.h"

class QLabel;
class QPropertyAnimation;
class QPushButton;

namespace trulvex {

// Who made the program, as the build was configured.
struct AuthorInfo {
  QString name;
  QString email;
  QString website;
};
AuthorInfo ConfiguredAuthor();

// The texts the About window shows.
inline const QString kAboutDescription =
    QString::fromUtf8(kProgramTitle) +
    QStringLiteral(
        "   — преобразует текст в коды "
        "ЖК-индикаторов на контроллере HD44780 или совместимом.");
inline const QString kAboutToolsTip =
    QStringLiteral("Программа написана на C++20 с библиотекой Qt 6.");

// Opens the About window over `owner`, or brings back the one that is open.
void OpenAboutWindow(QWidget* owner);

// The small fixed-size window with the banner, the program's title, the
// author and the e-mail link. It fades in when shown, fades out before it
// closes, and is destroyed when closed. The main window stays usable.
class AboutWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFadeInMs = 800;
  static constexpr int kFadeOutMs = 1000;

  AboutWindow(QWidget* owner, AuthorInfo author);

  // Shows the window with the fade-in; on a window already fading out,
  // the fade is turned back so that it stays.
  void Present();

  // Closes without the fade-out: the program is ending, and a window that
  // refused to close would keep it from ending.
  void CloseAtOnce();

  // Where links go; the system's handler unless replaced.
  void set_link_opener(std::function<void(const QUrl&)> opener) {
    open_link_ = std::move(opener);
  }

  QPushButton* ok_button() const { return ok_; }
  QLabel* banner() const { return banner_; }
  QLabel* email_link() const { return email_; }
  QPropertyAnimation* fade() const { return fade_; }
  bool fading_out() const { return fading_out_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void SetLinkColour(bool hover);
  void FadeOut();

  AuthorInfo author_;
  std::function<void(const QUrl&)> open_link_;
  QPushButton* ok_ = nullptr;
  QLabel* banner_ = nullptr;
  QLabel* email_ = nullptr;
  QPropertyAnimation* fade_ = nullptr;
  bool fading_out_ = false;
  bool faded_ = false;  // the fade-out is over: the close may go through
};

}  // namespace trulvex

#endif  // TRULVEX_GUI_ABOUT_WINDOW_H_

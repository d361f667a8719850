#ifndef TRULVEX_GUI_RUSSIAN_LOCALE_H_
#define TRULVEX_GUI_RUSSIAN_LOCALE_H_

class QCoreApplication;

namespace trulvex {

// The program speaks Russian whatever the user's locale: Qt's standard
// dialogs too, with Russian words, sizes, dates and numbers.

// Qt's file dialogs write sizes and dates in the system locale, which Qt
// reads from the environment once, on first use. Makes that reading
// Russian and puts the environment back, so that the C library and the
// programs started from here keep the user's locale. Call it before the
// QApplication is made.
void UseRussianSystemLocale();

// The Russian default locale, Qt's own translation where the system has
// it, and the few texts of the file dialogs that translation lacks; the
// translators belong to `app`.
void InstallRussianTranslations(QCoreApplication* app);

}  // namespace trulvex

#endif  // TRULVEX_GUI_RUSSIAN_LOCALE_H_

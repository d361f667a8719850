#include "gui/bin_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <algorithm>
#include <filesystem>
#include <new>

#include "core/base/cp1251.h"
#include "core/shell/settings.h"
#include "gui/centre_over.h"
#include "gui/qt_text.h"
#include "gui/text_fit.h"
#include "gui/user_dialogs.h"
#include "gui/window_host.h"

namespace trulvex {
namespace {

using Button = UserDialogs::Button;

// Draws the title on the frame line, as the layout's positions assume; the
// platform style puts it above the line, into the controls' room.
QGroupBox* Frame(QWidget* parent, const QString& title) {
  auto* frame = new QGroupBox(title, parent);
  frame->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
      " margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 8px;"
      " padding: 0 2px; }"));
  return frame;
}

QComboBox* Chooser(QWidget* parent, const QString& name, const QString& first,
                   const QString& second) {
  auto* chooser = new QComboBox(parent);
  chooser->setObjectName(name);
  chooser->addItems({first, second});
  return chooser;
}

}  // namespace

QString WithBinExtension(const QString& name) {
  return QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".bin")
                                            : name;
}

BinWindow::BinWindow(WindowHost* host)
    : QWidget(host->host_window(),
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                  Qt::WindowCloseButtonHint),
      host_(host) {
  setObjectName(QStringLiteral("binWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Преобразование текста в BIN формат"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  BuildControls();
  Fill();
  ApplyEnablingRules();
  Connect();
  // The path field only shows what the browse button chose.
  browse_->setFocus();

  // Over the window the user was in.
  QWidget* over = QApplication::activeWindow();
  if (over == nullptr || over == this) over = host_->host_window();
  CentreOver(this, over);
}

void BinWindow::BuildControls() {
  // Frames first, so that the controls lie above them.
  QGroupBox* file_frame = Frame(this, QStringLiteral("Файл"));
  QGroupBox* options_frame =
      Frame(this, QStringLiteral("Опции преобразования"));

  auto* path_label = new QLabel(QStringLiteral("Путь к файлу:"), this);
  path_label->setGeometry(20, 30, FitWidth(path_label, 105), 15);
  QPalette label_palette = path_label->palette();
  label_palette.setColor(QPalette::WindowText, QColor(90, 10, 158));
  path_label->setPalette(label_palette);

  path_ = new QLineEdit(this);
  path_->setObjectName(QStringLiteral("pathField"));
  path_->setReadOnly(true);
  QPalette path_palette = path_->palette();
  path_palette.setColor(QPalette::Base, QColor(245, 245, 245));
  path_->setPalette(path_palette);
  path_->setGeometry(20, 45, 300, 20);

  browse_ = new QPushButton(QStringLiteral("..."), this);
  browse_->setObjectName(QStringLiteral("browseButton"));
  browse_->setToolTip(QStringLiteral("Обзор"));
  browse_->setGeometry(330, 45, 35, 20);

  auto* save_to_label = new QLabel(QStringLiteral("Сохранить в:"), this);
  auto* add_label = new QLabel(QStringLiteral("Добавить:"), this);
  auto* how_label = new QLabel(QStringLiteral("Как добавить данные:"), this);
  save_to_ =
      Chooser(this, QStringLiteral("saveToChooser"),
              QStringLiteral("новом файле"), QStringLiteral("существующем"));
  add_ =
      Chooser(this, QStringLiteral("addChooser"),
              QStringLiteral("в конец файла"), QStringLiteral("произвольно"));
  how_ = Chooser(this, QStringLiteral("howChooser"), QStringLiteral("вставить"),
                 QStringLiteral("заменить"));
  // A widened chooser pushes the ones to its right along; each label
  // stands over its chooser.
  const int chooser_height = save_to_->sizeHint().height();
  ControlLine choosers;
  choosers.Place(save_to_, 20, 90, 110, chooser_height);
  choosers.Place(add_, 136, 90, 108, chooser_height);
  choosers.Place(how_, 250, 90, 110, chooser_height);
  save_to_label->setGeometry(20, 75, FitWidth(save_to_label, 65), 15);
  add_label->setGeometry(add_->x() + 9, 75, FitWidth(add_label, 65), 15);
  how_label->setGeometry(how_->x(), 75, FitWidth(how_label, 120), 15);

  start_address_ = new QLineEdit(this);
  start_address_->setObjectName(QStringLiteral("startAddressField"));
  start_address_->setMaxLength(8);
  start_address_->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,8}")), start_address_));
  start_address_->setGeometry(20, 125, 60, 20);
  start_address_label_ = new QLabel(QStringLiteral("Начальный адрес"), this);
  start_address_label_->setGeometry(85, 130,
                                    FitWidth(start_address_label_, 105), 15);

  delete_undisplayable_ =
      new QCheckBox(QStringLiteral("Удалять неотображаемые символы"), this);
  delete_undisplayable_->setObjectName(
      QStringLiteral("deleteUndisplayableBox"));
  delete_undisplayable_->setToolTip(QStringLiteral(
      "Удалить символы, которые индикатор не способен отобразить"));
  delete_undisplayable_->setGeometry(35, 185,
                                     FitWidth(delete_undisplayable_, 210), 15);
  delete_spaces_ =
      new QCheckBox(QStringLiteral("Удалять «ненужные» пробелы"), this);
  delete_spaces_->setObjectName(QStringLiteral("deleteSpacesBox"));
  delete_spaces_->setToolTip(
      QStringLiteral("Удаление последовательно расположенных пробелов"));
  delete_spaces_->setGeometry(35, 205, FitWidth(delete_spaces_, 180), 15);

  space_count_ = new QSpinBox(this);
  space_count_->setObjectName(QStringLiteral("spaceCount"));
  space_count_->setRange(1, 100);
  space_count_->setToolTip(QStringLiteral(
      "Максимальное число последовательно расположенных пробелов, после "
      "которого начнётся удаление"));
  space_count_label_ = new QLabel(
      QStringLiteral("Число последовательно расположенных пробелов"), this);
  ControlLine space_count_line;
  space_count_line.Place(space_count_, 35, 230, 35, 20);
  space_count_line.Place(space_count_label_, 80, 235, 260, 15);

  convert_ = new QPushButton(QStringLiteral("Преобразовать"), this);
  convert_->setObjectName(QStringLiteral("convertButton"));
  convert_->setDefault(true);
  convert_->setGeometry(25, 270, 100, 25);
  cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  cancel_->setGeometry(265, 270, 80, 25);

  // The frames, and the window around them, grow with what they hold.
  const int file_right = std::max({375, how_->geometry().right() + 16,
                                   how_label->geometry().right() + 6,
                                   browse_->geometry().right() + 11});
  file_frame->setGeometry(10, 10, file_right - 10, 145);
  const int options_right =
      std::max({345, space_count_label_->geometry().right() + 6,
                delete_undisplayable_->geometry().right() + 6});
  options_frame->setGeometry(25, 170, options_right - 25, 90);
  setFixedSize(std::max({384, file_right + 9, options_right + 9}), 308);
}

void BinWindow::Fill() {
  const BinOptions options = BinOptionsForWindow(host_->bin_settings());
  delete_undisplayable_->setChecked(options.DelErrSunmol == 1);
  delete_spaces_->setChecked(options.DelSpace == 1);
  space_count_->setValue(options.CountSpace);
  save_to_->setCurrentIndex(options.SaveFile);
  add_->setCurrentIndex(options.AddFile);
  how_->setCurrentIndex(options.AsAddFile);
  start_address_->setText(QString::fromStdString(options.start_address));
}

void BinWindow::Connect() {
  connect(browse_, &QPushButton::clicked, this, &BinWindow::Browse);
  connect(convert_, &QPushButton::clicked, this, &BinWindow::Convert);
  connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
  connect(delete_undisplayable_, &QCheckBox::toggled, this, &BinWindow::Store);
  connect(delete_spaces_, &QCheckBox::toggled, this, [this] {
    Store();
    ApplyEnablingRules();
  });
  connect(space_count_, &QSpinBox::valueChanged, this, &BinWindow::Store);
  for (QComboBox* chooser : {save_to_, add_, how_}) {
    connect(chooser, &QComboBox::currentIndexChanged, this, [this] {
      Store();
      ApplyEnablingRules();
    });
  }
  connect(start_address_, &QLineEdit::textChanged, this, &BinWindow::Store);
}

void BinWindow::ApplyEnablingRules() {
  const bool existing = save_to_->currentIndex() == 1;
  const bool at_address = existing && add_->currentIndex() == 1;
  add_->setEnabled(existing);
  how_->setEnabled(at_address);
  start_address_->setEnabled(at_address);
  start_address_label_->setEnabled(at_address);
  const bool cut_spaces = delete_spaces_->isChecked();
  space_count_->setEnabled(cut_spaces);
  space_count_label_->setEnabled(cut_spaces);
}

BinOptions BinWindow::Current() const {
  BinOptions options;
  options.DelErrSunmol = delete_undisplayable_->isChecked() ? 1 : 0;
  options.DelSpace = delete_spaces_->isChecked() ? 1 : 0;
  options.CountSpace = space_count_->value();
  options.SaveFile = save_to_->currentIndex();
  options.AddFile = add_->currentIndex();
  options.AsAddFile = how_->currentIndex();
  options.start_address = start_address_->text().toStdString();
  return options;
}

void BinWindow::Store() {
  BinSettings bin = host_->bin_settings();
  StoreBinOptions(Current(), &bin);
  host_->StoreBinSettings(bin);
}

void BinWindow::Browse() {
  const QString name = host_->dialogs()->SaveFileName(
      this, QString(), QString(),
      QStringLiteral("Двоичные файлы (*.bin);;Все файлы (*)"), nullptr);
  if (!name.isEmpty()) path_->setText(WithBinExtension(name));
}

void BinWindow::Convert() {
  UserDialogs* dialogs = host_->dialogs();
  const QString path = path_->text();
  const auto append_at_end = [this, dialogs](const UserMessage& question) {
    return dialogs->Ask(this, question, {Button::kYes, Button::kNo},
                        Button::kYes) == Button::kYes;
  };
  BinOutcome outcome;
  try {
    // A FIFO without a reader is refused at once: the window never waits.
    outcome =
        StartBinConversion(ToFilePath(path), host_->SourceText(), Current(),
                           append_at_end, nullptr, {.wait_for_reader = false});
  } catch (const std::bad_alloc&) {
    outcome = BinOutcome::kOutOfMemory;
  }
  dialogs->Show(this, BinOutcomeMessage(outcome, ToUtf8(path)));
}

void BinWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      convert_->click();
      return;
    case Qt::Key_Escape:
      cancel_->click();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace trulvex

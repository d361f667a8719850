#include "gui/profile_manager_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <functional>
#include <initializer_list>

#include "core/profiles/profile_database.h"
#include "core/profiles/profile_manager_rules.h"
#include "gui/import_window.h"
#include "gui/memory_guard.h"
#include "gui/owner_modal.h"
#include "gui/qt_text.h"
#include "gui/text_fit.h"
#include "gui/user_dialogs.h"
#include "gui/window_host.h"

namespace trulvex {
namespace {

constexpr int kClientWidth = 281;
constexpr int kClientHeight = 552;
constexpr int kHexadecimal = 2;
constexpr int kClearedCountSpace = 2;
// The room between the frame and the controls at its right edge.
constexpr int kFrameMargin = 4;
// The room between the frame and the window's right edge.
constexpr int kWindowMargin = 11;
// The room left after a widened control, when it pushes the next along.
constexpr int kMovedControlGap = 3;

const QColor kTakenNameColour(207, 2, 2);
const QColor kStartingNameColour(38, 4, 190);
const QColor kPreviewCaptionColour(78, 4, 150);

void SetTextColour(QWidget* widget, QPalette::ColorRole role,
                   const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

}  // namespace

ProfileManagerWindow::ProfileManagerWindow(WindowHost* host)
    : QDialog(host->host_window(), Qt::Dialog | Qt::CustomizeWindowHint |
                                       Qt::WindowTitleHint |
                                       Qt::WindowCloseButtonHint),
      host_(host) {
  setObjectName(QStringLiteral("profileManager"));
  setWindowTitle(QStringLiteral("Управление профилями"));
  QFont font(QStringLiteral("MS Sans Serif"), 8);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  BuildList();
  BuildForm();
  ConnectLiveReactions();
  // A dialog makes its buttons take Enter, and then the first enabled one
  // ("Загрузить") would import: Enter is the window's own.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
  }
  setFixedSize(
      std::max(kClientWidth, frame_->geometry().right() + 1 + kWindowMargin),
      kClientHeight);

  // Opening state: indents 2, hexadecimal, everything else empty.
  filling_ = true;
  ost1_->setValue(2);
  ost2_->setValue(2);
  si_->setCurrentIndex(kHexadecimal);
  count_space_->setValue(kClearedCountSpace);
  filling_ = false;
  SetFormEnabled(false);

  // The selector's entries, with its selection; the focus mark follows the
  // selection so that Edit acts on the entry the user sees highlighted.
  const std::vector<std::string> selector = host_->SelectorProfiles();
  const int selected = host_->SelectedProfile();
  int row = -1;
  for (int i = 0; i < static_cast<int>(selector.size()); ++i) {
    const std::string& name = selector[static_cast<std::size_t>(i)];
    if (name.empty()) continue;
    if (i == selected) row = list_->count();
    list_->addItem(FromCp1251(name));
  }
  if (row >= 0) list_->setCurrentRow(row);
}

void ProfileManagerWindow::BuildList() {
  auto* caption = new QLabel(QStringLiteral("Профили"), this);
  ControlLine(kMovedControlGap).Place(caption, 10, 2, 55, 15);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("profileList"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setGeometry(10, 17, 175, 118);
  connect(list_, &QListWidget::itemDoubleClicked, this,
          Guarded(&ProfileManagerWindow::Edit));

  const auto button = [this](const char* name, const QString& text,
                             const QString& tip, int y) {
    auto* push = new QPushButton(text, this);
    push->setObjectName(QLatin1String(name));
    push->setToolTip(tip);
    push->setGeometry(200, y, 70, 25);
    return push;
  };
  import_ = button("importButton", QStringLiteral("Загрузить"),
                   QStringLiteral("Загрузить профили из файла"), 5);
  export_ = button("exportButton", QStringLiteral("Сохранить"),
                   QStringLiteral("Сохранить выделенные профили в файле"), 30);
  new_ = button("newButton", QStringLiteral("Новый"),
                QStringLiteral("Создать новый профиль"), 60);
  edit_ = button("editButton", QStringLiteral("Изменить"),
                 QStringLiteral("Изменить данные в выбранном профиле"), 85);
  delete_ = button("deleteButton", QStringLiteral("Удалить"),
                   QStringLiteral("Удалить выделенные профили"), 110);
  connect(import_, &QPushButton::clicked, this,
          Guarded(&ProfileManagerWindow::Import));
  connect(export_, &QPushButton::clicked, this,
          Guarded(&ProfileManagerWindow::Export));
  connect(new_, &QPushButton::clicked, this,
          Guarded(&ProfileManagerWindow::New));
  connect(edit_, &QPushButton::clicked, this,
          Guarded(&ProfileManagerWindow::Edit));
  connect(delete_, &QPushButton::clicked, this,
          Guarded(&ProfileManagerWindow::Delete));
}

void ProfileManagerWindow::BuildForm() {
  frame_ = new QFrame(this);
  frame_->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame_->setGeometry(10, 144, 260, 400);

  ControlLine line(kMovedControlGap);
  const auto caption = [this, &line](const QString& text, int x, int y,
                                     int width) {
    auto* label = new QLabel(text, this);
    line.Place(label, x, y, width, 15);
    form_.push_back(label);
    return label;
  };
  const auto text_box = [this, &line](const char* name, int x, int y,
                                      int width) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    line.Place(box, x, y, width, 20);
    form_.push_back(box);
    return box;
  };
  const auto number_box = [this, &line](const char* name, int minimum,
                                        int maximum, int x, int y, int width) {
    auto* box = new QSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    line.Place(box, x, y, width, 20);
    form_.push_back(box);
    return box;
  };
  const auto check_box = [this, &line](const char* name, const QString& text,
                                       int x, int y, int width) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QLatin1String(name));
    line.Place(box, x, y, width, 15);
    form_.push_back(box);
    return box;
  };

  caption(QStringLiteral("Имя профиля:"), 20, 154, 80);
  name_ = text_box("Name", 100, 150, 158);
  line.Next();
  delete_symbols_ =
      check_box("DeleteSumbolError",
                QStringLiteral("Удалять неотображаемые символы"), 20, 172, 210);
  delete_symbols_->setToolTip(QStringLiteral(
      "Удалить символы, которые индикатор не способен отобразить"));
  line.Next();
  delete_space_ =
      check_box("DeleteSpace", QStringLiteral("Удалять «ненужные» пробелы"), 20,
                188, 190);
  delete_space_->setToolTip(
      QStringLiteral("Удаление последовательно расположенных пробелов"));
  count_space_ = number_box("CountSpace", 1, 100, 210, 188, 34);
  count_space_->setToolTip(QStringLiteral(
      "Максимальное число последовательно расположенных пробелов, после "
      "которого начнётся удаление"));
  line.Next();
  caption(QStringLiteral("Отступ 1:"), 20, 215, 55);
  ost1_ = number_box("Ost1", 0, 30, 75, 210, 34);
  ost1_->setToolTip(
      QStringLiteral("Длина отступа от начала строки, до директивы"));
  caption(QStringLiteral("Отступ 2:"), 150, 215, 55);
  ost2_ = number_box("Ost2", 0, 30, 210, 210, 34);
  ost2_->setToolTip(
      QStringLiteral("Длина отступа от директивы, до блока данных"));
  line.Next();
  caption(QStringLiteral("Директива:"), 20, 240, 70);
  directive_ = text_box("Directive", 174, 235, 70);
  line.Next();
  caption(QStringLiteral("Начало блока данных:"), 20, 260, 150);
  start_block_ = text_box("StartDataBlok", 174, 255, 70);
  line.Next();
  caption(QStringLiteral("Конец блока данных:"), 20, 280, 150);
  end_block_ = text_box("EndDataBlok", 174, 275, 70);
  line.Next();
  caption(QStringLiteral("Начало данных:"), 20, 300, 130);
  start_data_ = text_box("StartData", 174, 295, 70);
  line.Next();
  caption(QStringLiteral("Система исчисления:"), 20, 320, 132);
  si_ = new QComboBox(this);
  si_->setObjectName(QStringLiteral("SI"));
  si_->addItems({QStringLiteral("двоичная"), QStringLiteral("десятичная"),
                 QStringLiteral("шестнадцатиричная")});
  line.Place(si_, 136, 315, 128, 20);
  form_.push_back(si_);
  line.Next();
  caption(QStringLiteral("Окончание  данных:"), 20, 340, 110);
  end_data_ = text_box("EndData", 174, 336, 70);
  line.Next();
  caption(QStringLiteral("Разделитель данных:"), 20, 360, 130);
  separator_ = text_box("RazdelitelData", 174, 356, 70);
  line.Next();
  caption(QStringLiteral("Начало комментария:"), 20, 380, 120);
  comment_ = text_box("Comment", 174, 376, 70);
  line.Next();
  comment_state_ = check_box(
      "CommentState", QStringLiteral("Конвертируемый  текст в комментарий"), 20,
      396, 230);
  line.Next();
  caption(QStringLiteral("Число байт в строке:"), 20, 414, 110);
  count_byte_ = number_box("CountByte", 0, 1024, 132, 412, 40);
  wrap_ =
      check_box("PerenosPoSlovam", QStringLiteral("Перенос..."), 180, 414, 80);
  wrap_->setToolTip(QStringLiteral("Перенос по словам"));
  line.Next();
  QLabel* preview_caption =
      caption(QStringLiteral("Текущий формат:"), 16, 434, 95);
  preview_caption->setObjectName(QStringLiteral("previewCaption"));
  SetTextColour(preview_caption, QPalette::WindowText, kPreviewCaptionColour);
  count_to_comment_ =
      check_box("CountByteToComment", QStringLiteral("Сообщить число байт.."),
                132, 434, 134);
  count_to_comment_->setToolTip(
      QStringLiteral("Добавить в комментарий сведения о числе байт в строке"));
  line.Next();
  preview_ = new QPlainTextEdit(this);
  preview_->setObjectName(QStringLiteral("preview"));
  QFont mono(QStringLiteral("Lucida Console"), 8);
  mono.setStyleHint(QFont::TypeWriter);
  preview_->setFont(mono);
  preview_->setReadOnly(true);
  preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
  preview_->setGeometry(16, 450, 245, 58);
  form_.push_back(preview_);
  accept_ = new QPushButton(QStringLiteral("Ок"), this);
  accept_->setObjectName(QStringLiteral("acceptButton"));
  accept_->setGeometry(30, 514, 75, 25);
  form_.push_back(accept_);
  cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  cancel_->setGeometry(165, 514, 65, 25);
  form_.push_back(cancel_);
  connect(accept_, &QPushButton::clicked, this,
          Guarded(&ProfileManagerWindow::Accept));
  connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });

  // The frame, and the window with it, grow to hold a widened line.
  int right = 0;
  for (const QWidget* control : form_) {
    right = std::max(right, control->geometry().right() + 1);
  }
  frame_->resize(std::max(frame_->width(), right + kFrameMargin - frame_->x()),
                 frame_->height());
}

void ProfileManagerWindow::ConnectLiveReactions() {
  for (QLineEdit* box : {directive_, start_block_, end_block_, start_data_,
                         end_data_, separator_, comment_}) {
    connect(box, &QLineEdit::textChanged, this, [this, box] {
      if (!Live()) return;
      if (box == comment_) ApplyDependentEnabling();
      Preview();
    });
  }
  for (QSpinBox* box : {ost1_, ost2_, count_byte_, count_space_}) {
    connect(box, &QSpinBox::valueChanged, this, [this, box] {
      if (!Live()) return;
      if (box == count_byte_) ApplyDependentEnabling();
      Preview();
    });
  }
  connect(si_, &QComboBox::currentIndexChanged, this, [this] {
    if (Live()) Preview();
  });
  for (QCheckBox* box : {delete_symbols_, delete_space_, comment_state_, wrap_,
                         count_to_comment_}) {
    connect(box, &QCheckBox::clicked, this, [this, box] {
      if (!Live()) return;
      if (box == delete_space_) ApplyDependentEnabling();
      Preview();
    });
  }
  connect(name_, &QLineEdit::textChanged, this, [this] {
    if (Live()) ColourName();
  });
}

void ProfileManagerWindow::done(int result) {
  const int index = list_->currentRow();
  QDialog::done(result);
  host_->ProfilesChanged(index);
}

void ProfileManagerWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // What the mode's main button does: "Ок" while a profile is composed,
      // nothing while the list is only looked at.
      if (mode_ != Mode::kViewing && accept_->isEnabled()) accept_->click();
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void ProfileManagerWindow::New() {
  mode_ = Mode::kNew;
  starting_name_.clear();
  edited_row_ = -1;
  ClearForm();
  SetFormEnabled(true);
  SetListCommandsEnabled(false);
  filling_ = true;
  si_->setCurrentIndex(kHexadecimal);
  filling_ = false;
  Preview();
  name_->setFocus();
}

std::function<void()> ProfileManagerWindow::Guarded(
    void (ProfileManagerWindow::*command)()) {
  return [this, command] {
    RunGuarded(host_->dialogs(), this, [this, command] { (this->*command)(); });
  };
}

void ProfileManagerWindow::Edit() {
  const std::string name = CurrentName();
  if (name.empty()) {
    host_->dialogs()->Show(this, NoProfileToEditMessage());
    return;
  }
  std::optional<ProfileRecord> record = host_->LoadNamedProfile(name, this);
  if (!record) return;
  mode_ = Mode::kEditing;
  starting_name_ = name;
  edited_row_ = list_->currentRow();
  ShowRecord(*record);
  SetFormEnabled(true);
  SetListCommandsEnabled(false);
  ColourName();
  Preview();
  name_->setFocus();
}

void ProfileManagerWindow::Accept() {
  UserDialogs* dialogs = host_->dialogs();
  const std::string name = ToCp1251(name_->text());
  const std::vector<std::string> names = ListNames();
  const ProfileNameScope scope{names, edited_row_, starting_name_};
  const NameCheck check = CheckProfileName(name, scope);
  if (check != NameCheck::kAccepted) {
    dialogs->Show(this, NameCheckMessage(check));
    return;
  }
  ProfileRecord record = FormRecord();
  record.Name = name;
  const ProfileStoreResult result = StoreProfileOfForm(
      host_->profile_database(),
      mode_ == Mode::kEditing ? starting_name_ : std::string(), record);
  if (result.renamed) {
    // The file holds the new name now: a retry must not rename again.
    starting_name_ = name;
    list_->item(edited_row_)->setText(name_->text());
  }
  for (const UserMessage& message : result.messages) {
    dialogs->Show(this, message);
  }
  // Unsaved, the form stays, so that nothing typed is lost.
  if (!result.saved) return;
  BackToViewing();
  RefillList();
}

void ProfileManagerWindow::Cancel() { BackToViewing(); }

void ProfileManagerWindow::Delete() {
  UserDialogs* dialogs = host_->dialogs();
  const std::vector<std::string> names = SelectedNames();
  if (CurrentName().empty() || names.empty()) {
    dialogs->Show(this, NoProfileToDeleteMessage());
    return;
  }
  if (dialogs->Ask(this, DeleteProfilesQuestion(names),
                   {UserDialogs::Button::kYes, UserDialogs::Button::kNo},
                   UserDialogs::Button::kNo) != UserDialogs::Button::kYes) {
    return;
  }
  const bool deleted = DeleteProfiles(host_->profile_database(), names);
  RefillList();
  if (list_->count() > 0) list_->setCurrentRow(0);
  if (!deleted) dialogs->Show(this, DeleteProfilesFailedMessage());
}

void ProfileManagerWindow::Import() {
  std::vector<std::string> existing = ListNames();
  std::erase(existing, std::string());
  if (RunImport(this, host_, existing)) RefillList();
}

void ProfileManagerWindow::Export() { RunExport(this, host_, SelectedNames()); }

ProfileRecord ProfileManagerWindow::FormRecord() const {
  ProfileRecord record;
  record.IsPreview = 0;
  record.Name = ToCp1251(name_->text());
  record.Ost1 = ost1_->value();
  record.Ost2 = ost2_->value();
  record.Directive = ToCp1251(directive_->text());
  record.StartDataBlok = ToCp1251(start_block_->text());
  record.EndDataBlok = ToCp1251(end_block_->text());
  record.StartData = ToCp1251(start_data_->text());
  record.SI = si_->currentIndex();
  record.EndData = ToCp1251(end_data_->text());
  record.RazdelitelData = ToCp1251(separator_->text());
  record.Comment = ToCp1251(comment_->text());
  record.CommentState = comment_state_->isChecked() ? 1 : 0;
  record.CountByte = count_byte_->value();
  record.PerenosPoSlovam = wrap_->isChecked() ? 1 : 0;
  record.CountByteToComment = count_to_comment_->isChecked() ? 1 : 0;
  record.DeleteSumbolError = delete_symbols_->isChecked() ? 1 : 0;
  record.DeleteSpace = delete_space_->isChecked() ? 1 : 0;
  record.CountSpace = static_cast<std::uint8_t>(count_space_->value());
  return record;
}

void ProfileManagerWindow::ShowRecord(const ProfileRecord& record) {
  filling_ = true;
  name_->setText(FromCp1251(record.Name));
  ost1_->setValue(record.Ost1);
  ost2_->setValue(record.Ost2);
  directive_->setText(FromCp1251(record.Directive));
  start_block_->setText(FromCp1251(record.StartDataBlok));
  end_block_->setText(FromCp1251(record.EndDataBlok));
  start_data_->setText(FromCp1251(record.StartData));
  si_->setCurrentIndex(record.SI >= 0 && record.SI <= 2 ? record.SI : -1);
  end_data_->setText(FromCp1251(record.EndData));
  separator_->setText(FromCp1251(record.RazdelitelData));
  comment_->setText(FromCp1251(record.Comment));
  comment_state_->setChecked(record.CommentState != 0);
  count_byte_->setValue(record.CountByte);
  wrap_->setChecked(record.PerenosPoSlovam != 0);
  count_to_comment_->setChecked(record.CountByteToComment != 0);
  delete_symbols_->setChecked(record.DeleteSumbolError != 0);
  delete_space_->setChecked(record.DeleteSpace != 0);
  count_space_->setValue(record.CountSpace);
  filling_ = false;
}

void ProfileManagerWindow::ClearForm() {
  filling_ = true;
  name_->clear();
  SetTextColour(name_, QPalette::Text, Qt::black);
  for (QSpinBox* box : {ost1_, ost2_, count_byte_}) box->setValue(0);
  for (QLineEdit* box : {directive_, start_block_, end_block_, start_data_,
                         end_data_, separator_, comment_}) {
    box->clear();
  }
  si_->setCurrentIndex(-1);
  for (QCheckBox* box : {delete_symbols_, delete_space_, comment_state_, wrap_,
                         count_to_comment_}) {
    box->setChecked(false);
  }
  count_space_->setValue(kClearedCountSpace);
  preview_->clear();
  filling_ = false;
}

void ProfileManagerWindow::SetFormEnabled(bool enabled) {
  for (QWidget* control : form_) control->setEnabled(enabled);
  if (enabled) ApplyDependentEnabling();
}

void ProfileManagerWindow::ApplyDependentEnabling() {
  const bool comment = !comment_->text().isEmpty();
  comment_state_->setEnabled(comment);
  count_to_comment_->setEnabled(comment);
  wrap_->setEnabled(count_byte_->value() != 0);
  count_space_->setEnabled(delete_space_->isChecked());
}

void ProfileManagerWindow::SetListCommandsEnabled(bool enabled) {
  for (QWidget* command : std::initializer_list<QWidget*>{
           list_, import_, export_, new_, edit_, delete_}) {
    command->setEnabled(enabled);
  }
}

void ProfileManagerWindow::BackToViewing() {
  SetListCommandsEnabled(true);
  ClearForm();
  SetFormEnabled(false);
  mode_ = Mode::kViewing;
  starting_name_.clear();
  edited_row_ = -1;
  list_->setFocus();
}

void ProfileManagerWindow::RefillList() {
  std::vector<std::string> names;
  if (!FillProfileList(host_->profile_database(), &names)) return;
  list_->clear();
  for (const std::string& name : names) list_->addItem(FromCp1251(name));
  if (list_->count() > 0) {
    list_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
  }
  list_->clearSelection();
}

void ProfileManagerWindow::Preview() {
  QString table = FromCp1251(PreviewTable(FormRecord()));
  table.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  preview_->setPlainText(table);
}

void ProfileManagerWindow::ColourName() {
  const QString text = name_->text();
  if (text.isEmpty()) return;
  const std::vector<std::string> names = ListNames();
  const ProfileNameScope scope{names, edited_row_, starting_name_};
  switch (ProfileNameColour(ToCp1251(text), scope)) {
    case NameColour::kTaken:
      SetTextColour(name_, QPalette::Text, kTakenNameColour);
      break;
    case NameColour::kStarting:
      SetTextColour(name_, QPalette::Text, kStartingNameColour);
      break;
    case NameColour::kPlain:
      SetTextColour(name_, QPalette::Text, Qt::black);
      break;
  }
}

std::vector<std::string> ProfileManagerWindow::ListNames() const {
  std::vector<std::string> names;
  for (int row = 0; row < list_->count(); ++row) {
    names.push_back(ToCp1251(list_->item(row)->text()));
  }
  return names;
}

std::vector<std::string> ProfileManagerWindow::SelectedNames() const {
  std::vector<std::string> names;
  for (int row = 0; row < list_->count(); ++row) {
    const QListWidgetItem* item = list_->item(row);
    if (item->isSelected() && !item->text().isEmpty()) {
      names.push_back(ToCp1251(item->text()));
    }
  }
  return names;
}

std::string ProfileManagerWindow::CurrentName() const {
  const QListWidgetItem* item = list_->currentItem();
  return item == nullptr ? std::string() : ToCp1251(item->text());
}

void OpenProfileManager(WindowHost* host) {
  ProfileManagerWindow manager(host);
  ExecOverOwner(&manager, host->host_window());
}

}  // namespace trulvex

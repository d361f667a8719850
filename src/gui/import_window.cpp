#include "gui/import_window.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <algorithm>
#include <initializer_list>
#include <optional>

#include "core/profiles/profile_copy.h"
#include "core/profiles/profile_database.h"
#include "gui/memory_guard.h"
#include "gui/owner_modal.h"
#include "gui/qt_text.h"
#include "gui/text_fit.h"
#include "gui/user_dialogs.h"
#include "gui/window_host.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

const QString kFileFilter =
    QStringLiteral("Файлы профилей (*.prof);;Все файлы (*)");
const QColor kDuplicateColour(253, 2, 2);

// The profile's name as code page 1251 bytes, kept beside its shown text.
constexpr int kNameRole = Qt::UserRole;
constexpr int kDuplicateRole = Qt::UserRole + 1;

QPushButton* MakeButton(QWidget* parent, const QString& name,
                        const QString& text, const QRect& geometry,
                        const QString& tooltip = {}) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setToolTip(tooltip);
  // Enter in the list must not load or cancel by surprise.
  button->setAutoDefault(false);
  return button;
}

// A row of buttons made at their layout places, widened for a wider
// substitute font; returns the row's right edge.
int FitButtonRow(std::initializer_list<QPushButton*> row) {
  ControlLine line;
  for (QPushButton* button : row) {
    const QRect place = button->geometry();
    line.Place(button, place.x(), place.y(), place.width(), place.height());
  }
  return (row.end()[-1])->geometry().right() + 1;
}

}  // namespace

ImportWindow::ImportWindow(QWidget* manager, WindowHost* host, fs::path source,
                           const std::vector<std::string>& existing)
    : QDialog(manager, Qt::Dialog | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      host_(host),
      source_(std::move(source)) {
  setObjectName(QStringLiteral("importWindow"));
  setWindowTitle(QStringLiteral("Загрузка профилей"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(320, 427);

  list_ = new QTableWidget(0, 1, this);
  list_->setObjectName(QStringLiteral("importList"));
  list_->setGeometry(8, 12, 304, 316);
  list_->setHorizontalHeaderLabels({QStringLiteral("Имя")});
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft |
                                                 Qt::AlignVCenter);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->setColumnWidth(0, 300);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setMinimumSectionSize(1);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() +
                                                 4);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  list_->setWordWrap(false);
  // The selection stays visible while a button has the focus.
  QPalette palette = list_->palette();
  for (const QPalette::ColorRole role :
       {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role,
                     palette.color(QPalette::Active, role));
  }
  list_->setPalette(palette);

  tick_selected_ = MakeButton(
      this, QStringLiteral("tickSelectedButton"), QStringLiteral("Выбрать"),
      {4, 336, 70, 24},
      QStringLiteral("Установка галочек в выделенных пунктах при условии не "
                     "повторяющихся имён"));
  untick_selected_ = MakeButton(
      this, QStringLiteral("untickSelectedButton"), QStringLiteral("Отменить"),
      {76, 336, 70, 24}, QStringLiteral("Сброс галочек в выделенных пунктах"));
  tick_all_ = MakeButton(this, QStringLiteral("tickAllButton"),
                         QStringLiteral("Выбрать всё"), {154, 336, 80, 24},
                         QStringLiteral("Установка галочек во всех пунктах"));
  untick_all_ = MakeButton(this, QStringLiteral("untickAllButton"),
                           QStringLiteral("Отменить всё"), {236, 336, 80, 24},
                           QStringLiteral("Сброс галочек во всех пунктах"));
  load_ =
      MakeButton(this, QStringLiteral("loadButton"),
                 QStringLiteral("Загрузить"), {60, 370, 84, 24},
                 QStringLiteral("Загрузка выбранных профилей в базу данных"));
  cancel_ = MakeButton(this, QStringLiteral("cancelButton"),
                       QStringLiteral("Отмена"), {196, 370, 76, 24});

  // The window keeps its right margin beside a widened button row.
  const int right = std::max(
      FitButtonRow({tick_selected_, untick_selected_, tick_all_, untick_all_}),
      FitButtonRow({load_, cancel_}));
  setFixedSize(std::max(width(), right + 4), height());

  auto* status = new QStatusBar(this);
  status->setSizeGripEnabled(false);
  count_field_ = new QLabel(status);
  count_field_->setFixedWidth(40);
  path_field_ = new QLabel(status);
  // A long path is cut at the window's edge instead of widening it.
  path_field_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  status->addWidget(count_field_);
  status->addWidget(path_field_, 1);
  const int status_height = status->sizeHint().height();
  status->setGeometry(0, height() - status_height, width(), status_height);

  connect(tick_selected_, &QPushButton::clicked, this,
          &ImportWindow::TickSelected);
  connect(untick_selected_, &QPushButton::clicked, this,
          &ImportWindow::UntickSelected);
  connect(tick_all_, &QPushButton::clicked, this,
          [this] { SetAllTicks(true); });
  connect(untick_all_, &QPushButton::clicked, this,
          [this] { SetAllTicks(false); });
  connect(load_, &QPushButton::clicked, this,
          [this] { RunGuarded(host_->dialogs(), this, [this] { Load(); }); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  path_field_->setText(QStringLiteral("  ") +
                       QString::fromStdU16String(source_.u16string()));
  Fill(existing);
  count_field_->setText(QStringLiteral("  %1").arg(list_->rowCount()));

  if (list_->rowCount() > 0) list_->setFocus();
}

void ImportWindow::Fill(const std::vector<std::string>& existing) {
  // An unreadable file lists nothing, as an empty one would.
  const std::vector<ImportEntry> entries =
      ListImportEntries(source_, existing).value_or(std::vector<ImportEntry>{});
  list_->setRowCount(static_cast<int>(entries.size()));
  for (int row = 0; row < list_->rowCount(); ++row) {
    const ImportEntry& entry = entries[static_cast<std::size_t>(row)];
    auto* item = new QTableWidgetItem(FromCp1251(entry.name));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                   Qt::ItemIsUserCheckable);
    item->setData(kNameRole, QByteArray::fromStdString(entry.name));
    item->setData(kDuplicateRole, entry.duplicate);
    item->setCheckState(entry.ticked ? Qt::Checked : Qt::Unchecked);
    if (entry.duplicate) item->setForeground(kDuplicateColour);
    list_->setItem(row, 0, item);
  }
  if (!entries.empty()) return;
  for (QPushButton* button :
       {tick_selected_, untick_selected_, tick_all_, untick_all_, load_}) {
    button->setEnabled(false);
  }
}

bool ImportWindow::IsDuplicate(int row) const {
  return list_->item(row, 0)->data(kDuplicateRole).toBool();
}

bool ImportWindow::IsTicked(int row) const {
  return list_->item(row, 0)->checkState() == Qt::Checked;
}

void ImportWindow::SetTicked(int row, bool ticked) {
  list_->item(row, 0)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void ImportWindow::TickSelected() {
  bool any = false;
  for (int row = 0; row < list_->rowCount(); ++row) {
    if (!list_->item(row, 0)->isSelected() || IsDuplicate(row)) continue;
    SetTicked(row, true);
    any = true;
  }
  list_->clearSelection();
  if (!any) Beep();
  list_->setFocus();
}

void ImportWindow::UntickSelected() {
  bool any = false;
  for (int row = 0; row < list_->rowCount(); ++row) {
    if (!list_->item(row, 0)->isSelected()) continue;
    SetTicked(row, false);
    any = true;
  }
  list_->clearSelection();
  if (!any) Beep();
  list_->setFocus();
}

void ImportWindow::SetAllTicks(bool ticked) {
  for (int row = 0; row < list_->rowCount(); ++row) SetTicked(row, ticked);
  list_->clearSelection();
  list_->setFocus();
}

void ImportWindow::Beep() {
  QApplication::beep();
  Q_EMIT Beeped();
}

void ImportWindow::Load() {
  std::vector<std::string> names;
  for (int row = 0; row < list_->rowCount(); ++row) {
    if (IsTicked(row)) {
      names.push_back(
          list_->item(row, 0)->data(kNameRole).toByteArray().toStdString());
    }
  }
  const fs::path& database = host_->profile_database();
  const ImportResult result = ImportProfiles(source_, database, names);
  UserDialogs* dialogs = host_->dialogs();
  // Profiles gone from the file since it was listed are named one by one.
  for (const std::string& name : result.skipped) {
    dialogs->Show(this, ProfileNotFoundMessage(name));
  }
  if (const std::optional<UserMessage> message =
          ImportMessage(result.outcome, source_, database)) {
    dialogs->Show(this, *message);
  }
  // On any failure the database is as it was and the window stays.
  if (result.outcome != ImportOutcome::kImported) return;
  imported_ = !result.imported.empty();
  accept();
}

bool RunImport(QWidget* manager, WindowHost* host,
               const std::vector<std::string>& existing) {
  UserDialogs* dialogs = host->dialogs();
  const QString chosen =
      dialogs->OpenFileName(manager, QStringLiteral("Открыть файл профиля..."),
                            QString(), kFileFilter);
  if (chosen.isEmpty()) return false;
  const fs::path source = ToFilePath(chosen);
  switch (CheckImportSource(source, host->profile_database())) {
    case ImportSourceStatus::kIgnored:
      return false;
    case ImportSourceStatus::kRefusedDatabase:
      dialogs->Show(manager, NoAccessMessage(source));
      return false;
    case ImportSourceStatus::kReady:
      break;
  }
  ImportWindow import(manager, host, source, existing);
  ExecOverOwner(&import, manager);
  return import.imported();
}

void RunExport(QWidget* manager, WindowHost* host,
               const std::vector<std::string>& names) {
  UserDialogs* dialogs = host->dialogs();
  const QString chosen = dialogs->SaveFileName(
      manager, QStringLiteral("Сохранить файл профиля..."), QString(),
      kFileFilter, nullptr);
  if (chosen.isEmpty()) return;
  const ExportResult result =
      ExportProfiles(host->profile_database(), ToFilePath(chosen), names);
  for (const std::string& name : result.missing) {
    dialogs->Show(manager, ProfileNotFoundMessage(name));
  }
  if (const std::optional<UserMessage> message = ExportMessage(result)) {
    dialogs->Show(manager, *message);
  }
}

}  // namespace trulvex

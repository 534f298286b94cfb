#include "Tactora/settings/gestures/ApplicationChooser.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tactora {

namespace {

constexpr int idRole = Qt::UserRole;
constexpr int iconSize = 24;

}  // namespace

ApplicationChooser::ApplicationChooser(std::vector<platform::InstalledApplication> applications,
                                       QWidget* parent)
    : QDialog(parent) {
  std::sort(applications.begin(), applications.end(), [](const auto& a, const auto& b) {
    const int order =
        QString::fromStdString(a.name).compare(QString::fromStdString(b.name), Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.id < b.id;
  });
  setWindowTitle(QStringLiteral("Add App Profile"));
  setModal(true);
  resize(380, 440);

  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral("Choose an app to give its own gestures."), this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  search_ = new QLineEdit(this);
  search_->setPlaceholderText(QStringLiteral("Search"));
  search_->setClearButtonEnabled(true);
  search_->setAccessibleName(QStringLiteral("Search apps"));
  layout->addWidget(search_);

  list_ = new QListWidget(this);
  list_->setAccessibleName(QStringLiteral("Installed apps"));
  list_->setIconSize(QSize(iconSize, iconSize));
  list_->setUniformItemSizes(true);
  for (const auto& application : applications) {
    auto* item = new QListWidgetItem(QString::fromStdString(application.name), list_);
    item->setData(idRole, QString::fromStdString(application.id));
    item->setToolTip(QString::fromStdString(application.id));
    const QString iconName = QString::fromStdString(application.icon);
    QIcon icon =
        iconName.startsWith(QLatin1Char('/')) ? QIcon(iconName) : QIcon::fromTheme(iconName);
    if (icon.isNull()) {
      icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    }
    item->setIcon(icon);
  }
  layout->addWidget(list_, 1);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QDialogButtonBox::Cancel);
  choose_ = buttons->addButton(QStringLiteral("Add Profile"), QDialogButtonBox::AcceptRole);
  choose_->setDefault(true);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &ApplicationChooser::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ApplicationChooser::reject);
  connect(search_, &QLineEdit::textChanged, this, &ApplicationChooser::filter);
  connect(list_, &QListWidget::itemActivated, this, [this] { accept(); });
  connect(list_, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* current) { choose_->setEnabled(current != nullptr); });
  // Down from the search field moves into the list, so typing then choosing needs no mouse.
  setTabOrder(search_, list_);
  if (list_->count() > 0) {
    list_->setCurrentRow(0);
  }
  choose_->setEnabled(list_->currentItem() != nullptr);
  search_->setFocus();
}

void ApplicationChooser::filter(const QString& text) {
  const QString needle = text.trimmed();
  QListWidgetItem* firstVisible = nullptr;
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    const bool matches = needle.isEmpty() || item->text().contains(needle, Qt::CaseInsensitive) ||
                         item->data(idRole).toString().contains(needle, Qt::CaseInsensitive);
    item->setHidden(!matches);
    if (matches && firstVisible == nullptr) {
      firstVisible = item;
    }
  }
  QListWidgetItem* current = list_->currentItem();
  if (current == nullptr || current->isHidden()) {
    list_->setCurrentItem(firstVisible);
  }
}

void ApplicationChooser::accept() {
  QListWidgetItem* item = list_->currentItem();
  if (item == nullptr || item->isHidden()) {
    return;
  }
  const QString id = item->data(idRole).toString();
  QDialog::accept();
  Q_EMIT chosen(id);
}

}  // namespace tactora

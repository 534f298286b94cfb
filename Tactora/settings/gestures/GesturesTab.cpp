#include "Tactora/settings/gestures/GesturesTab.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include "Tactora/config/ConfigurationDocument.h"
#include "Tactora/settings/gestures/AddBindingSheet.h"
#include "Tactora/settings/gestures/ApplicationChooser.h"
#include "Tactora/settings/gestures/BindingRow.h"
#include "Tactora/settings/gestures/SymbolIcons.h"
#include "Tactora/settings/gestures/WheelGuard.h"

namespace tactora {

namespace {

using Symbol = SymbolIcons::Symbol;

// The system's one-finger double-tap zoom ("Smart Zoom"), where a desktop records it.
constexpr const char* smartZoomKey = "MouseOneFingerDoubleTapGesture";
constexpr const char* smartZoomDomain = "com.apple.driver.AppleBluetoothMultitouch.mouse";

constexpr int bannerInset = 8;
constexpr double bannerTintOpacity = 0.12;

QString fromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* captionLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont small = label->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  label->setFont(small);
  label->setForegroundRole(QPalette::PlaceholderText);
  label->setWordWrap(true);
  return label;
}

QLabel* symbolLabel(Symbol symbol, const QPalette& palette, int size, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setPixmap(SymbolIcons::icon(symbol, palette).pixmap(size, size));
  label->setFixedSize(size, size);
  label->setAccessibleName(QString());
  return label;
}

// The desktop's mouse settings: GNOME's and Plasma's panels; nothing elsewhere.
void openDesktopMouseSettings(platform::Workspace& workspace) {
  const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
  if (desktop.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive)) {
    workspace.launchProcess("gnome-control-center", {"mouse"});
  } else if (desktop.contains(QStringLiteral("KDE"), Qt::CaseInsensitive)) {
    workspace.launchProcess("systemsettings", {"kcm_mouse"});
  }
}

}  // namespace

GesturesTab::GesturesTab(ConfigStore& store, platform::Platform& platform, Options options,
                         QWidget* parent)
    : QWidget(parent),
      store_(store),
      platform_(platform),
      options_(std::move(options)),
      model_(store,
             [&platform] {
               return platform.preferences().foreignInteger(smartZoomKey, smartZoomDomain);
             }),
      importer_(store, [this] {
        model_.select(std::nullopt);
        refresh();
      }) {
  if (!options_.openMouseSettings) {
    options_.openMouseSettings = [this] { openDesktopMouseSettings(platform_.workspace()); };
  }
  if (!options_.chooseExportFile) {
    options_.chooseExportFile = [this](const QString& proposed) {
      return QFileDialog::getSaveFileName(this, QStringLiteral("Export Settings"), proposed,
                                          QStringLiteral("JSON (*.json)"));
    };
  }
  if (!options_.chooseImportFile) {
    options_.chooseImportFile = [this] {
      return QFileDialog::getOpenFileName(
          this, QStringLiteral("Import Settings"),
          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
          QStringLiteral("JSON (*.json)"));
    };
  }

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(8);
  layout->addWidget(createHeader());
  layout->addWidget(createOverrideNote());
  layout->addWidget(createBanner());
  content_ = new QStackedWidget(this);
  content_->addWidget(createList());
  content_->addWidget(createEmptyState());
  layout->addWidget(content_, 1);
  layout->addWidget(createFooter());

  // The store outlives windows: the subscription ends with the tab.
  subscription_ = store_.addObserver([this](const Configuration&) { refresh(); });
  refresh();
}

QWidget* GesturesTab::createHeader() {
  auto* header = new QWidget(this);
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);

  profilePicker_ = new QComboBox(header);
  profilePicker_->setAccessibleName(QStringLiteral("Profile"));
  profilePicker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  profilePicker_->setMinimumWidth(200);
  WheelGuard::install(profilePicker_);
  row->addWidget(profilePicker_);
  connect(profilePicker_, &QComboBox::activated, this, [this](int index) {
    const QVariant id = profilePicker_->itemData(index);
    showProfile(id.isValid() ? std::optional<std::string>(id.toString().toStdString())
                             : std::nullopt);
  });

  auto makeButton = [header, row, this](Symbol symbol, const QString& help,
                                        const QString& fallbackText) {
    auto* button = new QToolButton(header);
    const QIcon icon = SymbolIcons::icon(symbol, palette());
    button->setIcon(icon);
    if (icon.isNull()) {
      button->setText(fallbackText);
    }
    button->setToolTip(help);
    button->setAccessibleName(help);
    button->setFocusPolicy(Qt::StrongFocus);
    row->addWidget(button);
    return button;
  };
  addProfileButton_ =
      makeButton(Symbol::plus, QStringLiteral("Add a profile for a specific app"), "+");
  removeProfileButton_ =
      makeButton(Symbol::minus, QStringLiteral("Remove this app\u2019s profile"), "\u2212");
  connect(addProfileButton_, &QToolButton::clicked, this, &GesturesTab::openApplicationChooser);
  connect(removeProfileButton_, &QToolButton::clicked, this, [this] {
    model_.removeShownProfile();
    refresh();
  });

  row->addStretch(1);
  backupButton_ =
      makeButton(Symbol::share, QStringLiteral("Back up or restore your whole configuration"), "");
  backupButton_->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(backupButton_);
  exportAction_ = menu->addAction(QStringLiteral("Export Settings\u2026"));
  importAction_ = menu->addAction(QStringLiteral("Import Settings\u2026"));
  backupButton_->setMenu(menu);
  connect(exportAction_, &QAction::triggered, this, &GesturesTab::exportSettings);
  connect(importAction_, &QAction::triggered, this, &GesturesTab::importSettings);
  return header;
}

QWidget* GesturesTab::createOverrideNote() {
  overrideNote_ = new QWidget(this);
  auto* row = new QHBoxLayout(overrideNote_);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(symbolLabel(Symbol::info, palette(), 14, overrideNote_), 0, Qt::AlignTop);
  row->addWidget(captionLabel(QStringLiteral("Gestures listed here override the All Apps profile. "
                                             "Anything not listed falls through to it."),
                              overrideNote_),
                 1);
  return overrideNote_;
}

QWidget* GesturesTab::createBanner() {
  auto* banner = new QFrame(this);
  banner->setObjectName(QStringLiteral("smartZoomBanner"));
  QColor tint(Qt::yellow);
  tint.setAlphaF(bannerTintOpacity);
  banner->setStyleSheet(QStringLiteral("#smartZoomBanner { background: rgba(255,255,0,%1); "
                                       "border-radius: 6px; }")
                            .arg(tint.alphaF()));
  auto* row = new QHBoxLayout(banner);
  row->setContentsMargins(bannerInset, bannerInset, bannerInset, bannerInset);
  row->addWidget(symbolLabel(Symbol::warning, palette(), 20, banner), 0, Qt::AlignTop);
  auto* text = new QVBoxLayout;
  auto* title = new QLabel(QStringLiteral("Double Tap conflicts with Smart Zoom"), banner);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  text->addWidget(title);
  auto* message = new QLabel(
      QStringLiteral("The system settings have Smart Zoom (double-tap one finger to zoom) turned "
                     "on for this mouse \u2014 the exact gesture Double Tap uses here. Both will "
                     "fire together. Turn Smart Zoom off, or rebind Double Tap below to something "
                     "else, like a two- or three-finger tap."),
      banner);
  message->setWordWrap(true);
  text->addWidget(message);
  openMouseSettingsButton_ = new QPushButton(QStringLiteral("Open Mouse Settings\u2026"), banner);
  connect(openMouseSettingsButton_, &QPushButton::clicked, this,
          [this] { options_.openMouseSettings(); });
  text->addWidget(openMouseSettingsButton_, 0, Qt::AlignLeft);
  row->addLayout(text, 1);
  banner_ = banner;
  return banner_;
}

QWidget* GesturesTab::createList() {
  listArea_ = new QScrollArea(this);
  listArea_->setWidgetResizable(true);
  listArea_->setFrameShape(QFrame::StyledPanel);
  listArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  listArea_->setAccessibleName(QStringLiteral("Gestures"));
  return listArea_;
}

QWidget* GesturesTab::createEmptyState() {
  emptyState_ = new QWidget(this);
  auto* column = new QVBoxLayout(emptyState_);
  column->addStretch(1);
  column->addWidget(symbolLabel(Symbol::hand, palette(), 40, emptyState_), 0, Qt::AlignHCenter);
  emptyHeadline_ = new QLabel(emptyState_);
  QFont headline = emptyHeadline_->font();
  headline.setBold(true);
  headline.setPointSizeF(headline.pointSizeF() * 1.15);
  emptyHeadline_->setFont(headline);
  emptyHeadline_->setAlignment(Qt::AlignHCenter);
  column->addWidget(emptyHeadline_);
  emptyCaption_ = captionLabel(QString(), emptyState_);
  emptyCaption_->setAlignment(Qt::AlignHCenter);
  column->addWidget(emptyCaption_);
  column->addStretch(1);
  return emptyState_;
}

QWidget* GesturesTab::createFooter() {
  auto* footer = new QWidget(this);
  auto* row = new QHBoxLayout(footer);
  row->setContentsMargins(0, 0, 0, 0);
  addGestureButton_ = new QPushButton(SymbolIcons::icon(Symbol::plusCircle, palette()),
                                      QStringLiteral("Add Gesture"), footer);
  addGestureButton_->setAutoDefault(false);
  connect(addGestureButton_, &QPushButton::clicked, this, &GesturesTab::openAddSheet);
  row->addWidget(addGestureButton_);
  row->addStretch(1);

  restoreButton_ = new QToolButton(footer);
  restoreButton_->setText(QStringLiteral("Restore Defaults"));
  restoreButton_->setIcon(SymbolIcons::icon(Symbol::undo, palette()));
  restoreButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  restoreButton_->setPopupMode(QToolButton::InstantPopup);
  restoreButton_->setFocusPolicy(Qt::StrongFocus);
  restoreMenu_ = new QMenu(restoreButton_);
  restoreDeletedAction_ = restoreMenu_->addAction(QStringLiteral("Restore Deleted Gestures"));
  resetAllAction_ = restoreMenu_->addAction(QStringLiteral("Reset All Gestures to Defaults\u2026"));
  removeOverridesAction_ =
      restoreMenu_->addAction(QStringLiteral("Remove All Overrides for This App\u2026"));
  restoreButton_->setMenu(restoreMenu_);
  connect(restoreDeletedAction_, &QAction::triggered, this,
          [this] { model_.restoreDeletedGestures(); });
  connect(resetAllAction_, &QAction::triggered, this, &GesturesTab::confirmReset);
  connect(removeOverridesAction_, &QAction::triggered, this, &GesturesTab::confirmReset);
  row->addWidget(restoreButton_);
  return footer;
}

QString GesturesTab::displayName(const std::string& bundleIdentifier) const {
  const auto name = platform_.workspace().displayNameForBundleIdentifier(bundleIdentifier);
  return QString::fromStdString(name && !name->empty() ? *name : bundleIdentifier);
}

void GesturesTab::showProfile(std::optional<std::string> bundleIdentifier) {
  model_.select(std::move(bundleIdentifier));
  refresh();
}

void GesturesTab::refresh() {
  refreshProfilePicker();
  const bool showsApplication = model_.selectedBundleID().has_value();
  removeProfileButton_->setEnabled(showsApplication);
  overrideNote_->setVisible(showsApplication);
  banner_->setVisible(model_.showsSmartZoomBanner());
  rebuildList(unsavedCommands());
  orderFocusChain();
  refreshEmptyStateAndFooter();
}

void GesturesTab::refreshProfilePicker() {
  const auto& selected = model_.selectedBundleID();
  const QSignalBlocker blocker(profilePicker_);
  profilePicker_->clear();
  profilePicker_->addItem(QStringLiteral("All Apps"));
  for (const auto& id : model_.applicationProfiles()) {
    profilePicker_->addItem(displayName(id), QString::fromStdString(id));
  }
  const int index = selected ? profilePicker_->findData(QString::fromStdString(*selected)) : 0;
  if (index >= 0) {
    profilePicker_->setCurrentIndex(index);
  } else {
    // The application's profile is gone (removed elsewhere): keep naming what is shown.
    profilePicker_->addItem(displayName(*selected), QString::fromStdString(*selected));
    profilePicker_->setCurrentIndex(profilePicker_->count() - 1);
  }
}

// Commands typed but not yet saved survive the redraw another change causes.
std::vector<std::pair<Trigger, QString>> GesturesTab::unsavedCommands() const {
  std::vector<std::pair<Trigger, QString>> commands;
  for (BindingRow* row : rows()) {
    const QString typed = row->commandField()->text();
    if (typed != QString::fromStdString(row->binding().action.command())) {
      commands.emplace_back(row->binding().trigger, typed);
    }
  }
  return commands;
}

// The list, rebuilt from the new value. The old rows go later: one of them may be the sender of
// the change being shown.
void GesturesTab::rebuildList(const std::vector<std::pair<Trigger, QString>>& unsavedCommands) {
  auto* list = new QWidget;
  auto* column = new QVBoxLayout(list);
  column->setContentsMargins(6, 4, 6, 4);
  column->setSpacing(2);
  for (const auto& section : model_.sections()) {
    auto* title = new QLabel(fromStd(GestureDescription::title(section.category)), list);
    title->setObjectName(QStringLiteral("sectionTitle"));
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    font.setWeight(QFont::DemiBold);
    title->setFont(font);
    title->setForegroundRole(QPalette::PlaceholderText);
    title->setContentsMargins(4, 8, 0, 2);
    column->addWidget(title);
    for (const auto& entry : section.rows) {
      auto* row = new BindingRow(entry.binding, platform_.keyboardKeys(), list);
      const std::size_t index = entry.index;
      connect(row, &BindingRow::actionChanged, this,
              [this, index](const Action& action) { model_.setAction(index, action); });
      connect(row, &BindingRow::deleteRequested, this,
              [this, index] { model_.deleteBinding(index); });
      for (const auto& [trigger, typed] : unsavedCommands) {
        if (trigger == entry.binding.trigger &&
            entry.binding.action.kind() == Action::Case::shellCommand) {
          row->commandField()->setText(typed);
        }
      }
      column->addWidget(row);
    }
  }
  column->addStretch(1);
  if (QWidget* old = listArea_->takeWidget()) {
    old->hide();
    old->deleteLater();
  }
  listArea_->setWidget(list);
}

// New rows would join the end of the focus chain.
void GesturesTab::orderFocusChain() {
  QWidget* previous = openMouseSettingsButton_;
  for (QWidget* control : listArea_->widget()->findChildren<QWidget*>()) {
    if ((control->focusPolicy() & Qt::TabFocus) != 0 && control->focusProxy() == nullptr) {
      QWidget::setTabOrder(previous, control);
      previous = control;
    }
  }
  QWidget::setTabOrder(previous, addGestureButton_);
  QWidget::setTabOrder(addGestureButton_, restoreButton_);
}

void GesturesTab::refreshEmptyStateAndFooter() {
  const bool showsApplication = model_.selectedBundleID().has_value();
  emptyHeadline_->setText(showsApplication ? QStringLiteral("No overrides for this app")
                                           : QStringLiteral("No gestures configured"));
  emptyCaption_->setText(
      showsApplication
          ? QStringLiteral("Add a gesture to override the All Apps profile for this app only.")
          : QStringLiteral("Add one to get started."));
  content_->setCurrentWidget(model_.isEmpty() ? emptyState_ : static_cast<QWidget*>(listArea_));

  restoreButton_->setToolTip(
      showsApplication ? QStringLiteral("Make this app use the All Apps gestures again")
                       : QStringLiteral("Bring back deleted gestures, or reset every gesture to "
                                        "how Tactora came"));
  restoreDeletedAction_->setVisible(!showsApplication);
  restoreDeletedAction_->setEnabled(!showsApplication && model_.canRestoreDeletedGestures());
  resetAllAction_->setVisible(!showsApplication);
  removeOverridesAction_->setVisible(showsApplication);
}

std::vector<BindingRow*> GesturesTab::rows() const {
  std::vector<BindingRow*> rows;
  if (QWidget* list = listArea_->widget()) {
    for (auto* row : list->findChildren<BindingRow*>(QString(), Qt::FindDirectChildrenOnly)) {
      rows.push_back(row);
    }
  }
  return rows;
}

QStringList GesturesTab::sectionTitles() const {
  QStringList titles;
  if (QWidget* list = listArea_->widget()) {
    for (auto* label :
         list->findChildren<QLabel*>(QStringLiteral("sectionTitle"), Qt::FindDirectChildrenOnly)) {
      titles << label->text();
    }
  }
  return titles;
}

void GesturesTab::openApplicationChooser() {
  chooser_ = new ApplicationChooser(platform_.applicationCatalog().installedApplications(), this);
  chooser_->setAttribute(Qt::WA_DeleteOnClose);
  connect(chooser_, &ApplicationChooser::chosen, this, [this](const QString& id) {
    model_.addApplicationProfile(id.toStdString());
    refresh();
  });
  chooser_->open();
}

void GesturesTab::openAddSheet() {
  addSheet_ = new AddBindingSheet(platform_.keyboardKeys(), this);
  addSheet_->setAttribute(Qt::WA_DeleteOnClose);
  connect(addSheet_, &AddBindingSheet::added, this,
          [this](const GestureBinding& binding) { model_.addBinding(binding); });
  addSheet_->open();
}

void GesturesTab::confirmReset() {
  const auto& selected = model_.selectedBundleID();
  if (selected) {
    const std::string id = *selected;
    showAlert(QStringLiteral("Remove all overrides for ") + displayName(id) + QStringLiteral("?"),
              QStringLiteral("This app will use the All Apps gestures again. The profile stays, "
                             "so you can add new overrides."),
              QStringLiteral("Remove Overrides"), [this] { model_.removeOverrides(); }, {});
  } else {
    showAlert(
        QStringLiteral("Reset All Apps gestures to defaults?"),
        QStringLiteral("Every gesture in All Apps goes back to how Tactora came, and gestures "
                       "you added are removed. App profiles and Tuning are not affected."),
        QStringLiteral("Reset Gestures"), [this] { model_.resetAllAppsGestures(); }, {});
  }
}

void GesturesTab::showAlert(const QString& title, const QString& message, const QString& confirm,
                            const std::function<void()>& onConfirm,
                            const std::function<void()>& onCancel, const QString& details) {
  auto* box = new QMessageBox(this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowTitle(title);
  box->setTextFormat(Qt::PlainText);
  box->setText(title);
  box->setInformativeText(message);
  // Both texts are shown as written: an imported shell command is never read as markup, which
  // could hide part of what it runs from the warning meant to show it.
  if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
    informative->setTextFormat(Qt::PlainText);
  }
  if (auto* headline = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
  }
  box->setDetailedText(details);
  box->setIcon(QMessageBox::Warning);
  QPushButton* cancel = nullptr;
  QPushButton* destructive = nullptr;
  if (confirm.isEmpty()) {
    box->setStandardButtons(QMessageBox::Ok);
  } else {
    destructive = box->addButton(confirm, QMessageBox::DestructiveRole);
    cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(cancel);
  }
  connect(box, &QMessageBox::finished, this, [box, destructive, onConfirm, onCancel](int) {
    if (destructive != nullptr && box->clickedButton() == destructive) {
      if (onConfirm) {
        onConfirm();
      }
    } else if (onCancel) {
      onCancel();
    }
  });
  alert_ = box;
  box->open();
}

void GesturesTab::exportSettings() {
  const QString proposed =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(fromStd(ConfigurationDocument::defaultFileName) + QLatin1Char('.') +
                    fromStd(ConfigurationDocument::fileExtension));
  const QString path = options_.chooseExportFile(proposed);
  if (!path.isEmpty()) {
    exportTo(path);
  }
}

void GesturesTab::exportTo(const QString& path) {
  QString target = path;
  const QString suffix = QLatin1Char('.') + fromStd(ConfigurationDocument::fileExtension);
  if (!target.endsWith(suffix, Qt::CaseInsensitive)) {
    target += suffix;  // the dialog may not add it
  }
  // A backup that silently failed would be trusted later: a failure is shown, naming the file.
  if (auto error = ConfigurationDocument{*store_.current()}.write(target.toStdString())) {
    error->file = target.toStdString();  // the file chosen, not the temporary one beside it
    showAlert(QStringLiteral("Couldn\u2019t export settings"),
              QString::fromStdString(error->description()), QString(), {}, {});
  }
}

void GesturesTab::importSettings() {
  const QString path = options_.chooseImportFile();
  if (!path.isEmpty()) {
    importFrom(path);
  }
}

void GesturesTab::importFrom(const QString& path) {
  importer_.importFile(path.toStdString());
  showImportAlert();
}

void GesturesTab::showImportAlert() {
  if (const auto error = importer_.errorAlert()) {
    showAlert(QString::fromStdString(error->title), QString::fromStdString(error->message),
              QString(), {}, [this] { importer_.dismissError(); });
    return;
  }
  if (const auto confirmation = importer_.confirmationAlert()) {
    showAlert(
        QString::fromStdString(confirmation->title), QString::fromStdString(confirmation->message),
        QString::fromStdString(confirmation->confirmButton), [this] { importer_.confirm(); },
        [this] { importer_.cancel(); }, QString::fromStdString(confirmation->details));
  }
}

}  // namespace tactora

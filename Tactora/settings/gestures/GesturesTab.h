#pragma once

#include <functional>
#include <vector>

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "Platform/Platform.h"
#include "Tactora/config/ConfigStore.h"
#include "Tactora/config/SettingsImport.h"
#include "Tactora/settings/gestures/AddBindingSheet.h"
#include "Tactora/settings/gestures/ApplicationChooser.h"
#include "Tactora/settings/gestures/GesturesTabModel.h"

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QToolButton;
class QAction;

namespace tactora {

class BindingRow;

// The Gestures tab of the settings window: one profile at a time (All Apps or one application),
// its bindings by gesture family, and every way to change them, add or remove application
// profiles, restore defaults, and back the whole configuration up or restore it. Every change is
// saved through the store; the tab redraws whenever the store's configuration changes.
class GesturesTab : public QWidget {
  Q_OBJECT

 public:
  // The parts of the desktop the tab uses besides the platform's. Empty functions take the real
  // ones: the desktop's mouse settings, and the desktop's file dialogs (which use the portal's
  // where the desktop has one).
  struct Options {
    std::function<void()> openMouseSettings;
    // The file to export to, given the proposed path; empty when cancelled.
    std::function<QString(const QString& proposedPath)> chooseExportFile;
    // The file to import; empty when cancelled.
    std::function<QString()> chooseImportFile;
  };

  GesturesTab(ConfigStore& store, platform::Platform& platform, Options options = {},
              QWidget* parent = nullptr);

  GesturesTabModel& model() { return model_; }

  // Shows a profile (empty: All Apps), as if picked in the profile picker.
  void showProfile(std::optional<std::string> bundleIdentifier);
  // Redraws from the store's current configuration.
  void refresh();

  // The controls, for the window's keyboard order and for tests.
  QComboBox* profilePicker() const { return profilePicker_; }
  QToolButton* addProfileButton() const { return addProfileButton_; }
  QToolButton* removeProfileButton() const { return removeProfileButton_; }
  QToolButton* backupButton() const { return backupButton_; }
  QAction* exportAction() const { return exportAction_; }
  QAction* importAction() const { return importAction_; }
  QWidget* overrideNote() const { return overrideNote_; }
  QWidget* smartZoomBanner() const { return banner_; }
  QPushButton* openMouseSettingsButton() const { return openMouseSettingsButton_; }
  QWidget* emptyState() const { return emptyState_; }
  QLabel* emptyHeadline() const { return emptyHeadline_; }
  QLabel* emptyCaption() const { return emptyCaption_; }
  QPushButton* addGestureButton() const { return addGestureButton_; }
  QToolButton* restoreButton() const { return restoreButton_; }
  QAction* restoreDeletedAction() const { return restoreDeletedAction_; }
  QAction* resetAllAction() const { return resetAllAction_; }
  QAction* removeOverridesAction() const { return removeOverridesAction_; }
  // The rows in display order, and the section titles above them.
  std::vector<BindingRow*> rows() const;
  QStringList sectionTitles() const;
  // The open alert, add sheet or application chooser, if any.
  QMessageBox* alert() const { return alert_; }
  AddBindingSheet* addSheet() const { return addSheet_; }
  ApplicationChooser* applicationChooser() const { return chooser_; }

  // The import and export actions without their file dialogs. A failed export shows an alert.
  void exportTo(const QString& path);
  void importFrom(const QString& path);

 private:
  QWidget* createHeader();
  QWidget* createOverrideNote();
  QWidget* createBanner();
  QWidget* createEmptyState();
  QWidget* createFooter();
  QWidget* createList();
  QString displayName(const std::string& bundleIdentifier) const;

  // The steps of `refresh`.
  void refreshProfilePicker();
  // The commands typed into rows but not saved yet, by the trigger of their row.
  std::vector<std::pair<Trigger, QString>> unsavedCommands() const;
  void rebuildList(const std::vector<std::pair<Trigger, QString>>& unsavedCommands);
  // Keyboard order follows the screen: header, banner, rows, then the footer.
  void orderFocusChain();
  void refreshEmptyStateAndFooter();

  void openApplicationChooser();
  void openAddSheet();
  void confirmReset();
  void exportSettings();
  void importSettings();
  // Shows the import's confirmation or error alert, when one is due.
  void showImportAlert();
  // `details`, when given, is shown whole behind the alert's "Show Details" button.
  void showAlert(const QString& title, const QString& message, const QString& confirm,
                 const std::function<void()>& onConfirm, const std::function<void()>& onCancel,
                 const QString& details = {});

  ConfigStore& store_;
  platform::Platform& platform_;
  Options options_;
  GesturesTabModel model_;
  SettingsImport importer_;

  QComboBox* profilePicker_ = nullptr;
  QToolButton* addProfileButton_ = nullptr;
  QToolButton* removeProfileButton_ = nullptr;
  QToolButton* backupButton_ = nullptr;
  QAction* exportAction_ = nullptr;
  QAction* importAction_ = nullptr;
  QWidget* overrideNote_ = nullptr;
  QWidget* banner_ = nullptr;
  QPushButton* openMouseSettingsButton_ = nullptr;
  QStackedWidget* content_ = nullptr;
  QScrollArea* listArea_ = nullptr;
  QWidget* emptyState_ = nullptr;
  QLabel* emptyHeadline_ = nullptr;
  QLabel* emptyCaption_ = nullptr;
  QPushButton* addGestureButton_ = nullptr;
  QToolButton* restoreButton_ = nullptr;
  QMenu* restoreMenu_ = nullptr;
  QAction* restoreDeletedAction_ = nullptr;
  QAction* resetAllAction_ = nullptr;
  QAction* removeOverridesAction_ = nullptr;
  QPointer<QMessageBox> alert_;
  QPointer<AddBindingSheet> addSheet_;
  QPointer<ApplicationChooser> chooser_;
  ConfigStore::Subscription subscription_;
};

}  // namespace tactora

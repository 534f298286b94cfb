#pragma once

#include <vector>

#include <QDialog>

#include "Platform/InstalledApplication.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tactora {

// The dialog that picks an installed application for a new profile: icons and names, filtered as
// the user types (by name or id), by name (case-insensitive), then id. Reports the chosen
// application's identifier.
class ApplicationChooser : public QDialog {
  Q_OBJECT

 public:
  ApplicationChooser(std::vector<platform::InstalledApplication> applications,
                     QWidget* parent = nullptr);

  QLineEdit* searchField() const { return search_; }
  QListWidget* list() const { return list_; }
  QPushButton* chooseButton() const { return choose_; }

 Q_SIGNALS:
  void chosen(const QString& id);

 private:
  void filter(const QString& text);
  void accept() override;

  QLineEdit* search_;
  QListWidget* list_;
  QPushButton* choose_;
};

}  // namespace tactora

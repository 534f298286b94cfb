#pragma once

// What the settings window's picture tests share: the dark palette they draw in, where the
// pictures go, and the check that no one-line text is cut off.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

namespace tactora::settings::screenshots {

inline QPalette darkPalette() {
  QPalette palette;
  const QColor text(0xe8, 0xe8, 0xe8);
  const QColor button(0x3a, 0x3c, 0x40);
  const QColor disabled(0x70, 0x70, 0x74);
  palette.setColor(QPalette::Window, QColor(0x2b, 0x2d, 0x30));
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, QColor(0x1e, 0x1f, 0x22));
  palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x35, 0x38));
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, button);
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xe0));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa3, 0xa8));
  palette.setColor(QPalette::Mid, QColor(0x60, 0x63, 0x68));
  palette.setColor(QPalette::Light, QColor(0x50, 0x53, 0x58));
  palette.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
  palette.setColor(QPalette::ToolTipBase, button);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
  return palette;
}

// Draws in the dark palette or the style's light one for as long as it lives.
class PaletteScope {
 public:
  explicit PaletteScope(bool dark) : previous_(QApplication::palette()) {
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
  }
  ~PaletteScope() { QApplication::setPalette(previous_); }
  PaletteScope(const PaletteScope&) = delete;
  PaletteScope& operator=(const PaletteScope&) = delete;

 private:
  QPalette previous_;
};

// $TACTORA_SCREENSHOT_DIR when set (docs/screenshots for the README), else the build's
// screenshots folder, where a person can look at them after any test run.
inline QString outputDirectory() {
  QString directory = qEnvironmentVariable("TACTORA_SCREENSHOT_DIR");
  if (directory.isEmpty()) {
    directory = qEnvironmentVariable("TACTORA_BINARY_DIR", QDir::currentPath()) +
                QStringLiteral("/screenshots");
  }
  QDir().mkpath(directory);
  return directory;
}

// "<folder>/<name>-dark.png" or "-light.png", with "@2x" before ".png" for a scale of 2.
inline QString picturePath(const QString& name, bool dark, int scale = 1) {
  return outputDirectory() + "/" + name + (dark ? "-dark" : "-light") +
         (scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale)) + ".png";
}

// `widget` as its screen shows it, named "@2x" on a screen with two device pixels per point (the
// second run, HighDensityScreen.json), so texts, icons and glyphs look as sharp or blurred there as
// they really are.
inline void savePicture(QWidget& widget, const QString& name, bool dark) {
  const QPixmap picture = widget.grab();
  const int scale = qRound(picture.devicePixelRatio());
  EXPECT_TRUE(picture.save(picturePath(name, dark, scale))) << name.toStdString();
}

// Every one-line label, button and picker shown in `root` is at least as wide as its text
// (word-wrapped labels may take more lines).
inline void expectTextsFit(QWidget& root) {
  for (QLabel* label : root.findChildren<QLabel*>()) {
    if (label->isVisibleTo(&root) && !label->wordWrap() && !label->text().isEmpty()) {
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
  }
  for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
    if (button->isVisibleTo(&root)) {
      EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    }
  }
  for (QComboBox* combo : root.findChildren<QComboBox*>()) {
    if (combo->isVisibleTo(&root)) {
      const int textWidth = combo->fontMetrics().horizontalAdvance(combo->currentText());
      EXPECT_GE(combo->width(), textWidth + 30) << combo->currentText().toStdString();
    }
  }
}

}  // namespace tactora::settings::screenshots

#include "Tactora/settings/FormSection.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tactora::settings {

FormSection::FormSection(const QString& title, QWidget* parent, QWidget* trailing)
    : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  if (!title.isEmpty() || trailing != nullptr) {
    auto* header = new QHBoxLayout;
    header->setContentsMargins(4, 0, 0, 0);
    auto* titleLabel = new QLabel(title, this);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    header->addWidget(titleLabel);
    header->addStretch(1);
    if (trailing != nullptr) {
      trailing->setParent(this);
      header->addWidget(trailing);
    }
    layout->addLayout(header);
  }
  box_ = new QFrame(this);
  box_->setFrameShape(QFrame::StyledPanel);
  box_->setFrameShadow(QFrame::Plain);
  // Set off from the window; controls drawn on Base (check boxes, fields) stay distinct from it.
  box_->setBackgroundRole(QPalette::AlternateBase);
  box_->setAutoFillBackground(true);
  body_ = new QVBoxLayout(box_);
  body_->setContentsMargins(12, 10, 12, 10);
  body_->setSpacing(8);
  layout->addWidget(box_);
}

QLabel* FormSection::addCaption(const QString& text) {
  auto* caption = new QLabel(text, box_);
  makeCaption(caption);
  body_->addWidget(caption);
  return caption;
}

void FormSection::makeCaption(QLabel* label) {
  label->setWordWrap(true);
  QFont small = label->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  label->setFont(small);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
  label->setPalette(palette);
}

}  // namespace tactora::settings

#include "ui/qt/update_progress.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui::qt {

UpdateProgress::UpdateProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("updateProgress");
  setModal(false);
  setFont(QFont("MS Sans Serif", 8));  // the dialog template's font, where the desktop has it
  auto* layout = new QVBoxLayout(this);
  status_ = new QLabel;
  status_->setObjectName("updateStatus");
  layout->addWidget(status_);
  bar_ = new QProgressBar;
  bar_->setRange(0, 100);
  layout->addWidget(bar_);
  auto* facts = new QFormLayout;
  timeLeft_ = new QLabel;
  timeLeft_->setObjectName("timeLeft");
  rate_ = new QLabel;
  rate_->setObjectName("rate");
  facts->addRow(tr("Estimated time left:"), timeLeft_);
  facts->addRow(tr("Transfer rate:"), rate_);
  layout->addLayout(facts);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(420, 160);
}

void UpdateProgress::Present(const QString& caption, const QString& status, const QString& timeLeft,
                             const QString& rate, int bar, bool visible) {
  setWindowTitle(caption);
  status_->setText(status);
  timeLeft_->setText(timeLeft);
  rate_->setText(rate);
  bar_->setValue(bar);
  if (visible && !isVisible()) show();
  if (!visible && isVisible()) hide();
}

void UpdateProgress::reject() {
  // The library hides its window and stops the download after its next block.
  CvCancelDownload();
}

}  // namespace ui::qt

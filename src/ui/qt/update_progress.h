// The update download's progress window in Qt: the update library's view of it (status text,
// bar, time left, rate) in a small dialog of the program, whose Cancel stops the download.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>

#include "updater/corvane.h"

namespace ui::qt {

class UpdateProgress : public QDialog {
 public:
  explicit UpdateProgress(QWidget* parent);
  // Shows what the library's view says (Qt's thread only).
  void Present(const QString& caption, const QString& status, const QString& timeLeft,
               const QString& rate, int bar, bool visible);

 protected:
  void reject() override;  // Cancel, Escape and closing the dialog

 private:
  QLabel* status_;
  QProgressBar* bar_;
  QLabel* timeLeft_;
  QLabel* rate_;
};

}  // namespace ui::qt

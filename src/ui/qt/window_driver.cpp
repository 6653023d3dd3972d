#include "ui/qt/window_driver.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace ui::qt::driving {

ProgramRun::ProgramRun(platform::ImageMachine& machine, std::string programFolder)
    : machine_(machine), programFolder_(std::move(programFolder)), view_(machine) {}

int ProgramRun::Run(const std::string& commandLine,
                    const std::function<void(WindowFrame&, app::MainWindow&)>& script) {
  const std::string programPath = programFolder_ + "Vexmarl.exe";
  app::Application application(machine_, view_, "\"" + programPath + "\" " + commandLine,
                               programFolder_);
  view_.OnOpened([&](WindowFrame& frame) {
    // The window opens before its controller has initialised: the script starts once the
    // loop runs, when the first page has been shown.
    QTimer::singleShot(0, &frame, [&] { script(frame, frame.Controller()); });
  });
  return application.Run();
}

bool WaitUntil(const std::function<bool()>& condition, int limitMs) {
  return QTest::qWaitFor(condition, limitMs);
}

void Click(QWidget* widget) {
  if (!widget) return;
  // A check box or a choice takes clicks on its box and its text only, not on the rest of
  // its row: a person clicks the box.
  const bool box = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
  const QPoint at = box ? QPoint(8, widget->height() / 2) : widget->rect().center();
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

void Hover(QWidget* widget) {
  if (widget) QTest::mouseMove(widget, widget->rect().center());
}

QWidget* OpenModal() {
  return QApplication::activeModalWidget();
}

void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text, int limitMs) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box && clock->elapsed() < limitMs) return;
    timer->stop();
    timer->deleteLater();
    delete clock;
    if (!box) return;
    if (text) *text = box->text();
    if (QAbstractButton* chosen = box->button(button))
      chosen->click();
    else
      box->reject();
  });
  timer->start(10);
}

QObject* AnswerMessageBoxes(QObject* parent,
                            std::function<QMessageBox::StandardButton(const QString&)> policy) {
  auto* timer = new QTimer(parent);
  QObject::connect(timer, &QTimer::timeout, [policy = std::move(policy)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    if (QAbstractButton* chosen = box->button(policy(box->text())))
      chosen->click();
    else
      box->reject();
  });
  timer->start(10);
  return timer;
}

void ChooseFromContextMenu(QWidget* list, int row, std::uintptr_t command,
                           const std::function<void(QWidget&)>& whileOpen) {
  auto* tree = qobject_cast<QTreeWidget*>(list);
  if (!tree) return;
  QPoint at(tree->viewport()->width() / 2, tree->viewport()->height() - 2);
  if (QTreeWidgetItem* item = tree->topLevelItem(row)) at = tree->visualItemRect(item).center();
  QTimer::singleShot(0, tree, [=] {
    if (!WaitUntil([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }, 5000))
      return;
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (whileOpen) whileOpen(*menu);
    for (QAction* action : menu->actions()) {
      if (command && action->data().toULongLong() == command && action->isEnabled()) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        return;
      }
    }
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
  QApplication::sendEvent(tree->viewport(), &event);
}

QImage Grab(QWidget& frame, QWidget* popup) {
  QImage image = frame.grab().toImage();
  if (popup) {
    QPainter painter(&image);
    const QPoint offset = popup->mapToGlobal(QPoint(0, 0)) - frame.mapToGlobal(QPoint(0, 0));
    painter.drawPixmap(offset, popup->grab());
  }
  return image;
}

}  // namespace ui::qt::driving

// Drives the program's Qt window the way a person does, for the tests and the screenshots:
// the whole program started in this process on an image, clicks, context menus, answers to
// message boxes, and waiting while both event loops run.
#pragma once

#include <QImage>
#include <QMessageBox>
#include <QWidget>
#include <functional>
#include <string>

#include "app/application.h"
#include "ui/qt/qt_main_view.h"
#include "ui/qt/window_frame.h"

namespace ui::qt::driving {

// The program with its Qt window on a machine, installed in programFolder (ending with a
// backslash), run on this thread.
class ProgramRun {
 public:
  ProgramRun(platform::ImageMachine& machine, std::string programFolder);

  // Starts the program with the command line and runs it until it ends; script runs inside
  // its event loop once the window has opened (the window has its notice page by then).
  // The program's exit status.
  int Run(const std::string& commandLine,
          const std::function<void(WindowFrame& frame, app::MainWindow& window)>& script);
  QtMainView& View() { return view_; }

 private:
  platform::ImageMachine& machine_;
  std::string programFolder_;
  QtMainView view_;
};

// Handles events of both loops until the condition holds; false when limitMs passed first.
bool WaitUntil(const std::function<bool()>& condition, int limitMs = 30000);

// A visible child of the frame by object name (within a parent of that name when given).
template <typename Widget>
Widget* Find(QWidget& root, const QString& name) {
  for (Widget* widget : root.findChildren<Widget*>(name))
    if (widget->isVisibleTo(&root)) return widget;
  return nullptr;
}

// A left click at the middle of the widget.
void Click(QWidget* widget);
// Moves the mouse onto the widget.
void Hover(QWidget* widget);

// When the next message box opens (within limitMs), records its text and presses the
// button; returns at once. text receives the box's text.
void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr,
                          int limitMs = 30000);
// Answers every message box that opens, with the button the policy gives for its text, until
// the returned answerer is deleted (it is a child of the parent given).
QObject* AnswerMessageBoxes(QObject* parent,
                            std::function<QMessageBox::StandardButton(const QString&)> policy);
// The open modal dialog, if any.
QWidget* OpenModal();

// Right-clicks the row of a list, and with the menu open calls whileOpen (it may look at
// or grab it) and chooses the item with that command id (0: closes the menu).
void ChooseFromContextMenu(QWidget* list, int row, std::uintptr_t command,
                           const std::function<void(QWidget& menu)>& whileOpen = {});

// The window as drawn, with a popup menu drawn over it where it stands.
QImage Grab(QWidget& frame, QWidget* popup = nullptr);

}  // namespace ui::qt::driving

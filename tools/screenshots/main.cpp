// vexmarl-screenshots IMAGE FOLDER: runs the program installed in the image with its Qt
// window, scans, and saves every page as FOLDER/NN-page.png (the found-items list also with
// its context menu open), and the schedule page's dialog. The image should hold something to find.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "app/page_ids.h"
#include "ui/qt/window_driver.h"

namespace {

using namespace ui::qt;
namespace command = app::command;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";
constexpr unsigned kRemoveConfirmationText = 177;

class Shooter {
 public:
  explicit Shooter(QString folder) : folder_(std::move(folder)) {}

  void Save(QWidget& frame, const char* page, QWidget* popup = nullptr) {
    const QString path = folder_ + QString("/%1-%2.png").arg(++count_, 2, 10, QChar('0')).arg(page);
    if (!driving::Grab(frame, popup).save(path)) {
      std::fprintf(stderr, "vexmarl-screenshots: cannot write %s\n", qPrintable(path));
      failed_ = true;
    }
  }
  // A dialog of its own, as drawn.
  void SaveDialog(QWidget& dialog, const char* name) {
    const QString path = folder_ + QString("/%1-%2.png").arg(++count_, 2, 10, QChar('0')).arg(name);
    if (!dialog.grab().save(path)) {
      std::fprintf(stderr, "vexmarl-screenshots: cannot write %s\n", qPrintable(path));
      failed_ = true;
    }
  }
  bool Failed() const { return failed_; }

 private:
  QString folder_;
  int count_ = 0;
  bool failed_ = false;
};

// Waits for a page and lets its widgets settle before the picture.
bool Reach(app::MainWindow& window, app::Page page) {
  const bool reached = driving::WaitUntil([&] { return window.CurrentPage() == page; }, 20000);
  driving::WaitUntil([] { return false; }, 100);
  if (!reached)
    std::fprintf(stderr, "vexmarl-screenshots: page %s never showed\n", app::PageName(page));
  return reached;
}

void Shoot(Shooter& shots, WindowFrame& frame, app::MainWindow& window, bool& complete) {
  using app::Page;
  auto command = [&](std::uintptr_t id, platform::LPARAM lParam = 0) {
    window.Machine().messages().SendMessageA(window.Handle(), app::WM_COMMAND, id, lParam);
  };
  auto reach = [&](Page page, const char* name) {
    if (!Reach(window, page)) return false;
    shots.Save(frame, name);
    return true;
  };
  complete = reach(Page::Notice, "notice");
  driving::Click(driving::Find<QWidget>(frame, "navHome"));
  complete &= reach(Page::Start, "start");
  driving::Click(driving::Find<QWidget>(frame, "scanNow"));
  driving::WaitUntil([&] { return !window.ScanRunning() && window.CurrentPage() == Page::Scan; });
  complete &= reach(Page::Scan, "scan-results");
  QWidget* list = driving::Find<QWidget>(frame, "foundItems");
  driving::ChooseFromContextMenu(list, 0, 0, [&](QWidget& menu) {
    driving::WaitUntil([] { return false; }, 100);
    shots.Save(frame, "scan-menu", &menu);
  });
  driving::ChooseFromContextMenu(list, 0, command::kDetails);
  complete &= reach(Page::ObjectDetails, "details");
  // One item goes to the ignore list, so that its page shows a row.
  command(command::kScanning);
  const int last = static_cast<int>(window.Scan().Rows().size()) - 1;
  command(command::kUntickAll);
  command(command::kToggleRow, last);
  driving::ChooseFromContextMenu(list, last, command::kIgnoreTicked);
  command(command::kIgnore);
  complete &= reach(Page::Ignore, "ignore-list");
  command(command::kOptions);
  complete &= reach(Page::Options, "options");
  command(command::kScanSettings);
  complete &= reach(Page::ScanSettings, "scan-settings");
  // The schedule page of the scheduled scan's task, opened from the scan settings.
  bool scheduled = false;
  QTimer::singleShot(0, [&] {
    if (!driving::WaitUntil([] { return qobject_cast<QDialog*>(driving::OpenModal()); }, 20000))
      return;
    auto* dialog = qobject_cast<QDialog*>(driving::OpenModal());
    driving::WaitUntil([] { return false; }, 100);
    shots.SaveDialog(*dialog, "schedule");
    scheduled = true;
    dialog->reject();
  });
  driving::Click(driving::Find<QWidget>(frame, "schedule"));
  complete &= scheduled;
  command(command::kAbout);
  complete &= reach(Page::About, "about");
  // Remove what was found: yes to the confirmation, the safe answer to the rest.
  command(command::kScanning);
  command(command::kTickAll);
  const QString confirmation = QString::fromStdString(window.Texts().Format(
      kRemoveConfirmationText, {static_cast<long long>(window.Rows().size())}));
  QObject* answerer = driving::AnswerMessageBoxes(&frame, [&](const QString& text) {
    return text == confirmation ? QMessageBox::Yes : QMessageBox::NoButton;
  });
  driving::Click(driving::Find<QWidget>(frame, "scanButton"));
  complete &= reach(Page::Results, "results");
  delete answerer;
  command(command::kResultsQuarantine);
  complete &= reach(Page::Quarantine, "quarantine");
  window.Machine().messages().PostMessageA(window.Handle(), platform::WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vexmarl-screenshots IMAGE FOLDER\n");
    return 2;
  }
  std::string error;
  auto machine = platform::ImageMachine::Open(argv[1], &error);
  if (!machine) {
    std::fprintf(stderr, "vexmarl-screenshots: %s\n", error.c_str());
    return 2;
  }
  int qtArgumentCount = 1;
  QApplication qt(qtArgumentCount, argv);
  QDir().mkpath(argv[2]);
  Shooter shots(argv[2]);
  bool complete = false;
  driving::ProgramRun program(*machine, kProgramFolder);
  program.Run("", [&](WindowFrame& frame, app::MainWindow& window) {
    Shoot(shots, frame, window, complete);
  });
  return complete && !shots.Failed() ? 0 : 1;
}

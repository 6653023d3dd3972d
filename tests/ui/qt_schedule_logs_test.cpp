// The schedule page and the logs' commands through the Qt window, as a person uses them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "platform/scheduler.h"
#include "support/installed_program.h"
#include "ui/qt/window_driver.h"

namespace ui::qt {
namespace {

using app::Page;
using driving::Click;
using driving::Find;
using driving::WaitUntil;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

class QtScheduleLogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::InstallProgram(image_));
    setenv(platform::kMachineVariable, image_.Root().c_str(), 1);  // for the mail system
  }
  void TearDown() override { unsetenv(platform::kMachineVariable); }

  void Run(const std::function<void(WindowFrame&, app::MainWindow&)>& script) {
    driving::ProgramRun program(image_.Machine(), kProgramFolder);
    program.Run("", [&](WindowFrame& frame, app::MainWindow& window) {
      frame_ = &frame;
      script(frame, window);
      image_.Machine().messages().PostMessageA(window.Handle(), platform::WM_CLOSE, 0, 0);
    });
  }
  template <typename Widget = QWidget>
  Widget* Get(const char* name) {
    Widget* widget = Find<Widget>(*frame_, name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Runs handle on the next modal dialog once it is open, after the click that opens it.
  template <typename Dialog>
  void OnNextDialog(QWidget* button, const std::function<void(Dialog&)>& handle) {
    QTimer::singleShot(0, [&] {
      ASSERT_TRUE(WaitUntil([] { return qobject_cast<Dialog*>(driving::OpenModal()); }));
      handle(*qobject_cast<Dialog*>(driving::OpenModal()));
    });
    Click(button);
  }

  testing_support::TempImage image_{"xp"};
  WindowFrame* frame_ = nullptr;
};

TEST_F(QtScheduleLogsTest, TheSchedulePageSetsWeeklyTimesAndCancelKeepsThem) {
  platform::TaskStore store(image_.Files(), image_.Machine().registry(), image_.Machine().system());
  Run([&](WindowFrame&, app::MainWindow& window) {
    Click(Get("navScanSettings"));
    ASSERT_TRUE(WaitUntil([&] { return window.CurrentPage() == Page::ScanSettings; }));
    OnNextDialog<QDialog>(Get("schedule"), [](QDialog& dialog) {
      EXPECT_EQ(dialog.objectName(), "scheduleDialog");
      auto* list = dialog.findChild<QComboBox*>("scheduleList");
      // A task without times offers one to edit: daily at 09:00.
      ASSERT_EQ(list->count(), 1);
      EXPECT_TRUE(list->itemText(0).startsWith("1. daily 09:00 from "))
          << list->itemText(0).toStdString();
      dialog.findChild<QComboBox*>("scheduleKind")->setCurrentIndex(2);
      for (int day = 0; day < 7; ++day)
        dialog.findChild<QCheckBox*>(QString("day%1").arg(day))->setChecked(day == 1 || day == 5);
      dialog.findChild<QTimeEdit*>("startTime")->setTime(QTime(18, 15));
      EXPECT_TRUE(list->itemText(0).startsWith("1. weekly Mon,Fri 18:15 from "))
          << list->itemText(0).toStdString();
      dialog.accept();
    });
    platform::JobFile job;
    ASSERT_EQ(store.Read(store.PathOf("Vexmarl"), job), platform::ERROR_SUCCESS);
    ASSERT_EQ(job.triggers.size(), 1u);
    EXPECT_EQ(job.triggers[0].TriggerType, platform::TASK_TIME_TRIGGER_WEEKLY);
    EXPECT_EQ(job.triggers[0].Type.Weekly.rgfDaysOfTheWeek, 0x22);
    EXPECT_EQ(job.triggers[0].wStartHour, 18);

    // The page opens again with the task's times; a new one added and then cancelled.
    OnNextDialog<QDialog>(Get("schedule"), [](QDialog& dialog) {
      auto* list = dialog.findChild<QComboBox*>("scheduleList");
      EXPECT_TRUE(list->itemText(0).startsWith("1. weekly Mon,Fri 18:15"));
      Click(dialog.findChild<QPushButton*>("newSchedule"));
      EXPECT_EQ(list->count(), 2);
      dialog.reject();
    });
    ASSERT_EQ(store.Read(store.PathOf("Vexmarl"), job), platform::ERROR_SUCCESS);
    EXPECT_EQ(job.triggers.size(), 1u);
  });
}

TEST_F(QtScheduleLogsTest, MailLogsOffersTheNewestLogAndPutsTheMailInTheOutbox) {
  ASSERT_TRUE(image_.Files().CreateDirectoryA("C:\\Program Files\\Vexmarl\\Logs", nullptr));
  image_.WriteFile("C:\\Program Files\\Vexmarl\\Logs\\VexmarlLog old.Log", "<Old/>");
  std::filesystem::last_write_time(
      image_.HostPath("Program Files/Vexmarl/Logs/VexmarlLog old.Log"),
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
  image_.WriteFile("C:\\Program Files\\Vexmarl\\Logs\\VexmarlLog new.Log", "<New/>");
  Run([&](WindowFrame&, app::MainWindow& window) {
    Click(Get("navOptions"));
    ASSERT_TRUE(WaitUntil([&] { return window.CurrentPage() == Page::Options; }));
    OnNextDialog<QFileDialog>(Get("mailLogs"), [&](QFileDialog& dialog) {
      EXPECT_EQ(dialog.directory().absolutePath().toStdString(),
                image_.HostPath("Program Files/Vexmarl/Logs"));
      ASSERT_EQ(dialog.selectedFiles().size(), 1);
      EXPECT_TRUE(dialog.selectedFiles()[0].endsWith("VexmarlLog new.Log"));
      EXPECT_EQ(dialog.nameFilters().size(), 3);
      static_cast<QDialog&>(dialog).accept();  // the dialog's own accept takes the selection
    });
    const std::string outbox =
        image_.HostPath("Documents and Settings/User/Local Settings/Application Data/Outbox");
    ASSERT_TRUE(std::filesystem::exists(outbox));
    int mails = 0;
    for (const auto& entry : std::filesystem::directory_iterator(outbox))
      mails += entry.path().extension() == ".eml";
    EXPECT_EQ(mails, 1);
    EXPECT_FALSE(
        image_.Files().PathFileExistsA("C:\\Program Files\\Vexmarl\\Logs\\VexmarlLog new.zip"));
    EXPECT_TRUE(frame_->isEnabled()) << "the window is on again after the mail";
  });
}

}  // namespace
}  // namespace ui::qt

// The program's Qt window on a real image, driven as a person drives it: clicks on its
// buttons, its context menu, answers to its message boxes, and messages from other
// processes; each test checks what the widgets show and what landed in the registry, the
// files and the session log.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "app/page_ids.h"
#include "app/update_checker.h"
#include "app/user_settings.h"
#include "foundation/setting_names.h"
#include "support/installed_program.h"
#include "support/signed_list.h"
#include "ui/qt/window_driver.h"
#include "update_server/update_server.h"
#include "updater/update_library.h"

// Texts of the widgets in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace ui::qt {
namespace {

using app::Page;
using driving::Click;
using driving::Find;
using driving::WaitUntil;
namespace command = app::command;
namespace setting = foundation::setting;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing_support::InstallProgram(image_)); }
  void TearDown() override {
    if (std::filesystem::exists(image_.Root() + "/demo-spyware.pid"))
      testing_support::RunCommand("kill $(cat '" + image_.Root() +
                                  "/demo-spyware.pid') 2>/dev/null");
  }

  void PlantDemo() {
    int status = -1;
    testing_support::RunCommand(std::string(VEXMARL_DATA_FOLDER) + "/demo/plant.sh '" +
                                    image_.Root() + "' '" + VEXMACHINE_PROGRAM + "' >/dev/null",
                                &status);
    ASSERT_EQ(status, 0);
  }

  // Runs the program with its window; the script drives it, then the window is closed (a
  // running scan is stopped first, questions left open get their safe answer).
  int Run(const std::function<void(WindowFrame&, app::MainWindow&)>& script,
          const std::string& commandLine = "") {
    driving::ProgramRun program(image_.Machine(), kProgramFolder);
    return program.Run(commandLine, [&](WindowFrame& frame, app::MainWindow& window) {
      frame_ = &frame;
      window_ = &window;
      script(frame, window);
      if (!window.Handle()) return;
      driving::AnswerMessageBoxes(&frame, [](const QString&) { return QMessageBox::NoButton; });
      Send(app::AbortScanMessage, 1, 1);
      WaitUntil([&] { return !window.ScanRunning(); });
      image_.Machine().messages().PostMessageA(window.Handle(), platform::WM_CLOSE, 0, 0);
    });
  }

  platform::LRESULT Send(platform::UINT message, platform::WPARAM wParam = 0,
                         platform::LPARAM lParam = 0) {
    return image_.Machine().messages().SendMessageA(window_->Handle(), message, wParam, lParam);
  }
  template <typename Widget = QWidget>
  Widget* Get(const char* name) {
    Widget* widget = Find<Widget>(*frame_, name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString Text(unsigned id) { return QString::fromStdString(window_->Texts().String(id)); }
  bool Reach(Page page) {
    return WaitUntil([&] { return window_->CurrentPage() == page; }, 10000);
  }
  QString Header() { return Get<QLabel>("pageHeader")->text(); }
  QString Status() { return Get<QLabel>("status")->text(); }
  static std::vector<bool> Ticks(QTreeWidget* list) {
    std::vector<bool> ticks;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      ticks.push_back(list->topLevelItem(i)->checkState(0) == Qt::Checked);
    return ticks;
  }
  // A person's click on a row's check box.
  static void TickRow(QTreeWidget* list, int row, bool ticked) {
    list->topLevelItem(row)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
  }
  platform::DWORD Setting(const char* name, platform::DWORD missing = 12345) {
    app::UserSettings settings(image_.Machine().registry(), "Vexmarl");
    return settings.Number(name, missing);
  }
  std::string TextSetting(const char* name) {
    app::UserSettings settings(image_.Machine().registry(), "Vexmarl");
    return settings.Text(name);
  }
  // Every session log of the program, one after the other.
  std::string Logs() {
    std::string text;
    const std::string folder = image_.HostPath("Program Files/Vexmarl/Logs");
    if (!std::filesystem::exists(folder)) return text;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(file.path());
      std::stringstream content;
      content << in.rdbuf();
      text += content.str();
    }
    return text;
  }
  // vexmachine send to the window from another process, while the window goes on; its answer.
  std::future<std::string> SendFromOutside(unsigned message, const std::string& parameters = "") {
    return std::async(std::launch::async, [=, this] {
      return testing_support::SendToWindow(image_, "Vexmarl", message, parameters);
    });
  }
  // Waits for the answer of a send from outside while the window handles its events.
  static std::string Answer(std::future<std::string>& answer) {
    WaitUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return answer.get();
  }

  testing_support::TempImage image_{"xp"};
  WindowFrame* frame_ = nullptr;
  app::MainWindow* window_ = nullptr;
};

TEST_F(QtWindowTest, ScanRemoveAndRestoreThroughTheWindow) {
  PlantDemo();
  const std::string iniFile = "C:\\glimmerbar.ini";
  Run([&](WindowFrame& frame, app::MainWindow& window) {
    EXPECT_EQ(frame.windowTitle(), "Vexmarl");
    EXPECT_EQ(window.CurrentPage(), Page::Notice);
    Click(Get("navHome"));
    ASSERT_TRUE(Reach(Page::Start));
    EXPECT_EQ(Header(), Text(143));
    Click(Get("scanNow"));
    ASSERT_TRUE(WaitUntil([&] { return !window.ScanRunning() && !window.Rows().empty(); }));
    auto* list = Get<QTreeWidget>("foundItems");
    ASSERT_TRUE(WaitUntil([&] { return Get<QLabel>("scanStatus")->text() == Text(124); }));
    EXPECT_EQ(list->topLevelItemCount(), static_cast<int>(window.Rows().size()));
    EXPECT_EQ(list->columnCount(), 5);
    EXPECT_EQ(Get<QPushButton>("scanButton")->text(), Text(155));
    EXPECT_TRUE(Get("navOptions")->isEnabled());
    EXPECT_EQ(TextSetting(setting::kLastScanTime).empty(), false);
    EXPECT_EQ(Setting(setting::kTotalScans), 1u);

    // The context menu of a row: its captions name the row's entry and kind.
    const std::string entry = window.Rows()[0].item.entry->name;
    QStringList captions;
    driving::ChooseFromContextMenu(list, 0, command::kUntickEntry, [&](QWidget& menu) {
      for (QAction* action : menu.actions())
        if (!action->isSeparator()) captions << action->text();
    });
    EXPECT_TRUE(captions.contains(QString("Untick every \"%1\" item").arg(entry.c_str())))
        << captions.join("|").toStdString();
    for (std::size_t i = 0; i < window.Rows().size(); ++i)
      EXPECT_EQ(Ticks(list)[i], window.Rows()[i].item.entry->name != entry) << i;
    // The menu over no row offers nothing for a row.
    driving::ChooseFromContextMenu(list, 999, 0, [&](QWidget& menu) {
      for (QAction* action : menu.actions()) {
        if (action->text() == Text(79)) {
          EXPECT_FALSE(action->isEnabled());
        }
      }
    });

    // Ignore one row, see it on the ignore page, and take it back.
    driving::ChooseFromContextMenu(list, 0, command::kUntickAll);
    TickRow(list, 0, true);
    const std::size_t before = window.Rows().size();
    const std::string ignored = window.Rows()[0].item.text;
    driving::ChooseFromContextMenu(list, 0, command::kIgnoreTicked);
    EXPECT_EQ(window.Rows().size(), before - 1);
    EXPECT_EQ(list->topLevelItemCount(), static_cast<int>(before - 1));
    EXPECT_EQ(Setting(setting::kObjectsIgnored), 1u);
    Click(Get("navIgnore"));
    ASSERT_TRUE(Reach(Page::Ignore));
    auto* ignoredList = Get<QTreeWidget>("ignoredItems");
    ASSERT_EQ(ignoredList->topLevelItemCount(), 1);
    EXPECT_EQ(ignoredList->topLevelItem(0)->text(3).toStdString(), ignored);
    TickRow(ignoredList, 0, true);
    Click(Get("unignore"));
    EXPECT_EQ(ignoredList->topLevelItemCount(), 0);
    EXPECT_EQ(Setting(setting::kObjectsIgnored), 0u);

    // Remove everything that is left, answering the confirmation.
    Click(Get("navScanning"));
    ASSERT_TRUE(Reach(Page::Scan));
    driving::ChooseFromContextMenu(list, 0, command::kTickAll);
    const QString confirmation = QString::fromStdString(
        window.Texts().Format(177, {static_cast<long long>(window.Rows().size())}));
    QStringList asked;
    QObject* answerer = driving::AnswerMessageBoxes(&frame, [&](const QString& text) {
      asked << text;
      return text == confirmation ? QMessageBox::Yes : QMessageBox::NoButton;
    });
    Click(Get("scanButton"));
    ASSERT_TRUE(Reach(Page::Results)) << asked.join("|").toStdString();
    delete answerer;
    EXPECT_EQ(asked.value(0), confirmation);
    EXPECT_EQ(Header(), Text(175));
    EXPECT_FALSE(image_.Files().HostPathOf(iniFile).has_value() &&
                 std::filesystem::exists(*image_.Files().HostPathOf(iniFile)));
    EXPECT_EQ(Status().toStdString(), window.DefaultStatus());
    const std::string logs = Logs();
    EXPECT_NE(logs.find("<Removal>"), std::string::npos);
    EXPECT_NE(logs.find("</Removal>"), std::string::npos);

    // The quarantine page lists the archive; restoring it brings the file back.
    Click(Get("quarantine"));
    ASSERT_TRUE(Reach(Page::Quarantine));
    auto* archives = Get<QTreeWidget>("archives");
    ASSERT_EQ(archives->topLevelItemCount(), 1);
    EXPECT_EQ(archives->headerItem()->text(0), Text(87));
    TickRow(archives, 0, true);
    EXPECT_TRUE(window.Quarantine()->Rows()[0].ticked);
    QString restored;
    driving::AnswerNextMessageBox(QMessageBox::Ok, &restored);
    Click(Get("restore"));
    EXPECT_EQ(restored, QString::fromStdString(window.Texts().Format(92, {1LL})));
    EXPECT_TRUE(std::filesystem::exists(*image_.Files().HostPathOf(iniFile)));
  });
}

TEST_F(QtWindowTest, RowsArriveWhileTheScanRunsAndStopEndsIt) {
  // A scan with a row found at its start and one at its end, held up once the first shows.
  testing_support::InstallSlowDefinitions(image_, testing_support::kInstalledFolder, 120000);
  platform::ImageRegistry& registry = image_.Machine().registry();
  for (const char* key : {"Software\\Slow\\Key0", "Software\\Slow\\Key119999"}) {
    platform::HKEY created = nullptr;
    registry.RegCreateKeyExA(platform::HKEY_LOCAL_MACHINE, key, 0, nullptr, 0,
                             platform::KEY_ALL_ACCESS, nullptr, &created, nullptr);
    registry.RegCloseKey(created);
  }
  Run([&](WindowFrame&, app::MainWindow& window) {
    Click(Get("navScanNow"));
    ASSERT_TRUE(window.ScanRunning());
    EXPECT_EQ(Header(), Text(152));
    EXPECT_FALSE(Get("navOptions")->isEnabled());  // the navigation waits for the scan
    EXPECT_EQ(Get<QPushButton>("scanButton")->text(), Text(118));
    auto* list = Get<QTreeWidget>("foundItems");
    ASSERT_TRUE(WaitUntil([&] { return list->topLevelItemCount() > 0; }));
    EXPECT_TRUE(window.ScanRunning()) << "the scan should still run when its first row shows";
    // The scan waits for the registry while this thread holds it, so it runs until stopped.
    auto held = std::make_unique<platform::ImageRegistry::Snapshot>(image_.Machine().registry());
    EXPECT_NE(Get<QLabel>("phase")->text(), "");

    // Messages from another process reach the window while it scans: another scan changes
    // nothing, closing is refused with text 156.
    auto again = SendFromOutside(app::StartScanMessage);
    EXPECT_EQ(Answer(again), "0\n");
    QString refused;
    driving::AnswerNextMessageBox(QMessageBox::Ok, &refused);
    auto close = SendFromOutside(platform::WM_CLOSE);
    EXPECT_EQ(Answer(close), "0\n");
    EXPECT_EQ(refused, Text(156));
    ASSERT_TRUE(window.ScanRunning());

    Click(Get("scanButton"));  // stop
    held.reset();
    ASSERT_TRUE(WaitUntil([&] { return !window.ScanRunning(); }));
    EXPECT_EQ(Get<QLabel>("scanStatus")->text(), Text(119));
    EXPECT_EQ(Get<QPushButton>("scanButton")->text(), Text(155));
    EXPECT_TRUE(Get("navOptions")->isEnabled());
    EXPECT_NE(Logs().find("<Information Message = \"Scan Aborted by User\"/>"), std::string::npos);

    // The layout button hides the progress and gives the list the page.
    Click(Get("layoutButton"));
    EXPECT_EQ(Get<QPushButton>("layoutButton")->text(), Text(116));
    EXPECT_FALSE(frame_->findChild<QLabel*>("phase")->isVisibleTo(frame_));
    Click(Get("layoutButton"));
    EXPECT_EQ(Get<QPushButton>("layoutButton")->text(), Text(115));
  });
}

TEST_F(QtWindowTest, MessagesFromOtherProcessesReachTheIdleWindowAndCloseIt) {
  bool closedFromOutside = false;
  Run([&](WindowFrame&, app::MainWindow& window) {
    auto quarantine = SendFromOutside(app::ShowQuarantineMessage);
    EXPECT_EQ(Answer(quarantine), "0\n");
    EXPECT_EQ(window.CurrentPage(), Page::Quarantine);
    EXPECT_EQ(Header(), Text(146));
    auto scan = SendFromOutside(app::StartScanMessage);
    EXPECT_EQ(Answer(scan), "0\n");
    ASSERT_TRUE(WaitUntil([&] { return !window.ScanRunning(); }));
    EXPECT_EQ(window.CurrentPage(), Page::Scan);
    auto close = SendFromOutside(platform::WM_CLOSE);
    EXPECT_EQ(Answer(close), "0\n");
    closedFromOutside = window.Handle() == nullptr;
  });
  EXPECT_TRUE(closedFromOutside);
}

TEST_F(QtWindowTest, TheNoticeAndTheOptionsWriteWhatIsClicked) {
  PlantDemo();  // the browser's pages now differ from the saved ones
  Run([&](WindowFrame&, app::MainWindow& window) {
    auto* savedStart = Get<QCheckBox>("noticeBox0");
    auto* browserStart = Get<QCheckBox>("noticeBox1");
    EXPECT_TRUE(savedStart->isChecked());
    Click(browserStart);
    EXPECT_TRUE(browserStart->isChecked());
    EXPECT_FALSE(savedStart->isChecked());  // one of a pair
    const std::string browserPage = window.Notice()->Caption(app::BrowserPagesNotice::BrowserStart);
    Click(Get("apply"));
    EXPECT_EQ(TextSetting(setting::kHomepage), browserPage);

    Click(Get("navOptions"));
    ASSERT_TRUE(Reach(Page::Options));
    auto* mode2 = Get<QRadioButton>("scanMode2");
    EXPECT_FALSE(mode2->isEnabled());
    QString asked;
    driving::AnswerMessageBoxes(frame_, [&](const QString& text) {
      asked = text;
      return QMessageBox::NoButton;
    });
    Click(Get("option0"));  // start with Windows: the scan settings follow (message 1233)
    EXPECT_EQ(Setting(setting::kWindowsStartUp), 1u);
    ASSERT_TRUE(Reach(Page::ScanSettings));
    Click(Get("navOptions"));
    ASSERT_TRUE(Reach(Page::Options));
    mode2 = Get<QRadioButton>("scanMode2");
    EXPECT_TRUE(mode2->isEnabled());
    Click(mode2);
    EXPECT_EQ(Setting("Scanmode"), 2u);
    EXPECT_TRUE(mode2->isChecked());
    auto* homepage = Get<QLineEdit>("homepage");
    homepage->clear();
    QTest::keyClicks(homepage, "http://home.example/");
    Click(Get("apply"));
    EXPECT_EQ(TextSetting(setting::kHomepage), "http://home.example/");
    EXPECT_TRUE(Reach(Page::Start));

    // A scan setting box writes its value.
    Click(Get("navScanSettings"));
    ASSERT_TRUE(Reach(Page::ScanSettings));
    auto* registryBox = Get<QCheckBox>("scanSetting5");
    const bool was = registryBox->isChecked();
    Click(registryBox);
    EXPECT_EQ(Setting(setting::kCustScanRegistry), was ? 0u : 1u);
    EXPECT_EQ(registryBox->isChecked(), !was);
  });
}

TEST_F(QtWindowTest, TheFolderChooserStoresWhatIsConfirmedOnly) {
  // The installed folder to scan is C:\; the chooser opens with it, in a dialog of the window.
  Run([&](WindowFrame&, app::MainWindow&) {
    Click(Get("navScanSettings"));
    ASSERT_TRUE(Reach(Page::ScanSettings));
    EXPECT_EQ(Get<QLabel>("folders")->text(), "C:\\");
    auto choose = [&](bool confirm) {
      QTimer::singleShot(0, [&, confirm] {
        ASSERT_TRUE(WaitUntil([] { return qobject_cast<QDialog*>(driving::OpenModal()); }));
        QWidget* dialog = driving::OpenModal();
        EXPECT_EQ(dialog->windowTitle(), Text(112));
        auto* folders = dialog->findChild<QListWidget*>("folders");
        ASSERT_EQ(folders->count(), 1);
        EXPECT_EQ(folders->item(0)->text(), "C:\\");
        folders->item(0)->setSelected(true);
        Click(dialog->findChild<QPushButton*>("remove"));
        EXPECT_EQ(folders->count(), 0);
        if (confirm)
          static_cast<QDialog*>(dialog)->accept();
        else
          static_cast<QDialog*>(dialog)->reject();
      });
      Click(Get("chooseFolders"));
    };
    choose(false);
    EXPECT_EQ(Setting(setting::kCustScanDrivesNum), 1u);
    EXPECT_EQ(Get<QLabel>("folders")->text(), "C:\\");
    choose(true);
    EXPECT_EQ(Setting(setting::kCustScanDrivesNum), 0u);
    EXPECT_EQ(Get<QLabel>("folders")->text(), "");
  });
}

TEST_F(QtWindowTest, AnUpdateDownloadShowsItsProgressAndCancelStopsIt) {
  testing_support::UpdateServer server;
  updater::UpdateLibrary::Instance().UseMachine(&image_.Machine());
  app::UserSettings(image_.Machine().registry(), "Vexmarl")
      .WriteText("Vexmarl", app::kUpdateServerValue, server.Url(""));
  testing_support::ServeSigned(server, "/vexmarlse/updatecore.aspx", "4.23\n0\n0\n");
  testing_support::ServeSigned(server, "/vexmarl/update.txt",
                               "15.25\n1\n0\ndatabase.db\t" + std::string(64, '0') + "\t1000000\t" +
                                   server.Url("/files/database.db") + "\t0\t0\n");
  server.Server().Get(
      "/files/database.db", [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(1000000, "application/octet-stream",
                                      [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                        return sink.write(std::string(512, 'd').data(), 512);
                                      });
      });
  Run([&](WindowFrame& frame, app::MainWindow& window) {
    QStringList told;
    driving::AnswerMessageBoxes(&frame, [&](const QString& text) {
      told << text;
      return text.startsWith("A new definitions database") ? QMessageBox::Yes : QMessageBox::Ok;
    });
    Click(Get("navOptions"));
    Click(Get("update"));  // the options page's update command: message 3012
    QWidget* progress = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "updateProgress" && widget->isVisible()) progress = widget;
      return progress != nullptr;
    }));
    EXPECT_TRUE(WaitUntil([&] {
      return progress->findChild<QLabel*>("updateStatus")->text() == "Downloading update...";
    }));
    Click(progress->findChild<QPushButton*>("cancel"));
    ASSERT_TRUE(WaitUntil([&] { return !window.Updates()->InProgress(); }));
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(told.value(0), QString("A new definitions database for Vexmarl is available "
                                     "(version 15.25). Download it now?"));
    EXPECT_EQ(told.value(1), Text(165));
  });
  updater::UpdateLibrary::Instance().UseMachine(nullptr);
}

TEST_F(QtWindowTest, TheStatusLineShowsTheHintOfTheControlUnderTheMouse) {
  Run([&](WindowFrame&, app::MainWindow& window) {
    driving::Hover(Get("navScanNow"));
    EXPECT_TRUE(WaitUntil([&] { return Status() == Text(230); }, 5000)) << Status().toStdString();
    driving::Hover(Get("explanation"));  // no hint there
    EXPECT_TRUE(WaitUntil([&] { return Status().toStdString() == window.DefaultStatus(); }, 5000))
        << Status().toStdString();
  });
}

}  // namespace
}  // namespace ui::qt

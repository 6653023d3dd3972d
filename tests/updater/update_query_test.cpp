// The update library's query and download through its exports, against an HTTP server on
// 127.0.0.1: what the record holds, what was posted to the notify window, what was fetched.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <regex>
#include <thread>

#include "support/temp_image.h"
#include "update_server/update_server.h"
#include "updater/corvane.h"
#include "updater/update_library.h"

namespace updater {
namespace {

using namespace platform;
using Codes = std::vector<int>;

UpdateLibrary& Library() {
  return UpdateLibrary::Instance();
}

std::string FileLine(const std::string& name, const std::string& url, std::size_t size,
                     const std::string& digest = "") {
  return name + "\t" + digest + "\t" + std::to_string(size) + "\t" + url + "\t0\t0\n";
}

class UpdateQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Library().UseMachine(&image_.Machine());
    window_ = image_.Machine().messages().CreateWindowA("", [](auto...) { return LRESULT{0}; });
    SetUpCheck(4.23, server_.Url("/list.txt"));
  }
  void TearDown() override {
    Library().UseMachine(nullptr);
    image_.Machine().messages().DestroyWindow(window_);
  }

  void SetUpCheck(double version, const std::string& url) {
    url_ = url;
    const UpdateSetup setup{32, "VEXMARL", "SOFTWARE\\Vexmarl", url_.c_str(), "Vexmarl Update",
                            0,  version};
    CvSetup(&setup);
  }
  UpdateStatus Initialised() {
    UpdateStatus status;
    EXPECT_EQ(CvInitialize(&status), 1);
    status.notifyWindow = window_;
    status.connectTimeout = 2;
    return status;
  }
  // The codes posted to the notify window since the last call, with the record they named.
  Codes Posted(const UpdateStatus* expected = nullptr) {
    Codes codes;
    MSG message;
    while (image_.Machine().messages().PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != UpdateStatusMessage || message.hwnd != window_) continue;
      codes.push_back(static_cast<int>(message.wParam));
      if (expected) {
        EXPECT_EQ(message.lParam, reinterpret_cast<LPARAM>(expected));
      }
    }
    return codes;
  }
  // A query of this reply served at a path of its own.
  UpdateStatus Query(const std::string& reply, double version = 4.23) {
    const std::string path = "/list" + std::to_string(++lists_) + ".txt";
    server_.Serve(path, reply);
    SetUpCheck(version, server_.Url(path));
    UpdateStatus status = Initialised();
    EXPECT_EQ(CvQueryServer(&status), 0);
    return status;
  }
  std::vector<UpdateEntry> Entries() {
    std::vector<UpdateEntry> entries(static_cast<std::size_t>(CvEntryCount()));
    for (std::size_t i = 0; i < entries.size(); ++i)
      CvGetEntry(static_cast<int32_t>(i), &entries[i]);
    return entries;
  }
  void SetProxy(const std::string& server) {
    HKEY key = nullptr;
    ImageRegistry& registry = image_.Machine().registry();
    ASSERT_EQ(registry.RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettingsKey, 0, nullptr, 0,
                                       KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD on = 1;
    registry.RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on),
                            sizeof on);
    registry.RegSetValueExA(key, "ProxyServer", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(server.c_str()),
                            static_cast<DWORD>(server.size() + 1));
    registry.RegCloseKey(key);
  }
  std::string HostFile(const std::string& windowsPath) {
    auto host = image_.Files().HostPathOf(windowsPath);
    return host ? *host : std::string();
  }

  testing_support::TempImage image_{"xp"};
  testing_support::UpdateServer server_;
  HWND window_ = nullptr;
  std::string url_;
  int lists_ = 0;
};

TEST_F(UpdateQueryTest, TheReplyDecidesTheOutcome) {
  struct Case {
    const char* reply;
    double current;
    int code;
    int detail;
  };
  const std::string three = FileLine("a", "u", 1) + FileLine("b", "u", 1) + FileLine("c", "u", 1);
  const std::string twoAndEmpty = FileLine("a", "u", 1) + FileLine("b", "u", 1) + "\n";
  const std::string threeLines = "4.3\n2\n0\n" + three, trailing = "4.3\n2\n0\n" + twoAndEmpty;
  const Case cases[] = {
      {"4.23\n0\n0\n", 4.23, UpdateNone, 0},    // equal is not newer
      {"4.10\n0\n0\n", 4.1, UpdateNone, 0},     // 4.10 is 4.1
      {"4.3\n0\n", 4.23, UpdateReplyShort, 2},  // two lines
      {"", 4.23, UpdateReplyShort, 0},          // nothing at all
      {threeLines.c_str(), 4.23, UpdateReplyMismatch, 5},
      {trailing.c_str(), 4.23, UpdateReplyMismatch, 5},
      {"version 9\n0\n0\n", 4.23, UpdateNone, 0},  // no leading number: 0.0
      {"4.3\r\n0\r\n0\r\n", 4.23, UpdateAvailable, 0},
  };
  for (const Case& test : cases) {
    UpdateStatus status = Query(test.reply, test.current);
    EXPECT_EQ(status.result, test.code) << test.reply;
    EXPECT_EQ(status.detail, test.detail) << test.reply;
    EXPECT_EQ(Posted(&status), Codes{test.code}) << test.reply;
    if (test.code != UpdateAvailable) {
      EXPECT_EQ(CvEntryCount(), 0) << test.reply;
    }
  }
}

TEST_F(UpdateQueryTest, ANewerVersionOffersItsFilesInOrder) {
  UpdateStatus status = Query("4.3\n2\n1\n" + FileLine("Corvane.dll", "http://h/c", 10) +
                              "skins.zip\tx\t2k\thttp://h/s\t1\t1\tseventh\n");
  EXPECT_EQ(status.result, UpdateAvailable);
  EXPECT_DOUBLE_EQ(status.serverVersion, 4.3);
  const std::vector<UpdateEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_STREQ(entries[0].fileName, "Corvane.dll");
  EXPECT_EQ(entries[0].size, 10);
  EXPECT_STREQ(entries[1].downloadUrl, "http://h/s");
  EXPECT_EQ(entries[1].size, 2);  // the digits the field starts with
  EXPECT_EQ(entries[1].archive, 1);
  EXPECT_EQ(entries[1].run, 1);
  // The next query that offers nothing empties the list.
  Query("4.23\n0\n0\n");
  EXPECT_EQ(CvEntryCount(), 0);
}

TEST_F(UpdateQueryTest, ARedirectIsFollowedAndAClosedWindowGetsNothing) {
  server_.Serve("/new.txt", "4.3\n0\n0\n");
  server_.Server().Get("/old.txt", [&](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(server_.Url("/new.txt"));
  });
  SetUpCheck(4.23, server_.Url("/old.txt"));
  UpdateStatus status = Initialised();
  image_.Machine().messages().DestroyWindow(window_);
  CvQueryServer(&status);
  EXPECT_EQ(status.result, UpdateAvailable) << status.detail;
  EXPECT_EQ(Posted(), Codes{});
}

TEST_F(UpdateQueryTest, AnHttpErrorIsAnErrorWithItsStatusNotAList) {
  server_.Serve("/missing.txt", "4.9\n0\n0\n", 404);
  SetUpCheck(4.23, server_.Url("/missing.txt"));
  UpdateStatus status = Initialised();
  CvQueryServer(&status);
  EXPECT_EQ(status.result, UpdateError);
  EXPECT_EQ(status.detail, 404);
  EXPECT_EQ(Posted(), Codes{UpdateError});
}

TEST_F(UpdateQueryTest, AClosedPortIsAnErrorAndAClosedProxyAProxyFailure) {
  SetUpCheck(4.23, "http://127.0.0.1:1/list.txt");
  UpdateStatus status = Initialised();
  CvQueryServer(&status);
  EXPECT_EQ(status.result, UpdateError);
  EXPECT_EQ(status.detail, static_cast<int32_t>(ERROR_INTERNET_CANNOT_CONNECT));
  Posted();
  // With a named proxy that does not answer, the server itself is never reached.
  SetProxy("127.0.0.1:1");
  server_.Serve("/list.txt", "4.9\n0\n0\n");
  SetUpCheck(4.23, server_.Url("/list.txt"));
  status = Initialised();
  CvQueryServer(&status);
  EXPECT_EQ(status.result, UpdateProxyFailure);
  EXPECT_EQ(status.detail, 0);
  EXPECT_EQ(Posted(), Codes{UpdateProxyFailure});
  EXPECT_TRUE(server_.Asked().empty());
}

TEST_F(UpdateQueryTest, AServerWhoseCertificateNobodyVouchesForIsRefused) {
  testing_support::SelfSignedServer secure(image_.Root());
  std::atomic<bool> served{false};
  secure.Server().Get("/list.txt", [&](const httplib::Request&, httplib::Response& response) {
    served = true;
    response.set_content("4.9\n0\n0\n", "text/plain");
  });
  SetUpCheck(4.23, secure.Url("/list.txt"));
  UpdateStatus status = Initialised();
  CvQueryServer(&status);
  EXPECT_EQ(status.result, UpdateError);
  EXPECT_EQ(status.detail, static_cast<int32_t>(ERROR_INTERNET_SEC_CERT_ERRORS));
  EXPECT_FALSE(served);
}

TEST_F(UpdateQueryTest, WithoutANotifyWindowNothingIsPostedButTheRecordHoldsTheOutcome) {
  server_.Serve("/list.txt", "4.23\n0\n0\n");
  UpdateStatus status = Initialised();
  status.notifyWindow = nullptr;
  ASSERT_EQ(CvQueryServerAsync(&status), 1);
  ASSERT_NE(status.workerThread, nullptr);
  for (int i = 0; i < 500 && status.result == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(CvAbort(&status), 1);  // waits for the ended worker
  EXPECT_EQ(status.result, UpdateNone);
  EXPECT_EQ(Posted(), Codes{});
}

TEST_F(UpdateQueryTest, TheSecondSetupReplacesTheFirstAndAbortWithoutAThreadChangesNothing) {
  server_.Serve("/a.txt", "4.4\n0\n0\n");
  SetUpCheck(4.23, server_.Url("/a.txt"));
  UpdateStatus status = Initialised();
  SetUpCheck(4.5, server_.Url("/a.txt"));
  EXPECT_DOUBLE_EQ(status.currentVersion, 4.23);  // the copy stays
  CvQueryServer(&status);
  EXPECT_EQ(status.result, UpdateNone);  // 4.4 is not newer than the new setup's 4.5
  UpdateStatus untouched = Initialised();
  const UpdateStatus before = untouched;
  EXPECT_EQ(CvAbort(&untouched), 1);
  EXPECT_EQ(std::memcmp(&before, &untouched, sizeof before), 0);
}

TEST_F(UpdateQueryTest, TheDailyCheckRunsOnceADayWhenTheSettingsSaySo) {
  server_.Serve("/list.txt", "4.23\n0\n0\n");
  UpdateStatus status = Initialised();
  EXPECT_EQ(CvDailyCheck(&status), 1);  // no stored moment
  EXPECT_EQ(status.result, UpdateNone);
  HKEY key = nullptr;
  image_.Machine().registry().RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexmarl", 0, nullptr,
                                              0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  auto store = [&](long long seconds) {
    const std::string text = std::to_string(seconds);
    image_.Machine().registry().RegSetValueExA(key, "Corvane", 0, REG_SZ,
                                               reinterpret_cast<const BYTE*>(text.c_str()),
                                               static_cast<DWORD>(text.size() + 1));
  };
  store(std::time(nullptr));
  const std::size_t asked = server_.Asked().size();
  EXPECT_EQ(CvDailyCheck(&status), 0);
  EXPECT_EQ(server_.Asked().size(), asked);
  store(std::time(nullptr) - 2 * 86400);
  EXPECT_EQ(CvDailyCheck(&status), 1);
  image_.Machine().registry().RegCloseKey(key);
}

// The download: a list of files served, queried, then fetched.
class UpdateDownloadTest : public UpdateQueryTest {
 protected:
  // Serves the files and a list naming them, and queries it.
  void Offer(const std::vector<std::pair<std::string, std::string>>& files,
             const std::vector<std::string>& digests = {}) {
    std::string list = "4.3\n" + std::to_string(files.size()) + "\n0\n";
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string path = "/files/" + files[i].first;
      if (!files[i].second.empty()) server_.Serve(path, files[i].second);
      list += FileLine(files[i].first, server_.Url(path), files[i].second.size(),
                       i < digests.size() ? digests[i] : "");
    }
    status_ = Query(list);
    ASSERT_EQ(status_.result, UpdateAvailable);
    Posted();
  }
  std::string LocalCopy(std::size_t index) {
    const std::vector<Entry> entries = Library().Entries();  // a copy, safe beside the worker
    return index < entries.size() ? entries[index].localCopy : std::string();
  }
  std::string Read(const std::string& windowsPath) {
    std::ifstream in(HostFile(windowsPath), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& windowsPath) {
    return image_.Files().GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  UpdateStatus status_{};
};

TEST_F(UpdateDownloadTest, EveryEntryIsFetchedIntoATemporaryFile) {
  const std::string big(5000, 'x');
  Offer({{"one.dll", "first"}, {"two.dat", big}, {"three.zip", "third"}});
  EXPECT_EQ(CvDownloadUpdate(&status_), 1);
  EXPECT_EQ(Posted(&status_), Codes{UpdateDownloaded});
  const std::regex temporary(R"(C:\\DOCUME~1\\[^\\]+\\LOCALS~1\\Temp\\[0-9A-Z]{10})");
  const std::string contents[] = {"first", big, "third"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::regex_match(LocalCopy(i), temporary)) << LocalCopy(i);
    EXPECT_EQ(Read(LocalCopy(i)), contents[i]);
  }
}

TEST_F(UpdateDownloadTest, AnErrorPageOrAWrongDigestIsNoDownload) {
  server_.Serve("/files/gone.dll", "Not Found", 404);
  Offer({{"one.dll", "first"}, {"gone.dll", ""}, {"three.dll", "third"}});
  EXPECT_EQ(CvDownloadUpdate(&status_), 0);
  EXPECT_EQ(Posted(), Codes{UpdateDownloadFailed});
  EXPECT_FALSE(Exists(LocalCopy(1)));  // the error page was not saved as the file
  const std::vector<std::string> asked = server_.Asked();
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "/files/three.dll"), 0);

  Offer({{"signed.dll", "the real bytes"}}, {std::string(64, 'a')});
  EXPECT_EQ(CvDownloadUpdate(&status_), 0);
  EXPECT_EQ(Posted(), Codes{UpdateDownloadFailed});
  EXPECT_FALSE(Exists(LocalCopy(0)));
}

// What the program's presenter was shown.
struct Shown {
  std::mutex lock;  // guards views
  std::vector<ProgressView> views;
  static void Present(const CvProgressView* view, void* context) {
    auto* shown = static_cast<Shown*>(context);
    std::lock_guard guard(shown->lock);
    shown->views.push_back(
        {view->caption, view->status, view->timeLeft, view->rate, view->bar, view->visible != 0});
  }
};

TEST_F(UpdateDownloadTest, CancelDuringTheSecondOfThreeFilesStopsTheDownload) {
  Shown shown;
  CvSetProgressPresenter(&Shown::Present, &shown);
  // The person presses Cancel while the second file comes.
  server_.Server().Get("/files/two.dat", [](const httplib::Request&, httplib::Response& response) {
    CvCancelDownload();
    response.set_content(std::string(4000, 'y'), "application/octet-stream");
  });
  Offer({{"one.dll", "first"}, {"two.dat", ""}, {"three.dll", "third"}});
  status_.showProgress = 1;
  EXPECT_EQ(CvDownloadUpdate(&status_), 0);
  CvSetProgressPresenter(nullptr, nullptr);
  EXPECT_EQ(Posted(), Codes{UpdateDownloadFailed});
  const std::vector<std::string> asked = server_.Asked();
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "/files/three.dll"), 0);
  std::lock_guard guard(shown.lock);
  ASSERT_FALSE(shown.views.empty());
  EXPECT_TRUE(shown.views.front().visible);
  EXPECT_EQ(shown.views.front().caption, "Vexmarl Update");
  auto showing = [&](const char* text) {
    return std::any_of(shown.views.begin(), shown.views.end(),
                       [&](const ProgressView& view) { return view.status == text; });
  };
  EXPECT_TRUE(showing("Connecting to the server for download."));
  EXPECT_TRUE(showing("Downloading update..."));
  EXPECT_FALSE(shown.views.back().visible);
}

TEST_F(UpdateDownloadTest, AConnectionDroppedHalfwayFailsTheDownload) {
  server_.Server().Get("/files/half.dll", [](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(10000, "application/octet-stream",
                                  [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                    if (offset >= 5000) return false;  // the server goes away
                                    sink.write(std::string(5000, 'h').data(), 5000);
                                    return true;
                                  });
  });
  Offer({{"half.dll", ""}});
  EXPECT_EQ(CvDownloadUpdate(&status_), 0);
  EXPECT_EQ(Posted(), Codes{UpdateDownloadFailed});
}

TEST_F(UpdateDownloadTest, AbortStopsTheWorkerPostsNothingAndRemovesItsFiles) {
  std::atomic<bool> started{false};
  server_.Server().Get(
      "/files/slow.dll", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(1 << 30, "application/octet-stream",
                                      [&](std::size_t, std::size_t, httplib::DataSink& sink) {
                                        started = true;
                                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                        return sink.write(std::string(512, 's').data(), 512);
                                      });
      });
  Offer({{"slow.dll", ""}});
  ASSERT_EQ(CvDownloadUpdateAsync(&status_), 1);
  for (int i = 0; i < 500 && !(started && Exists(LocalCopy(0))); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(Exists(LocalCopy(0)));
  EXPECT_EQ(CvAbort(&status_), 1);
  EXPECT_EQ(status_.workerThread, nullptr);
  EXPECT_FALSE(Exists(LocalCopy(0)));
  EXPECT_EQ(Posted(), Codes{});
}

TEST_F(UpdateDownloadTest, WithoutAnOfferTheDownloadHasNothingToFetch) {
  UpdateStatus status = Query("4.3\n0\n");  // short: the list stays empty
  Posted();
  EXPECT_EQ(CvDownloadUpdate(&status), 1);
  EXPECT_EQ(Posted(), Codes{UpdateDownloaded});
}

}  // namespace
}  // namespace updater

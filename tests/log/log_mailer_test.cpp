// Mailing logs: the chooser's start, the archive's name and entries, the mail system's
// answers, and the mail as it lands in the user's outbox.
#include "log/log_mailer.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_image.h"

// After the machine layer: glib defines TRUE and FALSE as macros.
#include <gmime/gmime.h>

namespace logging {
namespace {

using namespace platform;
using testing_support::TempImage;
namespace fs = std::filesystem;

constexpr const char* kLogs = "C:\\Program Files\\Vexmarl\\Logs";
constexpr const char* kMailLibrary = "C:\\WINDOWS\\system32\\MAPI32.DLL";

// The entries of a ZIP archive on the host, in order, with their contents.
std::vector<std::pair<std::string, std::string>> ZipEntries(const std::string& hostPath) {
  std::vector<std::pair<std::string, std::string>> entries;
  unzFile archive = unzOpen64(hostPath.c_str());
  if (!archive) return entries;
  for (int status = unzGoToFirstFile(archive); status == UNZ_OK;
       status = unzGoToNextFile(archive)) {
    char name[256] = {};
    unz_file_info64 info{};
    unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0);
    std::string content(info.uncompressed_size, '\0');
    unzOpenCurrentFile(archive);
    unzReadCurrentFile(archive, content.data(), static_cast<unsigned>(content.size()));
    unzCloseCurrentFile(archive);
    entries.emplace_back(name, content);
  }
  unzClose(archive);
  return entries;
}

class LogMailerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The mail system finds the machine of the process that loads it.
    setenv(kMachineVariable, image_.Root().c_str(), 1);
    ASSERT_TRUE(image_.Files().CreateDirectoryA("C:\\Program Files", nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    image_.Files().CreateDirectoryA("C:\\Program Files\\Vexmarl", nullptr);
    ASSERT_TRUE(image_.Files().CreateDirectoryA(kLogs, nullptr));
  }
  void TearDown() override { unsetenv(kMachineVariable); }

  LogMailer Mailer() {
    LogMail mail;
    mail.caption = "Vexmarl";
    mail.chooserTitle = "Choose the logs to mail";
    mail.subject = "Vexmarl scan log";
    mail.body = "Please find the scan log attached.";
    mail.address = "logs@vexmarl.example";
    mail.packFailedFormat = "The logs could not be packed into %s.";
    return LogMailer(image_.Machine(), prompt_, kLogs, mail);
  }
  std::string Log(const std::string& name, const std::string& content) {
    const std::string path = std::string(kLogs) + "\\" + name;
    image_.WriteFile(path, content);
    return path;
  }
  // The mail files of the user's outbox.
  std::vector<std::string> Outbox() {
    std::vector<std::string> mails;
    const auto folder = image_.Files().HostPathOf(
        "C:\\Documents and Settings\\User\\Local Settings\\Application Data\\Outbox");
    if (!folder || !fs::exists(*folder)) return mails;
    for (const auto& entry : fs::directory_iterator(*folder))
      if (entry.path().extension() == ".eml") mails.push_back(entry.path().string());
    return mails;
  }
  bool Exists(const std::string& path) { return image_.Files().PathFileExistsA(path.c_str()); }

  TempImage image_{"xp"};
  ScriptedPrompt prompt_;
};

TEST_F(LogMailerTest, TheChooserStartsOnTheNewestLogOrOnTheEmptyFolder) {
  LogMailer mailer = Mailer();
  prompt_.AnswerFiles(std::nullopt);
  EXPECT_EQ(mailer.MailLogs(nullptr, {}), MailOutcome::Cancelled);
  Log("VexmarlLog 1.Log", "old");
  // Written later: a folder (skipped) and the newest log.
  fs::path host = image_.HostPath("Program Files/Vexmarl/Logs");
  Log("VexmarlLog 2.Log", "new");
  fs::last_write_time(host / "VexmarlLog 1.Log",
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  fs::create_directory(host / "zfolder");
  prompt_.AnswerFiles(std::nullopt);
  EXPECT_EQ(mailer.MailLogs(nullptr, {}), MailOutcome::Cancelled);
  EXPECT_EQ(prompt_.Asked(), (std::vector<std::string>{
                                 "choose files: Choose the logs to mail in " + std::string(kLogs),
                                 "choose files: Choose the logs to mail in " + std::string(kLogs) +
                                     " [VexmarlLog 2.Log]"}));
}

TEST_F(LogMailerTest, OneFileIsMailedAsASameNamedArchiveBesideIt) {
  image_.Files().CreateDirectoryA("C:\\Saved", nullptr);
  image_.WriteFile("C:\\Saved\\scan.xml", "<Scan/>");
  LogMailer mailer = Mailer();
  prompt_.AnswerFiles(std::vector<std::string>{"C:\\Saved\\scan.xml"});
  EXPECT_EQ(mailer.MailLogs(nullptr, {}), MailOutcome::Sent);
  EXPECT_EQ(mailer.Archive(), "C:\\Saved\\scan.zip");
  EXPECT_FALSE(Exists("C:\\Saved\\scan.zip")) << "handed over, then deleted";
  EXPECT_TRUE(Exists("C:\\Saved\\scan.xml"));

  // The mail as a mail reader sees it.
  const std::vector<std::string> mails = Outbox();
  ASSERT_EQ(mails.size(), 1u);
  g_mime_init();
  FILE* file = std::fopen(mails[0].c_str(), "rb");
  ASSERT_TRUE(file);
  GMimeStream* stream = g_mime_stream_file_new(file);
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
  ASSERT_TRUE(message);
  EXPECT_STREQ(g_mime_message_get_subject(message), "Vexmarl scan log");
  InternetAddressList* to = g_mime_message_get_to(message);
  ASSERT_EQ(internet_address_list_length(to), 1);
  EXPECT_STREQ(internet_address_mailbox_get_addr(
                   INTERNET_ADDRESS_MAILBOX(internet_address_list_get_address(to, 0))),
               "logs@vexmarl.example");
  ASSERT_TRUE(GMIME_IS_MULTIPART(g_mime_message_get_mime_part(message)));
  GMimeMultipart* parts = GMIME_MULTIPART(g_mime_message_get_mime_part(message));
  ASSERT_EQ(g_mime_multipart_get_count(parts), 2);
  GMimeTextPart* body = GMIME_TEXT_PART(g_mime_multipart_get_part(parts, 0));
  char* text = g_mime_text_part_get_text(body);
  EXPECT_STREQ(text, "Please find the scan log attached.");
  g_free(text);
  GMimePart* attachment = GMIME_PART(g_mime_multipart_get_part(parts, 1));
  EXPECT_STREQ(g_mime_part_get_filename(attachment), "scan.zip");
  GMimeStream* decoded = g_mime_stream_mem_new();
  g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(attachment), decoded);
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(decoded));
  const fs::path copy =
      fs::temp_directory_path() / ("attached-" + std::to_string(getpid()) + ".zip");
  std::ofstream(copy, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes->data), bytes->len);
  EXPECT_EQ(ZipEntries(copy.string()),
            (std::vector<std::pair<std::string, std::string>>{{"scan.xml", "<Scan/>"}}));
  fs::remove(copy);
  g_object_unref(decoded);
  g_object_unref(message);
  g_object_unref(parser);
  g_object_unref(stream);
}

TEST_F(LogMailerTest, SeveralFilesMakeOneArchiveNamedAfterTheFirstAndAreKeptWithoutAMailSystem) {
  ASSERT_TRUE(image_.Files().DeleteFileA(kMailLibrary));
  const std::vector<std::string> chosen = {Log("b.log", "bee"), Log("a.log", "ay"),
                                           Log("c.xml", "<c/>")};
  LogMailer mailer = Mailer();
  prompt_.AnswerFiles(chosen);
  prompt_.AnswerMessage(IDOK);
  EXPECT_EQ(mailer.MailLogs(nullptr, {}), MailOutcome::NoMailSystem);
  EXPECT_EQ(prompt_.Asked().back(), "Vexmarl: Unable to load mail system support.");
  EXPECT_EQ(mailer.Archive(), std::string(kLogs) + "\\b.zip");
  EXPECT_EQ(ZipEntries(image_.HostPath("Program Files/Vexmarl/Logs/b.zip")),
            (std::vector<std::pair<std::string, std::string>>{
                {"b.log", "bee"}, {"a.log", "ay"}, {"c.xml", "<c/>"}}));
  EXPECT_TRUE(Outbox().empty());

  // An archive of that name already there is kept: the next one takes another name.
  prompt_.AnswerFiles(chosen);
  prompt_.AnswerMessage(IDOK);
  mailer.MailLogs(nullptr, {});
  EXPECT_EQ(mailer.Archive(), std::string(kLogs) + "\\b (2).zip");
  EXPECT_EQ(ZipEntries(image_.HostPath("Program Files/Vexmarl/Logs/b.zip")).size(), 3u);
}

TEST_F(LogMailerTest, AMailSystemWithoutItsEntryIsInvalidAndWhileItRunsTheWindowsAreOff) {
  // A library that loads but has no MAPISendMail.
  Dl_info zlib{};
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(&zlibVersion), &zlib));
  fs::copy_file(zlib.dli_fname, image_.HostPath("WINDOWS/system32/MAPI32.DLL"),
                fs::copy_options::overwrite_existing);
  Log("x.log", "x");
  LogMailer mailer = Mailer();
  prompt_.AnswerMessage(IDOK);
  std::vector<bool> windows;
  EXPECT_EQ(mailer.MailFiles({std::string(kLogs) + "\\x.log"}, nullptr,
                             [&](bool enable) { windows.push_back(enable); }),
            MailOutcome::InvalidMailSystem);
  EXPECT_EQ(prompt_.Asked(), std::vector<std::string>{"Vexmarl: Mail system DLL is invalid."});
  EXPECT_TRUE(Exists(std::string(kLogs) + "\\x.zip"));
  EXPECT_TRUE(windows.empty());

  fs::remove(image_.HostPath("WINDOWS/system32/MAPI32.DLL"));
  fs::copy_file(fs::path(VEXMACHINE_PROGRAM).parent_path() / "MAPI32.DLL",
                image_.HostPath("WINDOWS/system32/MAPI32.DLL"));
  EXPECT_EQ(mailer.MailFiles({std::string(kLogs) + "\\x.log"}, nullptr,
                             [&](bool enable) { windows.push_back(enable); }),
            MailOutcome::Sent);
  EXPECT_EQ(windows, (std::vector<bool>{false, true}));
}

}  // namespace
}  // namespace logging

// Signed update lists against an HTTP server on 127.0.0.1: what the vendor's key accepts,
// every way a list or a download is refused, and what the library keeps of the lists taken.
#include <gtest/gtest.h>

#include <ctime>

#include "foundation/md5_text.h"
#include "support/signed_list.h"
#include "support/temp_image.h"
#include "update_server/update_server.h"
#include "updater/corvane.h"
#include "updater/list_signature.h"
#include "updater/update_library.h"

namespace updater {
namespace {

using namespace platform;
using testing_support::SignatureFile;

constexpr const char* kIssuedValue = "TestListIssued";
constexpr long long kDay = 86400;

class SignedListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UpdateLibrary::Instance().UseMachine(&image_.Machine());
    key_ = testing_support::PublicKeyText();
  }
  void TearDown() override { UpdateLibrary::Instance().UseMachine(nullptr); }

  // A list offering the files, each served with its bytes and named with its digest (or the
  // digest given).
  std::string Offer(const std::string& version,
                    const std::vector<std::pair<std::string, std::string>>& files,
                    const std::string& digest = "") {
    std::string list = version + "\n" + std::to_string(files.size()) + "\n0\n";
    for (const auto& [name, bytes] : files) {
      server_.Serve("/files/" + name, bytes);
      list += name + "\t" + (digest.empty() ? foundation::Sha256OfText(bytes) : digest) + "\t" +
              std::to_string(bytes.size()) + "\t" + server_.Url("/files/" + name) + "\t0\t0\n";
    }
    return list;
  }
  // Queries the list served at a path of its own with the signature file beside it (none when
  // signature is null), the installed version being 4.23. The record lives as long as the
  // test, as the program's records do: the library keeps its texts by record.
  UpdateStatus& Query(const std::string& list, const std::string* signature) {
    const std::string path = "/list" + std::to_string(++lists_) + ".txt";
    server_.Serve(path, list);
    if (signature) server_.Serve(path + ".sig", *signature);
    url_ = server_.Url(path) + "?channel=test";
    const UpdateSetup setup{32, "VEXMARL", "SOFTWARE\\Vexmarl", url_.c_str(), "Update", 0, 4.23};
    CvSetup(&setup);
    const UpdateTrust trust{sizeof(UpdateTrust), key_.c_str(), kIssuedValue};
    CvSetTrust(&trust);
    UpdateStatus& status = status_;
    CvInitialize(&status);
    status.connectTimeout = 2;
    CvQueryServer(&status);
    return status;
  }
  UpdateStatus& QuerySigned(const std::string& list, long long issued = std::time(nullptr)) {
    const std::string signature = SignatureFile(list, issued);
    return Query(list, &signature);
  }
  static std::string Text(const UpdateStatus& status) {
    char text[1024];
    CvVerificationText(&status, text, sizeof text);
    return text;
  }
  std::string Kept() {
    HKEY key = nullptr;
    char text[64] = {};
    DWORD size = sizeof text - 1;
    Registry& registry = image_.Machine().registry();
    if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexmarl", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
      registry.RegQueryValueExA(key, kIssuedValue, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                                &size);
      registry.RegCloseKey(key);
    }
    return text;
  }

  testing_support::TempImage image_{"xp"};
  testing_support::UpdateServer server_;
  std::string key_, url_;
  int lists_ = 0;
  UpdateStatus status_{};
};

TEST_F(SignedListTest, ASignedListWithItsDigestsIsOfferedAndItsFilesFetched) {
  const long long issued = std::time(nullptr) - 3600;
  UpdateStatus& status =
      QuerySigned(Offer("4.3", {{"one.dll", "first"}, {"two.dll", "second"}}), issued);
  ASSERT_EQ(status.result, UpdateAvailable) << Text(status);
  EXPECT_EQ(CvEntryCount(), 2);
  EXPECT_EQ(Text(status), "");
  EXPECT_EQ(Kept(), IssueTimeText(issued));
  EXPECT_EQ(server_.Asked()[1], "/list1.txt.sig");  // beside the list, before its query
  EXPECT_EQ(CvDownloadUpdate(&status), 1);
}

// Each forgery is refused with its own reason, and nothing of it is offered.
TEST_F(SignedListTest, EveryForgeryIsRefusedWithItsReason) {
  const std::string good = Offer("4.3", {{"one.dll", "first"}});
  const std::string other = Offer("4.4", {{"two.dll", "second"}});
  std::string changed = good;
  changed[0] = '5';  // version 5.3 under 4.3's signature
  const std::string garbage = "2026-12-09T10:00:00Z\nnot base64!\n";
  const std::string empty;
  const std::string byOther =
      SignatureFile(good, std::time(nullptr), testing_support::OtherUpdateKey());
  const std::string ofOther = SignatureFile(other);
  const std::string future = SignatureFile(good, std::time(nullptr) + 2 * kDay);
  const std::string older = Offer("4.1", {{"old.dll", "old"}});
  const std::string olderSignature = SignatureFile(older);
  const std::string undigested =
      "4.3\n1\n0\nbare.dll\t\t5\t" + server_.Url("/files/one.dll") + "\t0\t0\n";
  const std::string undigestedSignature = SignatureFile(undigested);
  const std::string goodSignature = SignatureFile(good);
  struct Case {
    const char* what;
    const std::string& list;
    const std::string* signature;
    int reason;
    std::string said;
  };
  const Case cases[] = {
      {"one byte changed", changed, &goodSignature, RefusedBadSignature, ""},
      {"another list's signature", good, &ofOther, RefusedBadSignature,
       "its signature is not the vendor's signature of this list"},
      {"another key", good, &byOther, RefusedBadSignature, ""},
      {"no signature", good, nullptr, RefusedNoSignature,
       "it has no signature: the server answered " + server_.Url("/list4.txt.sig") +
           "?channel=test with HTTP status 404"},
      {"an empty signature file", good, &empty, RefusedMalformedSignature,
       "its signature file is empty"},
      {"garbage", good, &garbage, RefusedMalformedSignature,
       "its signature file is not an issue time and a Base64 signature"},
      {"issued two days ahead", good, &future, RefusedFromTheFuture, "more than a day after"},
      {"an older version", older, &olderSignature, RefusedOlderVersion,
       "it offers version 4.1, older than the installed version 4.23"},
      {"a file without its digest", undigested, &undigestedSignature, RefusedEntryWithoutDigest,
       "its line for the file \"bare.dll\" has no SHA-256 digest"},
  };
  for (const Case& refused : cases) {
    const UpdateStatus& status = Query(refused.list, refused.signature);
    EXPECT_EQ(status.result, UpdateRefused) << refused.what;
    EXPECT_EQ(status.detail, refused.reason) << refused.what;
    EXPECT_NE(Text(status).find(refused.said), std::string::npos)
        << refused.what << ": " << Text(status);
    EXPECT_EQ(CvEntryCount(), 0) << refused.what;
  }
  EXPECT_EQ(Kept(), "");  // nothing was accepted
}

// The newest issue time taken is kept: an earlier list is a replay; the same one again is
// not. A list older than a month is taken, with its age told.
TEST_F(SignedListTest, AListIssuedBeforeTheOneTakenLastIsARollback) {
  const long long now = std::time(nullptr);
  const std::string stale = Offer("4.23", {});
  UpdateStatus& status = QuerySigned(stale, now - 40 * kDay);
  EXPECT_EQ(status.result, UpdateNone);
  EXPECT_EQ(Text(status), "the update server's list is 40 days old");
  const std::string fresh = Offer("4.3", {{"one.dll", "first"}});
  EXPECT_EQ(QuerySigned(fresh, now).result, UpdateAvailable);
  EXPECT_EQ(QuerySigned(fresh, now).result, UpdateAvailable);
  QuerySigned(stale, now - 40 * kDay);
  EXPECT_EQ(status.result, UpdateRefused);
  EXPECT_EQ(status.detail, RefusedReplayed);
  EXPECT_EQ(Text(status), "it was issued at " + IssueTimeText(now - 40 * kDay) +
                              ", before the list accepted last (issued at " + IssueTimeText(now) +
                              ")");
  EXPECT_EQ(Kept(), IssueTimeText(now));
}

TEST_F(SignedListTest, ADownloadThatDoesNotMatchItsDigestIsRefusedAndNothingIsKept) {
  std::string list = Offer("4.3", {{"one.dll", "first"}, {"two.dll", "tampered"}});
  const std::string served = foundation::Sha256OfText("tampered");
  list.replace(list.find(served), served.size(), foundation::Sha256OfText("second"));
  UpdateStatus& status = QuerySigned(list);
  ASSERT_EQ(status.result, UpdateAvailable);
  EXPECT_EQ(CvDownloadUpdate(&status), 0);
  EXPECT_EQ(status.detail, RefusedDigestMismatch);
  EXPECT_EQ(Text(status), "the download of \"two.dll\" does not match its SHA-256 digest");
  for (int i = 0; i < CvEntryCount(); ++i) {
    UpdateEntry entry;
    CvGetEntry(i, &entry);
    EXPECT_EQ(image_.Files().GetFileAttributesA(entry.localCopy), INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(SignedListTest, AKeyTooShortTrustsNoList) {
  key_ = testing_support::ShortPublicKeyText();
  const UpdateStatus& status = QuerySigned(Offer("4.3", {}));
  EXPECT_EQ(status.detail, RefusedUnusableKey);
  key_ = "-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----\n";
  EXPECT_EQ(QuerySigned(Offer("4.3", {})).detail, RefusedUnusableKey);
}

TEST(ListSignatureTest, TheFileIsExactlyAnIssueTimeAndCanonicalBase64) {
  EXPECT_TRUE(ReadListSignature("2024-02-29T23:59:59Z\nAAAA\r\n"));
  EXPECT_TRUE(ReadListSignature("2026-12-09T10:00:00Z\nAA==\n"));
  for (const char* bad :
       {"2023-02-29T00:00:00Z\nAAAA\n", "2026-12-09T24:00:00Z\nAAAA\n",
        "2026-12-09 10:00:00Z\nAAAA\n", "2026-12-09T10:00:00Z\r\nAAAA\n",
        "2026-12-09T10:00:00Z\nAAA\n", "2026-12-09T10:00:00Z\nA=AA\n",
        "2026-12-09T10:00:00Z\nAAAA\n\n", "2026-12-09T10:00:00Z\n\n", "1969-12-31T23:59:59Z\nAAAA"})
    EXPECT_FALSE(ReadListSignature(bad)) << bad;
  EXPECT_EQ(IssueTimeText(*ReadIssueTime("2000-03-01T00:00:00Z")), "2000-03-01T00:00:00Z");
  EXPECT_EQ(*ReadIssueTime("1970-01-02T00:00:01Z"), kDay + 1);
}

}  // namespace
}  // namespace updater

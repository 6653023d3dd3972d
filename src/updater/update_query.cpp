#include "updater/update_query.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <random>

#include "foundation/md5_text.h"
#include "platform/last_error.h"
#include "updater/list_signature.h"
#include "updater/list_trust.h"
#include "updater/update_fetch.h"

namespace updater {
namespace {

using namespace platform;

// An update list is a few lines a file: a longer reply is not one. Nor is a longer signature
// file one.
constexpr std::size_t kLongestReply = 1 << 20;
constexpr std::size_t kLongestSignatureFile = 1 << 16;
constexpr const char* kTemporaryAlphabet = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr const char* kGateValue = "Corvane";

void Finish(UpdateStatus& status, int code) {
  status.result = code;
  PostStatus(status, code);
}

bool ProxyNamed(Internet& internet) {
  char buffer[4096];
  DWORD length = sizeof buffer;
  if (!internet.InternetQueryOptionA(nullptr, INTERNET_OPTION_PROXY, buffer, &length)) return false;
  INTERNET_PROXY_INFO info;
  std::memcpy(&info, buffer, sizeof info);
  return info.dwAccessType == INTERNET_OPEN_TYPE_PROXY;
}

// "%temp%\" and ten characters drawn from the alphabet.
std::string TemporaryName(System& system) {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = system.ExpandEnvironmentStringsA("%temp%", folder, MAX_PATH);
  std::string name(folder, length > 0 ? strnlen(folder, MAX_PATH) : 0);
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, 35);
  name += '\\';
  for (int i = 0; i < 10; ++i) name += kTemporaryAlphabet[pick(random)];
  return name;
}

void Refuse(UpdateLibrary& library, UpdateStatus& status, const ListVerdict& verdict) {
  status.detail = verdict.refusal;
  library.SetVerificationText(status, verdict.text);
  Finish(status, UpdateRefused);
}

// Reads the body to its end; false when the transfer broke or the body is longer than limit
// (error then tells which).
bool ReadBody(Fetch& fetch, std::size_t limit, std::string& body, DWORD& error) {
  char block[kBlockSize];
  for (DWORD read = 0;;) {
    if (!fetch.Read(block, sizeof block, read)) {
      error = GetLastError();
      return false;
    }
    if (read == 0) return true;
    if (body.size() + read > limit) {
      error = ERROR_INSUFFICIENT_BUFFER;
      return false;
    }
    body.append(block, read);
  }
}

// The signature's address: the list's with ".sig" after its path, before any query.
std::string SignatureUrl(const std::string& listUrl) {
  const std::size_t query = listUrl.find_first_of("?#");
  std::string url = listUrl;
  url.insert(query == std::string::npos ? url.size() : query, ".sig");
  return url;
}

// The signature file served beside the list; nothing, with what happened in reason, when none
// came.
std::optional<std::string> FetchSignature(Machine& machine, UpdateStatus& status,
                                          const std::string& url, std::string& reason) {
  Fetch fetch(machine.internet(), status.connectTimeout,
              [&status] { return AbortRequested(status); });
  if (!fetch.Open(url)) {
    reason = url + " could not be fetched (error " + std::to_string(GetLastError()) + ")";
    return std::nullopt;
  }
  if (!fetch.Successful()) {
    reason = "the server answered " + url + " with HTTP status " + std::to_string(fetch.Status());
    return std::nullopt;
  }
  std::string body;
  DWORD error = 0;
  if (!ReadBody(fetch, kLongestSignatureFile, body, error)) {
    reason = url + " could not be read (error " + std::to_string(error) + ")";
    return std::nullopt;
  }
  return body;
}

// The issue time of the list accepted last on the channel, kept under the settings key.
std::optional<long long> AcceptedIssue(Registry& registry, const std::string& key,
                                       const std::string& value) {
  HKEY opened = nullptr;
  if (value.empty() || registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ,
                                              &opened) != ERROR_SUCCESS)
    return std::nullopt;
  char text[64] = {};
  DWORD size = sizeof text - 1, type = 0;
  const bool read =
      registry.RegQueryValueExA(opened, value.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
      type == REG_SZ;
  registry.RegCloseKey(opened);
  return read ? ReadIssueTime(std::string(text, strnlen(text, size))) : std::nullopt;
}

void KeepAcceptedIssue(Registry& registry, const std::string& key, const std::string& value,
                       long long issued) {
  HKEY opened = nullptr;
  if (value.empty() ||
      registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &opened, nullptr) != ERROR_SUCCESS)
    return;
  const std::string text = IssueTimeText(issued);
  registry.RegSetValueExA(opened, value.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  registry.RegCloseKey(opened);
}

}  // namespace

void RunQuery(UpdateLibrary& library, UpdateStatus& status) {
  library.ClearEntries();
  const std::string url = library.Text(&UpdateSetup::queryUrl);
  Machine* machine = library.Machine();
  if (!machine) {
    status.detail = static_cast<int32_t>(ERROR_INVALID_HANDLE);
    Finish(status, UpdateError);
    return;
  }
  Fetch fetch(machine->internet(), status.connectTimeout,
              [&status] { return AbortRequested(status); });
  if (!fetch.Open(url)) {
    const DWORD error = GetLastError();
    if (AbortRequested(status)) return;
    if (ProxyNamed(machine->internet())) {
      status.detail = 0;
      Finish(status, UpdateProxyFailure);
    } else {
      status.detail = static_cast<int32_t>(error);
      Finish(status, UpdateError);
    }
    return;
  }
  // An error page is no update list: the HTTP status tells what went wrong.
  if (!fetch.Successful()) {
    status.detail = static_cast<int32_t>(fetch.Status());
    Finish(status, UpdateError);
    return;
  }
  std::string reply;
  if (DWORD error = 0; !ReadBody(fetch, kLongestReply, reply, error)) {
    if (AbortRequested(status)) return;
    status.detail = static_cast<int32_t>(error);
    Finish(status, UpdateError);
    return;
  }
  // With the vendor's key, the list is read only once its signature holds.
  const Trust trust = library.TrustSlot();
  const std::string settingsKey = library.Text(&UpdateSetup::settingsKey);
  ListVerdict taken;
  if (trust.Verifies()) {
    std::string missing;
    const auto signature = FetchSignature(*machine, status, SignatureUrl(url), missing);
    if (AbortRequested(status)) return;
    taken = CheckListSignature(trust.publicKey, signature, missing, reply,
                               AcceptedIssue(machine->registry(), settingsKey, trust.issuedValue),
                               std::time(nullptr));
    if (taken.refusal) {
      Refuse(library, status, taken);
      return;
    }
  }
  auto accept = [&] {
    if (!trust.Verifies()) return;
    KeepAcceptedIssue(machine->registry(), settingsKey, trust.issuedValue, taken.issued);
    library.SetVerificationText(status, taken.text);
  };
  const std::vector<std::string> lines = SplitReplyLines(reply);
  if (lines.size() < 3) {
    status.detail = static_cast<int32_t>(lines.size());
    Finish(status, UpdateReplyShort);
    return;
  }
  status.serverVersion = ReadVersion(lines[0]);
  const double installed = library.SetupSlot().currentVersion;
  if (trust.Verifies() && status.serverVersion < installed) {
    Refuse(library, status, CheckOffer(status.serverVersion, installed, {}));
    return;
  }
  if (!(status.serverVersion > installed)) {
    accept();
    Finish(status, UpdateNone);
    return;
  }
  const long long files = ReadInteger(lines[1]);
  const bool restart = ReadInteger(lines[2]) != 0;
  if (files < 0 || static_cast<long long>(lines.size()) != files + 3) {
    status.detail = static_cast<int32_t>(std::clamp<long long>(files + 3, INT32_MIN, INT32_MAX));
    Finish(status, UpdateReplyMismatch);
    return;
  }
  std::vector<Entry> entries;
  for (std::size_t line = 3; line < lines.size(); ++line)
    entries.push_back(ReadFileLine(lines[line]));
  if (trust.Verifies()) {
    if (const ListVerdict offer = CheckOffer(status.serverVersion, installed, entries);
        offer.refusal) {
      Refuse(library, status, offer);
      return;
    }
  }
  accept();
  library.SetEntries(std::move(entries), restart);
  Finish(status, UpdateAvailable);
}

bool RunDownload(UpdateLibrary& library, UpdateStatus& status) {
  std::atomic<int>& cancel = library.CancelFlag();
  cancel = 0;
  UpdateProgressDialog* progress = status.showProgress ? library.Progress() : nullptr;
  if (progress) progress->SetStatus(UpdateProgressDialog::kConnectingText);
  const std::vector<Entry> entries = library.Entries();
  long long total = 0, downloaded = 0;
  for (const Entry& entry : entries) total += entry.size;
  if (progress) progress->SetTotal(total);
  Machine* machine = library.Machine();
  std::vector<std::string> written;  // the temporary files of this transfer
  auto fail = [&] {
    if (progress) progress->Hide();
    // An aborted check leaves nothing behind and reports nothing.
    if (AbortRequested(status) && machine)
      for (const std::string& path : written) machine->files().DeleteFileA(path.c_str());
    PostStatus(status, UpdateDownloadFailed);
    return false;
  };
  if (!machine) return fail();
  Files& files = machine->files();
  const bool verified = library.TrustSlot().Verifies();
  auto stop = [&status, &cancel] { return AbortRequested(status) || cancel != 0; };
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const std::string local = TemporaryName(machine->system());
    library.SetLocalCopy(index, local);
    Fetch fetch(machine->internet(), status.connectTimeout, stop);
    // A response that is not the file (an error page) is not saved as it.
    if (!fetch.Open(entries[index].downloadUrl) || !fetch.Successful()) return fail();
    HANDLE file = files.CreateFileA(local.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail();
    written.push_back(local);
    if (progress) progress->SetStatus(UpdateProgressDialog::kDownloadingText);
    char block[kBlockSize];
    for (DWORD read = 0;;) {
      if (!fetch.Read(block, sizeof block, read)) {
        CloseHandle(file);
        return fail();
      }
      if (read == 0) break;
      DWORD wrote = 0;
      if (!files.WriteFile(file, block, read, &wrote, nullptr) || wrote != read) {
        CloseHandle(file);
        return fail();
      }
      downloaded += read;
      if (progress) progress->SetDownloaded(downloaded);
      if (stop()) {
        CloseHandle(file);
        return fail();
      }
    }
    CloseHandle(file);
    // A digest the publisher gave must match what came; with the vendor's key, every file has
    // one, and a mismatch refuses the whole download.
    const std::string& digest = entries[index].secondColumn;
    if ((verified || IsSha256(digest)) &&
        foundation::Sha256OfFile(files, local).value_or("") != machine->Code().Lower(digest)) {
      files.DeleteFileA(local.c_str());
      if (!verified) return fail();
      if (progress) progress->Hide();
      for (const std::string& path : written) files.DeleteFileA(path.c_str());
      Refuse(
          library, status,
          {RefusedDigestMismatch,
           "the download of \"" + entries[index].fileName + "\" does not match its SHA-256 digest",
           0});
      return false;
    }
  }
  PostStatus(status, UpdateDownloaded);
  if (progress) progress->Hide();
  return true;
}

bool DailyGateOpen(UpdateLibrary& library) {
  Machine* machine = library.Machine();
  if (!machine) return true;
  Registry& registry = machine->registry();
  HKEY key = nullptr;
  if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, library.Text(&UpdateSetup::settingsKey).c_str(), 0,
                             KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return true;
  char value[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH, type = 0;
  // Only a text is a stored moment: the program's own option of that name is a number.
  const bool present =
      registry.RegQueryValueExA(key, kGateValue, nullptr, &type, reinterpret_cast<BYTE*>(value),
                                &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ);
  registry.RegCloseKey(key);
  // Checked on today's date already: not again until tomorrow.
  return !present || !SameLocalDay(std::string(value, strnlen(value, size)), std::time(nullptr));
}

}  // namespace updater

#include "app/update_checker.h"

#include <algorithm>
#include <cmath>

#include "app/program_folder.h"
#include "foundation/markup_document.h"
#include "foundation/number_text.h"
#include "foundation/setting_names.h"
#include "removal/removal_engine.h"

namespace app {
namespace {

namespace setting = foundation::setting;

constexpr const char* kProductCode = "VEXMARL";
constexpr const char* kProgramCaption = "Vexmarl";
constexpr const char* kDatabaseCaption = "Vexmarl Database";
constexpr const char* kProgramQuery = "/vexmarlse/updatecore.aspx?vid=%s&pid=%i&lid=%s&cpid=%s";
constexpr const char* kDatabaseQuery = "/vexmarl/update.txt";
constexpr const char* kSettingsKeyFormat = "SOFTWARE\\%s";
constexpr const char* kDecimalsFormat = "%%.%df";
constexpr double kUncheckedDatabaseVersion = 15.0;

// Texts.
constexpr unsigned kErrorText = 157, kReplyText = 158, kProxyText = 159, kDatabaseOffer = 160,
                   kOfferCaption = 161, kProgramOffer = 162, kNothingNewerText = 163,
                   kDownloadedText = 164, kDownloadFailedText = 165, kHandOverFailedText = 245,
                   kRefusedText = 255;

// What the library said about the record's last list ("" for nothing).
std::string VerificationText(const UpdateStatus& record) {
  const int32_t length = CvVerificationText(&record, nullptr, 0);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  CvVerificationText(&record, text.data(), static_cast<int32_t>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return text;
}

}  // namespace

std::string DatabaseVersionText(double version) {
  int decimals = 0;
  // Each step's product is rounded to a double, as on every system: the x87 unit of 32-bit x86
  // would keep it in 80 bits, where 15.1 x 10 stays a hair below 151 and shows six decimals.
  volatile double rest = version;
  while (decimals <= 5) {
    const double current = rest;
    // A hair above the digit, so that 15.1 (stored as 15.0999...) shows its 1.
    const auto digit = static_cast<long long>((current - std::trunc(current)) * 10 + 1e-7);
    if (digit <= 0) break;
    if (++decimals > 5) break;
    rest = current * 10;
  }
  return FormatText(FormatText(kDecimalsFormat, {static_cast<long long>(decimals)}), {version});
}

const char* UpdateStatusName(int code) {
  static const char* const kNames[] = {"",
                                       "UpdateError",
                                       "UpdateAvailable",
                                       "UpdateNone",
                                       "UpdateDownloaded",
                                       "UpdateDownloadFailed",
                                       "UpdateReplyShort",
                                       "UpdateReplyMismatch",
                                       "UpdateProxyFailure",
                                       "UpdateRefused"};
  return code >= 1 && code <= 9 ? kNames[code] : "";
}

std::string UpdateLogLine(const std::string& note) {
  return "<Information Message = \"" + foundation::MarkupDocument::EscapeAttribute(note) + "\"/>";
}

UpdateChecker::UpdateChecker(platform::Machine& machine, const BrandingSettings& branding,
                             const Resources& resources, platform::Prompt& prompt,
                             UserSettings& settings, std::function<std::string()> databaseVersion,
                             Hooks hooks)
    : machine_(machine),
      branding_(branding),
      resources_(resources),
      prompt_(prompt),
      settings_(settings),
      databaseVersion_(std::move(databaseVersion)),
      hooks_(std::move(hooks)) {}

UpdateChecker::~UpdateChecker() {
  CvAbort(&programRecord_);
  CvAbort(&databaseRecord_);
}

void UpdateChecker::Initialise(platform::HWND window) {
  window_ = window;
  settingsKey_ = FormatText(kSettingsKeyFormat, {branding_.REGISTRYNAME});
  // The server is configuration: scheme, host and port, without a path.
  std::string server = settings_.ReadText(settings_.KeyName(), kUpdateServerValue);
  if (server.empty()) server = kDefaultUpdateServer;
  while (!server.empty() && server.back() == '/') server.pop_back();
  programUrl_ =
      server + FormatText(kProgramQuery, {branding_.VENDID, static_cast<long long>(kProductId),
                                          branding_.LANGID, branding_.CPID});
  databaseUrl_ = server + kDatabaseQuery;
  programSetup_ = {32, kProductCode, settingsKey_.c_str(), programUrl_.c_str(), kProgramCaption,
                   0,  0.0};
  databaseSetup_ = {32,
                    kProductCode,
                    settingsKey_.c_str(),
                    databaseUrl_.c_str(),
                    kDatabaseCaption,
                    0,
                    kUncheckedDatabaseVersion};
  programTrust_ = {sizeof(UpdateTrust), branding_.UPDATEKEY.c_str(), kProgramListIssuedValue};
  databaseTrust_ = {sizeof(UpdateTrust), branding_.UPDATEKEY.c_str(), kDatabaseListIssuedValue};
  inProgress_ = userAsked_ = false;
}

void UpdateChecker::SetOptions(bool corvane, bool autoProgram, bool autoDatabase) {
  corvane_ = corvane;
  autoProgram_ = autoProgram;
  autoDatabase_ = autoDatabase;
}

void UpdateChecker::StartTimer(platform::UINT milliseconds) {
  machine_.messages().SetTimer(window_, kUpdateTimer, milliseconds, nullptr);
}

void UpdateChecker::SetCurrentVersions() {
  programSetup_.currentVersion = foundation::LeadingDecimal(ProgramVersion);
  const std::string database = databaseVersion_ ? databaseVersion_() : std::string();
  databaseSetup_.currentVersion =
      database.empty() ? kUncheckedDatabaseVersion : foundation::LeadingDecimal(database);
}

void UpdateChecker::Request() {
  userAsked_ = true;
  if (inProgress_) return;  // the running check's outcome counts as asked for
  inProgress_ = true;
  CvAbort(&programRecord_);
  CvAbort(&databaseRecord_);
  SetCurrentVersions();
  phase_ = UpdateChannel::Program;
  StartTimer(kRequestedCheckDelay);
}

void UpdateChecker::OnTimer() {
  machine_.messages().KillTimer(window_, kUpdateTimer);
  if (!corvane_ && !userAsked_) return;
  // A download that waits for the installer is not fetched again.
  if (settings_.ReadNumber(kFixedSettingsKeyName, setting::kDownloadComplete, 0) != 0) return;
  inProgress_ = true;
  SetCurrentVersions();
  StartCheck(UpdateChannel::Program);
}

void UpdateChecker::StartCheck(UpdateChannel channel) {
  phase_ = channel;
  const bool program = channel == UpdateChannel::Program;
  UpdateStatus& record = program ? programRecord_ : databaseRecord_;
  CvSetup(program ? &programSetup_ : &databaseSetup_);
  if (branding_.UPDATEKEY.empty()) {
    if (program) Note("Updates are not verified: settings.xml names no update key");
    CvSetTrust(nullptr);
  } else {
    CvSetTrust(program ? &programTrust_ : &databaseTrust_);
  }
  CvInitialize(&record);
  record.notifyWindow = window_;
  record.showProgress = 1;
  CvQueryServerAsync(&record);
}

void UpdateChecker::Download(UpdateStatus& record) {
  CvDownloadUpdateAsync(&record);
}

void UpdateChecker::Say(unsigned textId, std::initializer_list<TextArgument> arguments) {
  prompt_.MessageBoxA(window_, resources_.Format(textId, arguments).c_str(),
                      branding_.APPNAME.c_str(), platform::MB_OK);
}

bool UpdateChecker::Ask(unsigned textId, std::initializer_list<TextArgument> arguments) {
  return prompt_.MessageBoxA(window_, resources_.Format(textId, arguments).c_str(),
                             resources_.String(kOfferCaption).c_str(),
                             platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

void UpdateChecker::Note(const std::string& text, bool shown) {
  if (hooks_.note) hooks_.note(text, shown);
}

std::string UpdateChecker::ListName(UpdateChannel channel) const {
  return channel == UpdateChannel::Program ? "the program list " + programUrl_
                                           : "the database list " + databaseUrl_;
}

void UpdateChecker::HandOver(UpdateStatus& record) {
  if (autoProgram_ && autoDatabase_) Say(kDownloadedText);
  if (hooks_.stopScan) hooks_.stopScan();
  settings_.SetNumber(setting::kDownloadComplete, 1);
  CvRunCorvane(&record);
  // Still here: the install list could not be written. The download waits, and no check
  // starts again in this run; the user is told instead of being left to wonder.
  Say(kHandOverFailedText);
}

void UpdateChecker::OnStatus(int code) {
  UpdateStatus& record = Record();
  const UpdateChannel channel = phase_;
  if (hooks_.reported && UpdateStatusName(code)[0]) hooks_.reported(channel, code, record);
  // A list taken with something to tell (its age) is noted as it goes on.
  if ((code == UpdateAvailable || code == UpdateNone) && !VerificationText(record).empty())
    Note(ListName(channel) + ": " + VerificationText(record));
  switch (code) {
    case UpdateRefused: {
      phase_ = UpdateChannel::Program;
      const std::string reason = ListName(channel) + ": " + VerificationText(record);
      Note("Update refused: " + reason, true);
      Say(kRefusedText, {branding_.APPNAME, reason});
      inProgress_ = false;
      return;
    }
    case UpdateError:
      phase_ = UpdateChannel::Program;
      Say(kErrorText,
          {branding_.APPNAME, branding_.APPNAME, static_cast<long long>(record.detail),
           removal::SystemMessage(machine_, static_cast<platform::DWORD>(record.detail))});
      inProgress_ = false;
      return;
    case UpdateAvailable:
      if (channel == UpdateChannel::Program) {
        if (checkOnly_) {
          StartCheck(UpdateChannel::Database);
        } else if (!autoProgram_ || Ask(kProgramOffer, {branding_.APPNAME, record.serverVersion})) {
          Download(record);
        } else {
          StartCheck(UpdateChannel::Database);
        }
      } else if (checkOnly_) {
        inProgress_ = false;
      } else if (!autoDatabase_ ||
                 Ask(kDatabaseOffer,
                     {branding_.APPNAME, DatabaseVersionText(record.serverVersion)})) {
        Download(record);
      } else {
        inProgress_ = false;
      }
      return;
    case UpdateNone:
      if (channel == UpdateChannel::Program) {
        StartCheck(UpdateChannel::Database);
        return;
      }
      if (userAsked_) {
        userAsked_ = false;
        Say(kNothingNewerText);
      }
      inProgress_ = false;
      return;
    case UpdateDownloaded:
      HandOver(record);
      return;
    case UpdateDownloadFailed:
      if (autoProgram_ && autoDatabase_) Say(kDownloadFailedText);
      inProgress_ = false;
      return;
    case UpdateReplyShort:
    case UpdateReplyMismatch:
      phase_ = UpdateChannel::Program;
      Say(kReplyText, {branding_.APPNAME});
      inProgress_ = false;
      return;
    case UpdateProxyFailure:
      phase_ = UpdateChannel::Program;
      Say(kProxyText, {branding_.APPNAME});
      inProgress_ = false;
      return;
    default:
      return;
  }
}

}  // namespace app

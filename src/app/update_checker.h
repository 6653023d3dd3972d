// The program's update checks: two channels, the program first and then the definitions,
// driven through the update library, with the user's options and questions, and the hand-over
// to the installer when a download has finished. The main window and the command line both
// run it on their thread; the library's workers report by UpdateStatusMessage.
#pragma once

#include <functional>
#include <string>

#include "app/branding_settings.h"
#include "app/resources.h"
#include "app/user_settings.h"
#include "platform/machine.h"
#include "platform/prompt.h"
#include "updater/corvane.h"

namespace app {

constexpr std::uintptr_t kUpdateTimer = 110;
constexpr platform::UINT kStartUpCheckDelay = 10000, kRequestedCheckDelay = 100;

// The update server, read from the program's settings key; this one when it names none.
inline constexpr const char* kUpdateServerValue = "UpdateServer";
inline constexpr const char* kDefaultUpdateServer = "http://update.vexmarl.example";
// The program's product identifier on the update server ("pid").
constexpr int kProductId = 423;

// Text 160's version: its leading non-zero decimals, at most six (15.25, 15, 15).
std::string DatabaseVersionText(double version);
// The status code's name ("UpdateError" ...); "" for a code that is none.
const char* UpdateStatusName(int code);
// A note of the update checks as a line of the session log.
std::string UpdateLogLine(const std::string& note);
// The values of the program's settings key that keep the issue time of the list accepted
// last on each channel.
inline constexpr const char* kProgramListIssuedValue = "ProgramListIssued";
inline constexpr const char* kDatabaseListIssuedValue = "DatabaseListIssued";

enum class UpdateChannel { Program, Database };

class UpdateChecker {
 public:
  struct Hooks {
    // Stops a running scan before the hand-over ends the program.
    std::function<void()> stopScan;
    // Each outcome of a channel's check or download as it arrives.
    std::function<void(UpdateChannel, int code, const UpdateStatus&)> reported;
    // What the session log is told about the lists' verification: a refusal (shown to the
    // user in a message as well: shown), a list's age, updates that are not verified.
    std::function<void(const std::string& text, bool shown)> note;
  };

  // databaseVersion gives the loaded definitions' version text.
  UpdateChecker(platform::Machine& machine, const BrandingSettings& branding,
                const Resources& resources, platform::Prompt& prompt, UserSettings& settings,
                std::function<std::string()> databaseVersion, Hooks hooks = {});
  // Stops both channels' workers.
  ~UpdateChecker();
  UpdateChecker(const UpdateChecker&) = delete;
  UpdateChecker& operator=(const UpdateChecker&) = delete;

  // The settings-key copy and the query addresses; the window receives the library's
  // messages and owns timer 110.
  void Initialise(platform::HWND window);
  // The options Corvane, AutoProgramUpdate and AutoDatabaseUpdate, read by the window.
  void SetOptions(bool corvane, bool autoProgram, bool autoDatabase);
  void StartTimer(platform::UINT milliseconds);
  // Message 3012: the user asks for a check.
  void Request();
  // Timer 110: a check starts, when the options or the user say so and no download waits for
  // the installer.
  void OnTimer();
  // Message 1290 with its status code.
  void OnStatus(int code);
  bool InProgress() const { return inProgress_; }
  // Only the queries: an offer is reported, nothing is asked or downloaded.
  void SetCheckOnly(bool checkOnly) { checkOnly_ = checkOnly; }

 private:
  void SetCurrentVersions();
  void StartCheck(UpdateChannel channel);
  void Download(UpdateStatus& record);
  void HandOver(UpdateStatus& record);
  void Say(unsigned textId, std::initializer_list<TextArgument> arguments = {});
  void Note(const std::string& text, bool shown = false);
  // "the database list http://...": which list a note is about.
  std::string ListName(UpdateChannel channel) const;
  bool Ask(unsigned textId, std::initializer_list<TextArgument> arguments);
  UpdateStatus& Record() {
    return phase_ == UpdateChannel::Program ? programRecord_ : databaseRecord_;
  }

  platform::Machine& machine_;
  const BrandingSettings& branding_;
  const Resources& resources_;
  platform::Prompt& prompt_;
  UserSettings& settings_;
  std::function<std::string()> databaseVersion_;
  Hooks hooks_;
  platform::HWND window_ = nullptr;
  std::string settingsKey_, programUrl_, databaseUrl_;
  UpdateSetup programSetup_{}, databaseSetup_{};
  UpdateTrust programTrust_{}, databaseTrust_{};
  UpdateStatus programRecord_{}, databaseRecord_{};
  bool inProgress_ = false, userAsked_ = false, checkOnly_ = false;
  bool corvane_ = true, autoProgram_ = true, autoDatabase_ = true;
  UpdateChannel phase_ = UpdateChannel::Program;
};

}  // namespace app

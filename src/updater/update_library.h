// The update library's state, one per process: the setup slot, the entry list with its
// restart flag, the cancel flag and the progress window, and the machine it works on.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/prompt.h"
#include "updater/corvane.h"
#include "updater/progress_dialog.h"
#include "updater/update_list.h"

namespace updater {

// The vendor's key of the check set up last, and where its accepted issue time is kept.
struct Trust {
  std::string publicKey, issuedValue;
  bool Verifies() const { return !publicKey.empty(); }
};

class UpdateLibrary {
 public:
  static UpdateLibrary& Instance();

  // The machine of this process, opened at first use; null when the process has none.
  platform::Machine* Machine();
  // A machine (and a prompt) handed in by a host that runs the library in its own process.
  void UseMachine(platform::Machine* machine) { machine_ = machine; }
  void UsePrompt(platform::Prompt* prompt) { prompt_ = prompt; }
  // Questions of the installer: the host's prompt, else the console.
  platform::Prompt& Prompt();
  // Makes the progress window's presenter (the console's line when none is set).
  void UsePresenters(std::function<std::unique_ptr<ProgressPresenter>()> make) {
    makePresenter_ = std::move(make);
  }

  // Also forgets the trust of the check before.
  void Setup(const UpdateSetup& setup);
  UpdateSetup SetupSlot() const;
  void SetTrust(Trust trust);
  Trust TrustSlot() const;
  // What the verification of the record's last list or download said ("" for nothing).
  void SetVerificationText(const UpdateStatus& status, std::string text);
  std::string VerificationText(const UpdateStatus& status) const;
  std::string Text(const char* UpdateSetup::*field) const;

  void ClearEntries();
  void SetEntries(std::vector<Entry> entries, bool restart);
  std::vector<Entry> Entries() const;
  bool Restart() const;
  void SetLocalCopy(std::size_t index, const std::string& path);
  // The entries as C records, valid until the list changes.
  bool EntryRecord(std::size_t index, UpdateEntry& record) const;

  std::atomic<int>& CancelFlag() { return cancel_; }
  // Creates a new progress window (replacing the last one) with the setup's caption.
  UpdateProgressDialog& NewProgress();
  UpdateProgressDialog* Progress() { return progress_.get(); }

 private:
  mutable std::mutex lock_;  // guards the setup and trust slots, the texts, the entries and the
                             // restart flag
  UpdateSetup setup_{};
  Trust trust_;
  std::map<const UpdateStatus*, std::string> verificationTexts_;
  std::vector<Entry> entries_;
  bool restart_ = false;
  std::atomic<int> cancel_{0};
  std::unique_ptr<UpdateProgressDialog> progress_;
  std::function<std::unique_ptr<ProgressPresenter>()> makePresenter_;
  std::mutex machineLock_;  // guards the opening of the own machine
  platform::Machine* machine_ = nullptr;
  std::unique_ptr<platform::Machine> ownMachine_;
  platform::Prompt* prompt_ = nullptr;
  std::unique_ptr<platform::Prompt> ownPrompt_;
};

// Posts UpdateStatusMessage with the code to the record's notify window while it exists, and
// nothing once the record's check was aborted.
void PostStatus(UpdateStatus& status, int code);
// Whether CvAbort asked the record's worker to stop.
bool AbortRequested(UpdateStatus& status);

}  // namespace updater

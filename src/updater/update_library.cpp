#include "updater/update_library.h"

#include <iostream>

namespace updater {

UpdateLibrary& UpdateLibrary::Instance() {
  static UpdateLibrary library;
  return library;
}

platform::Machine* UpdateLibrary::Machine() {
  std::lock_guard guard(machineLock_);
  if (machine_) return machine_;
  if (!ownMachine_) ownMachine_ = platform::Machine::OfThisProcess();
  return ownMachine_.get();
}

platform::Prompt& UpdateLibrary::Prompt() {
  std::lock_guard guard(machineLock_);
  if (prompt_) return *prompt_;
  if (!ownPrompt_)
    ownPrompt_ = std::make_unique<platform::ConsolePrompt>(std::cin, std::cout, false);
  return *ownPrompt_;
}

void UpdateLibrary::Setup(const UpdateSetup& setup) {
  std::lock_guard guard(lock_);
  setup_ = setup;
  trust_ = {};
}

void UpdateLibrary::SetTrust(Trust trust) {
  std::lock_guard guard(lock_);
  trust_ = std::move(trust);
}

Trust UpdateLibrary::TrustSlot() const {
  std::lock_guard guard(lock_);
  return trust_;
}

void UpdateLibrary::SetVerificationText(const UpdateStatus& status, std::string text) {
  std::lock_guard guard(lock_);
  if (text.empty())
    verificationTexts_.erase(&status);
  else
    verificationTexts_[&status] = std::move(text);
}

std::string UpdateLibrary::VerificationText(const UpdateStatus& status) const {
  std::lock_guard guard(lock_);
  const auto found = verificationTexts_.find(&status);
  return found == verificationTexts_.end() ? std::string() : found->second;
}

UpdateSetup UpdateLibrary::SetupSlot() const {
  std::lock_guard guard(lock_);
  return setup_;
}

std::string UpdateLibrary::Text(const char* UpdateSetup::*field) const {
  std::lock_guard guard(lock_);
  const char* text = setup_.*field;
  return text ? text : "";
}

void UpdateLibrary::ClearEntries() {
  std::lock_guard guard(lock_);
  entries_.clear();
  restart_ = false;
}

void UpdateLibrary::SetEntries(std::vector<Entry> entries, bool restart) {
  std::lock_guard guard(lock_);
  entries_ = std::move(entries);
  restart_ = restart;
}

std::vector<Entry> UpdateLibrary::Entries() const {
  std::lock_guard guard(lock_);
  return entries_;
}

bool UpdateLibrary::Restart() const {
  std::lock_guard guard(lock_);
  return restart_;
}

void UpdateLibrary::SetLocalCopy(std::size_t index, const std::string& path) {
  std::lock_guard guard(lock_);
  if (index < entries_.size()) entries_[index].localCopy = path;
}

bool UpdateLibrary::EntryRecord(std::size_t index, UpdateEntry& record) const {
  std::lock_guard guard(lock_);
  if (index >= entries_.size()) return false;
  const Entry& entry = entries_[index];
  record = UpdateEntry{entry.fileName.c_str(),    entry.secondColumn.c_str(), entry.size,
                       entry.downloadUrl.c_str(), entry.archive ? 1 : 0,      entry.run ? 1 : 0,
                       entry.localCopy.c_str()};
  return true;
}

UpdateProgressDialog& UpdateLibrary::NewProgress() {
  std::unique_ptr<ProgressPresenter> presenter =
      makePresenter_ ? makePresenter_() : std::make_unique<ConsoleProgressPresenter>();
  progress_ = std::make_unique<UpdateProgressDialog>(Text(&UpdateSetup::progressCaption),
                                                     std::move(presenter), cancel_);
  return *progress_;
}

bool AbortRequested(UpdateStatus& status) {
  return std::atomic_ref<int32_t>(status.abortRequested).load() != 0;
}

void PostStatus(UpdateStatus& status, int code) {
  if (AbortRequested(status) || !status.notifyWindow) return;
  platform::Machine* machine = UpdateLibrary::Instance().Machine();
  if (!machine) return;
  platform::Messages& messages = machine->messages();
  if (!messages.IsWindow(status.notifyWindow)) return;
  messages.PostMessageA(status.notifyWindow, UpdateStatusMessage,
                        static_cast<platform::WPARAM>(code),
                        reinterpret_cast<platform::LPARAM>(&status));
}

}  // namespace updater

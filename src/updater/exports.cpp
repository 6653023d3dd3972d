// The exports of Corvane.dll.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>

#include "platform/threads.h"
#include "updater/corvane.h"
#include "updater/install_list.h"
#include "updater/update_library.h"
#include "updater/update_query.h"

namespace {

using updater::UpdateLibrary;

constexpr int32_t kDefaultConnectTimeout = 5;

// Starts the work on the record's worker thread, waiting first for the worker of an earlier
// call on the same record (the callers run one check a channel at a time).
int32_t StartWorker(UpdateStatus* status, std::function<void()> work) {
  if (status->workerThread) {
    platform::WaitForThread(status->workerThread, platform::INFINITE);
    platform::CloseHandle(status->workerThread);
    status->workerThread = nullptr;
  }
  status->workerThread = platform::CreateThread(std::move(work));
  return status->workerThread ? 1 : 0;
}

void ShowProgress(UpdateStatus* status) {
  if (!status->showProgress) return;
  UpdateLibrary::Instance().NewProgress().Show();
}

}  // namespace

extern "C" {

void CvSetup(const UpdateSetup* setup) {
  if (setup) UpdateLibrary::Instance().Setup(*setup);
}

void CvSetTrust(const UpdateTrust* trust) {
  updater::Trust slot;
  if (trust && trust->publicKey) slot.publicKey = trust->publicKey;
  if (trust && trust->issuedValue) slot.issuedValue = trust->issuedValue;
  UpdateLibrary::Instance().SetTrust(std::move(slot));
}

int32_t CvVerificationText(const UpdateStatus* status, char* buffer, int32_t size) {
  if (!status) return 0;
  const std::string text = UpdateLibrary::Instance().VerificationText(*status);
  if (buffer && size > 0) {
    const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
  }
  return static_cast<int32_t>(text.size());
}

int32_t CvInitialize(UpdateStatus* status) {
  if (!status) return 0;
  *status = UpdateStatus{};
  UpdateLibrary::Instance().SetVerificationText(*status, {});
  status->connectTimeout = kDefaultConnectTimeout;
  status->currentVersion = UpdateLibrary::Instance().SetupSlot().currentVersion;
  return 1;
}

void CvCleanup(UpdateStatus*) {}

int32_t CvQueryServer(UpdateStatus* status) {
  if (status) updater::RunQuery(UpdateLibrary::Instance(), *status);
  return 0;
}

int32_t CvQueryServerAsync(UpdateStatus* status) {
  if (!status) return 0;
  std::atomic_ref<int32_t>(status->abortRequested).store(0);
  return StartWorker(status, [status] { updater::RunQuery(UpdateLibrary::Instance(), *status); });
}

int32_t CvDownloadUpdate(UpdateStatus* status) {
  if (!status) return 0;
  ShowProgress(status);
  return updater::RunDownload(UpdateLibrary::Instance(), *status) ? 1 : 0;
}

int32_t CvDownloadUpdateAsync(UpdateStatus* status) {
  if (!status) return 0;
  std::atomic_ref<int32_t>(status->abortRequested).store(0);
  ShowProgress(status);
  return StartWorker(status,
                     [status] { updater::RunDownload(UpdateLibrary::Instance(), *status); });
}

int32_t CvDailyCheck(UpdateStatus* status) {
  if (!status || !updater::DailyGateOpen(UpdateLibrary::Instance())) return 0;
  updater::RunQuery(UpdateLibrary::Instance(), *status);
  return 1;
}

int32_t CvDailyCheckAsync(UpdateStatus* status) {
  if (!status || !updater::DailyGateOpen(UpdateLibrary::Instance())) return 0;
  CvQueryServerAsync(status);
  return 1;
}

// Stops the record's worker at its next step and waits for it to end: nothing is posted
// after an abort, and the temporary files of an aborted download are removed.
int32_t CvAbort(UpdateStatus* status) {
  if (!status || !status->workerThread) return 1;
  std::atomic_ref<int32_t>(status->abortRequested).store(1);
  platform::WaitForThread(status->workerThread, platform::INFINITE);
  platform::CloseHandle(status->workerThread);
  status->workerThread = nullptr;
  return 1;
}

int32_t CvRunCorvane(UpdateStatus*) {
  if (!updater::HandOverToInstaller(UpdateLibrary::Instance())) return 0;
  updater::EndProcessNow();
}

void CV_CALLBACK InstallUpdates(CvWindow, void*, char*, int) {
  updater::InstallUpdates(UpdateLibrary::Instance());
}

void CvSetProgressPresenter(CvProgressPresenter presenter, void* context) {
  if (!presenter) {
    UpdateLibrary::Instance().UsePresenters(nullptr);
    return;
  }
  UpdateLibrary::Instance().UsePresenters([presenter, context] {
    return std::make_unique<updater::CallbackPresenter>(presenter, context);
  });
}

void CvCancelDownload(void) {
  if (updater::UpdateProgressDialog* progress = UpdateLibrary::Instance().Progress())
    progress->Cancel();
  else
    UpdateLibrary::Instance().CancelFlag() = 1;
}

int32_t CvEntryCount(void) {
  return static_cast<int32_t>(UpdateLibrary::Instance().Entries().size());
}

int32_t CvGetEntry(int32_t index, UpdateEntry* entry) {
  if (index < 0 || !entry) return 0;
  return UpdateLibrary::Instance().EntryRecord(static_cast<std::size_t>(index), *entry) ? 1 : 0;
}

}  // extern "C"

#include "app/quarantine_page.h"

#include <algorithm>
#include <limits>

#include "foundation/size_text.h"
#include "foundation/time_text.h"
#include "platform/file_time.h"
#include "removal/quarantine_archive.h"
#include "removal/quarantine_run.h"

namespace app {
namespace {

constexpr unsigned kFirstHeadingText = 87;
constexpr unsigned kRestoreFailedText = 91;
constexpr unsigned kRestoredText = 92;
constexpr unsigned kNothingTickedText = 93;

// The creation date of a file as "%d-%m-%y"; empty when it cannot be opened.
std::string CreationDate(platform::Files& files, const std::string& path) {
  platform::HANDLE file = files.CreateFileA(
      path.c_str(), platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
      nullptr, platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == platform::INVALID_HANDLE_VALUE) return {};
  platform::FILETIME created;
  const bool read = files.GetFileTime(file, &created, nullptr, nullptr);
  platform::CloseHandle(file);
  if (!read) return {};
  const std::tm local = foundation::LocalTime(platform::UnixFromFileTime(created).seconds);
  char text[16];
  std::strftime(text, sizeof text, "%d-%m-%y", &local);
  return text;
}

}  // namespace

QuarantinePage::QuarantinePage(platform::Machine& machine, const Resources& resources,
                               UserSettings& settings, platform::Prompt& prompt,
                               std::string appName, std::string programFolder)
    : machine_(machine),
      resources_(resources),
      settings_(settings),
      prompt_(prompt),
      appName_(std::move(appName)),
      programFolder_(std::move(programFolder)) {}

std::array<std::string, 4> QuarantinePage::ColumnHeadings() const {
  std::array<std::string, 4> headings;
  for (unsigned i = 0; i < headings.size(); ++i)
    headings[i] = resources_.String(kFirstHeadingText + i);
  return headings;
}

std::string QuarantinePage::ArchivePath(const QuarantineRow& row) const {
  return removal::ArchivePathOf(programFolder_, row.title);
}

void QuarantinePage::Show(const std::string& text) {
  prompt_.MessageBoxA(nullptr, text.c_str(), appName_.c_str(), platform::MB_OK);
}

void QuarantinePage::List() {
  platform::Files& files = machine_.files();
  rows_.clear();
  std::uint32_t totalItems = 0;
  const std::string mask =
      programFolder_ + ".\\" + removal::kQuarantineFolder + "\\*" + removal::kArchiveExtension;
  platform::WIN32_FIND_DATAA found;
  platform::HANDLE find = files.FindFirstFileA(mask.c_str(), &found);
  if (find != platform::INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & platform::FILE_ATTRIBUTE_DIRECTORY) continue;
      std::string title = found.cFileName;
      title.resize(title.rfind('.'));
      QuarantineRow row;
      row.title = title;
      const std::string path = ArchivePath(row);
      const std::uint32_t items = removal::ReadItemTotal(files, path);
      totalItems += items;
      row.itemTotal = std::to_string(items);
      const std::uint64_t size = std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
      row.size = foundation::SizeText(static_cast<std::uint32_t>(
          std::min<std::uint64_t>(size, std::numeric_limits<std::uint32_t>::max())));
      row.created = CreationDate(files, path);
      rows_.push_back(std::move(row));
    } while (files.FindNextFileA(find, &found));
    files.FindClose(find);
  }
  settings_.SetNumber(setting::kQuarantineFiles, static_cast<platform::DWORD>(rows_.size()));
  settings_.SetNumber(setting::kQuarantinedTotalItems, totalItems);
}

bool QuarantinePage::TickTitle(const std::string& title) {
  for (QuarantineRow& row : rows_) {
    if (machine_.Code().EqualNoCase(row.title, title)) {
      row.ticked = true;
      return true;
    }
  }
  return false;
}

int QuarantinePage::RestoreTicked() {
  int restored = 0;
  bool anyTicked = false;
  for (std::size_t i = 0; i < rows_.size();) {
    if (!rows_[i].ticked) {
      ++i;
      continue;
    }
    anyTicked = true;
    const std::string path = ArchivePath(rows_[i]);
    if (removal::RestoreArchive(machine_, path)) {
      machine_.files().DeleteFileA(path.c_str());
      rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
      ++restored;
    } else {
      Show(resources_.String(kRestoreFailedText));
      ++i;
    }
  }
  if (!anyTicked) {
    Show(resources_.String(kNothingTickedText));
  } else {
    Show(resources_.Format(kRestoredText, {static_cast<long long>(restored)}));
  }
  return restored;
}

int QuarantinePage::DeleteTicked() {
  int deleted = 0;
  for (std::size_t i = 0; i < rows_.size();) {
    if (!rows_[i].ticked) {
      ++i;
      continue;
    }
    // An archive that cannot be deleted keeps its row.
    if (!machine_.files().DeleteFileA(ArchivePath(rows_[i]).c_str())) {
      ++i;
      continue;
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    ++deleted;
  }
  return deleted;
}

}  // namespace app

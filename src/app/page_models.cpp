#include "app/page_models.h"

#include <cstdio>

#include "app/page_ids.h"
#include "app/program_folder.h"
#include "foundation/setting_names.h"
#include "removal/browser_repair.h"

namespace app {
namespace {

// Resource strings.
constexpr unsigned kMenuNoRowText = 79;
constexpr unsigned kLastScanText = 103;
constexpr unsigned kStatisticsHeading = 109;
constexpr unsigned kFoldersTitle = 112;
constexpr unsigned kFoldersText = 113;
constexpr unsigned kListOnlyText = 115;
constexpr unsigned kShowDetailsText = 116;
constexpr unsigned kFirstDetailsLabel = 167;

// The menu's captions for 32787 to 32790, used as formats (the menu resource's own texts).
constexpr const char* kMenuFormats[] = {"Tick every \"%s\" item", "Untick every \"%s\" item",
                                        "Tick every %s", "Untick every %s"};

std::string Mark(bool on) {
  return on ? "[x] " : "[ ] ";
}

}  // namespace

std::string KindLabel(const Resources& resources, scan::FoundItemKind kind) {
  switch (kind) {
    case scan::FoundItemKind::File:
      return resources.String(74);
    case scan::FoundItemKind::RegistryKey:
      return resources.String(75);
    case scan::FoundItemKind::Folder:
      return resources.String(76);
    case scan::FoundItemKind::RegistryValue:
      return resources.String(77);
    case scan::FoundItemKind::HostsEntry:
      return resources.String(78);
    case scan::FoundItemKind::ChangedRegistryValue:
      return resources.String(166);
  }
  return {};
}

FoundRow RowColumns(const Resources& resources, const scan::FoundItem& item) {
  return FoundRow{item.entry->name, KindLabel(resources, item.kind), item.entry->category,
                  item.text, item.entry->danger};
}

FoundRow ListColumns(const Resources& resources, const scan::FoundItem& item,
                     bool labelChangedValues) {
  FoundRow row = RowColumns(resources, item);
  if (!labelChangedValues && item.kind == scan::FoundItemKind::ChangedRegistryValue)
    row.kindLabel.clear();
  return row;
}

std::vector<std::string> RowLines(const Resources& resources,
                                  const std::vector<removal::ResultRow>& rows,
                                  bool labelChangedValues) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FoundRow row = ListColumns(resources, rows[i].item, labelChangedValues);
    lines.push_back(std::to_string(i) + " " + Mark(rows[i].ticked) + row.entryName + "\t" +
                    row.kindLabel + "\t" + row.category + "\t" + row.text + "\t" + row.danger);
  }
  return lines;
}

void StartPage::Open(const Resources& resources, UserSettings& settings) {
  lastScan = resources.Format(kLastScanText, {settings.Text(setting::kLastScanTime)});
}

void AboutPage::Open(const BrandingSettings& branding, const std::string& databaseVersion,
                     const std::string& databaseDate) {
  lines = {branding.APPNAME + " " + ProgramVersion, branding.COMPANYNAME,
           "Definitions " + databaseVersion + " (" + databaseDate + ")", branding.URLPROD};
}

void ObjectDetailsPage::Fill(const Resources& resources, const scan::FoundItem& item) {
  const FoundRow row = RowColumns(resources, item);
  const std::string values[] = {row.entryName, row.kindLabel, row.category,
                                row.text,      row.danger,    item.entry->description};
  lines.clear();
  for (unsigned i = 0; i < 6; ++i)
    lines.push_back(resources.String(kFirstDetailsLabel + i) + " " + values[i]);
}

void ResultsPage::Open(const Resources& resources, UserSettings& settings) {
  auto number = [&](const char* name) { return static_cast<long long>(settings.Number(name, 0)); };
  lines = {resources.String(kStatisticsHeading),
           resources.Format(kLastScanText, {settings.Text(setting::kLastScanTime)}),
           resources.Format(104, {number(setting::kTotalScans)}),
           resources.Format(105, {number(setting::kTotalDeletedItems)}),
           resources.Format(106, {number(setting::kObjectsIgnored)}),
           resources.Format(107, {number(setting::kQuarantineFiles)}),
           resources.Format(108, {number(setting::kQuarantinedTotalItems)})};
}

const std::array<OptionsPage::Box, 7> OptionsPage::kBoxes = {{
    {setting::kWindowsStartUp, 0, false},
    {setting::kMoveDeleted2RecycleBin, 0, false},
    {setting::kAutoProgramUpdate, 1, true},
    {setting::kAutoDatabaseUpdate, 1, false},
    {setting::kAutomaticRemoval, 0, false},
    {setting::kExitWhenFinished, 0, false},
    {setting::kCorvane, 1, false},
}};

void OptionsPage::Open() {
  homepage = settings_.Text(setting::kHomepage);
  searchpage = settings_.Text(setting::kSearchpage);
  if (homepage.empty()) {
    // Nothing saved yet: the browser's own pages are offered.
    homepage =
        removal::ReadBrowserPage(registry_, platform::HKEY_CURRENT_USER, removal::kStartPageValue)
            .value_or("");
    searchpage =
        removal::ReadBrowserPage(registry_, platform::HKEY_CURRENT_USER, removal::kSearchPageValue)
            .value_or("");
  }
  for (std::size_t i = 0; i < kBoxes.size(); ++i) {
    const Box& box = kBoxes[i];
    const std::string& key =
        box.fixedKey ? std::string(kFixedSettingsKeyName) : settings_.KeyName();
    checked_[i] = settings_.ReadNumber(key, box.setting, box.defaultValue) != 0;
  }
  scanMode_ = static_cast<int>(settings_.Number(setting::kScanMode, 0));
}

bool OptionsPage::Toggle(std::size_t box) {
  checked_[box] = !checked_[box];
  const Box& which = kBoxes[box];
  const std::string& key =
      which.fixedKey ? std::string(kFixedSettingsKeyName) : settings_.KeyName();
  settings_.WriteNumber(key, which.setting, checked_[box] ? 1 : 0);
  if (box != 0) return false;
  settings_.SetWindowsStartUp(checked_[0], branding_, programFolder_);
  return checked_[0];
}

bool OptionsPage::ChooseScanMode(int mode) {
  if (!ChoicesEnabled() || mode < 1 || mode > 3) return false;
  scanMode_ = mode;
  settings_.SetNumber(setting::kScanmode, static_cast<platform::DWORD>(mode));
  return true;
}

void OptionsPage::Apply() {
  settings_.SetText(setting::kHomepage, homepage);
  settings_.SetText(setting::kSearchpage, searchpage);
}

std::vector<std::string> OptionsPage::Lines() const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < kBoxes.size(); ++i)
    lines.push_back(Mark(checked_[i]) + kBoxes[i].setting);
  lines.push_back(std::string("Scanmode ") + std::to_string(scanMode_) +
                  (ChoicesEnabled() ? "" : " (disabled)"));
  lines.push_back(std::string(setting::kHomepage) + " " + homepage);
  lines.push_back(std::string(setting::kSearchpage) + " " + searchpage);
  return lines;
}

const std::array<const char*, 8> ScanSettingsPage::kBoxes = {
    setting::kCustScanAdvSpyware, setting::kCustScanIeFav,  setting::kScanHostFiles,
    setting::kCustScanDrives,     setting::kCustScanNonExe, setting::kCustScanRegistry,
    setting::kCustScanActive,     setting::kCustScanHosts};

void ScanSettingsPage::Open() {
  for (std::size_t i = 0; i < kBoxes.size(); ++i) checked_[i] = settings_.Number(kBoxes[i], 1) != 0;
  folders_.clear();
  const platform::DWORD count = settings_.Number(setting::kCustScanDrivesNum, 0);
  for (platform::DWORD i = 1; i <= count; ++i)
    folders_.push_back(
        settings_.Text((std::string(setting::kCustScanDrivesPrefix) + std::to_string(i)).c_str()));
}

void ScanSettingsPage::Toggle(std::size_t box) {
  checked_[box] = !checked_[box];
  // ScanHostFiles is shown but nothing writes it.
  if (kBoxes[box] != setting::kScanHostFiles) settings_.SetNumber(kBoxes[box], checked_[box]);
}

void ScanSettingsPage::ChooseFolders(platform::Prompt& prompt, const Resources& resources) {
  auto chosen = prompt.ChooseFolders(resources.String(kFoldersTitle),
                                     resources.String(kFoldersText), folders_);
  if (!chosen) return;
  folders_ = *chosen;
  for (std::size_t i = 0; i < folders_.size(); ++i)
    settings_.SetText((std::string(setting::kCustScanDrivesPrefix) + std::to_string(i + 1)).c_str(),
                      folders_[i]);
  settings_.SetNumber(setting::kCustScanDrivesNum, static_cast<platform::DWORD>(folders_.size()));
}

std::vector<std::string> ScanSettingsPage::Lines() const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < kBoxes.size(); ++i) lines.push_back(Mark(checked_[i]) + kBoxes[i]);
  for (const std::string& folder : folders_) lines.push_back("folder " + folder);
  return lines;
}

bool ScanPage::AddRow(const scan::FoundItem& item, const platform::CodePage& code) {
  for (const removal::ResultRow& row : rows_)
    if (code.EqualNoCase(row.item.text, item.text)) return false;
  rows_.push_back({item, true});
  return true;
}

void ScanPage::Clear() {
  rows_.clear();
  menuRow_.reset();
  status.clear();
}

std::string ScanPage::LayoutCaption() const {
  return resources_.String(listOnly ? kShowDetailsText : kListOnlyText);
}

void ScanPage::OpenMenu(std::optional<std::size_t> row) {
  menuRow_ = row && *row < rows_.size() ? row : std::nullopt;
  for (std::size_t i = 0; i < menuCaptions_.size(); ++i) {
    if (!menuRow_) {
      menuCaptions_[i] = resources_.String(kMenuNoRowText);
      continue;
    }
    const scan::FoundItem& item = rows_[*menuRow_].item;
    const std::string value = i < 2 ? item.entry->name : KindLabel(resources_, item.kind);
    menuCaptions_[i] = FormatText(kMenuFormats[i], {value});
  }
}

bool ScanPage::TickCommand(std::uintptr_t id) {
  using namespace command;
  if (id == kTickAll || id == kUntickAll || id == kInvertTicks) {
    for (removal::ResultRow& row : rows_)
      row.ticked = id == kTickAll ? true : id == kUntickAll ? false : !row.ticked;
    return true;
  }
  if (id < kTickEntry || id > kUntickKind || !menuRow_) return false;
  const scan::FoundItem remembered = rows_[*menuRow_].item;
  const bool byEntry = id == kTickEntry || id == kUntickEntry;
  const bool tick = id == kTickEntry || id == kTickKind;
  const std::string label = KindLabel(resources_, remembered.kind);
  for (removal::ResultRow& row : rows_) {
    const bool same = byEntry ? row.item.entry->name == remembered.entry->name
                              : KindLabel(resources_, row.item.kind) == label;
    if (same) row.ticked = tick;
  }
  return true;
}

std::vector<std::string> ScanPage::Lines() const {
  std::vector<std::string> lines = RowLines(resources_, rows_);
  if (!status.empty()) lines.push_back(status);
  lines.push_back("[" + scanButton + "] [" + LayoutCaption() + "]");
  return lines;
}

void IgnorePage::Fill(const scan::IgnoreList& list) {
  rows_.clear();
  for (const scan::FoundItem& item : list.Items()) rows_.push_back({item, false});
}

std::vector<std::string> IgnorePage::Lines() const {
  return RowLines(resources_, rows_, false);  // changed values have no label on this page
}

}  // namespace app

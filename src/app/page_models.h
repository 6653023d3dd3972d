// The main window's pages as models: what each page shows and what its controls do, with no
// drawing in them. The console view prints them, the Qt window draws them, tests read them.
// Each model's Lines() is its content as text lines, for a view without controls.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/branding_settings.h"
#include "app/main_view.h"
#include "app/resources.h"
#include "app/user_settings.h"
#include "platform/machine.h"
#include "removal/removal_engine.h"
#include "scan/ignore_list.h"

namespace app {

// The label of a found item's kind (texts 74-78 and 166).
std::string KindLabel(const Resources& resources, scan::FoundItemKind kind);
// The five columns of a found-items or ignore-list row.
FoundRow RowColumns(const Resources& resources, const scan::FoundItem& item);

// The start page: the last scan and the scan command.
struct StartPage {
  std::string lastScan;  // text 103 with LastScanTime
  void Open(const Resources& resources, UserSettings& settings);
  std::vector<std::string> Lines() const { return {lastScan}; }
};

// The about page: the program, its version and its definitions.
struct AboutPage {
  std::vector<std::string> lines;
  void Open(const BrandingSettings& branding, const std::string& databaseVersion,
            const std::string& databaseDate);
  std::vector<std::string> Lines() const { return lines; }
};

// The object details page: labels 167 to 172 joined with an item's values.
struct ObjectDetailsPage {
  std::vector<std::string> lines;
  void Fill(const Resources& resources, const scan::FoundItem& item);
  std::vector<std::string> Lines() const { return lines; }
};

// The results page's six statistics through formats 103 to 108 under heading 109.
struct ResultsPage {
  std::vector<std::string> lines;
  void Open(const Resources& resources, UserSettings& settings);
  std::vector<std::string> Lines() const { return lines; }
};

// The options page: every box writes its value at once.
class OptionsPage {
 public:
  struct Box {
    const char* setting;
    platform::DWORD defaultValue;
    bool fixedKey;  // kept under the fixed key "SOFTWARE\Vexmarl"
  };
  static const std::array<Box, 7> kBoxes;  // in the order of their commands

  OptionsPage(UserSettings& settings, const BrandingSettings& branding, std::string programFolder,
              platform::Registry& registry)
      : settings_(settings),
        branding_(branding),
        programFolder_(std::move(programFolder)),
        registry_(registry) {}

  void Open();
  bool Checked(std::size_t box) const { return checked_[box]; }
  // Ticks or unticks a box and writes it; turning start-with-Windows on or off writes or
  // removes the start-up entry. True when start-with-Windows was turned on.
  bool Toggle(std::size_t box);
  int ScanMode() const { return scanMode_; }
  // The three start-up choices work only while start-with-Windows is checked.
  bool ChoicesEnabled() const { return checked_[0]; }
  bool ChooseScanMode(int mode);
  std::string homepage, searchpage;
  // Writes Homepage and Searchpage.
  void Apply();
  std::vector<std::string> Lines() const;

 private:
  UserSettings& settings_;
  const BrandingSettings& branding_;
  std::string programFolder_;
  platform::Registry& registry_;
  std::array<bool, 7> checked_{};
  int scanMode_ = 0;
};

// The scan-settings page: eight boxes (seven written when clicked) and the folders to scan.
class ScanSettingsPage {
 public:
  static const std::array<const char*, 8> kBoxes;
  explicit ScanSettingsPage(UserSettings& settings) : settings_(settings) {}
  void Open();
  bool Checked(std::size_t box) const { return checked_[box]; }
  void Toggle(std::size_t box);
  const std::vector<std::string>& Folders() const { return folders_; }
  // The folder chooser (texts 112 and 113) through the prompt; stores the chosen folders.
  void ChooseFolders(platform::Prompt& prompt, const Resources& resources);
  std::vector<std::string> Lines() const;

 private:
  UserSettings& settings_;
  std::array<bool, 8> checked_{};
  std::vector<std::string> folders_;
};

// The scan page and its found-items list.
class ScanPage {
 public:
  explicit ScanPage(const Resources& resources) : resources_(resources) {}

  std::vector<removal::ResultRow>& Rows() { return rows_; }
  // Adds a row unless one has the same item text without regard to case; rows come ticked.
  bool AddRow(const scan::FoundItem& item, const platform::CodePage& code);
  void Clear();
  std::string scanButton;  // its caption chooses its role: 117 home, 118 stop, else remove
  bool listOnly = false;   // button 204's layout
  std::string LayoutCaption() const;  // 115 or 116
  std::string status;                 // 124 or 119 at the end of a scan

  // The context menu on a row (none: no row under the cursor); the captions of 32787 to
  // 32790 formatted with the row's entry name or kind label, or text 79.
  void OpenMenu(std::optional<std::size_t> row);
  const std::array<std::string, 4>& MenuCaptions() const { return menuCaptions_; }
  std::optional<std::size_t> MenuRow() const { return menuRow_; }
  // Commands 32782-32784 and 32787-32790; false for one the page does not handle now.
  bool TickCommand(std::uintptr_t command);
  std::vector<std::string> Lines() const;

 private:
  const Resources& resources_;
  std::vector<removal::ResultRow> rows_;
  std::array<std::string, 4> menuCaptions_;
  std::optional<std::size_t> menuRow_;
};

// The ignore-list page: the ignore list's items as unticked rows.
class IgnorePage {
 public:
  explicit IgnorePage(const Resources& resources) : resources_(resources) {}
  void Fill(const scan::IgnoreList& list);
  std::vector<removal::ResultRow>& Rows() { return rows_; }
  std::vector<std::string> Lines() const;

 private:
  const Resources& resources_;
  std::vector<removal::ResultRow> rows_;
};

// The columns of a row in a list; the ignore page labels no changed value.
FoundRow ListColumns(const Resources& resources, const scan::FoundItem& item,
                     bool labelChangedValues);
// A list's rows as "index [x] columns" lines; the ignore page labels no changed value.
std::vector<std::string> RowLines(const Resources& resources,
                                  const std::vector<removal::ResultRow>& rows,
                                  bool labelChangedValues = true);

}  // namespace app

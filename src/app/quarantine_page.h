// The quarantine page: the archives of the program folder's "Quarantine" as rows of four
// columns, with the two statistics of the store, and restoring or deleting the ticked rows.
// The window shows it and vexmarl-cli drives it; both reach the person through the prompt.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/resources.h"
#include "app/user_settings.h"
#include "platform/machine.h"
#include "platform/prompt.h"

namespace app {

struct QuarantineRow {
  std::string title;      // the archive's file name without ".vmq"
  std::string itemTotal;  // "%d"
  std::string size;       // the size text of the archive file
  std::string created;    // "%d-%m-%y", empty when the archive cannot be opened
  bool ticked = false;
};

class QuarantinePage {
 public:
  QuarantinePage(platform::Machine& machine, const Resources& resources, UserSettings& settings,
                 platform::Prompt& prompt, std::string appName, std::string programFolder);

  // Column headings (strings 87 to 90) and their widths.
  std::array<std::string, 4> ColumnHeadings() const;
  static constexpr std::array<int, 4> kColumnWidths{250, 50, 60, 100};

  // Fills the rows from the store in the order found and stores QuarantineFiles and
  // QuarantinedTotalItems.
  void List();
  const std::vector<QuarantineRow>& Rows() const { return rows_; }
  void Tick(std::size_t row, bool ticked) { rows_.at(row).ticked = ticked; }
  // Ticks the row of that title; false when there is none.
  bool TickTitle(const std::string& title);

  // Restores each ticked archive; a restored one leaves the list and the store, one that
  // fails stays (string 91). Then string 93 when nothing was ticked, else string 92 with the
  // number restored. Returns that number.
  int RestoreTicked();
  // Deletes each ticked archive and its row (a row whose archive cannot be deleted stays);
  // the number deleted.
  int DeleteTicked();

 private:
  std::string ArchivePath(const QuarantineRow& row) const;
  void Show(const std::string& text);

  platform::Machine& machine_;
  const Resources& resources_;
  UserSettings& settings_;
  platform::Prompt& prompt_;
  std::string appName_;
  std::string programFolder_;
  std::vector<QuarantineRow> rows_;
};

}  // namespace app

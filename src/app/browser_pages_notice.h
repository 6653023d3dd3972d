// The browser pages notice: shown first when the window opens, it sets the browser's start
// and search pages beside the ones the user saved, as two pairs of check boxes of which one
// in each pair may be ticked, and applying makes the ticked page the one of both places.
#pragma once

#include <functional>
#include <string>

#include "app/resources.h"
#include "app/user_settings.h"
#include "platform/machine.h"

namespace app {

class BrowserPagesNotice {
 public:
  enum Box { SavedStart, BrowserStart, SavedSearch, BrowserSearch, BoxCount };

  // showStartPage sends message 1228 to the main window.
  BrowserPagesNotice(platform::Machine& machine, UserSettings& settings, const Resources& resources,
                     std::string appName, std::function<void()> showStartPage);

  // Reads both places, ticks the saved pages and sets the differ flag.
  void Open();
  const std::string& Caption(Box box) const { return captions_[box]; }
  bool Ticked(Box box) const { return ticked_[box]; }
  // Ticking a box clears the other box of its pair.
  void Tick(Box box, bool ticked);
  // The saved page differs from the browser's (letter case counts).
  bool PagesDiffer() const { return pagesDiffer_; }
  const std::string& StartHeading() const { return startHeading_; }
  const std::string& SearchHeading() const { return searchHeading_; }
  const std::string& Explanation() const { return explanation_; }

  // The apply button (209): the ticked page of each pair, or the browser's when the saved
  // one is not ticked, becomes the setting and the browser's page under both roots.
  void Apply();

 private:
  platform::Machine& machine_;
  UserSettings& settings_;
  const Resources& resources_;
  std::string appName_;
  std::function<void()> showStartPage_;
  std::string captions_[BoxCount];
  bool ticked_[BoxCount] = {};
  bool pagesDiffer_ = false;
  std::string startHeading_, searchHeading_, explanation_;
};

}  // namespace app

#include "app/page_ids.h"

namespace app {

int PageNumber(Page page) {
  switch (page) {
    case Page::Notice:
      return -1;
    case Page::Start:
      return 0;
    case Page::About:
      return 1;
    case Page::Ignore:
      return 3;
    case Page::ObjectDetails:
      return 4;
    case Page::Quarantine:
      return 5;
    case Page::Scan:
      return 7;
    case Page::Options:
      return 8;
    case Page::ScanSettings:
    case Page::Results:
      return 10;
    case Page::Hidden:
      return 11;
  }
  return -1;
}

unsigned PageHeaderText(Page page) {
  switch (page) {
    case Page::Start:
      return 143;
    case Page::About:
      return 148;
    case Page::Ignore:
      return 147;
    case Page::ObjectDetails:
      return 153;
    case Page::Quarantine:
      return 146;
    case Page::Scan:
      return 176;
    case Page::Options:
      return 145;
    case Page::ScanSettings:
      return 149;
    case Page::Results:
      return 175;
    case Page::Notice:
    case Page::Hidden:
      return 0;
  }
  return 0;
}

const char* PageName(Page page) {
  static const char* const kNames[] = {"notice",        "start",      "about", "ignore",
                                       "details",       "quarantine", "scan",  "options",
                                       "scan settings", "results",    "hidden"};
  return kNames[static_cast<int>(page)];
}

}  // namespace app

#include "app/browser_pages_notice.h"

#include "removal/browser_repair.h"

namespace app {
namespace {

constexpr unsigned kExplanationText = 66;
constexpr unsigned kStartHeadingText = 67;
constexpr unsigned kSearchHeadingText = 68;

}  // namespace

BrowserPagesNotice::BrowserPagesNotice(platform::Machine& machine, UserSettings& settings,
                                       const Resources& resources, std::string appName,
                                       std::function<void()> showStartPage)
    : machine_(machine),
      settings_(settings),
      resources_(resources),
      appName_(std::move(appName)),
      showStartPage_(std::move(showStartPage)) {}

void BrowserPagesNotice::Open() {
  platform::Registry& registry = machine_.registry();
  captions_[SavedStart] = settings_.Text(setting::kHomepage);
  captions_[BrowserStart] =
      removal::ReadBrowserPage(registry, platform::HKEY_CURRENT_USER, removal::kStartPageValue)
          .value_or("");
  captions_[SavedSearch] = settings_.Text(setting::kSearchpage);
  captions_[BrowserSearch] =
      removal::ReadBrowserPage(registry, platform::HKEY_CURRENT_USER, removal::kSearchPageValue)
          .value_or("");
  pagesDiffer_ = captions_[SavedStart] != captions_[BrowserStart] ||
                 captions_[BrowserSearch] != captions_[SavedSearch];
  for (bool& ticked : ticked_) ticked = false;
  ticked_[SavedStart] = ticked_[SavedSearch] = true;
  startHeading_ = resources_.String(kStartHeadingText);
  searchHeading_ = resources_.String(kSearchHeadingText);
  explanation_ = resources_.Format(kExplanationText, {appName_});
}

void BrowserPagesNotice::Tick(Box box, bool ticked) {
  ticked_[box] = ticked;
  if (ticked) ticked_[box ^ 1] = false;  // the other box of the pair
}

void BrowserPagesNotice::Apply() {
  if (!ticked_[SavedStart]) captions_[SavedStart] = captions_[BrowserStart];
  if (!ticked_[SavedSearch]) captions_[SavedSearch] = captions_[BrowserSearch];
  const std::string& homepage = captions_[SavedStart];
  const std::string& searchpage = captions_[SavedSearch];
  settings_.SetText(setting::kHomepage, homepage);
  settings_.SetText(setting::kSearchpage, searchpage);
  platform::Registry& registry = machine_.registry();
  for (platform::HKEY root : {platform::HKEY_LOCAL_MACHINE, platform::HKEY_CURRENT_USER}) {
    platform::HKEY key = nullptr;
    if (registry.RegCreateKeyExA(root, removal::kBrowserMainKey, 0, nullptr, 0,
                                 platform::KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr) != platform::ERROR_SUCCESS)
      continue;
    for (auto [name, page] : {std::pair{removal::kStartPageValue, &homepage},
                              std::pair{removal::kSearchPageValue, &searchpage}})
      registry.RegSetValueExA(key, name, 0, platform::REG_SZ,
                              reinterpret_cast<const platform::BYTE*>(page->c_str()),
                              static_cast<platform::DWORD>(page->size() + 1));
    registry.RegCloseKey(key);
  }
  if (showStartPage_) showStartPage_();
}

}  // namespace app

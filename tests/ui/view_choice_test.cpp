#include "ui/view_choice.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace ui {
namespace {

ViewChoice ChooseWith(const std::map<std::string, std::string>& environment) {
  return ChooseView([&](const char* name) -> const char* {
    auto found = environment.find(name);
    return found == environment.end() ? nullptr : found->second.c_str();
  });
}

TEST(ViewChoiceTest, TheDisplayDecidesUnlessTheVariableNamesAView) {
  EXPECT_EQ(ChooseWith({}).kind, ViewKind::Console);
  EXPECT_EQ(ChooseWith({{"DISPLAY", ""}}).kind, ViewKind::Console);  // set but empty
  for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    EXPECT_EQ(ChooseWith({{display, "x"}}).kind, ViewKind::Qt) << display;
  EXPECT_EQ(ChooseWith({{"DISPLAY", ":0"}, {"VEXMARL_VIEW", "console"}}).kind, ViewKind::Console);
  EXPECT_EQ(ChooseWith({{"VEXMARL_VIEW", "QT"}}).kind, ViewKind::Qt);
  const ViewChoice unknown = ChooseWith({{"VEXMARL_VIEW", "gtk"}, {"DISPLAY", ":0"}});
  EXPECT_EQ(unknown.kind, ViewKind::Qt);
  EXPECT_EQ(unknown.ignoredValue, "gtk");
}

}  // namespace
}  // namespace ui

#include "platform/prompt.h"

#include <gtest/gtest.h>

#include <sstream>

namespace platform {
namespace {

TEST(Prompt, TheConsoleAsksAndFallsBackToTheSafeAnswer) {
  std::istringstream in("maybe\ny\n\nC:\\Data\\x.log\n");
  std::ostringstream out;
  ConsolePrompt prompt(in, out, true);
  EXPECT_EQ(prompt.MessageBoxA(nullptr, "Remove 3 items?", "Vexmarl", MB_YESNO | MB_ICONQUESTION),
            IDYES);
  EXPECT_NE(out.str().find("Vexmarl: Remove 3 items?\n[y/n] [y/n] "), std::string::npos)
      << out.str();
  EXPECT_EQ(prompt.ChooseFile("Open a log", "C:\\"), std::nullopt);  // an empty line cancels
  EXPECT_EQ(prompt.ChooseFolder("Folder"), "C:\\Data\\x.log");
  // Input at its end: the answer that changes nothing.
  EXPECT_EQ(prompt.MessageBoxA(nullptr, "Restart now?", "Vexmarl", MB_YESNO), IDNO);
  EXPECT_EQ(prompt.MessageBoxA(nullptr, "Go on?", "Vexmarl", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(prompt.MessageBoxA(nullptr, "Done.", "Vexmarl", MB_OK), IDOK);

  std::istringstream unused("y\n");
  ConsolePrompt unattended(unused, out, false);  // not a terminal: nobody to ask
  EXPECT_EQ(unattended.MessageBoxA(nullptr, "Delete?", "Vexmarl", MB_YESNO), IDNO);
}

TEST(Prompt, ScriptedAnswersAreGivenInOrderAndSurprisesAreKept) {
  ScriptedPrompt prompt;
  prompt.AnswerMessage(IDYES);
  prompt.AnswerChoice("C:\\chosen");
  EXPECT_EQ(prompt.MessageBoxA(nullptr, "Quarantine?", "Vexmarl", MB_YESNO), IDYES);
  EXPECT_EQ(prompt.ChooseFolder("Scan folder"), "C:\\chosen");
  EXPECT_TRUE(prompt.AllAnswered());
  EXPECT_EQ(prompt.MessageBoxA(nullptr, "Again?", "Vexmarl", MB_YESNO), IDNO);
  EXPECT_EQ(prompt.Unexpected(), std::vector<std::string>{"Vexmarl: Again?"});
  EXPECT_EQ(prompt.Asked().size(), 3u);
}

}  // namespace
}  // namespace platform

// The tests of the views: one QApplication for the whole run, on the offscreen platform
// unless another is chosen.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  int qtArgumentCount = 1;
  QApplication qt(qtArgumentCount, argv);
  return RUN_ALL_TESTS();
}

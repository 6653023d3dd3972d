// Named mutexes across the processes of one machine.
#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/image/image_messages.h"
#include "platform/last_error.h"
#include "support/helper_process.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::HelperProcess;
using testing_support::TempImage;

TEST(NamedMutex, ASecondCreatorSeesItUntilTheHoldersAreGone) {
  TempImage image;
  ImageMessages messages(image.Machine().Image());
  {
    HelperProcess first({VEXMARL_TEST_HOLDER, image.Root(), "mutex", "Vexmarl 4.23"});
    ASSERT_EQ(first.Report(), "created");
    HANDLE mine = messages.CreateMutexA(nullptr, TRUE, "Vexmarl 4.23");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(mine);
    // Names are case-sensitive.
    HANDLE other = messages.CreateMutexA(nullptr, TRUE, "vexmarl 4.23");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(other);
    first.Kill();  // a crash frees the mutex too
  }
  HANDLE again = messages.CreateMutexA(nullptr, TRUE, "Vexmarl 4.23");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HelperProcess second({VEXMARL_TEST_HOLDER, image.Root(), "mutex", "Vexmarl 4.23"});
  EXPECT_EQ(second.Report(), "exists");
  EXPECT_TRUE(messages.ReleaseMutex(again));
  CloseHandle(again);
}

}  // namespace
}  // namespace platform

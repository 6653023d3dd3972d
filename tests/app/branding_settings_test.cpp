#include "app/branding_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/temp_image.h"

namespace app {
namespace {

using testing_support::TempImage;

constexpr const char* kFolder = "C:\\Program Files\\Vexmarl\\";

class BrandingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.WriteHostFile("Program Files/Vexmarl/images/toprightlogo.bmp", "BM");
    image_.WriteHostFile("Program Files/Vexmarl/images/poweredby.bmp", "BM");
    ASSERT_TRUE(image_.Files().SetCurrentDirectoryA(kFolder));
  }

  BrandingSettings Load(const std::string& settings) {
    image_.WriteHostFile("Program Files/Vexmarl/settings.xml", settings);
    BrandingSettings branding;
    branding.Load(image_.Files(), kFolder);
    return branding;
  }

  TempImage image_;
};

TEST_F(BrandingTest, ReadsTextsInOrderAndUntrimmed) {
  BrandingSettings branding = Load(
      "<HOLLOWMERESETTINGS><CPID>7</CPID><APPNAME> Vexmarl </APPNAME><OTHER/>"
      "<REGISTRYNAME>Vexmarl</REGISTRYNAME><URLHELP>http://help.vexmarl.example/?a=1&amp;b=2"
      "</URLHELP></HOLLOWMERESETTINGS>");
  EXPECT_EQ(branding.APPNAME, " Vexmarl ");
  EXPECT_EQ(branding.REGISTRYNAME, "Vexmarl");
  EXPECT_EQ(branding.URLHELP, "http://help.vexmarl.example/?a=1&b=2");
  EXPECT_EQ(branding.CPID, "");  // it stands before APPNAME, which was read first
  EXPECT_EQ(branding.Problem(), "");
}

TEST_F(BrandingTest, ColoursDefaultToGreenAndKeepTheLowEightBits) {
  BrandingSettings branding = Load(
      "<HOLLOWMERESETTINGS><WHITE_RGB><RED>300</RED><GREEN>255</GREEN><BLUE>255</BLUE>"
      "</WHITE_RGB><SOLID_BLUE><BLUE>255</BLUE></SOLID_BLUE><GRAY_RGB/>"
      "<HEADER_RGB><RED>x</RED><GREEN> 12</GREEN><BLUE>-1</BLUE></HEADER_RGB>"
      "</HOLLOWMERESETTINGS>");
  EXPECT_EQ(branding.Colour(BrandColour::White), RGB(44, 255, 255));
  EXPECT_EQ(branding.Colour(BrandColour::SolidBlue), RGB(0, 255, 255));  // green stays 255
  EXPECT_EQ(branding.Colour(BrandColour::Black), RGB(0, 255, 0));        // missing: green
  EXPECT_EQ(branding.Colour(BrandColour::Gray), RGB(0, 255, 0));
  EXPECT_EQ(branding.Colour(BrandColour::Header), RGB(0, 12, 255));
  EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
}

TEST_F(BrandingTest, WithoutTheRootEverythingStaysEmptyAndBlack) {
  for (const char* settings :
       {"<SETTINGS><APPNAME>X</APPNAME></SETTINGS>", "<HOLLOWMERESETTINGS><APPNAME>X</APPNAME>"}) {
    BrandingSettings branding = Load(settings);
    EXPECT_EQ(branding.APPNAME, "");
    EXPECT_EQ(branding.Colour(BrandColour::White), 0u);
    EXPECT_NE(branding.Problem().find("settings.xml does not name the program"), std::string::npos);
  }
  ASSERT_TRUE(image_.Files().DeleteFileA("settings.xml"));
  BrandingSettings missing;
  missing.Load(image_.Files(), kFolder);
  EXPECT_EQ(missing.Problem(), "The file settings.xml is missing or cannot be read.");
}

TEST_F(BrandingTest, OptionalImagesAreClearedWhenMissing) {
  BrandingSettings branding = Load("<HOLLOWMERESETTINGS/>");
  EXPECT_EQ(branding.Image(BrandImage::TopRightLogo),
            "C:\\Program Files\\Vexmarl\\images\\toprightlogo.bmp");
  EXPECT_EQ(branding.Image(BrandImage::Flash), "C:\\Program Files\\Vexmarl\\images\\flash.bmp");
  ASSERT_TRUE(image_.Files().DeleteFileA("images\\toprightlogo.bmp"));
  branding.Load(image_.Files(), kFolder);
  EXPECT_EQ(branding.Image(BrandImage::TopRightLogo), "");
  EXPECT_EQ(branding.Image(BrandImage::PoweredBy),
            "C:\\Program Files\\Vexmarl\\images\\poweredby.bmp");
  // Other images keep their paths whether or not their files exist.
  EXPECT_EQ(branding.Image(BrandImage::ButtonBackNormal),
            "C:\\Program Files\\Vexmarl\\images\\Button_BACK_N.bmp");
}

TEST_F(BrandingTest, TheShippedSettingsNameVexmarl) {
  std::ifstream shipped(VEXMARL_DATA_FOLDER "/settings.xml", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
  BrandingSettings branding = Load(text);
  EXPECT_EQ(branding.APPNAME, "Vexmarl");
  EXPECT_EQ(branding.REGISTRYNAME, "Vexmarl");
  EXPECT_EQ(branding.EXENAME, "Vexmarl.exe");
  EXPECT_EQ(branding.CPID, "1");
  EXPECT_EQ(branding.Colour(BrandColour::ListInterior), RGB(245, 250, 250));
  EXPECT_EQ(branding.Problem(), "");
  for (int image = 0; image < static_cast<int>(BrandImage::Count); ++image) {
    std::string name = branding.Image(static_cast<BrandImage>(image));
    name = name.substr(name.rfind('\\') + 1);
    EXPECT_TRUE(std::filesystem::exists(std::string(VEXMARL_DATA_FOLDER "/images/") + name))
        << name;
  }
}

}  // namespace
}  // namespace app

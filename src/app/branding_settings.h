// The brand the program runs as: names, web addresses, vendor identifiers, colours and skin
// bitmaps, read once at start-up from "settings.xml" and the "images" folder of the program.
#pragma once

#include <array>
#include <string>

#include "platform/files.h"

namespace app {

using COLORREF = platform::DWORD;

constexpr COLORREF RGB(unsigned red, unsigned green, unsigned blue) {
  return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

inline constexpr const char* kSettingsFileName = "settings.xml";
inline constexpr const char* kSettingsRoot = "HOLLOWMERESETTINGS";
inline constexpr const char* kDefaultLogsMail = "logs@vexmarl.example";

// The skin bitmaps, in the order they are listed in the program folder.
enum class BrandImage {
  Flash,
  Back,
  MainButtonNormal,
  MainButtonSelected,
  MainButtonFocus,
  PoweredBy,
  Width,
  BottomRemine,
  ButtonSmallOver,
  ButtonSmallDown,
  ButtonSmallNormal,
  StartPageBack,
  ButtonBackOver,
  ButtonBackDown,
  ButtonBackNormal,
  TopRightLogo,
  Count
};

enum class BrandColour {
  White,
  Black,
  SolidBlue,
  ButtonText,
  FrameGray,
  Orange,
  Orange2,
  Gray,
  SolidRed,
  Blue,
  BabyBlue,
  BabyBlue2,
  LightGray,
  LightBlueGray,
  Header,
  ListInterior,
  Count
};

class BrandingSettings {
 public:
  std::string APPNAME, REGISTRYNAME, EXENAME, COMPANYNAME, URLPROD, URLFRIEND, URLTERMS, URLSUPPORT,
      URLHELP, URLLOGO, VENDID, LANGID, CPID;
  // The vendor's public key of signed update lists, in PEM form, after the colours; without
  // one the updates are not verified.
  std::string UPDATEKEY;
  // The makers' address for mailed logs: optional, wherever it stands in the file.
  std::string LOGSMAIL = kDefaultLogsMail;

  // Fills the settings: the image paths from programFolder (which ends with a backslash),
  // the rest from "settings.xml" in the current folder. A missing or malformed file leaves
  // every text empty and every colour black.
  void Load(platform::Files& files, const std::string& programFolder);

  // Empty when the program can run with these settings; otherwise the message that names
  // the file and what it lacks.
  std::string Problem() const;

  const std::string& Image(BrandImage image) const { return images_[static_cast<int>(image)]; }
  COLORREF Colour(BrandColour colour) const { return colours_[static_cast<int>(colour)]; }

 private:
  std::array<std::string, static_cast<int>(BrandImage::Count)> images_;
  std::array<COLORREF, static_cast<int>(BrandColour::Count)> colours_{};
  bool fileRead_ = false;
};

}  // namespace app

#include "app/branding_settings.h"

#include <new>
#include <sstream>

#include "foundation/markup_document.h"
#include "foundation/out_of_memory.h"
#include "foundation/whole_file.h"

namespace app {

namespace {

constexpr const char* kImageNames[] = {
    "images\\flash.bmp",          "images\\back.bmp",
    "images\\main_bt_normal.bmp", "images\\main_bt_selected.bmp",
    "images\\main_bt_focus.bmp",  "images\\poweredby.bmp",
    "images\\width.bmp",          "images\\BottomRemine.bmp",
    "images\\Button_Small_O.bmp", "images\\Button_Small_D.bmp",
    "images\\Button_Small_N.bmp", "images\\StartPageBack.bmp",
    "images\\Button_BACK_O.bmp",  "images\\Button_BACK_D.bmp",
    "images\\Button_BACK_N.bmp",  "images\\toprightlogo.bmp",
};

constexpr const char* kColourNames[] = {
    "WHITE_RGB",  "BLACK_RGB",       "SOLID_BLUE",  "BUTTON_TEXT_RGB",
    "FRAME_GRAY", "ORANGE_RGB",      "ORANGE_RGB2", "GRAY_RGB",
    "SOLID_RED",  "BLUE_RGB",        "BABY_BLUE",   "BABY_BLUE2",
    "LIGHT_GRAY", "LIGHT_BLUE_GRAY", "HEADER_RGB",  "LISTCTRL_INTERIOR_RGB",
};

static_assert(std::size(kImageNames) == static_cast<int>(BrandImage::Count));
static_assert(std::size(kColourNames) == static_cast<int>(BrandColour::Count));

// The low 8 bits of the number that the text starts with (as atoi reads it); 0 without one.
unsigned ComponentValue(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  unsigned value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = (value * 10 + static_cast<unsigned>(text[i] - '0')) & 0xFF;
  return negative ? (0x100 - value) & 0xFF : value;
}

// A PEM text as an element holds it, indented with the markup around it: each line without
// its blanks, empty lines dropped, every line ended by a line feed.
std::string KeyText(const std::string& element) {
  std::string key, line;
  std::istringstream lines(element);
  while (std::getline(lines, line)) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    key += line.substr(first, line.find_last_not_of(" \t\r") - first + 1) + "\n";
  }
  return key;
}

}  // namespace

void BrandingSettings::Load(platform::Files& files, const std::string& programFolder) {
  for (std::size_t i = 0; i < images_.size(); ++i) images_[i] = programFolder + kImageNames[i];
  for (BrandImage optional : {BrandImage::TopRightLogo, BrandImage::PoweredBy}) {
    std::string& path = images_[static_cast<int>(optional)];
    if (!files.PathFileExistsA(path.c_str())) path.clear();
  }

  std::optional<std::string> text;
  try {
    text = foundation::ReadWholeFile(files, kSettingsFileName);
  } catch (const std::bad_alloc&) {
    foundation::OutOfMemory();
  }
  fileRead_ = text.has_value();
  foundation::MarkupDocument document(files.Code());
  document.SetDocument(text ? text->c_str() : nullptr);
  if (!document.FindElement(kSettingsRoot)) return;

  std::string* fields[] = {&APPNAME,   &REGISTRYNAME, &EXENAME,    &COMPANYNAME, &URLPROD,
                           &URLFRIEND, &URLTERMS,     &URLSUPPORT, &URLHELP,     &URLLOGO,
                           &VENDID,    &LANGID,       &CPID};
  const char* keys[] = {"APPNAME",   "REGISTRYNAME", "EXENAME",    "COMPANYNAME", "URLPROD",
                        "URLFRIEND", "URLTERMS",     "URLSUPPORT", "URLHELP",     "URLLOGO",
                        "VENDID",    "LANGID",       "CPID"};
  for (std::size_t i = 0; i < std::size(keys); ++i) {
    if (document.FindChildElement(keys[i])) *fields[i] = document.GetChildData();
  }
  for (std::size_t i = 0; i < colours_.size(); ++i) {
    unsigned component[3] = {0, 255, 0};
    if (document.FindChildElement(kColourNames[i])) {
      document.IntoElement();
      const char* names[] = {"RED", "GREEN", "BLUE"};
      for (int c = 0; c < 3; ++c) {
        if (document.FindChildElement(names[c]))
          component[c] = ComponentValue(document.GetChildData());
      }
      document.OutOfElement();
    }
    colours_[i] = RGB(component[0], component[1], component[2]);
  }
  // The vendor's key stands after the colours.
  if (document.FindChildElement("UPDATEKEY")) UPDATEKEY = KeyText(document.GetChildData());
  document.ResetPosition();
  if (document.FindElement(kSettingsRoot) && document.FindChildElement("LOGSMAIL")) {
    const std::string address = document.GetChildData();
    if (!address.empty()) LOGSMAIL = address;
  }
}

std::string BrandingSettings::Problem() const {
  if (!fileRead_)
    return std::string("The file ") + kSettingsFileName + " is missing or cannot be read.";
  if (APPNAME.empty() || REGISTRYNAME.empty())
    return std::string("The file ") + kSettingsFileName +
           " does not name the program: " + kSettingsRoot + " needs APPNAME and REGISTRYNAME.";
  return {};
}

}  // namespace app

#include "ui/qt/brand_style.h"

namespace ui::qt {
namespace {

using app::BrandColour;
using app::BrandImage;

QString HostPath(const app::BrandingSettings& branding, platform::Files& files, BrandImage image) {
  const std::string& path = branding.Image(image);
  if (path.empty()) return {};
  const auto host = files.HostPathOf(path);
  return host ? QString::fromStdString(*host) : QString();
}

}  // namespace

QColor ColourOf(const app::BrandingSettings& branding, BrandColour colour) {
  const app::COLORREF value = branding.Colour(colour);
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QPixmap BrandPixmap(const app::BrandingSettings& branding, platform::Files& files,
                    BrandImage image) {
  const QString path = HostPath(branding, files, image);
  return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QString BrandStyleSheet(const app::BrandingSettings& branding, platform::Files& files) {
  auto colour = [&](BrandColour which) { return ColourOf(branding, which).name(); };
  // An image only where the brand has one that can be read.
  auto image = [&](BrandImage which) {
    const QString path = HostPath(branding, files, which);
    return !path.isEmpty() && !QPixmap(path).isNull()
               ? "border-image: url(\"" + path + "\") 0 0 0 0 stretch stretch;"
               : QString();
  };
  QString sheet;
  sheet += "#frame { background: " + colour(BrandColour::LightGray) + "; " +
           image(BrandImage::Back) + " }";
  sheet += "#header { background: " + colour(BrandColour::Header) + "; }";
  sheet += "#header QLabel { color: " + colour(BrandColour::White) + "; }";
  sheet += "#pageHeader { color: " + colour(BrandColour::Orange2) +
           "; font-size: 15pt;"
           " font-weight: bold; }";
  sheet += "#navigation { background: " + colour(BrandColour::SolidBlue) + "; }";
  sheet += "#navigation QPushButton { color: " + colour(BrandColour::ButtonText) +
           "; min-height: 28px; padding: 0 8px; text-align: left; border: none; " +
           image(BrandImage::MainButtonNormal) + " }";
  sheet += "#navigation QPushButton:hover { " + image(BrandImage::MainButtonFocus) + " }";
  sheet += "#navigation QPushButton:checked { color: " + colour(BrandColour::White) +
           "; font-weight: bold; " + image(BrandImage::MainButtonSelected) + " }";
  sheet += "#navigation QPushButton:disabled { color: " + colour(BrandColour::Gray) + "; }";
  sheet += "#pages { background: " + colour(BrandColour::White) + "; border: 1px solid " +
           colour(BrandColour::FrameGray) + "; }";
  sheet += "#pages QLabel, #pages QCheckBox, #pages QRadioButton, #pages QGroupBox { color: " +
           colour(BrandColour::Black) + "; }";
  sheet += "#pages QGroupBox { font-weight: bold; border: 1px solid " +
           colour(BrandColour::LightBlueGray) + "; margin-top: 8px; padding-top: 6px; }";
  sheet += "#pages QGroupBox::title { subcontrol-origin: margin; left: 8px; color: " +
           colour(BrandColour::Blue) + "; }";
  sheet += "#pages QPushButton { color: " + colour(BrandColour::ButtonText) +
           "; min-width: 72px; min-height: 22px; padding: 0 10px; border: none; background: " +
           colour(BrandColour::Blue) + "; " + image(BrandImage::ButtonSmallNormal) + " }";
  sheet += "#pages QPushButton:hover { " + image(BrandImage::ButtonSmallOver) + " }";
  sheet += "#pages QPushButton:pressed { " + image(BrandImage::ButtonSmallDown) + " }";
  sheet += "#pages QPushButton:disabled { color: " + colour(BrandColour::LightGray) + "; }";
  sheet += "#pages QPushButton#back { " + image(BrandImage::ButtonBackNormal) + " }";
  sheet += "#pages QPushButton#back:hover { " + image(BrandImage::ButtonBackOver) + " }";
  sheet += "#pages QPushButton#back:pressed { " + image(BrandImage::ButtonBackDown) + " }";
  sheet += "#pages QTreeWidget { background: " + colour(BrandColour::ListInterior) +
           "; alternate-background-color: " + colour(BrandColour::BabyBlue) +
           "; border: 1px solid " + colour(BrandColour::FrameGray) + "; }";
  sheet += "#pages QHeaderView::section { background: " + colour(BrandColour::BabyBlue2) +
           "; color: " + colour(BrandColour::Black) +
           "; padding: 2px 4px; border: none;"
           " border-right: 1px solid " +
           colour(BrandColour::FrameGray) + "; }";
  sheet += "#pages QTextBrowser { border: none; background: " + colour(BrandColour::White) + "; }";
  sheet += "#counter { color: " + colour(BrandColour::Orange) + "; font-weight: bold; }";
  sheet += "#status { color: " + colour(BrandColour::Black) + "; }";
  return sheet;
}

}  // namespace ui::qt

#include "ui/win32/skin.h"

#include <algorithm>

namespace ui::win32 {
namespace {

using app::BrandColour;
using app::BrandImage;

// Sizes of the fonts against the message font, as the window's parts have them: the name in
// the header at 20 points, the page's header at 15, the statistics at 13 and 11.
constexpr int kTitlePercent = 240, kHeaderPercent = 180;
constexpr int kStatisticsHeadingPercent = 160, kStatisticsPercent = 135;
constexpr const char* kStatisticsFace = "Arial";
constexpr int kButtonPadding = 20, kButtonMinimumWidth = 72, kNavigationTextInset = 8;

}  // namespace

Skin::Skin(const app::BrandingSettings& branding)
    : branding_(branding),
      fontHeight_(sys::MessageFontHeight()),
      font_(sys::MessageFont(100, false)),
      boldFont_(sys::MessageFont(100, true)),
      titleFont_(sys::MessageFont(kTitlePercent, true)),
      headerFont_(sys::MessageFont(kHeaderPercent, true)),
      statisticsHeadingFont_(sys::MessageFont(kStatisticsHeadingPercent, true, kStatisticsFace)),
      statisticsFont_(sys::MessageFont(kStatisticsPercent, false, kStatisticsFace)) {
  for (int colour = 0; colour < static_cast<int>(BrandColour::Count); ++colour)
    brushes_[colour] = sys::SolidBrush(branding.Colour(static_cast<BrandColour>(colour)));
  for (int image = 0; image < static_cast<int>(BrandImage::Count); ++image)
    bitmaps_[image] = sys::LoadBitmapFile(branding.Image(static_cast<BrandImage>(image)));
}

Skin::~Skin() {
  for (void* brush : brushes_) sys::DeleteObject(brush);
  for (void* bitmap : bitmaps_) sys::DeleteObject(bitmap);
  for (void* font :
       {font_, boldFont_, titleFont_, headerFont_, statisticsHeadingFont_, statisticsFont_})
    sys::DeleteObject(font);
}

void Skin::DrawButton(const sys::ButtonDrawing& drawing, ButtonLook look, bool checked, bool hot,
                      const std::string& text) const {
  sys::Canvas& canvas = *drawing.canvas;
  const bool lit = hot && !drawing.disabled;
  BrandImage image = BrandImage::ButtonSmallNormal;
  BrandColour fill = BrandColour::Blue;
  switch (look) {
    case ButtonLook::Navigation:
      image = checked ? BrandImage::MainButtonSelected
              : lit   ? BrandImage::MainButtonFocus
                      : BrandImage::MainButtonNormal;
      fill = checked ? BrandColour::Orange : BrandColour::Blue;
      break;
    case ButtonLook::Page:
      image = drawing.pressed ? BrandImage::ButtonSmallDown
              : lit           ? BrandImage::ButtonSmallOver
                              : BrandImage::ButtonSmallNormal;
      break;
    case ButtonLook::Back:
      image = drawing.pressed ? BrandImage::ButtonBackDown
              : lit           ? BrandImage::ButtonBackOver
                              : BrandImage::ButtonBackNormal;
      break;
  }
  if (void* bitmap = Bitmap(image))
    canvas.Stretch(bitmap, drawing.rect);
  else
    canvas.Fill(drawing.rect, Colour(fill));

  sys::Rect textRect = drawing.rect;
  if (drawing.pressed) {
    ++textRect.left;
    ++textRect.top;
    ++textRect.right;
    ++textRect.bottom;
  }
  if (look == ButtonLook::Navigation) {
    const BrandColour colour = drawing.disabled ? BrandColour::Gray
                               : checked        ? BrandColour::White
                                                : BrandColour::ButtonText;
    textRect.left += Px(kNavigationTextInset);
    canvas.Text(text, textRect, checked ? boldFont_ : font_, Colour(colour),
                sys::kTextLeft | sys::kTextMiddle | sys::kTextEllipsis);
  } else {
    const BrandColour colour = drawing.disabled ? BrandColour::LightGray : BrandColour::ButtonText;
    canvas.Text(text, textRect, font_, Colour(colour),
                sys::kTextCentre | sys::kTextMiddle | sys::kTextEllipsis);
  }
  if (drawing.focused && drawing.showFocus) {
    const int inset = Px(3);
    canvas.FocusFrame({drawing.rect.left + inset, drawing.rect.top + inset,
                       drawing.rect.right - inset, drawing.rect.bottom - inset});
  }
}

int Skin::ButtonWidth(const std::string& text) const {
  return std::max(Px(kButtonMinimumWidth), sys::TextSize(font_, text).width + Px(kButtonPadding));
}

}  // namespace ui::win32

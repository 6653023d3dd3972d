// The brand's look in the Windows view: its sixteen colours (with brushes for the controls'
// backgrounds), its skin bitmaps loaded from the program's "images" folder, the fonts made
// from the system's message font, the unit of the layout, and the drawing of the skinned
// buttons. Sizes are written for a 13-pixel message font (8 points at 96 dots an inch) and
// grow and shrink with the system's font.
#pragma once

#include <array>
#include <string>

#include "app/branding_settings.h"
#include "ui/win32/paint_calls.h"

namespace ui::win32 {

namespace sys = ::win32::view;

// Which bitmaps a skinned button is drawn with.
enum class ButtonLook {
  Navigation,  // the navigation column's: normal, selected (its page is shown), under the mouse
  Page,        // a page's small button: normal, under the mouse, pressed
  Back,        // the details page's back button
};

class Skin {
 public:
  explicit Skin(const app::BrandingSettings& branding);
  ~Skin();
  Skin(const Skin&) = delete;
  Skin& operator=(const Skin&) = delete;

  sys::Colour Colour(app::BrandColour colour) const { return branding_.Colour(colour); }
  // A brush of the colour, kept for the skin's life.
  void* Brush(app::BrandColour colour) const { return brushes_[static_cast<int>(colour)]; }
  // The bitmap; null when the brand has none there or it cannot be read.
  void* Bitmap(app::BrandImage image) const { return bitmaps_[static_cast<int>(image)]; }

  void* Font() const { return font_; }
  void* BoldFont() const { return boldFont_; }
  void* TitleFont() const { return titleFont_; }    // the application's name in the header
  void* HeaderFont() const { return headerFont_; }  // the page's header text
  void* StatisticsHeadingFont() const { return statisticsHeadingFont_; }
  void* StatisticsFont() const { return statisticsFont_; }

  // A length written for the 13-pixel font, in pixels of the system's font.
  int Px(int length) const { return (length * fontHeight_ + 6) / 13; }
  int FontHeight() const { return fontHeight_; }

  // Draws the button in its state: checked for a navigation button whose page is shown, hot
  // while the mouse is over it.
  void DrawButton(const sys::ButtonDrawing& drawing, ButtonLook look, bool checked, bool hot,
                  const std::string& text) const;
  // The width a page's button needs for its text.
  int ButtonWidth(const std::string& text) const;

 private:
  const app::BrandingSettings& branding_;
  std::array<void*, static_cast<int>(app::BrandColour::Count)> brushes_{};
  std::array<void*, static_cast<int>(app::BrandImage::Count)> bitmaps_{};
  int fontHeight_;
  void* font_;
  void* boldFont_;
  void* titleFont_;
  void* headerFont_;
  void* statisticsHeadingFont_;
  void* statisticsFont_;
};

}  // namespace ui::win32

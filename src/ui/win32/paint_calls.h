// Seam: gdi32's drawing for the Windows view, in plain types: a canvas over a device context,
// the system's message font and fonts made from it, bitmaps loaded from files, brushes.
#pragma once

#include <string>

#include "ui/win32/window_calls.h"

namespace win32::view {

// How a text is placed in its rectangle; flags combine.
enum TextPlacing : unsigned {
  kTextLeft = 0,
  kTextCentre = 1,
  kTextRight = 2,
  kTextMiddle = 4,    // one line, centred from top to bottom
  kTextEllipsis = 8,  // one line, ended by "..." when it does not fit
  kTextWrap = 16,     // words wrapped onto lines
};

class Canvas {
 public:
  explicit Canvas(void* deviceContext) : dc_(deviceContext) {}
  void Fill(const Rect& rect, Colour colour);
  // A one-pixel outline inside the rectangle.
  void Outline(const Rect& rect, Colour colour);
  // The whole bitmap stretched over the rectangle.
  void Stretch(void* bitmap, const Rect& rect);
  void Place(void* bitmap, Point at);
  void Text(const std::string& text, const Rect& rect, void* font, Colour colour, unsigned placing);
  void FocusFrame(const Rect& rect);

 private:
  void* dc_;
};

// The system's message font (NONCLIENTMETRICS) at percent of its size, bold or not, in its
// own face or the one named; the caller deletes it with DeleteObject.
void* MessageFont(int percent, bool bold, const std::string& face = "");
// The line height of the system's message font, in pixels: the unit of the view's layout.
int MessageFontHeight();
std::string MessageFontFace();
// Its size in half points, for text formats that give sizes so.
int MessageFontHalfPoints();
Size TextSize(void* font, const std::string& text);
// The height the text takes wrapped at that width.
int WrappedTextHeight(void* font, const std::string& text, int width);

// A bitmap file (LoadImageA with LR_LOADFROMFILE); null when it is missing or unreadable.
void* LoadBitmapFile(const std::string& path);
Size BitmapSize(void* bitmap);
void* SolidBrush(Colour colour);
void DeleteObject(void* object);

}  // namespace win32::view

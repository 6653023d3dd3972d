#include "ui/win32/paint_calls.h"

#include <cstdlib>

#include "platform/win32/windows_door.h"

namespace win32::view {
namespace {

HDC Dc(void* dc) {
  return static_cast<HDC>(dc);
}

RECT SystemRect(const Rect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

// The message font as the system describes it; the dialog font where it says nothing.
LOGFONTA MessageLogFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return metrics.lfMessageFont;
  LOGFONTA font{};
  ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

// A device context of the screen for measuring, released when it goes.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() { ::ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

void Canvas::Fill(const Rect& rect, Colour colour) {
  const RECT area = SystemRect(rect);
  HBRUSH brush = ::CreateSolidBrush(colour);
  ::FillRect(Dc(dc_), &area, brush);
  ::DeleteObject(brush);
}

void Canvas::Outline(const Rect& rect, Colour colour) {
  const RECT area = SystemRect(rect);
  HBRUSH brush = ::CreateSolidBrush(colour);
  ::FrameRect(Dc(dc_), &area, brush);
  ::DeleteObject(brush);
}

void Canvas::Stretch(void* bitmap, const Rect& rect) {
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) return;
  HDC source = ::CreateCompatibleDC(Dc(dc_));
  HGDIOBJ before = ::SelectObject(source, bitmap);
  // Halftone keeps a stretched gradient smooth; Windows 9x ignores it.
  const int mode = ::SetStretchBltMode(Dc(dc_), HALFTONE);
  ::SetBrushOrgEx(Dc(dc_), 0, 0, nullptr);
  ::StretchBlt(Dc(dc_), rect.left, rect.top, rect.Width(), rect.Height(), source, 0, 0,
               info.bmWidth, info.bmHeight, SRCCOPY);
  ::SetStretchBltMode(Dc(dc_), mode);
  ::SelectObject(source, before);
  ::DeleteDC(source);
}

void Canvas::Place(void* bitmap, Point at) {
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) return;
  HDC source = ::CreateCompatibleDC(Dc(dc_));
  HGDIOBJ before = ::SelectObject(source, bitmap);
  ::BitBlt(Dc(dc_), at.x, at.y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  ::SelectObject(source, before);
  ::DeleteDC(source);
}

void Canvas::Text(const std::string& text, const Rect& rect, void* font, Colour colour,
                  unsigned placing) {
  RECT area = SystemRect(rect);
  UINT format = DT_NOPREFIX;
  if (placing & kTextCentre) format |= DT_CENTER;
  if (placing & kTextRight) format |= DT_RIGHT;
  if (placing & kTextMiddle) format |= DT_VCENTER | DT_SINGLELINE;
  if (placing & kTextEllipsis) format |= DT_END_ELLIPSIS | DT_SINGLELINE;
  if (placing & kTextWrap) format |= DT_WORDBREAK;
  HGDIOBJ before = font ? ::SelectObject(Dc(dc_), font) : nullptr;
  const int mode = ::SetBkMode(Dc(dc_), TRANSPARENT);
  const COLORREF previous = ::SetTextColor(Dc(dc_), colour);
  ::DrawTextA(Dc(dc_), text.c_str(), static_cast<int>(text.size()), &area, format);
  ::SetTextColor(Dc(dc_), previous);
  ::SetBkMode(Dc(dc_), mode);
  if (before) ::SelectObject(Dc(dc_), before);
}

void Canvas::FocusFrame(const Rect& rect) {
  const RECT area = SystemRect(rect);
  ::DrawFocusRect(Dc(dc_), &area);
}

void* MessageFont(int percent, bool bold, const std::string& face) {
  LOGFONTA font = MessageLogFont();
  font.lfHeight = ::MulDiv(font.lfHeight, percent, 100);
  font.lfWidth = 0;
  if (bold) font.lfWeight = FW_BOLD;
  if (!face.empty()) ::lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
  return ::CreateFontIndirectA(&font);
}

int MessageFontHeight() {
  static const int height = [] {
    HFONT font = static_cast<HFONT>(MessageFont(100, false));
    ScreenDc screen;
    HGDIOBJ before = ::SelectObject(screen.Get(), font);
    TEXTMETRICA metrics{};
    const bool measured = ::GetTextMetricsA(screen.Get(), &metrics) != FALSE;
    ::SelectObject(screen.Get(), before);
    ::DeleteObject(font);
    return measured && metrics.tmHeight > 0 ? static_cast<int>(metrics.tmHeight) : 13;
  }();
  return height;
}

std::string MessageFontFace() {
  return MessageLogFont().lfFaceName;
}

int MessageFontHalfPoints() {
  const LOGFONTA font = MessageLogFont();
  ScreenDc screen;
  const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
  const int halfPoints = ::MulDiv(std::abs(font.lfHeight), 144, dpi > 0 ? dpi : 96);
  return halfPoints > 0 ? halfPoints : 16;
}

Size TextSize(void* font, const std::string& text) {
  ScreenDc screen;
  HGDIOBJ before = ::SelectObject(screen.Get(), font);
  SIZE size{};
  ::GetTextExtentPoint32A(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(screen.Get(), before);
  return {size.cx, size.cy};
}

int WrappedTextHeight(void* font, const std::string& text, int width) {
  ScreenDc screen;
  HGDIOBJ before = ::SelectObject(screen.Get(), font);
  RECT area{0, 0, width, 0};
  ::DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(screen.Get(), before);
  return area.bottom - area.top;
}

void* LoadBitmapFile(const std::string& path) {
  if (path.empty()) return nullptr;
  return ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                      LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}

Size BitmapSize(void* bitmap) {
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) return {};
  return {info.bmWidth, info.bmHeight};
}

void* SolidBrush(Colour colour) {
  return ::CreateSolidBrush(colour);
}

void DeleteObject(void* object) {
  if (object) ::DeleteObject(object);
}

}  // namespace win32::view

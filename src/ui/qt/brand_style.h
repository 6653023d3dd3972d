// The brand's look in Qt: its sixteen colours as a style sheet and its skin bitmaps as
// pixmaps, read from the paths the brand settings give.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

#include "app/branding_settings.h"
#include "platform/files.h"

namespace ui::qt {

QColor ColourOf(const app::BrandingSettings& branding, app::BrandColour colour);

// The window's style sheet: backgrounds, text and frame colours of every part, and the
// button images the brand supplies (as host paths).
QString BrandStyleSheet(const app::BrandingSettings& branding, platform::Files& files);

// A skin bitmap; a null pixmap when the brand has none there or it cannot be read.
QPixmap BrandPixmap(const app::BrandingSettings& branding, platform::Files& files,
                    app::BrandImage image);

}  // namespace ui::qt

// Seam: the rich edit control (riched20.dll, RichEdit 2.0 and later, bound when first used)
// that shows the program's pages as formatted text, in plain types.
#pragma once

#include <string>

#include "ui/win32/window_calls.h"

namespace win32::view {

// A read-only rich edit child without a border that scrolls down; Tab and Enter go past it
// as in a dialog. Null where the system has no rich edit library.
void* CreateRichText(void* parent, int id);
// Replaces the control's content with a document in the Rich Text Format.
bool SetRichText(void* control, const std::string& rtf);
void SetRichTextBackground(void* control, Colour colour);

}  // namespace win32::view

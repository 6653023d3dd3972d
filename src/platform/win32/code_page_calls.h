// Seam: the system's code pages: which one is the ANSI code page, and conversions between a
// code page and UTF-16 (MultiByteToWideChar, WideCharToMultiByte).
#pragma once

#include <string>
#include <string_view>

namespace win32 {

unsigned AnsiCodePage();  // GetACP

// The text as UTF-16 units; false, with out empty, when a byte sequence is no character of
// the code page (MB_ERR_INVALID_CHARS, for the code pages that take it) or the code page is
// unknown to the system.
bool ToUtf16(unsigned codePage, std::string_view text, std::u16string& out);

// The units in the code page, each character the code page lacks as "?" and none mapped to
// a look-alike (WC_NO_BEST_FIT_CHARS, where the system knows it); usedDefault tells whether
// some "?" stands for a character. False when the code page is unknown to the system.
bool FromUtf16(unsigned codePage, std::u16string_view units, std::string& out, bool& usedDefault);

}  // namespace win32

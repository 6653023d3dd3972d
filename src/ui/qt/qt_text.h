// Texts between the machine's ANSI code page and Qt's strings.
#pragma once

#include <QString>
#include <string>

#include "platform/code_page.h"

namespace ui::qt {

inline QString ToQt(const platform::CodePage& code, const std::string& text) {
  return QString::fromStdU16String(code.ToUtf16(text));
}

inline std::string FromQt(const platform::CodePage& code, const QString& text) {
  return code.FromUtf16(text.toStdU16String());
}

}  // namespace ui::qt

// Lets gtest show a CString's text in failure messages.
#pragma once

#include <ostream>
#include <string>

#include "framework/CString.h"

inline void PrintTo(const CString& text, std::ostream* os) {
  std::string narrow;
  for (int i = 0; i < text.GetLength(); ++i) {
    const wchar_t ch = text.GetAt(i);
    narrow += (ch >= 0x20 && ch < 0x7F) ? static_cast<char>(ch) : '?';
  }
  *os << '"' << narrow << '"';
}

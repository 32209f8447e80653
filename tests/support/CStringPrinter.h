// Lets gtest print a CString as its text (UTF-8) instead of a pointer.
#pragma once

#include <ostream>
#include <string>

#include "framework/CString.h"

inline void PrintTo(const CString& text, std::ostream* os) {
  std::string utf8(static_cast<size_t>(text.GetLength()) * 3 + 1, '\0');  // room for any UTF-16 text
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.GetString(), text.GetLength(), &utf8[0],
                                          static_cast<int>(utf8.size()), nullptr, nullptr);
  *os << "L\"" << utf8.substr(0, bytes > 0 ? static_cast<size_t>(bytes) : 0) << "\"";
}

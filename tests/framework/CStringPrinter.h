// Lets gtest print a CString as its text (UTF-8) instead of a pointer.
#pragma once

#include <ostream>
#include <string>

#include "framework/CString.h"

inline void PrintTo(const CString& text, std::ostream* os) {
  const int length = text.GetLength();
  std::string utf8;
  if (length > 0) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.GetString(), length, nullptr, 0, nullptr, nullptr);
    if (bytes > 0) {
      utf8.resize(static_cast<size_t>(bytes));
      ::WideCharToMultiByte(CP_UTF8, 0, text.GetString(), length, &utf8[0], bytes, nullptr, nullptr);
    }
  }
  *os << "L\"" << utf8 << "\"";
}

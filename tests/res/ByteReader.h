// Bounded reading of resource bytes for the resource tests.
#ifndef HALVERN_TESTS_RES_BYTEREADER_H
#define HALVERN_TESTS_RES_BYTEREADER_H

#include <windows.h>

#include <cstdint>
#include <string>

// Bounded little-endian reader over one resource; every read fails past the end instead of reading on.
class ByteReader {
 public:
  ByteReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
  bool Ok() const { return m_ok; }
  size_t Offset() const { return m_offset; }
  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
  void AlignTo4() { Skip(((m_offset + 3) & ~size_t{3}) - m_offset); }
  void Skip(size_t n) {
    if (n > m_size - m_offset) m_ok = false;
    m_offset = m_ok ? m_offset + n : m_size;
  }
  // A NUL-terminated UTF-16 text.
  std::wstring Text() {
    std::wstring text;
    for (uint16_t c = U16(); m_ok && c != 0; c = U16()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  // A text, or 0xFFFF and an ordinal, shown as "#<ordinal>".
  std::wstring TextOrOrdinal() {
    if (m_offset + 2 <= m_size && m_data[m_offset] == 0xFF && m_data[m_offset + 1] == 0xFF) {
      Skip(2);
      return L"#" + std::to_wstring(U16());
    }
    return Text();
  }

 private:
  uint32_t Take(size_t n) {
    uint32_t v = 0;
    if (!m_ok || n > m_size - m_offset) {
      m_ok = false;
      return 0;
    }
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(m_data[m_offset + i]) << (8 * i);
    m_offset += n;
    return v;
  }
  const BYTE* m_data;
  size_t m_size;
  size_t m_offset = 0;
  bool m_ok = true;
};

#endif  // HALVERN_TESTS_RES_BYTEREADER_H

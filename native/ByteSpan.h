// Bounded reads of native records: fields are read at their byte offsets and
// never past the bytes the system returned. A read out of range gives 0.
#pragma once

#include <cstddef>
#include <cstring>
#include <cstdint>

#include <windows.h>

class ByteSpan {
 public:
  ByteSpan() = default;
  ByteSpan(const void* data, size_t size) : m_data(static_cast<const BYTE*>(data)), m_size(data ? size : 0) {}

  const BYTE* Data() const { return m_data; }
  size_t Size() const { return m_size; }
  bool Empty() const { return m_size == 0; }

  // True when [offset, offset + count) lies inside the span.
  bool Contains(size_t offset, size_t count) const { return offset <= m_size && count <= m_size - offset; }

  // The part from offset on (empty when offset is past the end).
  ByteSpan From(size_t offset) const {
    return offset <= m_size ? ByteSpan(m_data + offset, m_size - offset) : ByteSpan();
  }
  // The part [offset, offset + count), clipped to the span.
  ByteSpan Slice(size_t offset, size_t count) const {
    ByteSpan rest = From(offset);
    return ByteSpan(rest.m_data, count < rest.m_size ? count : rest.m_size);
  }

  uint16_t U16(size_t offset) const { return Read<uint16_t>(offset); }
  uint32_t U32(size_t offset) const { return Read<uint32_t>(offset); }
  int32_t I32(size_t offset) const { return Read<int32_t>(offset); }
  uint64_t U64(size_t offset) const { return Read<uint64_t>(offset); }
  int64_t I64(size_t offset) const { return Read<int64_t>(offset); }
  ULONG_PTR Ptr(size_t offset) const { return static_cast<ULONG_PTR>(Read<uint64_t>(offset)); }

 private:
  template <typename T>
  T Read(size_t offset) const {
    T value{};
    if (Contains(offset, sizeof(T))) std::memcpy(&value, m_data + offset, sizeof(T));
    return value;
  }

  const BYTE* m_data = nullptr;
  size_t m_size = 0;
};

// The committed bytes of a NativeBuffer (whole pages, from its base to the end
// of its region); empty for null.
ByteSpan SpanOfNativeBuffer(const void* buffer);

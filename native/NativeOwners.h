// Move-only owners that release a native buffer or close a native handle on
// every path, through the native table.
#pragma once

#include "native/NativeQuery.h"

class UniqueNativeBuffer {
 public:
  UniqueNativeBuffer() = default;
  explicit UniqueNativeBuffer(NativeBuffer buffer) : m_buffer(buffer) {}
  ~UniqueNativeBuffer() { Reset(); }
  UniqueNativeBuffer(UniqueNativeBuffer&& other) noexcept : m_buffer(other.Release()) {}
  UniqueNativeBuffer& operator=(UniqueNativeBuffer&& other) noexcept {
    if (this != &other) {
      Reset();
      m_buffer = other.Release();
    }
    return *this;
  }
  UniqueNativeBuffer(const UniqueNativeBuffer&) = delete;
  UniqueNativeBuffer& operator=(const UniqueNativeBuffer&) = delete;

  NativeBuffer Get() const { return m_buffer; }
  const BYTE* Bytes() const { return static_cast<const BYTE*>(m_buffer); }
  explicit operator bool() const { return m_buffer != nullptr; }
  NativeBuffer Release() {
    NativeBuffer buffer = m_buffer;
    m_buffer = nullptr;
    return buffer;
  }
  void Reset(NativeBuffer buffer = nullptr) {
    if (m_buffer) FreeNativeBuffer(m_buffer);
    m_buffer = buffer;
  }

 private:
  NativeBuffer m_buffer = nullptr;
};

class UniqueNtHandle {
 public:
  UniqueNtHandle() = default;
  explicit UniqueNtHandle(HANDLE handle) : m_handle(handle) {}
  ~UniqueNtHandle() { Reset(); }
  UniqueNtHandle(UniqueNtHandle&& other) noexcept : m_handle(other.Release()) {}
  UniqueNtHandle& operator=(UniqueNtHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      m_handle = other.Release();
    }
    return *this;
  }
  UniqueNtHandle(const UniqueNtHandle&) = delete;
  UniqueNtHandle& operator=(const UniqueNtHandle&) = delete;

  HANDLE Get() const { return m_handle; }
  // For out-parameters: closes what is held and hands out the slot.
  HANDLE* Put() {
    Reset();
    return &m_handle;
  }
  explicit operator bool() const { return m_handle != nullptr; }
  HANDLE Release() {
    HANDLE handle = m_handle;
    m_handle = nullptr;
    return handle;
  }
  void Reset(HANDLE handle = nullptr) {
    if (m_handle) g_NativeApi.NtClose(m_handle);
    m_handle = handle;
  }

 private:
  HANDLE m_handle = nullptr;
};

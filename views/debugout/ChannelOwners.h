// Non-copyable owners of what the capture holds: kernel object handles closed
// with CloseHandle, and a mapped view unmapped with UnmapViewOfFile.
#pragma once

#include <windows.h>

class UniqueHandle {
 public:
  UniqueHandle() = default;
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void Reset(HANDLE handle = nullptr) {
    if (m_handle) ::CloseHandle(m_handle);
    m_handle = handle;
  }

 private:
  HANDLE m_handle = nullptr;
};

class UniqueMappedView {
 public:
  UniqueMappedView() = default;
  ~UniqueMappedView() { Reset(); }
  UniqueMappedView(const UniqueMappedView&) = delete;
  UniqueMappedView& operator=(const UniqueMappedView&) = delete;

  const void* Get() const { return m_view; }
  explicit operator bool() const { return m_view != nullptr; }
  void Reset(void* view = nullptr) {
    if (m_view) ::UnmapViewOfFile(m_view);
    m_view = view;
  }

 private:
  void* m_view = nullptr;
};

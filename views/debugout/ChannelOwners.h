// Non-copyable owners of what the capture holds: kernel object handles closed
// with CloseHandle, and a mapped view unmapped with UnmapViewOfFile.
#pragma once

#include <windows.h>

class ChannelHandle {
 public:
  ChannelHandle() = default;
  ~ChannelHandle() { Reset(); }
  ChannelHandle(const ChannelHandle&) = delete;
  ChannelHandle& operator=(const ChannelHandle&) = delete;

  HANDLE Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void Reset(HANDLE handle = nullptr) {
    if (m_handle) ::CloseHandle(m_handle);
    m_handle = handle;
  }

 private:
  HANDLE m_handle = nullptr;
};

class ChannelView {
 public:
  ChannelView() = default;
  ~ChannelView() { Reset(); }
  ChannelView(const ChannelView&) = delete;
  ChannelView& operator=(const ChannelView&) = delete;

  const void* Get() const { return m_view; }
  explicit operator bool() const { return m_view != nullptr; }
  void Reset(void* view = nullptr) {
    if (m_view) ::UnmapViewOfFile(m_view);
    m_view = view;
  }

 private:
  void* m_view = nullptr;
};

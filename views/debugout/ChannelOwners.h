// Non-copyable owners of what the capture holds: kernel object handles closed
// with CloseHandle, and a mapped view unmapped with UnmapViewOfFile.
#pragma once

#include <windows.h>

template <typename T, BOOL(WINAPI* Release)(T)>
class ChannelOwner {
 public:
  ChannelOwner() = default;
  ~ChannelOwner() { Reset(); }
  ChannelOwner(const ChannelOwner&) = delete;
  ChannelOwner& operator=(const ChannelOwner&) = delete;

  T Get() const { return m_value; }
  explicit operator bool() const { return m_value != nullptr; }
  void Reset(T value = nullptr) {
    if (m_value) Release(m_value);
    m_value = value;
  }

 private:
  T m_value = nullptr;
};

using ChannelHandle = ChannelOwner<HANDLE, &::CloseHandle>;
using ChannelView = ChannelOwner<LPCVOID, &::UnmapViewOfFile>;

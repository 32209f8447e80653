// A test helper program (tests/support/helper) run as a child, 64-bit or
// 32-bit. Start passes "--ready <event>" and returns once the child is set up;
// extraArgs follow (see HelperMain.cpp). Pass "--wait" to keep it until Stop:
//   ASSERT_TRUE(child.Start(false, L"--wait --event MyEvent some known text"));
#pragma once

#include <windows.h>

#include <string>

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // False when the helper is missing, cannot start, or has not signalled
  // within 10 seconds (it is then stopped).
  bool Start(bool wow64, const std::wstring& extraArgs);
  DWORD Pid() const { return m_pid; }
  HANDLE Handle() const { return m_process; }
  // The whole command line given to CreateProcessW, as the child's PEB holds it.
  const std::wstring& CommandLine() const { return m_commandLine; }
  // The full Win32 path of the program image.
  std::wstring ImagePath() const;
  // Ends the child, waits for it and closes every handle; safe to repeat.
  void Stop();

 private:
  bool m_wow64 = false;
  DWORD m_pid = 0;
  HANDLE m_process = nullptr;
  HANDLE m_stdinWrite = nullptr;  // the child's stdin; closing it ends a waiting child
  std::wstring m_commandLine;
};

// Full path of helper64.exe or helper32.exe of the build tree, found from the
// running test executable's folder upwards.
std::wstring HelperPath(bool wow64);

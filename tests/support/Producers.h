// Test producers of the debug-output channel: helper processes that send
// their messages and end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/GuiFixture.h"

constexpr DWORD kPumpTimeoutMs = 120000;

// Helpers that send their messages and end. Each producer waits for the row
// of its last message before it writes the next, so whoever waits for them
// must pump this thread's messages: the list belongs to this thread.
class Producers {
 public:
  ~Producers() {
    for (HANDLE process : m_processes) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
  }
  DWORD Start(bool wow64, const std::wstring& args) {
    std::wstring commandLine = L"\"" + HelperPath(wow64) + L"\" " + args;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return 0;
    CloseHandle(info.hThread);
    m_processes.push_back(info.hProcess);
    return info.dwProcessId;
  }
  bool Ended() const {
    return WaitForMultipleObjects(static_cast<DWORD>(m_processes.size()), m_processes.data(), TRUE, 0) == WAIT_OBJECT_0;
  }
  // A producer ends as soon as its last message is written, so `listed`
  // tells when that message has been taken.
  template <typename Listed>
  bool PumpUntilEndedAndListed(Listed listed) {
    return PumpMessagesUntil([&] { return listed() && Ended(); }, kPumpTimeoutMs);
  }

 private:
  std::vector<HANDLE> m_processes;
};

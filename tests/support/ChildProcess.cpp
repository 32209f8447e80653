#include "tests/support/ChildProcess.h"

#include <vector>

namespace {

constexpr DWORD kReadyTimeoutMs = 10000;
constexpr DWORD kExitTimeoutMs = 10000;

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ParentFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring UniqueReadyEventName() {
  static LONG counter = 0;
  return L"HalvernHelperReady_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(InterlockedIncrement(&counter));
}

}  // namespace

std::wstring HelperPath(bool wow64) {
  const std::wstring name = wow64 ? L"helper32.exe" : L"helper64.exe";
  std::vector<wchar_t> module(MAX_PATH);
  DWORD length;
  while ((length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()))) == module.size()) {
    module.resize(module.size() * 2);
  }
  // Test executables live in <build>/tests/<area>/; the helpers in <build>/tests/helpers/.
  for (std::wstring folder = ParentFolder(std::wstring(module.data(), length)); !folder.empty();
       folder = ParentFolder(folder)) {
    for (const wchar_t* sub : {L"\\helpers\\", L"\\tests\\helpers\\"}) {
      const std::wstring candidate = folder + sub + name;
      if (FileExists(candidate)) return candidate;
    }
  }
  return std::wstring();
}

ChildProcess::~ChildProcess() { Stop(); }

std::wstring ChildProcess::ImagePath() const { return HelperPath(m_wow64); }

bool ChildProcess::Start(bool wow64, const std::wstring& extraArgs) {
  Stop();
  m_wow64 = wow64;
  const std::wstring path = HelperPath(wow64);
  if (path.empty()) return false;
  const std::wstring readyName = UniqueReadyEventName();
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  if (!ready) return false;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE stdinRead = nullptr;
  if (!CreatePipe(&stdinRead, &m_stdinWrite, &inherit, 0)) {
    m_stdinWrite = nullptr;
    CloseHandle(ready);
    return false;
  }
  SetHandleInformation(m_stdinWrite, HANDLE_FLAG_INHERIT, 0);

  m_commandLine = L"\"" + path + L"\" --ready " + readyName;
  if (!extraArgs.empty()) m_commandLine += L" " + extraArgs;
  std::vector<wchar_t> commandLine(m_commandLine.begin(), m_commandLine.end());
  commandLine.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = stdinRead;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION created = {};
  const bool started =
      CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &created);
  CloseHandle(stdinRead);
  if (started) {
    CloseHandle(created.hThread);
    m_process = created.hProcess;
    m_pid = created.dwProcessId;
  }
  const HANDLE waits[] = {ready, m_process};
  const bool signalled = started && WaitForMultipleObjects(2, waits, FALSE, kReadyTimeoutMs) == WAIT_OBJECT_0;
  CloseHandle(ready);
  if (!signalled) Stop();
  return signalled;
}

void ChildProcess::Stop() {
  if (m_stdinWrite) CloseHandle(m_stdinWrite);
  if (m_process) {
    TerminateProcess(m_process, 0);
    WaitForSingleObject(m_process, kExitTimeoutMs);
    CloseHandle(m_process);
  }
  m_stdinWrite = nullptr;
  m_process = nullptr;
  m_pid = 0;
  m_commandLine.clear();
}

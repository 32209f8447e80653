// CPage2: the version name and the operating-system report, gathered from
// the running system.
#include "views/sysinfo/CPage2.h"

#include <iterator>

#include "views/sysinfo/OsName.h"
#include "views/sysinfo/OsReport.h"

namespace {

constexpr DWORD kValueLength = 1024;

using NameCall = BOOL(WINAPI*)(LPWSTR, LPDWORD);
using DirectoryCall = UINT(WINAPI*)(LPWSTR, UINT);

std::optional<CString> ReadName(NameCall call) {
  wchar_t value[kValueLength] = {};
  DWORD count = kValueLength;
  if (!call(value, &count)) return std::nullopt;
  return CString(value);
}

std::optional<CString> ReadDirectory(DirectoryCall call) {
  wchar_t value[kValueLength] = {};
  const UINT length = call(value, kValueLength);
  if (length == 0 || length >= kValueLength) return std::nullopt;
  return CString(value);
}

// The count includes the terminator; an expansion that does not fit is left out.
std::optional<CString> Expand(const wchar_t* text) {
  wchar_t value[kValueLength] = {};
  const DWORD count = ExpandEnvironmentStringsW(text, value, kValueLength);
  if (count == 0 || count >= kValueLength) return std::nullopt;
  return CString(value);
}

std::optional<MemoryStatusRecord> ReadMemoryStatus() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return MemoryStatusRecord{status.dwMemoryLoad, status.ullTotalPhys};
}

template <typename Record>
std::optional<Record> ReadRecord(bool (*read)(Record*)) {
  Record record;
  if (!read(&record)) return std::nullopt;
  return record;
}

}  // namespace

BOOL CPage2::GetOsName(wchar_t* name) {
  OsNameInputs inputs;
  if (!ReadOsNameInputs(&inputs)) return FALSE;
  return ComposeOsName(inputs, name, &m_bPatchGuard3);
}

void CPage2::FillOsInfo() {
  OsReportInputs in;
  wchar_t name[kOsNameLength] = {};
  if (GetOsName(name)) in.osName = CString(name);
  in.patchGuard3 = m_bPatchGuard3 != FALSE;
  in.userName = ReadName(&GetUserNameW);
  in.computerName = ReadName(&GetComputerNameW);
  in.systemDirectory = ReadDirectory(&GetSystemDirectoryW);
  in.wow64Directory = ReadDirectory(&GetSystemWow64DirectoryW);
  in.windowsDirectory = ReadDirectory(&GetWindowsDirectoryW);
  for (size_t i = 0; i < std::size(EnvironmentTemplates); ++i) in.environment[i] = Expand(EnvironmentTemplates[i]);
  in.basic = ReadRecord(&ReadSystemBasic);
  in.performance = ReadRecord(&ReadSystemPerformance);
  if (in.performance) in.memory = ReadMemoryStatus();
  in.devices = ReadRecord(&ReadSystemDevices);
  in.pageFiles = ReadRecord(&ReadPageFiles);
  m_editOs.SetWindowText(BuildOsReport(in));
}

// The operating-system report, as text, from the answers gathered for it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "framework/CString.h"
#include "readers/SystemInfo.h"

struct MemoryStatusRecord {
  uint32_t memoryLoad = 0;  // percent in use
  uint64_t totalPhys = 0;   // bytes
};

// Every value that could not be had is left empty: its line or section is
// then left out of the report.
struct OsReportInputs {
  std::optional<CString> osName;
  bool patchGuard3 = false;
  std::optional<CString> userName;
  std::optional<CString> computerName;
  std::optional<CString> systemDirectory;
  std::optional<CString> wow64Directory;
  std::optional<CString> windowsDirectory;
  std::optional<CString> environment[4];  // the expanded templates, in order
  std::optional<SystemBasicRecord> basic;
  std::optional<SystemPerformanceRecord> performance;
  std::optional<MemoryStatusRecord> memory;  // only read with performance
  std::optional<SystemDeviceRecord> devices;
  std::optional<std::vector<PageFileRecord>> pageFiles;
};

// The environment templates, expanded in this order.
extern const wchar_t* const EnvironmentTemplates[4];

CString BuildOsReport(const OsReportInputs& inputs);

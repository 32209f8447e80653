#include "views/sysinfo/OsReport.h"

#include "readers/DevicePaths.h"

const wchar_t* const EnvironmentTemplates[4] = {
    L"HOMEPATH:\t\t%HOMEPATH%",
    L"TEMP:\t\t\t%TEMP%",
    L"Processor Architecture:\t%PROCESSOR_ARCHITECTURE%",
    L"Processor Identifier:\t%PROCESSOR_IDENTIFIER%",
};

namespace {

// Kilobytes of a count of 4096-byte pages, in unsigned 32-bit arithmetic.
uint32_t PagesToK(uint32_t pages) { return pages * 4u; }

void AppendNamesAndDirectories(CString& report, const OsReportInputs& in) {
  if (in.userName) report.AppendFormat(L"User name:\t\t%s\r\n", *in.userName);
  if (in.computerName) report.AppendFormat(L"Computer name:\t\t%s\r\n", *in.computerName);
  if (in.systemDirectory) report.AppendFormat(L"System Directory:\t\t%s\r\n", *in.systemDirectory);
  if (in.wow64Directory) report.AppendFormat(L"Wow64 Directory:\t\t%s\r\n", *in.wow64Directory);
  if (in.windowsDirectory) report.AppendFormat(L"Windows Directory:\t\t%s\r\n", *in.windowsDirectory);
  for (const auto& value : in.environment)
    if (value) report += *value + L"\r\n";
}

void AppendBasic(CString& report, const SystemBasicRecord& b) {
  report.AppendFormat(L"Page Size:\t\t0x%x(%d Bytes)\r\n", b.pageSize, b.pageSize);
  report.AppendFormat(L"Allocation Granularity:\t0x%x(%d K)\r\n", b.allocationGranularity,
                      b.allocationGranularity >> 10);
  report.AppendFormat(L"TimerResolution:\t\t%d\r\n", b.timerResolution);
  report.AppendFormat(L"Physical Pages:\t\t0x%X(%d)\r\n", b.physicalPages, b.physicalPages);
  report.AppendFormat(L"Lowest PhysicalPage #:\t%d\r\n", b.lowestPhysicalPage);
  report.AppendFormat(L"Highest PhysicalPage #:\t%d\r\n", b.highestPhysicalPage);
  report.AppendFormat(L"Min UserMode Address:\t0x%p\r\n", reinterpret_cast<void*>(b.minUserAddress));
  report.AppendFormat(L"Max UserMode Address:\t0x%p\r\n", reinterpret_cast<void*>(b.maxUserAddress));
  report.AppendFormat(L"Number Of Processors:\t%d\r\n", static_cast<int>(b.numberOfProcessors));
  report.AppendFormat(L"Active Processors Mask:\t0x%I64x\r\n", static_cast<unsigned long long>(b.activeProcessorsMask));
}

// Counts go out unsigned: the system-call count passes 2^31 within hours.
void AppendMemory(CString& report, const SystemPerformanceRecord& p, const std::optional<MemoryStatusRecord>& m) {
  report += L"\r\nMemory Information:\r\n";
  report += L"Physical Memory:\r\n";
  if (m) report.AppendFormat(L"  Total:\t\t\t%I64d K\r\n", static_cast<long long>(m->totalPhys >> 10));
  report.AppendFormat(L"  Available: \t\t%u K\r\n", PagesToK(p.availablePages));
  if (m)
    report.AppendFormat(L"  In Use:\t\t\t%d%%\r\n\r\n", static_cast<int>(m->memoryLoad));
  else
    report += L"\r\n";  // the blank line that parts the sections stays
  report += L"Commit Charge:\r\n";
  report.AppendFormat(L"  Total:\t\t\t%u K\r\n", PagesToK(p.committedPages));
  report.AppendFormat(L"  Limit:\t\t\t%u K\r\n", PagesToK(p.commitLimit));
  report.AppendFormat(L"  Peak:\t\t\t%u K\r\n\r\n", PagesToK(p.peakCommitment));
  report += L"Kernel Memory:\r\n";
  report.AppendFormat(L"  Total:\t\t\t%u K\r\n", PagesToK(p.pagedPoolPages + p.nonPagedPoolPages));
  report.AppendFormat(L"  Paged:\t\t\t%u K\r\n", PagesToK(p.pagedPoolPages));
  report.AppendFormat(L"  NonPaged:\t\t%u K\r\n\r\n", PagesToK(p.nonPagedPoolPages));
  report += L"Totals\r\n";
  report.AppendFormat(L"  PageFault Count:\t\t%u\r\n", p.pageFaultCount);
  report.AppendFormat(L"  Context Switches:\t\t%u\r\n", p.contextSwitches);
  report.AppendFormat(L"  System Calls:\t\t%u\r\n", p.systemCalls);
}

void AppendDevices(CString& report, const SystemDeviceRecord& d) {
  report += L"\r\nDevice Information:\r\n";
  report.AppendFormat(L"  Number Of Disks:\t\t%d\r\n", d.disks);
  report.AppendFormat(L"  Number Of CdRoms:\t%d\r\n", d.cdRoms);
  report.AppendFormat(L"  Number Of SerialPorts:\t%d\r\n", d.serialPorts);
  report.AppendFormat(L"  Number Of ParallelPorts:\t%d\r\n", d.parallelPorts);
}

void AppendSizeLine(CString& report, const wchar_t* format, uint32_t pages) {
  const uint32_t k = PagesToK(pages);
  report.AppendFormat(format, k, k >> 10);
}

void AppendPageFiles(CString& report, const std::vector<PageFileRecord>& files) {
  report += L"\r\nPage File Information:\r\n";
  for (const PageFileRecord& file : files) {
    CString name = file.name;
    StripDosDevicesPrefix(name);
    report += L"  " + name + L"\r\n";
    AppendSizeLine(report, L"  Total Size:\t\t%d K(%d M)\r\n", file.totalPages);
    AppendSizeLine(report, L"  Total InUse:\t\t%d K(%d M)\r\n", file.pagesInUse);
    AppendSizeLine(report, L"  Peak Usage:\t\t%d K(%d M)\r\n", file.peakPages);
    report += L"\r\n";
  }
}

}  // namespace

CString BuildOsReport(const OsReportInputs& in) {
  CString report = L"Operating System INFORMATION:\r\n\r\n";
  if (in.osName) report += L"Version: " + *in.osName + L"\r\n";
  report += L"Kernel Patch Protection Version: ";
  report += in.patchGuard3 ? L"Patch Guard 3\r\n\r\n" : L"Patch Guard 2\r\n\r\n";
  AppendNamesAndDirectories(report, in);
  report += L"\r\n";
  if (in.basic) AppendBasic(report, *in.basic);
  if (in.performance) AppendMemory(report, *in.performance, in.memory);
  if (in.devices) AppendDevices(report, *in.devices);
  if (in.pageFiles) AppendPageFiles(report, *in.pageFiles);
  return report;
}

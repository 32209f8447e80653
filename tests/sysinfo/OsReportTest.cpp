// The operating-system report from exact answers, and the page-file chain
// read from fake answers of the native routine.
#include <cstring>

#include <gtest/gtest.h>

#include "native/NativeOwners.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/sysinfo/OsReport.h"

namespace {

OsReportInputs FullInputs() {
  OsReportInputs in;
  in.osName = CString(L"Microsoft Windows Vista (Build 6002)");
  in.patchGuard3 = true;
  in.userName = CString(L"root");
  in.computerName = CString(L"VM");
  in.wow64Directory = CString(L"C:\\windows\\syswow64");
  in.environment[1] = CString(L"TEMP:\t\t\t%TEMP%");
  in.basic = SystemBasicRecord{0, 4096, 0x100000, 1, 0x100001, 65536, 0x10000, 0x7FFFFFEFFFF, 0xF00000000F, -2};
  // 0x80000000 system calls and a pool sum that passes 2^32 K wrap as 32-bit counts do.
  in.performance = SystemPerformanceRecord{1, 2, 3, 4, 0xFFFFFFFF, 0x40000000, 0x40000001, 7, 0x80000000};
  in.memory = MemoryStatusRecord{42, 1ull << 32};
  in.devices = SystemDeviceRecord{2, 1, 0, 3};
  in.pageFiles = std::vector<PageFileRecord>{{L"\\??\\C:\\pagefile.sys", 262144, 1, 0}, {L"D:\\\\??\\x", 0, 0, 0}};
  return in;
}

TEST(OsReportTest, EverySectionInItsOrder) {
  EXPECT_EQ(BuildOsReport(FullInputs()),
            CString(L"Operating System INFORMATION:\r\n\r\n"
                    L"Version: Microsoft Windows Vista (Build 6002)\r\n"
                    L"Kernel Patch Protection Version: Patch Guard 3\r\n\r\n"
                    L"User name:\t\troot\r\nComputer name:\t\tVM\r\nWow64 Directory:\t\tC:\\windows\\syswow64\r\n"
                    L"TEMP:\t\t\t%TEMP%\r\n\r\n"
                    L"Page Size:\t\t0x1000(4096 Bytes)\r\nAllocation Granularity:\t0x10000(64 K)\r\n"
                    L"TimerResolution:\t\t0\r\nPhysical Pages:\t\t0x100000(1048576)\r\n"
                    L"Lowest PhysicalPage #:\t1\r\nHighest PhysicalPage #:\t1048577\r\n"
                    L"Min UserMode Address:\t0x0000000000010000\r\nMax UserMode Address:\t0x000007FFFFFEFFFF\r\n"
                    L"Number Of Processors:\t-2\r\nActive Processors Mask:\t0xf00000000f\r\n"
                    L"\r\nMemory Information:\r\nPhysical Memory:\r\n  Total:\t\t\t4194304 K\r\n"
                    L"  Available: \t\t4 K\r\n  In Use:\t\t\t42%\r\n\r\n"
                    L"Commit Charge:\r\n  Total:\t\t\t8 K\r\n  Limit:\t\t\t12 K\r\n  Peak:\t\t\t16 K\r\n\r\n"
                    L"Kernel Memory:\r\n  Total:\t\t\t4 K\r\n  Paged:\t\t\t0 K\r\n  NonPaged:\t\t4 K\r\n\r\n"
                    L"Totals\r\n  PageFault Count:\t\t4294967295\r\n  Context Switches:\t\t7\r\n"
                    L"  System Calls:\t\t2147483648\r\n"
                    L"\r\nDevice Information:\r\n  Number Of Disks:\t\t2\r\n  Number Of CdRoms:\t1\r\n"
                    L"  Number Of SerialPorts:\t0\r\n  Number Of ParallelPorts:\t3\r\n"
                    L"\r\nPage File Information:\r\n  C:\\pagefile.sys\r\n"
                    L"  Total Size:\t\t1048576 K(1024 M)\r\n  Total InUse:\t\t4 K(0 M)\r\n"
                    L"  Peak Usage:\t\t0 K(0 M)\r\n\r\n"
                    L"  D:\\\\??\\x\r\n  Total Size:\t\t0 K(0 M)\r\n  Total InUse:\t\t0 K(0 M)\r\n"
                    L"  Peak Usage:\t\t0 K(0 M)\r\n\r\n"));
}

TEST(OsReportTest, MissingAnswersLeaveOutTheirLinesOnly) {
  EXPECT_EQ(
      BuildOsReport(OsReportInputs()),
      CString(L"Operating System INFORMATION:\r\n\r\nKernel Patch Protection Version: Patch Guard 2\r\n\r\n\r\n"));

  OsReportInputs in = FullInputs();
  in.memory.reset();
  const CString report = BuildOsReport(in);
  EXPECT_NE(report.Find(L"Physical Memory:\r\n  Available: \t\t4 K\r\n\r\nCommit Charge:\r\n"), -1) << report;
  EXPECT_EQ(report.Find(L"In Use"), -1);
}

// Fake answers: device counts (class 7) and a page-file chain (class 18) of
// entries {next, total pages, name offset or -1 for outside, name bytes};
// in-use and peak pages are total + 1 and + 2.
struct FakeEntry {
  uint32_t next, total;
  int nameAt;
  uint16_t nameBytes;
};
std::vector<FakeEntry> g_entries;

NTSTATUS NTAPI FakeQuery(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  BYTE* base = static_cast<BYTE*>(buffer);
  *returned = size;
  if (infoClass == 7) {
    const uint32_t devices[6] = {3, 1, 2, 0, 4, 5};
    std::memcpy(base, devices, sizeof(devices));
    return 0;
  }
  if (infoClass != 18) return static_cast<NTSTATUS>(0xC0000003);
  std::memcpy(base + 0x200, L"\\??\\C:\\pagefile.sys", 38);
  std::memcpy(base + 0xFF8, L"ABCD", 8);
  size_t at = 0;
  for (const FakeEntry& e : g_entries) {
    const uint32_t counts[4] = {e.next, e.total, e.total + 1, e.total + 2};
    const uint64_t pointer = e.nameAt < 0 ? 0xDEAD0000 : reinterpret_cast<uint64_t>(base + e.nameAt);
    std::memcpy(base + at, counts, sizeof(counts));
    std::memcpy(base + at + 16, &e.nameBytes, 2);
    std::memcpy(base + at + 24, &pointer, 8);
    at += e.next;
  }
  return 0;
}

TEST(OsReportTest, DevicesAndThePageFileChainInsideTheAnswer) {
  EnsureNativeApiBound();
  ScopedSlotOverride query(g_NativeApi.NtQuerySystemInformation, &FakeQuery);
  SystemDeviceRecord devices;
  ASSERT_TRUE(ReadSystemDevices(&devices));
  EXPECT_EQ(devices.disks * 1000 + devices.cdRoms * 100 + devices.serialPorts * 10 + devices.parallelPorts, 3245u);

  const struct {
    std::vector<FakeEntry> entries;
    std::vector<CString> names;  // the records read, in order
  } cases[] = {
      {{}, {L""}},  // all zero: one empty entry
      {{{64, 1, 0x200, 38}, {0, 2, 0x20E, 24}}, {L"\\??\\C:\\pagefile.sys", L"pagefile.sys"}},
      {{{4090, 1, 0x200, 8}}, {L"\\??\\"}},                    // next points past the answer
      {{{32, 1, -1, 8}, {0, 2, 0xFF8, 100}}, {L"", L"ABCD"}},  // name outside; name cut at the end
  };
  for (const auto& c : cases) {
    g_entries = c.entries;
    std::vector<PageFileRecord> files;
    ASSERT_TRUE(ReadPageFiles(&files));
    ASSERT_EQ(files.size(), c.names.size());
    for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(files[i].name, c.names[i]) << i;
      const uint32_t total = i < c.entries.size() ? c.entries[i].total : 0;
      EXPECT_EQ(files[i].totalPages, total);
      EXPECT_EQ(files[i].pagesInUse + files[i].peakPages, total == 0 ? 0 : 2 * total + 3);
    }
  }
}

}  // namespace

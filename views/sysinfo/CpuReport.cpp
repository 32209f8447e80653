#include "views/sysinfo/CpuReport.h"

#include <cpuid.h>

#include <cstring>

const char* const CpuFeatureNames[32] = {
    "x87 FPU On Chip",
    "Virtual-8086 Mode Enhancement",
    "Debugging Extensions",
    "Page Size Extensions",
    "Time Stamp Counter",
    "RDMSR and WRMSR Support",
    "Physical Address Extensions",
    "Machine Check Exception",
    "CMPXCHG8B Instruction",
    "APIC On Chip",
    "Unknown1",
    "SYSENTER and SYSEXIT",
    "Memory Type Range Registers",
    "PTE Global Bit",
    "Machine Check Architecture",
    "Conditional Move/Compare Instruction",
    "Page Attribute Table",
    "36-bit Page Size Extension",
    "Processor Serial Number",
    "CFLUSH Extension",
    "Unknown2",
    "Debug Store",
    "Thermal Monitor and Clock Ctrl",
    "MMX Technology",
    "FXSAVE/FXRSTOR",
    "SSE Extensions",
    "SSE2 Extensions",
    "Self Snoop",
    "Multithreading Technology",
    "Thermal Monitor",
    "Unknown4",
    "Pending Break Enable",
};

void CpuId(uint32_t regs[4]) {
  unsigned int a = 0, b = 0, c = 0, d = 0;
  __cpuid_count(regs[0], regs[2], a, b, c, d);
  regs[0] = a;
  regs[1] = b;
  regs[2] = c;
  regs[3] = d;
}

namespace {

constexpr uint32_t kExtendedBase = 0x80000000;
// Processors that implement the cache descriptors end them long before this.
constexpr uint32_t kMaxCacheDescriptors = 64;

struct FeatureLine {
  int bit;
  const wchar_t* text;
};

constexpr FeatureLine kLeaf1Ecx[] = {
    {0, L"\tSSE3\r\n"},
    {3, L"\tMONITOR/MWAIT\r\n"},
    {4, L"\tCPL Qualified Debug Store\r\n"},
    {5, L"\tVirtual Machine Extensions\r\n"},
    {7, L"\tEnhanced Intel SpeedStep Technology\r\n"},
    {8, L"\tThermal Monitor 2\r\n"},
    {9, L"\tSupplemental Streaming SIMD Extensions 3\r\n"},
    {10, L"\tL1 Context ID\r\n"},
    {13, L"\tCMPXCHG16B Instruction\r\n"},
    {14, L"\txTPR Update Control\r\n"},
    {15, L"\tPerf\\Debug Capability MSR\r\n"},
    {19, L"\tSSE4.1 Extensions\r\n"},
    {20, L"\tSSE4.2 Extensions\r\n"},
    {23, L"\tPPOPCNT Instruction\r\n"},
};
constexpr FeatureLine kExtendedEcx[] = {
    {0, L"\tLAHF/SAHF in 64-bit mode\r\n"},
    {1, L"\tCore multi-processing legacy mode\r\n"},
    {2, L"\tSecure Virtual Machine\r\n"},
    {3, L"\tExtended APIC Register Space\r\n"},
    {4, L"\tAltMovCr8\r\n"},
    {5, L"\tLZCNT instruction\r\n"},
    {6, L"\tSSE4A (EXTRQ, INSERTQ, MOVNTSD, MOVNTSS)\r\n"},
    {7, L"\tMisaligned SSE mode\r\n"},
    {8, L"\tPREFETCH and PREFETCHW Instructions\r\n"},
    {12, L"\tSKINIT and DEV support\r\n"},
};
constexpr FeatureLine kExtendedEdx[] = {
    {11, L"\tSYSCALL/SYSRET in 64-bit mode\r\n"},
    {20, L"\tExecute Disable Bit\r\n"},
    {22, L"\tExtensions to MMX Instructions\r\n"},
    {25, L"\tFFXSR\r\n"},
    {26, L"\t1GB page support\r\n"},
    {27, L"\tRDTSCP instruction\r\n"},
    {29, L"\t64 bit Technology\r\n"},
    {30, L"\t3Dnow Ext\r\n"},
    {31, L"\t3Dnow! instructions\r\n"},
};
constexpr FeatureLine kSvmEdx[] = {{0, L"\tNested Paging\r\n"}, {1, L"\tLBR Visualization\r\n"}};
constexpr FeatureLine kPerformanceEax[] = {{0, L"\tFP128 optimization\r\n"}, {1, L"\tMOVU Optimization\r\n"}};

// The answers of one build. Leaves above the reported highest ones are never
// queried, and their words stay zero.
struct CpuAnswers {
  uint32_t maxBasic = 0;
  uint32_t maxExtended = 0;
  char vendor[13] = {};
  char brand[49] = {};
  uint32_t leaf1[4] = {};
  uint32_t ext1Ecx = 0, ext1Edx = 0;
  uint32_t ext6Ecx = 0;
  uint32_t svmEdx = 0;
  uint32_t performanceEax = 0;
};

uint32_t Bits(uint32_t value, int low, int high) {
  const uint32_t width = static_cast<uint32_t>(high - low + 1);
  return (value >> low) & (width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1);
}

void Query(const CpuIdFunction& cpuId, uint32_t leaf, uint32_t subleaf, uint32_t regs[4]) {
  regs[0] = leaf;
  regs[1] = 0;
  regs[2] = subleaf;
  regs[3] = 0;
  cpuId(regs);
}

// Only the leaves that the report decodes are asked, each when it lies at or
// below the highest leaf of its range.
CpuAnswers QueryCpu(const CpuIdFunction& cpuId) {
  CpuAnswers a;
  uint32_t r[4];
  Query(cpuId, 0, 0, r);
  a.maxBasic = r[0];
  std::memcpy(a.vendor, &r[1], 4);
  std::memcpy(a.vendor + 4, &r[3], 4);
  std::memcpy(a.vendor + 8, &r[2], 4);
  if (a.maxBasic >= 1) Query(cpuId, 1, 0, a.leaf1);

  Query(cpuId, kExtendedBase, 0, r);
  a.maxExtended = r[0];
  if (a.maxExtended < kExtendedBase) return a;
  const auto has = [&](uint32_t leaf) { return leaf <= a.maxExtended; };
  if (has(0x80000001)) {
    Query(cpuId, 0x80000001, 0, r);
    a.ext1Ecx = r[2];
    a.ext1Edx = r[3];
  }
  for (uint32_t i = 0; i < 3 && has(0x80000002 + i); ++i) {
    Query(cpuId, 0x80000002 + i, 0, r);
    std::memcpy(a.brand + 16 * i, r, 16);
  }
  if (has(0x80000006)) {
    Query(cpuId, 0x80000006, 0, r);
    a.ext6Ecx = r[2];
  }
  if (has(0x8000000A)) {
    Query(cpuId, 0x8000000A, 0, r);
    a.svmEdx = r[3];
  }
  if (has(0x8000001A)) {
    Query(cpuId, 0x8000001A, 0, r);
    a.performanceEax = r[0];
  }
  return a;
}

template <size_t N>
void AppendFeatures(CString& report, const FeatureLine (&table)[N], uint32_t word) {
  for (const FeatureLine& line : table)
    if (word & (1u << line.bit)) report += line.text;
}

void AppendIdentification(CString& report, const CpuAnswers& a) {
  const uint32_t eax = a.leaf1[0], ebx = a.leaf1[1], edx = a.leaf1[3];
  const struct {
    const wchar_t* format;
    uint32_t value;
    bool shown;
  } lines[] = {
      {L"Stepping ID = %d\r\n", Bits(eax, 0, 3), true},
      {L"Model = %d\r\n", Bits(eax, 4, 7), true},
      {L"Family = %d\r\n", Bits(eax, 8, 11), true},
      {L"Processor Type = %d\r\n", Bits(eax, 12, 13), true},
      {L"Extended model = %d\r\n", Bits(eax, 16, 19), true},
      {L"Extended family = %d\r\n", Bits(eax, 20, 27), true},
      {L"Brand Index = %d\r\n", Bits(ebx, 0, 7), true},
      {L"CLFLUSH cache line size = %d\r\n", Bits(ebx, 8, 15) * 8, true},
      {L"Logical Processor Count = %d\r\n", Bits(ebx, 16, 23), (edx & (1u << 28)) != 0},
      {L"APIC Physical ID = %d\r\n", Bits(ebx, 24, 31), true},
  };
  for (const auto& line : lines)
    if (line.value != 0 && line.shown) report.AppendFormat(line.format, static_cast<int>(line.value));
}

// The heading goes in only when at least one feature follows it.
void AppendFeatureList(CString& report, const CpuAnswers& a) {
  CString lines;
  AppendFeatures(lines, kLeaf1Ecx, a.leaf1[2]);
  for (int bit = 0; bit < 32; ++bit)
    if (a.leaf1[3] & (1u << bit)) lines += L"\t" + CString(CpuFeatureNames[bit]) + L"\r\n";
  AppendFeatures(lines, kExtendedEcx, a.ext1Ecx);
  AppendFeatures(lines, kExtendedEdx, a.ext1Edx);
  AppendFeatures(lines, kSvmEdx, a.svmEdx);
  AppendFeatures(lines, kPerformanceEax, a.performanceEax);
  if (!lines.IsEmpty()) report += L"\r\nThe following features are supported:\r\n" + lines;
}

const wchar_t* CacheTypeLine(uint32_t type) {
  switch (type) {
    case 0:
      return L"   Type: Null\r\n";
    case 1:
      return L"   Type: Data Cache\r\n";
    case 2:
      return L"   Type: Instruction Cache\r\n";
    case 3:
      return L"   Type: Unified Cache\r\n";
    default:
      return L"   Type: Unknown\r\n";
  }
}

void AppendCacheDescriptors(CString& report, const CpuIdFunction& cpuId) {
  for (uint32_t subleaf = 0; subleaf < kMaxCacheDescriptors; ++subleaf) {
    uint32_t r[4];
    Query(cpuId, 4, subleaf, r);
    const uint32_t eax = r[0], ebx = r[1], ecx = r[2];
    if (Bits(eax, 4, 7) == 0) break;
    if (subleaf == 0) report.AppendFormat(L"\r\nNumber of Cores = %d\r\n", static_cast<int>(Bits(eax, 26, 31) + 1));
    report += L"\r\n";
    report += CacheTypeLine(Bits(eax, 0, 4));
    report.AppendFormat(L"   Level = %d\r\n", static_cast<int>(Bits(eax, 5, 7)));
    report += (eax & (1u << 8)) ? L"   Self Initializing\r\n" : L"   Not Self Initializing\r\n";
    report += (eax & (1u << 9)) ? L"   Is Fully Associatve\r\n" : L"   Is Not Fully Associatve\r\n";
    report.AppendFormat(L"   Max Threads = %d\r\n", static_cast<int>(Bits(eax, 14, 25) + 1));
    report.AppendFormat(L"   System Line Size = %d\r\n", static_cast<int>(Bits(ebx, 0, 11) + 1));
    report.AppendFormat(L"   Physical Line Partions = %d\r\n", static_cast<int>(Bits(ebx, 12, 21) + 1));
    report.AppendFormat(L"   Ways of Associativity = %d\r\n", static_cast<int>(Bits(ebx, 22, 31) + 1));
    report.AppendFormat(L"   Number of Sets = %d\r\n", static_cast<int>(ecx + 1));
  }
}

}  // namespace

CString BuildCpuReport(const CpuIdFunction& cpuId) {
  const CpuAnswers a = QueryCpu(cpuId);
  CString report = L"CPU INFORMATION:\r\n\r\n";
  report += L"Vendor:\t";
  report += a.vendor;
  report += L"\r\n";
  if (a.maxExtended >= 0x80000004) {
    report += L"Brand:\t";
    report += a.brand;
    report += L"\r\n\r\n";
  }
  if (a.maxExtended >= 0x80000006) {
    report.AppendFormat(L"Cache Line Size = %d\r\n", static_cast<int>(Bits(a.ext6Ecx, 0, 7)));
    report.AppendFormat(L"L2 Associativity = %d\r\n", static_cast<int>(Bits(a.ext6Ecx, 12, 15)));
    report.AppendFormat(L"Cache Size = %dK\r\n\r\n", static_cast<int>(Bits(a.ext6Ecx, 16, 31)));
  }
  if (a.maxBasic >= 1) {
    AppendIdentification(report, a);
    AppendFeatureList(report, a);
  }
  AppendCacheDescriptors(report, cpuId);
  return report;
}

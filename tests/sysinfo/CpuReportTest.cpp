// The processor report from fake CPUID tables.
#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/CStringPrinter.h"
#include "views/sysinfo/CpuReport.h"

namespace {

using Regs = std::vector<uint32_t>;  // EAX, EBX, ECX, EDX
using Table = std::map<std::pair<uint32_t, uint32_t>, Regs>;

// Answers from the table (zeros for anything else) and records every query.
struct FakeCpu {
  Table table;
  std::vector<std::pair<uint32_t, uint32_t>> asked = {};
  CString Report() {
    return BuildCpuReport([this](uint32_t regs[4]) {
      const std::pair<uint32_t, uint32_t> key{regs[0], regs[2]};
      asked.push_back(key);
      const auto it = table.find(key);
      for (int i = 0; i < 4; ++i) regs[i] = it == table.end() ? 0 : it->second[i];
    });
  }
};

uint32_t Text4(const char* text) {
  uint32_t word = 0;
  std::memcpy(&word, text, 4);
  return word;
}

// Vendor "GenuineIntel"; brand "  Fake CPU" with its leading blanks.
Table FullTable() {
  return {
      {{0, 0}, {4, Text4("Genu"), Text4("ntel"), Text4("ineI")}},
      // stepping 3, model 0, family 6, type 0, ext model 0, ext family 2; brand index 0, clflush 8 (x8),
      // logical 4 but EDX bit 28 clear, APIC 9; ECX bits 8, 9; EDX bits 0, 10, 20, 30
      {{1, 0}, {0x00200603, 0x09040800, 0x300, 0x40100401}},
      {{0x80000000, 0}, {0x8000001A, 0, 0, 0}},
      {{0x80000001, 0}, {0, 0, 0x1001, 0x80000800}},
      {{0x80000002, 0}, {Text4("  Fa"), Text4("ke C"), Text4("PU\0\0"), 0}},
      {{0x80000006, 0}, {0, 0, 0x02006040, 0}},
      {{0x8000000A, 0}, {0, 0, 0, 0x2}},
      {{0x8000001A, 0}, {0x1, 0, 0, 0}},
      // level 1 data cache, all core bits set; a null type at level 2 with every way bit set; type 5
      {{4, 0}, {0xFC000121, 0x00000000, 63, 0}},
      {{4, 1}, {0x00000040, 0xFFC00000, 0, 0}},
      {{4, 2}, {0x00000065, 0, 0xFFFFFFFF, 0}},
  };
}

TEST(CpuReportTest, EverySectionOfAFullTable) {
  FakeCpu cpu{FullTable()};
  EXPECT_EQ(
      cpu.Report(),
      CString(L"CPU INFORMATION:\r\n\r\nVendor:\tGenuineIntel\r\nBrand:\t  Fake CPU\r\n\r\n"
              L"Cache Line Size = 64\r\nL2 Associativity = 6\r\nCache Size = 512K\r\n\r\n"
              L"Stepping ID = 3\r\nFamily = 6\r\nExtended family = 2\r\nCLFLUSH cache line size = 64\r\n"
              L"APIC Physical ID = 9\r\n"
              L"\r\nThe following features are supported:\r\n"
              L"\tThermal Monitor 2\r\n\tSupplemental Streaming SIMD Extensions 3\r\n"
              L"\tx87 FPU On Chip\r\n\tUnknown1\r\n\tUnknown2\r\n\tUnknown4\r\n"
              L"\tLAHF/SAHF in 64-bit mode\r\n\tSKINIT and DEV support\r\n"
              L"\tSYSCALL/SYSRET in 64-bit mode\r\n\t3Dnow! instructions\r\n"
              L"\tLBR Visualization\r\n\tFP128 optimization\r\n"
              L"\r\nNumber of Cores = 64\r\n"
              L"\r\n   Type: Data Cache\r\n   Level = 1\r\n   Self Initializing\r\n   Is Not Fully Associatve\r\n"
              L"   Max Threads = 1\r\n   System Line Size = 1\r\n   Physical Line Partions = 1\r\n"
              L"   Ways of Associativity = 1\r\n   Number of Sets = 64\r\n"
              L"\r\n   Type: Null\r\n   Level = 2\r\n   Not Self Initializing\r\n   Is Not Fully Associatve\r\n"
              L"   Max Threads = 1\r\n   System Line Size = 1\r\n   Physical Line Partions = 1\r\n"
              L"   Ways of Associativity = 1024\r\n   Number of Sets = 1\r\n"
              L"\r\n   Type: Unknown\r\n   Level = 3\r\n   Not Self Initializing\r\n   Is Not Fully Associatve\r\n"
              L"   Max Threads = 1\r\n   System Line Size = 1\r\n   Physical Line Partions = 1\r\n"
              L"   Ways of Associativity = 1\r\n   Number of Sets = 0\r\n"));
}

TEST(CpuReportTest, LeafLimitsLeaveOutTheirSections) {
  const struct {
    uint32_t maxBasic, maxExtended;
    bool brand, cacheLines, identification, extendedFeatures;
  } cases[] = {
      {4, 0x80000005, true, false, true, true},
      {4, 0x80000003, false, false, true, true},
      {4, 0x7FFFFFFF, false, false, true, false},
      {0, 0x8000001A, true, true, false, false},
  };
  for (const auto& c : cases) {
    FakeCpu cpu{FullTable()};
    cpu.table[{0, 0}][0] = c.maxBasic;
    cpu.table[{0x80000000, 0}][0] = c.maxExtended;
    const CString report = cpu.Report();
    EXPECT_EQ(report.Find(L"Brand:") != -1, c.brand) << report;
    EXPECT_EQ(report.Find(L"Cache Line Size") != -1, c.cacheLines) << report;
    EXPECT_EQ(report.Find(L"Stepping ID") != -1, c.identification) << report;
    EXPECT_EQ(report.Find(L"\tLAHF") != -1, c.extendedFeatures) << report;
    EXPECT_NE(report.Find(L"Number of Cores = 64"), -1);  // leaf 4 whatever the limits
    for (const auto& [leaf, subleaf] : cpu.asked) {
      if (leaf == 4) continue;
      EXPECT_LE(leaf, leaf >= 0x80000000 ? std::max(c.maxExtended, 0x80000000u) : c.maxBasic) << std::hex << leaf;
    }
  }
}

TEST(CpuReportTest, LogicalCountNeedsEdxBit28AndTheDescriptorWalkIsBounded) {
  FakeCpu cpu{FullTable()};
  cpu.table[{1, 0}][3] |= 1u << 28;
  for (uint32_t subleaf = 0; subleaf < 200; ++subleaf) cpu.table[{4, subleaf}] = {0x21, 0, 0, 0};
  const CString report = cpu.Report();
  EXPECT_NE(report.Find(L"Logical Processor Count = 4\r\n"), -1);
  int descriptors = 0;
  for (int at = report.Find(L"   Type:"); at != -1; at = report.Find(L"   Type:", at + 1)) ++descriptors;
  EXPECT_EQ(descriptors, 64);
}

}  // namespace

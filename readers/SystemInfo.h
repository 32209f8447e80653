// The system information answers the operating-system report is made of:
// basic parameters, performance counters, device counts and page files, each
// read from its own snapshot and handed up as a record.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>

#include "framework/CString.h"
#include "native/ByteSpan.h"

struct SystemBasicRecord {
  uint32_t timerResolution = 0;
  uint32_t pageSize = 0;
  uint32_t physicalPages = 0;
  uint32_t lowestPhysicalPage = 0;
  uint32_t highestPhysicalPage = 0;
  uint32_t allocationGranularity = 0;
  uint64_t minUserAddress = 0;
  uint64_t maxUserAddress = 0;
  uint64_t activeProcessorsMask = 0;
  int8_t numberOfProcessors = 0;
};

// Page counts, in pages of 4096 bytes; the last three are event counts.
struct SystemPerformanceRecord {
  uint32_t availablePages = 0;
  uint32_t committedPages = 0;
  uint32_t commitLimit = 0;
  uint32_t peakCommitment = 0;
  uint32_t pageFaultCount = 0;
  uint32_t pagedPoolPages = 0;
  uint32_t nonPagedPoolPages = 0;
  uint32_t contextSwitches = 0;
  uint32_t systemCalls = 0;
};

struct SystemDeviceRecord {
  uint32_t disks = 0;
  uint32_t cdRoms = 0;
  uint32_t serialPorts = 0;
  uint32_t parallelPorts = 0;
};

struct PageFileRecord {
  CString name;  // as the system names it
  uint32_t totalPages = 0;
  uint32_t pagesInUse = 0;
  uint32_t peakPages = 0;
};

// Each is false, with the record untouched, when its query fails.
bool ReadSystemBasic(SystemBasicRecord* record);
bool ReadSystemPerformance(SystemPerformanceRecord* record);
bool ReadSystemDevices(SystemDeviceRecord* record);
bool ReadPageFiles(std::vector<PageFileRecord>* files);

// The page-file chain of one answer. The walk goes on only while the next
// entry lies wholly inside the answer; a name is read only where it lies
// inside the answer.
std::vector<PageFileRecord> ParsePageFiles(ByteSpan answer);

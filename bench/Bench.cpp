#include "bench/Bench.h"

#include <algorithm>
#include <cstdio>

double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

SIZE_T PrivateBytes(HANDLE process) {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const BYTE* address = nullptr; VirtualQueryEx(process, address, &region, sizeof(region));
       address = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
  }
  return total;
}

namespace {

// The largest PrivateBytes of this process, sampled every few milliseconds
// while it lives and whenever Sample is called.
class PeakSampler {
 public:
  PeakSampler() {
    Sample();
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_stop) m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~PeakSampler() {
    if (m_thread) {
      SetEvent(m_stop);
      WaitForSingleObject(m_thread, INFINITE);
      CloseHandle(m_thread);
    }
    if (m_stop) CloseHandle(m_stop);
  }
  PeakSampler(const PeakSampler&) = delete;
  PeakSampler& operator=(const PeakSampler&) = delete;
  void Sample() {
    const SIZE_T now = PrivateBytes(GetCurrentProcess());
    if (now > m_peak) m_peak = now;
  }
  SIZE_T Peak() const { return m_peak; }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    auto* sampler = static_cast<PeakSampler*>(self);
    while (WaitForSingleObject(sampler->m_stop, 10) == WAIT_TIMEOUT) sampler->Sample();
    return 0;
  }
  HANDLE m_stop = nullptr;
  HANDLE m_thread = nullptr;
  volatile SIZE_T m_peak = 0;
};

}  // namespace

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double TimeInProcess(const std::function<void()>& setup, const std::function<void()>& timed, SIZE_T* peak) {
  if (setup) setup();
  PeakSampler sampler;
  const double start = Seconds();
  timed();
  const double seconds = Seconds() - start;
  sampler.Sample();
  *peak = std::max(*peak, sampler.Peak());
  return seconds;
}

CaseResult RunCase(const char* name, double target, int rounds, const Side& page, const Side& bare, bool warmUp) {
  CaseResult result;
  result.name = name;
  result.target = target;
  SIZE_T unused = 0;
  if (warmUp) {
    page(&unused);
    bare(&unused);
  }
  std::vector<double> pageTimes, bareTimes;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) pageTimes.push_back(page(&result.pagePeak));
    bareTimes.push_back(bare(&result.barePeak));
    if (round % 2 != 0) pageTimes.push_back(page(&result.pagePeak));
    std::printf("  %-14s round %d: page %8.1f ms  bare %8.1f ms\n", name, round + 1, pageTimes.back() * 1000,
                bareTimes.back() * 1000);
    std::fflush(stdout);
  }
  result.pageMedian = Median(pageTimes);
  result.bareMedian = Median(bareTimes);
  return result;
}

void PrintTable(const std::vector<CaseResult>& results) {
  std::printf("\n%-14s %12s %12s %7s %7s %13s %13s\n", "case", "page ms", "bare ms", "ratio", "target", "page peak KiB",
              "bare peak KiB");
  for (const CaseResult& r : results) {
    const double ratio = r.bareMedian > 0 ? r.pageMedian / r.bareMedian : 0;
    std::printf("%-14s %12.1f %12.1f %7.2f %7.2f %13zu %13zu %s%s\n", r.name.c_str(), r.pageMedian * 1000,
                r.bareMedian * 1000, ratio, r.target, r.pagePeak / 1024, r.barePeak / 1024,
                ratio <= r.target ? "met" : "MISSED", r.note.c_str());
  }
  for (const CaseResult& r : results) std::printf("%s", r.detail.c_str());
  std::fflush(stdout);
}

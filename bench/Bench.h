// The benchmark's shared pieces: a clock, a process's private bytes, and one
// case measured as page against bare loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CHalvernDlg;

double Seconds();

// 0 for no values; the mean of the middle two for an even count.
double Median(std::vector<double> values);

// Committed private bytes of `process` (Wine's process counters report none),
// summed region by region.
SIZE_T PrivateBytes(HANDLE process);

// One side of a case: does its work once and returns the seconds it took
// (untimed set-up inside it is left out); raises *peak to the largest private
// bytes it saw.
using Side = std::function<double(SIZE_T* peak)>;

// A side that runs in this process: `setup` untimed, then `timed`, with this
// process's private bytes sampled every few milliseconds and once after `timed`.
double TimeInProcess(const std::function<void()>& setup, const std::function<void()>& timed, SIZE_T* peak);

struct CaseResult {
  std::string name;
  double pageMedian = 0, bareMedian = 0;
  SIZE_T pagePeak = 0, barePeak = 0;
  double target = 0;  // the largest ratio page/bare that is good enough
  std::string note;
  std::string detail;  // lines printed under the table
};

// Runs one warm-up of each side (unless `warmUp` is false), then `rounds`
// rounds alternating the two (page first in even rounds, bare first in odd ones).
CaseResult RunCase(const char* name, double target, int rounds, const Side& page, const Side& bare, bool warmUp = true);

void PrintTable(const std::vector<CaseResult>& results);

// The cases, each measured against the bare native work behind it.
CaseResult ProcessTabCase(CHalvernDlg& dlg, int rounds);
CaseResult HandlesTabCase(CHalvernDlg& dlg, int rounds);
CaseResult ModulesTabCase(CHalvernDlg& dlg, int rounds);
CaseResult ObjectsTabCase(CHalvernDlg& dlg, int rounds);
CaseResult StartupCase(int rounds);
// `messages` per round, with the page hidden behind the start tab or shown.
CaseResult DebugOutCase(int rounds, long messages, bool shown);

// The bare loops: only the native calls each page needs, no window.
size_t BareProcessList();
size_t BareHandles(ULONG_PTR processId);
size_t BareModules(ULONG_PTR processId);
size_t BareObjectTree();

// Shows and hides every page of the main dialog many times (1,000 by default,
// or the first argument): every main tab, the detail view of a child process
// with its three tabs, and object-tree selections. Prints the handle, GDI and
// USER object counts and the private bytes at the start and at the end, and
// exits with 1 when any of them grew.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/CHalvernDlg.h"
#include "bench/Bench.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/sweep/UiTour.h"

namespace {

struct Counts {
  DWORD handles, gdi, user;
  SIZE_T privateBytes;
};

Counts Take() {
  return {TakeLeakCounts().handles, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
          GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), PrivateBytes(GetCurrentProcess())};
}

void Print(const char* when, const Counts& c) {
  std::printf("%-6s handles %5lu  gdi %5lu  user %5lu  private %8zu KiB\n", when, c.handles, c.gdi, c.user,
              c.privateBytes / 1024);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? _wtoi(argv[1]) : 1000;
  EnsureCommonControls();
  ChildProcess child;
  if (!child.Start(false, L"--wait --event HalvernStressEvent --threads 2")) {
    std::printf("the child process did not start\n");
    return 2;
  }
  CHalvernDlg dlg;
  if (!dlg.Create(IDD_HALVERN_DIALOG, nullptr)) return 2;
  dlg.ShowWindow(SW_SHOW);
  for (int i = 0; i < 5; ++i) TourMainDialog(dlg, child.Pid());  // first showings, caches
  PumpMessages(100);
  const Counts start = Take();
  for (int i = 0; i < rounds; ++i) TourMainDialog(dlg, child.Pid());
  PumpMessages(100);
  const Counts end = Take();
  std::printf("%d rounds\n", rounds);
  Print("start", start);
  Print("end", end);
  dlg.DestroyWindow();
  // Private bytes may move by a page or two of heap bookkeeping; a leak per
  // round would show as rounds times its size.
  const bool grew = end.handles > start.handles || end.gdi > start.gdi || end.user > start.user ||
                    end.privateBytes > start.privateBytes + 64 * 1024;
  std::printf(grew ? "FAIL: a count grew\n" : "PASS\n");
  return grew ? 1 : 0;
}

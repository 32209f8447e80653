// Measures each page of Halvern against the bare native work behind it and
// prints a table of medians (see scripts/bench.sh). Never fails: it only
// reports. Argument: the number of rounds per case (at least 5).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/CHalvernDlg.h"
#include "bench/Bench.h"
#include "native/NativeApi.h"
#include "native/NativeQuery.h"
#include "res/resource.h"
#include "tests/support/GuiFixture.h"

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 && _wtoi(argv[1]) > 5 ? _wtoi(argv[1]) : 5;
  EnsureCommonControls();
  std::vector<CaseResult> results;
  std::printf("start-up (%d rounds)\n", rounds);
  results.push_back(StartupCase(rounds));

  CHalvernDlg dlg;
  if (!dlg.Create(IDD_HALVERN_DIALOG, nullptr)) {
    std::printf("the main dialog could not be created\n");
    return 0;
  }
  dlg.ShowWindow(SW_SHOW);
  PumpMessages(100);
  std::printf("processes, with 100 extra helper processes\n");
  results.push_back(ProcessTabCase(dlg, rounds));
  std::printf("handles, a helper holding 10,000 events\n");
  results.push_back(HandlesTabCase(dlg, rounds));
  std::printf("modules, a helper with 300 mapped views\n");
  results.push_back(ModulesTabCase(dlg, rounds));
  std::printf("object tree, first showing\n");
  results.push_back(ObjectsTabCase(dlg, rounds));
  dlg.DestroyWindow();

  PrintTable(results);
  std::printf("debug output: not measured here yet (its page is not built on this branch)\n");
  return 0;
}

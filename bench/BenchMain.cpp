// Measures each page of Halvern against the bare native work behind it and
// prints a table of medians (see scripts/bench.sh). Never fails: it only
// reports. Arguments: the number of rounds per case (at least 5), then
// optionally the names of the cases to run (all when none is given).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "app/CHalvernDlg.h"
#include "bench/Bench.h"
#include "native/NativeApi.h"
#include "native/NativeQuery.h"
#include "res/resource.h"
#include "tests/support/GuiFixture.h"

namespace {

int g_argc = 0;
wchar_t** g_argv = nullptr;

bool Wanted(const wchar_t* name) {
  if (g_argc <= 2) return true;
  for (int i = 2; i < g_argc; ++i) {
    if (std::wcscmp(g_argv[i], name) == 0) return true;
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  g_argc = argc;
  g_argv = argv;
  const int rounds = argc > 1 && _wtoi(argv[1]) > 5 ? _wtoi(argv[1]) : 5;
  EnsureCommonControls();
  std::vector<CaseResult> results;
  std::printf("%d rounds per case\n", rounds);
  if (Wanted(L"startup")) results.push_back(StartupCase(rounds));

  CHalvernDlg dlg;
  if (!dlg.Create(IDD_HALVERN_DIALOG, nullptr)) {
    std::printf("the main dialog could not be created\n");
    return 0;
  }
  dlg.ShowWindow(SW_SHOW);
  PumpMessages(100);
  if (Wanted(L"processes")) results.push_back(ProcessTabCase(dlg, rounds));
  if (Wanted(L"handles")) results.push_back(HandlesTabCase(dlg, rounds));
  if (Wanted(L"modules")) results.push_back(ModulesTabCase(dlg, rounds));
  if (Wanted(L"objects")) results.push_back(ObjectsTabCase(dlg, rounds));
  dlg.DestroyWindow();

  PrintTable(results);
  std::printf("debug output: not measured here yet (its page is not built on this branch)\n");
  return 0;
}

// Measures each page of Halvern against the bare native work behind it and
// prints a table of medians (see scripts/bench.sh). Never fails: it only
// reports. Arguments: the number of rounds per case (at least 5), then
// optionally the names of the cases to run (all when none is given); the
// debug cases take "debug:<messages>" and "debug-shown:<messages>".
#include <windows.h>

#include <algorithm>
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

// A case is named alone, or as "name:count" to give the debug cases their
// number of messages per round; *count keeps its default otherwise.
bool Wanted(const wchar_t* name, long* count = nullptr) {
  if (g_argc <= 2) return true;
  const size_t length = std::wcslen(name);
  for (int i = 2; i < g_argc; ++i) {
    if (std::wcsncmp(g_argv[i], name, length) != 0) continue;
    if (g_argv[i][length] == L'\0') return true;
    if (g_argv[i][length] != L':' || !count) continue;
    *count = std::max(1000L, std::wcstol(g_argv[i] + length + 1, nullptr, 10));
    return true;
  }
  return false;
}

// The main dialog's own debug-output page is a consumer too: it is gone
// before the debug cases start their own.
void PageCases(int rounds, std::vector<CaseResult>* results) {
  CHalvernDlg dlg;
  if (!dlg.Create(IDD_HALVERN_DIALOG, nullptr)) {
    std::printf("the main dialog could not be created\n");
    return;
  }
  dlg.ShowWindow(SW_SHOW);
  PumpMessages(100);
  if (Wanted(L"processes")) results->push_back(ProcessTabCase(dlg, rounds));
  if (Wanted(L"handles")) results->push_back(HandlesTabCase(dlg, rounds));
  if (Wanted(L"modules")) results->push_back(ModulesTabCase(dlg, rounds));
  if (Wanted(L"objects")) results->push_back(ObjectsTabCase(dlg, rounds));
  dlg.m_page4.StopCapture();
  dlg.DestroyWindow();
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
  PageCases(rounds, &results);
  long hidden = 100000, shown = 100000;
  if (Wanted(L"debug", &hidden)) results.push_back(DebugOutCase(rounds, hidden, false));
  if (Wanted(L"debug-shown", &shown)) results.push_back(DebugOutCase(rounds, shown, true));
  PrintTable(results);
  return 0;
}

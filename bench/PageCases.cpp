// The in-process cases: the real pages of one main dialog, shown as a click
// on their tab shows them, against the bare loops.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/CHalvernDlg.h"
#include "bench/Bench.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/sweep/UiTour.h"

namespace {

// Shows the process list afresh and opens the detail view of `pid` (its
// modules tab); false when the process is not listed.
bool OpenDetail(CHalvernDlg& dlg, DWORD pid) {
  CPage0& page = dlg.m_page0;
  if (page.m_tab.GetItemCount() > 3) NotifyTabChange(page, page.m_tab, 3);
  SelectMainTab(dlg, 2);
  SelectMainTab(dlg, 0);
  return DoubleClickProcessRow(page, pid);
}

// Shows detail tab `k` of the open detail view, coming from tab `from`.
Side ShowDetailTab(CHalvernDlg& dlg, int from, int k, CListCtrl& list) {
  CPage0& page = dlg.m_page0;
  return [&dlg, &page, &list, from, k](SIZE_T* peak) {
    return TimeInProcess([&] { NotifyTabChange(page, page.m_tab, from); },
                         [&] {
                           NotifyTabChange(page, page.m_tab, k);
                           ::UpdateWindow(list.GetSafeHwnd());
                         },
                         peak);
  };
}

Side Bare(std::function<size_t()> loop) {
  return [loop](SIZE_T* peak) {
    return TimeInProcess(
        nullptr, [&] { loop(); }, peak);
  };
}

}  // namespace

CaseResult ProcessTabCase(CHalvernDlg& dlg, int rounds) {
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int i = 0; i < 100; ++i) {
    children.push_back(std::make_unique<ChildProcess>());
    if (!children.back()->Start(false, L"--wait")) std::printf("  helper %d did not start\n", i);
  }
  CPage0& page = dlg.m_page0;
  if (page.m_tab.GetItemCount() > 3) NotifyTabChange(page, page.m_tab, 3);
  const Side pageSide = [&](SIZE_T* peak) {
    return TimeInProcess([&] { SelectMainTab(dlg, 2); },
                         [&] {
                           SelectMainTab(dlg, 0);
                           ::UpdateWindow(page.m_list.GetSafeHwnd());
                         },
                         peak);
  };
  std::printf("processes, with 100 extra helper processes\n");
  CaseResult result = RunCase("processes", 1.5, rounds, pageSide, Bare(BareProcessList));
  char note[64];
  std::snprintf(note, sizeof(note), "  (%d rows)", page.m_list.GetItemCount());
  result.note = note;
  return result;
}

// A detail tab of a helper started with `args`, shown coming from the threads tab.
CaseResult DetailTabCase(CHalvernDlg& dlg, int rounds, const char* name, const wchar_t* args, int tab, CListCtrl& list,
                         std::function<size_t(ULONG_PTR)> bare) {
  ChildProcess child;
  CaseResult result;
  if (!child.Start(false, args) || !OpenDetail(dlg, child.Pid())) {
    result.name = name;
    result.note = "  (the helper did not start or is not listed)";
    return result;
  }
  const ULONG_PTR pid = child.Pid();
  result = RunCase(name, 1.5, rounds, ShowDetailTab(dlg, 1, tab, list), Bare([pid, bare] { return bare(pid); }));
  char note[64];
  std::snprintf(note, sizeof(note), "  (%d rows)", list.GetItemCount());
  result.note = note;
  return result;
}

CaseResult HandlesTabCase(CHalvernDlg& dlg, int rounds) {
  std::printf("handles, a helper holding 10,000 events\n");
  return DetailTabCase(dlg, rounds, "handles", L"--wait --events 10000", 2, dlg.m_page0.m_tabPage2.m_list, BareHandles);
}

CaseResult ModulesTabCase(CHalvernDlg& dlg, int rounds) {
  std::printf("modules, a helper with views of 300 files\n");
  return DetailTabCase(dlg, rounds, "modules", L"--wait --views 300", 0, dlg.m_page0.m_tabPage0.m_list, BareModules);
}

// The tree is built on the first showing only, so each round gives the page
// an empty tree and its first-showing state back.
CaseResult ObjectsTabCase(CHalvernDlg& dlg, int rounds) {
  CPage3& page = dlg.m_page3;
  const Side pageSide = [&](SIZE_T* peak) {
    return TimeInProcess(
        [&] {
          SelectMainTab(dlg, 2);
          page.m_tree.DeleteAllItems();
          page.m_list.DeleteAllItems();
          page.m_bFirstShow = 1;
        },
        [&] {
          SelectMainTab(dlg, 3);
          ::UpdateWindow(page.m_tree.GetSafeHwnd());
          ::UpdateWindow(page.m_list.GetSafeHwnd());
        },
        peak);
  };
  std::printf("object tree, first showing\n");
  CaseResult result = RunCase("object tree", 1.5, rounds, pageSide, Bare(BareObjectTree));
  char note[64];
  std::snprintf(note, sizeof(note), "  (%zu directories)", BareObjectTree());
  result.note = note;
  return result;
}

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

namespace {

void NotifyTabChange(CWnd& parent, CTabCtrl& tab, int k) {
  tab.SetCurSel(k);
  NMHDR header{tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
  parent.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
}

void SelectMainTab(CHalvernDlg& dlg, int k) { NotifyTabChange(dlg, dlg.m_tab, k); }

// Shows the process list afresh and opens the detail view of `pid` (its
// modules tab); false when the process is not listed.
bool OpenDetail(CHalvernDlg& dlg, DWORD pid) {
  CPage0& page = dlg.m_page0;
  if (page.m_tab.GetItemCount() > 3) NotifyTabChange(page, page.m_tab, 3);
  SelectMainTab(dlg, 2);
  SelectMainTab(dlg, 0);
  for (int row = 0; row < page.m_list.GetItemCount(); ++row) {
    if (page.m_list.GetItemData(row) != pid) continue;
    NMITEMACTIVATE activate{};
    activate.hdr = {page.m_list.GetSafeHwnd(), IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
    activate.iItem = row;
    page.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&activate));
    return true;
  }
  return false;
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

CaseResult HandlesTabCase(CHalvernDlg& dlg, int rounds) {
  std::printf("handles, a helper holding 10,000 events\n");
  ChildProcess child;
  CaseResult result;
  if (!child.Start(false, L"--wait --events 10000") || !OpenDetail(dlg, child.Pid())) {
    result.name = "handles";
    result.note = "  (the helper did not start or is not listed)";
    return result;
  }
  const ULONG_PTR pid = child.Pid();
  CListCtrl& list = dlg.m_page0.m_tabPage2.m_list;
  result = RunCase("handles", 1.5, rounds, ShowDetailTab(dlg, 1, 2, list), Bare([pid] { return BareHandles(pid); }));
  char note[64];
  std::snprintf(note, sizeof(note), "  (%d rows)", list.GetItemCount());
  result.note = note;
  return result;
}

CaseResult ModulesTabCase(CHalvernDlg& dlg, int rounds) {
  std::printf("modules, a helper with views of 300 files\n");
  ChildProcess child;
  CaseResult result;
  if (!child.Start(false, L"--wait --views 300") || !OpenDetail(dlg, child.Pid())) {
    result.name = "modules";
    result.note = "  (the helper did not start or is not listed)";
    return result;
  }
  const ULONG_PTR pid = child.Pid();
  CListCtrl& list = dlg.m_page0.m_tabPage0.m_list;
  result = RunCase("modules", 1.5, rounds, ShowDetailTab(dlg, 1, 0, list), Bare([pid] { return BareModules(pid); }));
  char note[64];
  std::snprintf(note, sizeof(note), "  (%d rows)", list.GetItemCount());
  result.note = note;
  return result;
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

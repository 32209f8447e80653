#include "tests/sweep/UiTour.h"

#include <commctrl.h>

#include <thread>

#include "app/CHalvernDlg.h"
#include "res/resource.h"
#include "tests/support/GuiFixture.h"

namespace {

void TourProcessDetail(CPage0& page, DWORD pid) {
  if (!DoubleClickProcessRow(page, pid)) return;
  for (int k : {1, 2, 0, 3}) NotifyTabChange(page, page.m_tab, k);
}

HTREEITEM FindChild(const CTreeCtrl& tree, HTREEITEM parent, const wchar_t* name) {
  for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item)) {
    if (tree.GetItemText(item) == name) return item;
  }
  return nullptr;
}

void TourObjectTree(CPage3& page) {
  const HTREEITEM root = page.m_tree.GetRootItem();
  if (!root) return;
  for (HTREEITEM item :
       {root, FindChild(page.m_tree, root, L"BaseNamedObjects"), FindChild(page.m_tree, root, L"ObjectTypes"), root}) {
    if (item) page.m_tree.SelectItem(item);
  }
}

// A few messages from another thread of this process; the capture thread
// lists them through this thread, so it pumps until they are in.
void SendDebugMessages(CPage4& page, int count) {
  PumpMessages(0);
  if (count <= 0) return;
  const int rows = page.m_list.GetItemCount();
  std::thread sender([count] {
    for (int i = 0; i < count; ++i) OutputDebugStringA("halvern tour");
  });
  PumpMessagesUntil([&] { return page.m_list.GetItemCount() >= rows + count; }, 5000);
  sender.join();
}

}  // namespace

void NotifyTabChange(CWnd& parent, CTabCtrl& tab, int k) {
  tab.SetCurSel(k);
  NMHDR header{tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
  parent.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
}

void SelectMainTab(CHalvernDlg& dlg, int k) { NotifyTabChange(dlg, dlg.m_tab, k); }

bool DoubleClickProcessRow(CPage0& page, DWORD pid) {
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

void TourMainDialog(CHalvernDlg& dlg, DWORD detailPid, int debugMessages) {
  SelectMainTab(dlg, 0);
  TourProcessDetail(dlg.m_page0, detailPid);
  SelectMainTab(dlg, 1);
  SelectMainTab(dlg, 2);
  SelectMainTab(dlg, 3);
  TourObjectTree(dlg.m_page3);
  SelectMainTab(dlg, 4);
  SendDebugMessages(dlg.m_page4, debugMessages);
  SelectMainTab(dlg, 2);
}

#include "views/processes/CPage0.h"

#include <iterator>
#include <utility>

#include "native/NativeOwners.h"
#include "res/resource.h"
#include "readers/ProcessRecord.h"
#include "views/common/ListColumns.h"
#include "views/common/ListFill.h"
#include "views/processes/DetailProcessId.h"
#include "views/processes/ProcessText.h"

IMPLEMENT_DYNAMIC(CPage0, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage0, CPropertyPage)
  ON_WM_SIZE()
  ON_NOTIFY(NM_DBLCLK, IDC_LIST, &CPage0::OnNMDblclkList)
  ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, &CPage0::OnTcnSelchangeTab)
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace {

// Columns 2 to 17; "#" (1) and "映像名称" (0) go in first.
constexpr ListColumn kColumns[] = {
    {L"进程ID", LVCFMT_LEFT, 50},
    {L"父进程ID", LVCFMT_LEFT, 60},
    {L"映像路径", LVCFMT_LEFT, 320},
    {L"映像基址", LVCFMT_RIGHT, 130},
    {L"会话ID", LVCFMT_CENTER, 50},
    {L"Image", LVCFMT_CENTER, 50},
    {L"线程数", LVCFMT_CENTER, 50},
    {L"句柄数", LVCFMT_CENTER, 50},
    {L"用户名", LVCFMT_LEFT, 120},
    {L"优先级", LVCFMT_CENTER, 80},
    {L"命令行参数", LVCFMT_LEFT, 320},
    {L"PEB", LVCFMT_RIGHT, 130},
    {L"虚拟内存/峰值(VM)", LVCFMT_RIGHT, 120},
    {L"工作集/峰值(WS)", LVCFMT_RIGHT, 120},
    {L"页面错误", LVCFMT_RIGHT, 60},
    {L"用户态/内核态时间", LVCFMT_CENTER, 160},
};

constexpr DWORD kListExStyle = LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES;

}  // namespace

CPage0::CPage0() : CPropertyPage(IDD_PAGE0, 0, 104) {}

void CPage0::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_LIST, m_list);
  DDX_Control(pDX, IDC_TAB, m_tab);
}

BOOL CPage0::OnInitDialog() {
  CDialog::OnInitDialog();

  m_list.InsertColumn(1, L"#", LVCFMT_CENTER, 30);
  m_list.InsertColumn(0, L"映像名称", LVCFMT_LEFT, 120);
  InsertListColumns(m_list, kColumns, 2);
  m_list.SetExtendedStyle(kListExStyle);

  m_imageList.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1);
  m_list.SetImageList(&m_imageList, LVSIL_SMALL);

  // "#" is displayed leftmost. The order goes through the list, not its
  // header alone, so that the cells follow their headers.
  const int count = m_list.GetHeaderCtrl().GetItemCount();
  if (count >= 2 && count <= static_cast<int>(std::size(kColumns)) + 2) {
    int order[std::size(kColumns) + 2] = {};
    m_list.GetColumnOrderArray(order, count);
    std::swap(order[0], order[1]);
    m_list.SetColumnOrderArray(count, order);
  }

  m_tab.InsertItem(0, L"模块");
  m_tabPage0.Create(IDD_TABPAGE0, &m_tab);
  m_tab.InsertItem(1, L"线程");
  m_tabPage1.Create(IDD_TABPAGE1, &m_tab);
  m_tab.InsertItem(2, L"句柄");
  m_tabPage2.Create(IDD_TABPAGE2, &m_tab);
  return TRUE;
}

void CPage0::MoveDetailPages(const RECT& tabClient) {
  const int x = tabClient.left + 4, y = tabClient.top + 24;
  const int cx = (tabClient.right - 4) - x, cy = (tabClient.bottom - 4) - y;
  m_tabPage0.MoveWindow(x, y, cx, cy, TRUE);
  m_tabPage1.MoveWindow(x, y, cx, cy, TRUE);
  m_tabPage2.MoveWindow(x, y, cx, cy, TRUE);
}

void CPage0::OnSize(UINT, int cx, int cy) {
  Default();
  if (m_list.GetSafeHwnd() != nullptr) {
    RECT rc{};
    m_list.GetClientRect(&rc);
    m_list.MoveWindow(rc.left, rc.top, cx - rc.left, cy - rc.top, TRUE);
  }
  if (m_tab.GetSafeHwnd() != nullptr) {
    RECT rc{};
    m_tab.GetClientRect(&rc);
    m_tab.MoveWindow(rc.left, rc.top, cx - rc.left, cy - rc.top, TRUE);
    MoveDetailPages(RECT{rc.left, rc.top, cx, cy});
  }
}

void CPage0::OnNMDblclkList(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
  if (activate->iItem == -1) return;
  const int row = activate->iItem;

  m_tab.InsertItem(kDetailItem, DetailTabCaption(m_list.GetItemText(row, 0), m_list.GetItemText(row, 2)));
  TCITEMW item{};
  item.mask = TCIF_PARAM;
  item.lParam = static_cast<LPARAM>(m_list.GetItemData(row));
  m_tab.SetItem(kDetailItem, &item);

  RECT rc{};
  m_tab.GetClientRect(&rc);
  MoveDetailPages(rc);

  m_list.ShowWindow(SW_HIDE);
  m_tab.ShowWindow(SW_SHOW);
  m_tabPage0.ShowWindow(SW_SHOW);
  m_tab.SetCurSel(0);
}

void CPage0::OnTcnSelchangeTab(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  const int selected = m_tab.GetCurSel();
  if (selected >= 0 && selected <= 2) {
    m_tabPage0.ShowWindow(selected == 0 ? SW_SHOW : SW_HIDE);
    m_tabPage1.ShowWindow(selected == 1 ? SW_SHOW : SW_HIDE);
    m_tabPage2.ShowWindow(selected == 2 ? SW_SHOW : SW_HIDE);
  } else if (selected == kDetailItem) {
    m_tabPage0.ShowWindow(SW_HIDE);
    m_tabPage1.ShowWindow(SW_HIDE);
    m_tabPage2.ShowWindow(SW_HIDE);
    m_tab.ShowWindow(SW_HIDE);
    m_list.ShowWindow(SW_SHOW);
    m_tab.DeleteItem(kDetailItem);
  }
}

void CPage0::OnShowWindow(BOOL bShow, UINT) {
  Default();
  m_list.DeleteAllItems();
  m_imageList.Remove(-1);
  if (!bShow) return;

  UniqueNativeBuffer snapshot(QueryProcessSnapshot());
  if (!snapshot) return;
  ProcessRecordWalker walker(SpanOfNativeBuffer(snapshot.Get()));
  ProcessRecord record;
  ListFillScope fill(m_list);
  for (int row = 0; walker.Next(&record); ++row) InsertProcessRow(row, record);
}

#include "views/processes/CTabPage1.h"

#include <vector>

#include "readers/ProcessThreads.h"
#include "views/common/ListFill.h"
#include "views/common/SingleListPage.h"
#include "views/processes/DetailProcessId.h"
#include "views/processes/ThreadText.h"

IMPLEMENT_DYNAMIC(CTabPage1, CPropertyPage)

BEGIN_MESSAGE_MAP(CTabPage1, CPropertyPage)
  ON_WM_SHOWWINDOW()
  ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

constexpr ListColumn kColumns[kThreadColumnCount] = {
    {L"#", LVCFMT_CENTER, 30},      {L"线程ID", LVCFMT_LEFT, 50},    {L"起始地址/Win32起始地址", LVCFMT_RIGHT, 240},
    {L"优先级", LVCFMT_CENTER, 50}, {L"状态", LVCFMT_LEFT, 150},     {L"内核堆栈基址/上限", LVCFMT_LEFT, 250},
    {L"TEB", LVCFMT_RIGHT, 130},    {L"切换计数", LVCFMT_RIGHT, 60}, {L"创建/用户态/内核态时间", LVCFMT_CENTER, 240},
};

}  // namespace

CTabPage1::CTabPage1() : CPropertyPage(111, 0, 104) {}

void CTabPage1::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CTabPage1::OnInitDialog() {
  CDialog::OnInitDialog();
  SingleListInit(m_list, kColumns);
  return TRUE;
}

void CTabPage1::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CTabPage1::OnShowWindow(BOOL bShow, UINT) {
  Default();
  m_list.DeleteAllItems();
  if (!bShow) return;

  std::vector<ThreadRecord> threads;
  if (!ReadProcessThreads(ReadDetailProcessId(*this), &threads)) return;
  ListFillScope fill(m_list, threads.size());
  for (size_t i = 0; i < threads.size(); ++i) {
    const int row = static_cast<int>(i);
    const auto cells = ThreadCells(row, threads[i]);
    m_list.InsertItem(row, cells[0]);
    for (int column = 1; column < kThreadColumnCount; ++column) m_list.SetItemText(row, column, cells[column]);
  }
}

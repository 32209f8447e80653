#include "views/processes/CTabPage1.h"

#include "views/common/SingleListPage.h"

IMPLEMENT_DYNAMIC(CTabPage1, CPropertyPage)

BEGIN_MESSAGE_MAP(CTabPage1, CPropertyPage)
  ON_WM_SHOWWINDOW()
  ON_WM_SIZE()
END_MESSAGE_MAP()

CTabPage1::CTabPage1() : CPropertyPage(111, 0, 104) {}

void CTabPage1::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CTabPage1::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CTabPage1::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CTabPage1::OnShowWindow(BOOL, UINT) { Default(); }

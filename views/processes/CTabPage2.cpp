#include "views/processes/CTabPage2.h"

#include "views/common/SingleListPage.h"

IMPLEMENT_DYNAMIC(CTabPage2, CPropertyPage)

BEGIN_MESSAGE_MAP(CTabPage2, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CTabPage2::CTabPage2() : CPropertyPage(112, 0, 104) {}

void CTabPage2::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CTabPage2::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CTabPage2::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CTabPage2::OnShowWindow(BOOL, UINT) { Default(); }

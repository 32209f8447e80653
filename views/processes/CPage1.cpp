#include "views/processes/CPage1.h"

#include "views/common/SingleListPage.h"

IMPLEMENT_DYNAMIC(CPage1, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage1, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CPage1::CPage1() : CPropertyPage(108, 0, 104) {}

void CPage1::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CPage1::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CPage1::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CPage1::OnShowWindow(BOOL, UINT) { Default(); }

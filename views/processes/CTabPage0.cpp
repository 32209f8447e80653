#include "views/processes/CTabPage0.h"

#include "views/common/SingleListPage.h"

IMPLEMENT_DYNAMIC(CTabPage0, CPropertyPage)

BEGIN_MESSAGE_MAP(CTabPage0, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CTabPage0::CTabPage0() : CPropertyPage(110, 0, 104) {}

void CTabPage0::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CTabPage0::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CTabPage0::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CTabPage0::OnShowWindow(BOOL, UINT) { Default(); }

#include "views/debugout/CPage4.h"

#include "views/common/SingleListPage.h"

IMPLEMENT_DYNAMIC(CPage4, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage4, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

CPage4::CPage4() : CPropertyPage(114, 0, 104) {}

void CPage4::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CPage4::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CPage4::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CPage4::OnClose() { Default(); }

#include "views/objects/CPage3.h"

IMPLEMENT_DYNAMIC(CPage3, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage3, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CPage3::CPage3() : CPropertyPage(113, 0, 104) {}

void CPage3::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, 1008, m_tree);
  DDX_Control(pDX, 1001, m_list);
}

BOOL CPage3::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CPage3::OnSize(UINT, int, int) { Default(); }

void CPage3::OnShowWindow(BOOL, UINT) { Default(); }

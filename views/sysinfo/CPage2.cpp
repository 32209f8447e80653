#include "views/sysinfo/CPage2.h"

IMPLEMENT_DYNAMIC(CPage2, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage2, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CPage2::CPage2() : CPropertyPage(109, 0, 104) {}

void CPage2::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, 1002, m_frame);
  DDX_Control(pDX, 1004, m_grpCpu);
  DDX_Control(pDX, 1003, m_grpOs);
  DDX_Control(pDX, 1007, m_editOs);
  DDX_Control(pDX, 1006, m_editCpu);
}

BOOL CPage2::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CPage2::OnSize(UINT, int, int) { Default(); }

void CPage2::OnShowWindow(BOOL, UINT) { Default(); }

#include "views/debugout/CPage4.h"

#include "views/common/SingleListPage.h"

IMPLEMENT_DYNAMIC(CPage4, CPropertyPage)

BEGIN_MESSAGE_MAP(CPage4, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

CPage4::CPage4() : CPropertyPage(114, 0, 104) { ::QueryPerformanceFrequency(&m_liFreq); }

// The thread must not outlive the page it writes to.
CPage4::~CPage4() { StopCapture(); }

void CPage4::DoDataExchange(CDataExchange* pDX) { SingleListDoDataExchange(pDX, m_list); }

BOOL CPage4::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  m_list.InsertColumn(0, L"#", LVCFMT_CENTER, 60);
  m_list.InsertColumn(1, L"Time", LVCFMT_LEFT, 180);
  m_list.InsertColumn(2, L"Debug Print", LVCFMT_LEFT, 650);
  m_list.SetExtendedStyle(LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT);
  StartCapture();
  return TRUE;
}

void CPage4::OnSize(UINT, int cx, int cy) { SingleListOnSize(*this, m_list, cx, cy); }

void CPage4::OnClose() {
  StopCapture();
  Default();
}

#include "app/CHalvernDlg.h"

#include "app/CAboutDlg.h"
#include "native/NativeQuery.h"
#include "res/resource.h"

namespace {

constexpr int kPageCount = 5;

struct TabInfo {
  const wchar_t* label;
  UINT dialogId;
};

constexpr TabInfo kTabs[kPageCount] = {
    {L"进程", IDD_PAGE0}, {L"内核模块", IDD_PAGE1}, {L"系统信息", IDD_PAGE2},
    {L"内核对象", IDD_PAGE3}, {L"DebugView", IDD_PAGE4},
};

constexpr int kStartTab = 2;

}  // namespace

BEGIN_MESSAGE_MAP(CHalvernDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, &CHalvernDlg::OnTcnSelchangeTab)
  ON_WM_SIZE()
END_MESSAGE_MAP()

CHalvernDlg::CHalvernDlg() : CDialog(IDD_HALVERN_DIALOG, nullptr) {
  m_hIcon = ::LoadIconW(GetResourceModule(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

// Members go in reverse order of declaration: the pages, then the tab control.
CHalvernDlg::~CHalvernDlg() = default;

void CHalvernDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_TAB, m_tab); }

RECT CHalvernDlg::TabPageRect(const RECT& rc) { return RECT{rc.left + 4, rc.top + 24, rc.right - 4, rc.bottom - 4}; }

CDialog* CHalvernDlg::Page(int index) {
  CDialog* pages[kPageCount] = {&m_page0, &m_page1, &m_page2, &m_page3, &m_page4};
  return pages[index];
}

BOOL CHalvernDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  CMenu sysMenu = GetSystemMenu(FALSE);
  if (sysMenu.GetSafeHmenu() != nullptr) {
    CString about;
    about.LoadString(IDS_ABOUTBOX);
    if (!about.IsEmpty()) {
      sysMenu.AppendMenu(MF_SEPARATOR);
      sysMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  BindNativeApi();
  EnableDebugPrivilege();

  for (int i = 0; i < kPageCount; ++i) {
    m_tab.InsertItem(i, kTabs[i].label);
    Page(i)->Create(kTabs[i].dialogId, &m_tab);
  }

  RECT rc{};
  m_tab.GetClientRect(&rc);
  const RECT pageRect = TabPageRect(rc);
  for (int i = 0; i < kPageCount; ++i) Page(i)->MoveWindow(&pageRect, TRUE);

  m_page2.ShowWindow(SW_SHOW);
  m_tab.SetCurSel(kStartTab);
  return TRUE;
}

void CHalvernDlg::OnSysCommand(UINT nID, LPARAM) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    Default();
  }
}

void CHalvernDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  const int cxIcon = GetSystemMetrics(SM_CXICON);
  const int cyIcon = GetSystemMetrics(SM_CYICON);
  RECT rect{};
  GetClientRect(&rect);
  const int x = (rect.right - rect.left - cxIcon + 1) / 2;
  const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CHalvernDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CHalvernDlg::OnTcnSelchangeTab(NMHDR*, LRESULT* pResult) {
  const int selected = m_tab.GetCurSel();
  if (selected >= 0 && selected < kPageCount) {
    for (int i = 0; i < kPageCount; ++i) Page(i)->ShowWindow(i == selected ? SW_SHOW : SW_HIDE);
  }
  *pResult = 0;
}

void CHalvernDlg::OnSize(UINT, int cx, int cy) {
  Default();
  if (m_tab.GetSafeHwnd() == nullptr) return;
  RECT r{};
  m_tab.GetClientRect(&r);
  m_tab.MoveWindow(r.left, r.top, cx - r.left, cy - r.top, TRUE);
  for (int i = 0; i < kPageCount; ++i)
    Page(i)->MoveWindow(r.left + 4, r.top + 24, (cx - 4) - (r.left + 4), (cy - 4) - (r.top + 24), TRUE);
}

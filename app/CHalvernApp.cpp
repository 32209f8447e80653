#include "app/CHalvernApp.h"

#include <commctrl.h>

#include "app/CHalvernDlg.h"

BEGIN_MESSAGE_MAP(CHalvernApp, CWinAppEx)
  ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CHalvernApp::CHalvernApp() : CWinAppEx(TRUE) {}

BOOL CHalvernApp::InitInstance() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&icc);

  CWinAppEx::InitInstance();
  // Only names the key; nothing is ever stored under it.
  SetRegistryKey(L"应用程序向导生成的本地应用程序");

  {
    CHalvernDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
  }
  // FALSE: no message pump of our own; the program ends here.
  return FALSE;
}

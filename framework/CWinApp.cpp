// CWinApp / CWinAppEx and the current-application pointer.
#include "framework/CWinApp.h"

#include "framework/Module.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinAppEx, CWinApp)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

namespace {

CWinApp* g_pCurrentApp = nullptr;

}  // namespace

CWinApp* GetCurrentApp() { return g_pCurrentApp; }

CWinApp::CWinApp(LPCWSTR lpszAppName) : m_appName(lpszAppName) { g_pCurrentApp = this; }

CWinApp::~CWinApp() {
  if (g_pCurrentApp == this) g_pCurrentApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(LPCWSTR lpszRegistryKey) { m_registryKey = lpszRegistryKey; }

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconW(GetResourceModule(), MAKEINTRESOURCEW(nIDResource));
}

void CWinApp::OnHelp() {}

CWinAppEx::CWinAppEx(BOOL bResourceSmartUpdate) : m_bResourceSmartUpdate(bResourceSmartUpdate) {}

BOOL CWinAppEx::InitInstance() { return CWinApp::InitInstance(); }

// CWinApp / CWinAppEx: the one application object. The program entry
// (wWinMain, in this library) calls its InitInstance; when that returns FALSE
// it calls ExitInstance and the program ends with its result. There is no
// message pump of the library's own: a dialog application runs its main
// dialog modally inside InitInstance.
#pragma once

#include "framework/CWnd.h"

// The library's help command id.
#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

class CWinApp : public CCmdTarget {
  DECLARE_DYNAMIC(CWinApp)

 public:
  // Becomes the current application (GetCurrentApp) until destroyed.
  explicit CWinApp(LPCWSTR lpszAppName = nullptr);
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();  // the base does nothing and returns TRUE
  virtual int ExitInstance();   // the base has nothing to save and returns 0

  // Only remembers the name; nothing is read from or written to the registry.
  void SetRegistryKey(LPCWSTR lpszRegistryKey);
  LPCWSTR GetRegistryKey() const { return m_registryKey; }
  // An icon of the program's resources (shared; never destroyed).
  HICON LoadIcon(UINT nIDResource) const;
  // The help command: there is no help file, so it does nothing.
  void OnHelp();

  CWnd* m_pMainWnd = nullptr;  // cleared when that window is destroyed

  DECLARE_MESSAGE_MAP()

 private:
  CString m_appName;
  CString m_registryKey;
};

class CWinAppEx : public CWinApp {
  DECLARE_DYNAMIC(CWinAppEx)

 public:
  explicit CWinAppEx(BOOL bResourceSmartUpdate = FALSE);
  BOOL InitInstance() override;  // the base's

  BOOL m_bResourceSmartUpdate;
};

// The application object constructed last and not yet destroyed, or null.
CWinApp* GetCurrentApp();

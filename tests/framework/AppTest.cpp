// The application object, the program entry, and run-time class records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Framework.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int);

namespace {

class CEntryApp : public CWinAppEx {
 public:
  CEntryApp() : CWinAppEx(TRUE) {}
  std::vector<std::string> m_calls;
  BOOL m_initResult = FALSE;

  BOOL InitInstance() override {
    m_calls.push_back("init");
    CWinAppEx::InitInstance();
    SetRegistryKey(m_keyName.c_str());
    return m_initResult;
  }
  int ExitInstance() override {
    m_calls.push_back("exit");
    return 3;
  }

  std::wstring m_keyName = L"FrameworkTestKey" + std::to_wstring(::GetCurrentProcessId());

  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEntryApp, CWinAppEx)
  ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

bool KeyExists(const std::wstring& name) {
  HKEY key = nullptr;
  const std::wstring path = L"Software\\" + name;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

TEST(WinApp, EntryRunsInitInstanceThenExitInstance) {
  CEntryApp app;
  ASSERT_EQ(GetCurrentApp(), &app);
  EXPECT_EQ(app.m_bResourceSmartUpdate, TRUE);
  EXPECT_EQ(wWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L"ignored args"), SW_SHOW), 3);
  EXPECT_EQ(app.m_calls, (std::vector<std::string>{"init", "exit"}));
}

TEST(WinApp, RegistryKeyIsOnlyANameAndHelpDoesNothing) {
  CEntryApp app;
  app.m_initResult = FALSE;
  wWinMain(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW);
  EXPECT_EQ(std::wstring(app.GetRegistryKey()), app.m_keyName);
  EXPECT_FALSE(KeyExists(app.m_keyName));

  LRESULT result = -1;
  EXPECT_TRUE(app.DispatchToMessageMap(WM_COMMAND, ID_HELP, 0, &result));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(app.DispatchToMessageMap(WM_COMMAND, ID_HELP + 1, 0, &result));
}

TEST(WinApp, CurrentApplicationFollowsTheObject) {
  EXPECT_EQ(GetCurrentApp(), nullptr);
  {
    CWinApp app(L"name");
    EXPECT_EQ(GetCurrentApp(), &app);
    EXPECT_EQ(app.LoadIcon(9999), nullptr);  // the tests have no icons
  }
  EXPECT_EQ(GetCurrentApp(), nullptr);
  EXPECT_EQ(wWinMain(nullptr, nullptr, nullptr, 0), 1);  // no application object
}

class CDynamicPage : public CPropertyPage {
  DECLARE_DYNAMIC(CDynamicPage)

 public:
  CDynamicPage() : CPropertyPage(1, 0, 104) {}
};

IMPLEMENT_DYNAMIC(CDynamicPage, CPropertyPage)

TEST(RuntimeClass, NamesTheClassAndItsBases) {
  CDynamicPage page;
  const CRuntimeClass* cls = page.GetRuntimeClass();
  std::vector<std::string> chain;
  for (; cls != nullptr; cls = cls->m_pBaseClass) chain.push_back(cls->m_lpszClassName);
  EXPECT_EQ(chain,
            (std::vector<std::string>{"CDynamicPage", "CPropertyPage", "CDialog", "CWnd", "CCmdTarget", "CObject"}));
  EXPECT_TRUE(page.IsKindOf(RUNTIME_CLASS(CDialog)));
  EXPECT_TRUE(page.IsKindOf(RUNTIME_CLASS(CDynamicPage)));
  EXPECT_FALSE(page.IsKindOf(RUNTIME_CLASS(CWinApp)));
  const CObject& asObject = page;
  EXPECT_EQ(asObject.GetRuntimeClass(), RUNTIME_CLASS(CDynamicPage));
  EXPECT_EQ(page.GetTemplateId(), 1u);
}

}  // namespace

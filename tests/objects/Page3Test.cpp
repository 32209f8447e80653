// The object browser in-process under Wine: the tree against the test's own
// walk of the namespace, objects the test creates, the statistics columns,
// the double-click, the layout, the depth bound and no leaks.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/objects/CPage3.h"

namespace {

template <typename Fn>
Fn Ntdll(const char* name) {
  return ProcAddressAs<Fn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name));
}

struct Attributes {  // names `name` below `root`, case-insensitively
  Attributes(HANDLE root, const std::wstring& name) : text(name) {
    string = {USHORT(text.size() * 2), USHORT(text.size() * 2), &text[0]};
    value.Length = sizeof(value);
    value.RootDirectory = root;
    value.ObjectName = &string;
    value.Attributes = 0x40;
  }
  std::wstring text;
  UNICODE_STRING string;
  OBJECT_ATTRIBUTES value{};
};

// \BaseNamedObjects\HalvernObjects<pid>: a subdirectory, a second
// "ObjectTypes" and a link. It goes with its handles.
struct TestNamespace {
  TestNamespace() {
    using Directory = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
    HANDLE dir = Make(Ntdll<Directory>("NtCreateDirectoryObject"), nullptr, path);
    for (const wchar_t* name : {L"Sub", L"ObjectTypes"}) Make(Ntdll<Directory>("NtCreateDirectoryObject"), dir, name);
    Attributes target(nullptr, L"\\Device\\Null");
    Make(Ntdll<NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PUNICODE_STRING)>(
             "NtCreateSymbolicLinkObject"),
         dir, L"Ln", &target.string);
  }
  ~TestNamespace() {
    for (HANDLE handle : handles) CloseHandle(handle);
  }
  template <typename Fn, typename... Rest>
  HANDLE Make(Fn create, HANDLE root, const std::wstring& name, Rest... rest) {
    Attributes attributes(root, name);
    HANDLE handle = nullptr;
    EXPECT_EQ(create(&handle, MAXIMUM_ALLOWED, &attributes.value, rest...), 0) << name;
    handles.push_back(handle);
    return handle;
  }
  const std::wstring path = L"\\BaseNamedObjects\\HalvernObjects" + std::to_wstring(GetCurrentProcessId());
  std::vector<HANDLE> handles;
};

std::wstring Child(const std::wstring& path, const std::wstring& name) {
  return (path == L"\\" ? path : path + L"\\") + name;
}

// The test's own walk: every directory below `path`, one entry at a time.
void WalkDirectories(const std::wstring& path, std::set<std::wstring>* found, size_t* entries = nullptr) {
  Attributes attributes(nullptr, path);
  HANDLE dir = nullptr;
  if (Ntdll<PFN_NtOpenDirectoryObject>("NtOpenDirectoryObject")(&dir, 1, &attributes.value) != 0) return;
  UNICODE_STRING answer[512] = {};
  std::vector<std::wstring> children;
  const auto query = Ntdll<PFN_NtQueryDirectoryObject>("NtQueryDirectoryObject");
  for (ULONG context = 0; query(dir, answer, sizeof(answer), TRUE, FALSE, &context, nullptr) == 0;) {
    if (entries) ++*entries;
    if (std::wstring(answer[1].Buffer, answer[1].Length / 2) == L"Directory")
      children.push_back(Child(path, std::wstring(answer[0].Buffer, answer[0].Length / 2)));
  }
  CloseHandle(dir);
  for (const std::wstring& child : children) {
    found->insert(child);
    WalkDirectories(child, found);
  }
}

class Page3Test : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_PAGE3, &host));
    host.Detach();
    m_page.MoveWindow(0, 0, m_host->ClientWidth(), m_host->ClientHeight(), TRUE);
  }
  void TearDown() override {
    m_page.DestroyWindow();
    GuiFixture::TearDown();
  }
  // Every tree item below `item` by its full path, `item` too.
  std::map<std::wstring, HTREEITEM> Items(HTREEITEM item = nullptr, const std::wstring& path = L"\\") {
    std::map<std::wstring, HTREEITEM> items{{path, item ? item : m_page.m_tree.GetRootItem()}};
    for (HTREEITEM child = m_page.m_tree.GetChildItem(items[path]); child;
         child = m_page.m_tree.GetNextSiblingItem(child))
      items.merge(Items(child, Child(path, m_page.m_tree.GetItemText(child).GetString())));
    return items;
  }
  // Each row as "name|type|image|column 2|...".
  std::set<std::wstring> Rows() {
    std::set<std::wstring> rows;
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
      LVITEMW item{};
      item.mask = LVIF_IMAGE;
      item.iItem = row;
      m_page.m_list.GetItem(&item);
      std::wstring text = m_page.m_list.GetItemText(row, 0).GetString();
      for (int column = 1; column < m_page.m_list.GetHeaderCtrl().GetItemCount(); ++column)
        text += L"|" + (column == 2 ? std::to_wstring(item.iImage) + L"|" : L"") +
                m_page.m_list.GetItemText(row, column).GetString();
      rows.insert(text);
    }
    return rows;
  }
  void DoubleClick(const wchar_t* name) {
    NMITEMACTIVATE activate{};
    activate.hdr = {m_page.m_list.GetSafeHwnd(), IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
    activate.iItem = -1;
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row)
      if (m_page.m_list.GetItemText(row, 0) == name) activate.iItem = row;
    m_page.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&activate));
  }
  CPage3 m_page;
};

TEST_F(Page3Test, FirstShowingBuildsTheTreeOfTheNamespace) {
  TestNamespace created;
  m_page.ShowWindow(SW_SHOW);
  const HTREEITEM root = m_page.m_tree.GetRootItem();
  EXPECT_EQ(m_page.m_tree.GetSelectedItem(), root);
  EXPECT_TRUE(m_page.m_tree.SendMessage(TVM_GETITEMSTATE, (WPARAM)root, TVIS_EXPANDED) & TVIS_EXPANDED);
  std::set<std::wstring> walked{L"\\"}, built;
  size_t rootEntries = 0;
  WalkDirectories(L"\\", &walked, &rootEntries);
  for (const auto& item : Items()) built.insert(item.first);
  EXPECT_EQ(built, walked);
  EXPECT_EQ(built.count(created.path + L"\\Sub"), 1u);
  EXPECT_EQ(static_cast<size_t>(m_page.m_list.GetItemCount()), rootEntries);
  EXPECT_EQ(Rows().count(L"DosDevices|SymbolicLink|11|\\??"), 1u);

  m_page.ShowWindow(SW_HIDE);  // later showings change nothing
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_tree.GetCount(), built.size());
}

TEST_F(Page3Test, CreatedObjectsAndTheDoubleClick) {
  TestNamespace created;
  m_page.ShowWindow(SW_SHOW);
  auto items = Items();
  m_page.m_tree.SelectItem(items[created.path]);
  const std::set<std::wstring> expected = {L"Ln|SymbolicLink|11|\\Device\\Null", L"Sub|Directory|0|",
                                           L"ObjectTypes|Directory|0|"};
  EXPECT_EQ(Rows(), expected);
  for (const wchar_t* name : {L"Ln", L"none"}) {  // neither a directory row nor a row
    DoubleClick(name);
    EXPECT_EQ(m_page.m_tree.GetSelectedItem(), items[created.path]);
  }
  DoubleClick(L"Sub");  // an empty directory after a full one
  EXPECT_EQ(m_page.m_tree.GetSelectedItem(), items[created.path + L"\\Sub"]);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);

  ScopedSlotOverride denied(g_NativeApi.NtOpenDirectoryObject,
                            [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES) { return kStatusAccessDenied; });
  m_page.m_tree.SelectItem(items[created.path]);  // unreadable now
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
}

TEST_F(Page3Test, ObjectTypesShowStatisticsUntilAnotherItemIsSelected) {
  TestNamespace created;
  m_page.ShowWindow(SW_SHOW);
  auto items = Items();
  const std::wregex typeRow(L"\\w+\\|Type\\|14\\|\\d+/\\d+\\|\\d+/\\d+\\|0x[0-9A-F]+\\|(Yes|No)\\|N?Paged");
  for (const std::wstring& path : {std::wstring(L"\\ObjectTypes"), created.path + L"\\ObjectTypes"}) {
    m_page.m_tree.SelectItem(items[path]);
    EXPECT_EQ(m_page.m_list.GetHeaderCtrl().GetItemCount(), 7);
  }
  m_page.m_tree.SelectItem(items[L"\\ObjectTypes"]);
  const std::set<std::wstring> rows = Rows();
  EXPECT_FALSE(rows.empty());
  for (const std::wstring& row : rows) EXPECT_TRUE(std::regex_match(row, typeRow)) << row.c_str();
  m_page.m_tree.SelectItem(items[L"\\"]);
  EXPECT_EQ(m_page.m_list.GetHeaderCtrl().GetItemCount(), 3);
  EXPECT_EQ(m_page.m_pObjectTypes, nullptr);
}

TEST_F(Page3Test, LayoutSplitsTheWidth) {
  std::wstring rects;
  for (int cx : {900, 306}) {
    m_page.SendMessage(WM_SIZE, 0, MAKELPARAM(cx, 600));
    for (HWND control : {m_page.m_tree.GetSafeHwnd(), m_page.m_list.GetSafeHwnd()}) {
      RECT rc{};
      GetWindowRect(control, &rc);
      MapWindowPoints(nullptr, m_page.GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
      for (LONG edge : {rc.left, rc.top, rc.right, rc.bottom}) rects += std::to_wstring(edge) + L" ";
    }
  }
  EXPECT_EQ(rects, L"0 0 198 600 202 0 900 600 0 0 0 600 4 0 306 600 ");
}

TEST_F(Page3Test, TheTreeStopsAtItsDepthBound) {
  // Every directory holds one subdirectory, however deep.
  ScopedSlotOverride query(g_NativeApi.NtQueryDirectoryObject,
                           [](HANDLE, PVOID answer, ULONG, BOOLEAN, BOOLEAN, PULONG, PULONG) {
                             auto* records = static_cast<UNICODE_STRING*>(answer);
                             wchar_t* text = std::wcscpy(reinterpret_cast<wchar_t*>(records + 3), L"d");
                             records[0] = {2, 4, text};
                             records[1] = {18, 20, std::wcscpy(text + 2, L"Directory")};
                             return kStatusSuccess;
                           });
  ScopedSlotOverride open(g_NativeApi.NtOpenDirectoryObject, [](PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES) {
    *handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // real, so that it closes
    return kStatusSuccess;
  });
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_tree.GetCount(), static_cast<UINT>(CPage3::kMaxTreeDepth) + 1);
}

TEST_F(Page3Test, SelectingAndShowingAHundredTimesLeaksNothing) {
  m_page.ShowWindow(SW_SHOW);
  auto items = Items();
  auto cycle = [&] {
    for (const wchar_t* path : {L"\\ObjectTypes", L"\\BaseNamedObjects", L"\\"}) m_page.m_tree.SelectItem(items[path]);
    m_page.ShowWindow(SW_HIDE);
    m_page.ShowWindow(SW_SHOW);
  };
  cycle();
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) cycle();
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace

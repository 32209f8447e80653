// The object browser in-process under Wine: the tree against the test's own
// walk of the namespace, objects the test creates, the statistics layout, the
// double-click, the layout, the depth bound and show/hide without leaks.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <map>
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

struct Attributes {
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

using NtCreateDirectoryFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using NtCreateEventFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, ULONG, BOOLEAN);
using NtCreateMutantFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, BOOLEAN);
using NtCreateLinkFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PUNICODE_STRING);

// \BaseNamedObjects\HalvernObjects<pid>: a subdirectory, a second
// "ObjectTypes", an event, a mutant and a link. It goes with its handles.
struct TestNamespace {
  TestNamespace() {
    HANDLE dir = Make(Ntdll<NtCreateDirectoryFn>("NtCreateDirectoryObject"), nullptr, path);
    for (const wchar_t* name : {L"Sub", L"ObjectTypes"})
      Make(Ntdll<NtCreateDirectoryFn>("NtCreateDirectoryObject"), dir, name);
    Make(Ntdll<NtCreateEventFn>("NtCreateEvent"), dir, L"Ev", 0, FALSE);
    Make(Ntdll<NtCreateMutantFn>("NtCreateMutant"), dir, L"Mu", FALSE);
    Attributes target(nullptr, L"\\Device\\Null");
    Make(Ntdll<NtCreateLinkFn>("NtCreateSymbolicLinkObject"), dir, L"Ln", &target.string);
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

  // Every item below `item`, by its full path.
  void Collect(HTREEITEM item, const std::wstring& path, std::map<std::wstring, HTREEITEM>* out) {
    for (HTREEITEM child = m_page.m_tree.GetChildItem(item); child; child = m_page.m_tree.GetNextSiblingItem(child)) {
      (*out)[Child(path, m_page.m_tree.GetItemText(child).GetString())] = child;
      Collect(child, Child(path, m_page.m_tree.GetItemText(child).GetString()), out);
    }
  }
  std::map<std::wstring, HTREEITEM> Items() {
    std::map<std::wstring, HTREEITEM> items{{L"\\", m_page.m_tree.GetRootItem()}};
    Collect(items[L"\\"], L"\\", &items);
    return items;
  }
  // Each row as "name|type|image|column 2".
  std::set<std::wstring> Rows() {
    std::set<std::wstring> rows;
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
      LVITEMW item{};
      item.mask = LVIF_IMAGE;
      item.iItem = row;
      m_page.m_list.GetItem(&item);
      rows.insert(std::wstring(Cell(row, 0)) + L"|" + Cell(row, 1).GetString() + L"|" + std::to_wstring(item.iImage) +
                  L"|" + Cell(row, 2).GetString());
    }
    return rows;
  }
  std::vector<int> Widths() {
    std::vector<int> widths;
    for (int i = 0; i < m_page.m_list.GetHeaderCtrl().GetItemCount(); ++i)
      widths.push_back(m_page.m_list.GetColumnWidth(i));
    return widths;
  }
  void DoubleClick(int row) {
    NMITEMACTIVATE activate{};
    activate.hdr = {m_page.m_list.GetSafeHwnd(), IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
    activate.iItem = row;
    m_page.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&activate));
  }
  int FindRow(const wchar_t* name) {
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row)
      if (Cell(row, 0) == name) return row;
    return -1;
  }
  CString Cell(int row, int column) { return m_page.m_list.GetItemText(row, column); }

  CPage3 m_page;
};

const std::vector<int> kNormal = {320, 100, 260}, kStatistics = {160, 50, 110, 110, 100, 100, 60};

TEST_F(Page3Test, FirstShowingBuildsTheTreeOfTheNamespace) {
  TestNamespace created;
  m_page.ShowWindow(SW_SHOW);
  const HTREEITEM root = m_page.m_tree.GetRootItem();
  EXPECT_EQ(m_page.m_tree.GetItemText(root), CString(L"\\"));
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
  EXPECT_EQ(Widths(), kNormal);

  m_page.ShowWindow(SW_HIDE);  // later showings change nothing
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_tree.GetCount(), built.size());
  EXPECT_EQ(m_page.m_tree.GetSelectedItem(), root);
}

TEST_F(Page3Test, CreatedObjectsAndTheDoubleClick) {
  TestNamespace created;
  m_page.ShowWindow(SW_SHOW);
  auto items = Items();
  m_page.m_tree.SelectItem(items[created.path]);
  const std::set<std::wstring> expected = {L"Ev|Event|4|", L"Mu|Mutant|6|", L"Ln|SymbolicLink|11|\\Device\\Null",
                                           L"Sub|Directory|0|", L"ObjectTypes|Directory|0|"};
  EXPECT_EQ(Rows(), expected);

  for (int row : {FindRow(L"Ev"), -1}) {  // neither a directory row nor a row
    DoubleClick(row);
    EXPECT_EQ(m_page.m_tree.GetSelectedItem(), items[created.path]);
    EXPECT_EQ(Rows(), expected);
  }
  DoubleClick(FindRow(L"Sub"));  // an empty directory after a full one
  EXPECT_EQ(m_page.m_tree.GetSelectedItem(), items[created.path + L"\\Sub"]);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);

  ScopedSlotOverride denied(g_NativeApi.NtOpenDirectoryObject,
                            [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES) { return kStatusAccessDenied; });
  m_page.m_tree.SelectItem(items[created.path]);  // unreadable now
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
}

TEST_F(Page3Test, ObjectTypesShowsStatisticsUntilAnotherItemIsSelected) {
  TestNamespace created;
  m_page.ShowWindow(SW_SHOW);
  auto items = Items();
  m_page.m_tree.SelectItem(items[L"\\ObjectTypes"]);
  EXPECT_EQ(Widths(), kStatistics);
  EXPECT_EQ(m_page.m_list.GetHeaderCtrl().GetItemCount(), 7);
  const NativeBuffer table = m_page.m_pObjectTypes;
  ASSERT_NE(table, nullptr);
  ASSERT_GE(m_page.m_list.GetItemCount(), 1);
  for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
    int n[4] = {};
    unsigned attributes = 0;
    EXPECT_EQ(swscanf(Cell(row, 2), L"%d/%d", &n[0], &n[1]) + swscanf(Cell(row, 3), L"%d/%d", &n[2], &n[3]) +
                  swscanf(Cell(row, 4), L"0x%X", &attributes),
              5)
        << row;
    EXPECT_TRUE(Cell(row, 5) == L"Yes" || Cell(row, 5) == L"No");
    EXPECT_TRUE(Cell(row, 6) == L"Paged" || Cell(row, 6) == L"NPaged");
  }
  m_page.m_tree.SelectItem(items[created.path + L"\\ObjectTypes"]);  // a second one keeps both
  EXPECT_EQ(Widths(), kStatistics);
  EXPECT_EQ(m_page.m_pObjectTypes, table);

  m_page.m_tree.SelectItem(items[L"\\"]);
  EXPECT_EQ(Widths(), kNormal);
  EXPECT_EQ(m_page.m_pObjectTypes, nullptr);
  m_page.m_tree.SelectItem(items[L"\\ObjectTypes"]);  // a fresh table
  EXPECT_NE(m_page.m_pObjectTypes, nullptr);
}

TEST_F(Page3Test, LayoutSplitsTheWidth) {
  const struct {
    int cx;
    RECT tree, list;
  } cases[] = {{900, {0, 0, 198, 600}, {202, 0, 900, 600}}, {306, {0, 0, 0, 600}, {4, 0, 306, 600}}};
  for (const auto& c : cases) {
    m_page.SendMessage(WM_SIZE, 0, MAKELPARAM(c.cx, 600));
    for (const auto& [control, expected] : {std::pair{m_page.m_tree.GetSafeHwnd(), c.tree}, {m_page.m_list, c.list}}) {
      RECT rc{};
      GetWindowRect(control, &rc);
      MapWindowPoints(nullptr, m_page.GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
      EXPECT_TRUE(EqualRect(&rc, &expected)) << c.cx << ": " << rc.left << "," << rc.right;
    }
  }
}

// Every directory holds one subdirectory, however deep.
NTSTATUS NTAPI EndlessQuery(HANDLE, PVOID answer, ULONG, BOOLEAN, BOOLEAN, PULONG, PULONG) {
  auto* records = static_cast<UNICODE_STRING*>(answer);
  wchar_t* text = std::wcscpy(reinterpret_cast<wchar_t*>(records + 3), L"d\0Directory");
  records[0] = {2, 4, text};
  records[1] = {18, 20, std::wcscpy(text + 2, L"Directory")};
  return kStatusSuccess;
}

TEST_F(Page3Test, TheTreeStopsAtItsDepthBound) {
  ScopedSlotOverride query(g_NativeApi.NtQueryDirectoryObject, &EndlessQuery);
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

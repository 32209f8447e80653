// The object readers with fake answers, then the page under Wine against the
// test's own walk of the namespace and objects the test creates.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "readers/ObjectDirectory.h"
#include "readers/ObjectTypeTable.h"
#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/objects/CPage3.h"

namespace {

enum class Where { kText, kOdd, kOutside };  // where a name's Buffer points
const wchar_t kOutside[] = L"outside";

void PutString(BYTE* at, const std::wstring& text, BYTE*& textArea, Where where = Where::kText) {
  const USHORT length = static_cast<USHORT>(text.size() * 2);
  BYTE* buffer = where == Where::kText ? textArea : where == Where::kOdd ? textArea + 1 : (BYTE*)kOutside;
  UNICODE_STRING string{length, static_cast<USHORT>(length + 2), reinterpret_cast<PWSTR>(buffer)};
  std::memcpy(at, &string, sizeof(string));
  std::memcpy(textArea, text.c_str(), length + 2);
  textArea += length + 2;
}

struct FakeEntry {
  std::wstring name, type;
  Where where = Where::kText;
};
std::vector<FakeEntry> g_entries;
NTSTATUS g_manyStatus;  // the many-entry query's answer when it fails

// Entries [first, last) as one answer: the records, an end record, the texts.
NTSTATUS NTAPI FakeQuery(HANDLE, PVOID answer, ULONG size, BOOLEAN single, BOOLEAN restart, PULONG context, PULONG) {
  if (size != kDirectoryAnswerSize || restart) return kStatusInvalidParameter;
  if (!single && !NtSuccess(g_manyStatus)) return g_manyStatus;
  if (single && *context >= g_entries.size()) return kStatusNoMoreEntries;
  const size_t first = single ? (*context)++ : 0, last = single ? first + 1 : g_entries.size();
  BYTE* base = static_cast<BYTE*>(answer);
  std::memset(base, 0, kDirectoryAnswerSize);
  BYTE* text = base + (last - first + 1) * kDirectoryRecordSize;
  for (size_t i = first; i < last; ++i) {
    PutString(base + (i - first) * kDirectoryRecordSize, g_entries[i].name, text, g_entries[i].where);
    PutString(base + (i - first) * kDirectoryRecordSize + 16, g_entries[i].type, text);
  }
  return kStatusSuccess;
}

NTSTATUS NTAPI OpenAnything(PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES) {
  *handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // real, so that it closes
  return kStatusSuccess;
}

size_t g_targetChars;  // the link target's length

TEST(ObjectDirectoryTest, ManyEntriesOrOneAtATimeAndLinkTargets) {
  EnsureNativeApiBound();
  ScopedSlotOverride open(g_NativeApi.NtOpenDirectoryObject, &OpenAnything);
  ScopedSlotOverride openLink(g_NativeApi.NtOpenSymbolicLinkObject, &OpenAnything);
  ScopedSlotOverride query(g_NativeApi.NtQueryDirectoryObject, &FakeQuery);
  ScopedSlotOverride linkQuery(g_NativeApi.NtQuerySymbolicLinkObject, [](HANDLE, PUNICODE_STRING target, PULONG) {
    if (g_targetChars * 2 > target->MaximumLength) return kStatusBufferTooSmall;  // as the system answers
    std::wmemset(target->Buffer, L'x', g_targetChars);
    target->Length = static_cast<USHORT>(g_targetChars * 2);
    return kStatusSuccess;
  });
  const std::vector<FakeEntry> odd = {
      {L"b", L"Event"}, {L"x", L"Key", Where::kOutside}, {L"y", L"Key", Where::kOdd}, {L"c", L"Key"}};
  const std::vector<FakeEntry> many(300, {std::wstring(150, L'n'), L"Event"});
  const size_t fit = (kDirectoryAnswerSize - 32) / (32 + 302 + 12);  // until the next will not fit
  const struct {
    NTSTATUS manyStatus;
    const std::vector<FakeEntry>& entries;
    size_t count;
  } cases[] = {{kStatusSuccess, odd, 2},
               {kStatusNotImplemented, odd, 2},
               {kStatusAccessDenied, odd, 0},  // only "not implemented" reads one at a time
               {kStatusNotImplemented, many, fit}};
  for (const auto& c : cases) {
    g_manyStatus = c.manyStatus;
    g_entries = c.entries;
    ObjectDirectory directory;
    directory.Read(L"\\Fake");
    std::wstring names;
    size_t count = 0;
    for (ObjectDirectoryEntry entry; directory.Next(&entry); ++count)
      names += entry.name + L"/" + entry.typeName + L" ";
    EXPECT_EQ(count, c.count) << std::hex << c.manyStatus;
    EXPECT_EQ(names, c.count == 2 ? L"b/Event c/Key " : names);
  }
  ObjectDirectory directory;
  directory.Read(L"\\Fake");
  for (size_t chars : {511, 512}) {
    g_targetChars = chars;
    CString target;
    EXPECT_EQ(directory.ReadLinkTarget(L"Link", &target), chars == 511);
    EXPECT_EQ(target.GetLength(), chars == 511 ? 511 : 0);
  }
}

TEST(ObjectTypeTableTest, WalksOnlyWhatLiesInsideTheTable) {
  // Five records claimed, three present; the second's name points outside.
  std::vector<uint64_t> table(3 * (kObjectTypeRecordSize + 16) / 8 + 1);
  BYTE* base = reinterpret_cast<BYTE*>(table.data());
  base[0] = 5;
  size_t at = 8;
  for (const auto& [name, where] : {std::pair{L"Event", Where::kText}, {L"Lost", Where::kOutside}, {L"Key", {}}}) {
    BYTE* text = base + at + kObjectTypeRecordSize;
    PutString(base + at, name, text, where);
    at += kObjectTypeRecordSize + 16;
  }
  std::wstring names;
  ObjectTypeWalker walker(ByteSpan(table.data(), at));
  for (ObjectTypeRecord record; walker.Next(&record);) names += std::wstring(record.name) + L" ";
  EXPECT_EQ(names, L"Event Key ");
}

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

// \BaseNamedObjects\HalvernObjects<pid> with a subdirectory and a link; it goes with its handles.
struct TestNamespace {
  TestNamespace() {
    const auto directory = Ntdll<NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES)>("NtCreateDirectoryObject");
    const auto link = Ntdll<NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PUNICODE_STRING)>(
        "NtCreateSymbolicLinkObject");
    Attributes dir(nullptr, path), sub(nullptr, path + L"\\Sub"), ln(nullptr, path + L"\\Ln");
    Attributes target(nullptr, L"\\Device\\Null");
    EXPECT_EQ(directory(&handles[0], MAXIMUM_ALLOWED, &dir.value), 0);
    EXPECT_EQ(directory(&handles[1], MAXIMUM_ALLOWED, &sub.value), 0);
    EXPECT_EQ(link(&handles[2], MAXIMUM_ALLOWED, &ln.value, &target.string), 0);
  }
  ~TestNamespace() {
    for (HANDLE handle : handles) CloseHandle(handle);
  }
  const std::wstring path = L"\\BaseNamedObjects\\HalvernObjects" + std::to_wstring(GetCurrentProcessId());
  HANDLE handles[3] = {};
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
  // Each row as "column 0|column 1|...|image".
  std::set<std::wstring> Rows() {
    std::set<std::wstring> rows;
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
      std::wstring text;
      for (int column = 0; column < m_page.m_list.GetHeaderCtrl().GetItemCount(); ++column)
        text += m_page.m_list.GetItemText(row, column).GetString() + std::wstring(L"|");
      LVITEMW item{};
      item.mask = LVIF_IMAGE;
      item.iItem = row;
      m_page.m_list.GetItem(&item);
      rows.insert(text + std::to_wstring(item.iImage));
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

TEST_F(Page3Test, TheRealNamespaceWhatTheTestCreatesInItAndNoLeaks) {
  TestNamespace created;
  m_page.ShowWindow(SW_SHOW);
  const HTREEITEM root = m_page.m_tree.GetRootItem();
  EXPECT_EQ(m_page.m_tree.GetSelectedItem(), root);
  EXPECT_TRUE(m_page.m_tree.SendMessage(TVM_GETITEMSTATE, (WPARAM)root, TVIS_EXPANDED) & TVIS_EXPANDED);
  std::set<std::wstring> walked{L"\\"}, built;
  size_t rootEntries = 0;
  WalkDirectories(L"\\", &walked, &rootEntries);
  auto items = Items();
  for (const auto& item : items) built.insert(item.first);
  EXPECT_EQ(built, walked);
  EXPECT_EQ(built.count(created.path + L"\\Sub"), 1u);
  EXPECT_EQ(static_cast<size_t>(m_page.m_list.GetItemCount()), rootEntries);

  m_page.m_tree.SelectItem(items[created.path]);
  EXPECT_EQ(Rows(), std::set<std::wstring>({L"Ln|SymbolicLink|\\Device\\Null|11", L"Sub|Directory||0"}));
  DoubleClick(L"Ln");  // not a directory
  EXPECT_EQ(m_page.m_tree.GetSelectedItem(), items[created.path]);
  DoubleClick(L"Sub");  // an empty directory after a full one
  EXPECT_EQ(m_page.m_tree.GetSelectedItem(), items[created.path + L"\\Sub"]);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);

  m_page.m_tree.SelectItem(items[L"\\ObjectTypes"]);
  EXPECT_EQ(m_page.m_list.GetHeaderCtrl().GetItemCount(), 7);
  const std::wregex typeRow(L"\\w+\\|Type\\|\\d+/\\d+\\|\\d+/\\d+\\|0x[0-9A-F]+\\|(Yes|No)\\|N?Paged\\|14");
  const std::set<std::wstring> rows = Rows();
  EXPECT_FALSE(rows.empty());
  for (const std::wstring& row : rows) EXPECT_TRUE(std::regex_match(row, typeRow)) << row.c_str();
  m_page.m_tree.SelectItem(items[L"\\"]);
  EXPECT_EQ(m_page.m_list.GetHeaderCtrl().GetItemCount(), 3);
  EXPECT_EQ(m_page.m_pObjectTypes, nullptr);

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

TEST_F(Page3Test, TheTreeStopsAtItsDepthBound) {
  g_manyStatus = kStatusSuccess;
  g_entries = {{L"d", L"Directory"}};  // every directory holds one more, however deep
  ScopedSlotOverride open(g_NativeApi.NtOpenDirectoryObject, &OpenAnything);
  ScopedSlotOverride query(g_NativeApi.NtQueryDirectoryObject, &FakeQuery);
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_tree.GetCount(), static_cast<UINT>(CPage3::kMaxTreeDepth) + 1);
}

}  // namespace

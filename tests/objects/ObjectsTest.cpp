// The object readers with fake answers, then the page under Wine with objects the test creates.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <regex>

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

constexpr size_t kOdd = 1, kOutside = 1 << 20;  // how far a name's Buffer is off its text

void PutString(BYTE* at, const std::wstring& text, BYTE*& textArea, size_t skew = 0) {
  const USHORT length = static_cast<USHORT>(text.size() * 2);
  UNICODE_STRING string{length, static_cast<USHORT>(length + 2), reinterpret_cast<PWSTR>(textArea + skew)};
  std::memcpy(at, &string, sizeof(string));
  std::memcpy(textArea, text.c_str(), length + 2);
  textArea += length + 2;
}

struct FakeEntry {
  std::wstring name, type;
  size_t skew = 0;
};
std::vector<FakeEntry> g_entries;
NTSTATUS g_manyStatus;  // the many-entry query's answer when it fails

// All entries as one answer, or one per call: the records, an end record, the texts.
NTSTATUS NTAPI FakeQuery(HANDLE, PVOID answer, ULONG size, BOOLEAN single, BOOLEAN restart, PULONG context, PULONG) {
  if (size != kDirectoryAnswerSize || restart) return kStatusInvalidParameter;
  if (!single && !NtSuccess(g_manyStatus)) return g_manyStatus;
  if (single && *context >= g_entries.size()) return kStatusNoMoreEntries;
  const size_t first = single ? (*context)++ : 0, last = single ? first + 1 : g_entries.size();
  BYTE* base = static_cast<BYTE*>(answer);
  std::memset(base, 0, kDirectoryAnswerSize);
  BYTE* text = base + (last - first + 1) * kDirectoryRecordSize;
  for (size_t i = first; i < last; ++i) {
    PutString(base + (i - first) * kDirectoryRecordSize, g_entries[i].name, text, g_entries[i].skew);
    PutString(base + (i - first) * kDirectoryRecordSize + 16, g_entries[i].type, text);
  }
  return kStatusSuccess;
}

NTSTATUS NTAPI OpenAnything(PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES) {
  *handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // real, so that it closes
  return kStatusSuccess;
}

TEST(ObjectReadersTest, DirectoryEntriesLinkTargetsAndTypeTableStayInBounds) {
  EnsureNativeApiBound();
  ScopedSlotOverride open(g_NativeApi.NtOpenDirectoryObject, &OpenAnything);
  ScopedSlotOverride openLink(g_NativeApi.NtOpenSymbolicLinkObject, &OpenAnything);
  ScopedSlotOverride query(g_NativeApi.NtQueryDirectoryObject, &FakeQuery);
  static size_t targetChars;  // claimed by the link query; at most the buffer is written
  ScopedSlotOverride linkQuery(g_NativeApi.NtQuerySymbolicLinkObject, [](HANDLE, PUNICODE_STRING target, PULONG) {
    std::wmemset(target->Buffer, L'x', std::min<size_t>(targetChars, target->MaximumLength / 2));
    target->Length = static_cast<USHORT>(targetChars * 2);
    return kStatusSuccess;
  });
  const std::vector<FakeEntry> odd = {{L"b", L"Event"}, {L"x", L"Key", kOutside}, {L"y", L"Key", kOdd}, {L"c", L"Key"}};
  const std::vector<FakeEntry> many(300, {std::wstring(105, L'n'), L"Event"});
  const size_t fit = (kDirectoryAnswerSize - 32) / (32 + 212 + 12);  // 256 bytes each, the end record takes 32
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
    CString target;
    targetChars = 511 + (&c - cases) % 2;  // one past the buffer's room is refused
    EXPECT_EQ(directory.ReadLinkTarget(L"Link", &target) ? target.GetLength() : 0, targetChars == 511 ? 511 : 0);
  }

  // Five type records claimed, three present; the second's name points outside.
  std::vector<uint64_t> table(3 * (kObjectTypeRecordSize + 16) / 8 + 1);
  BYTE* base = reinterpret_cast<BYTE*>(table.data());
  base[0] = 5;
  size_t at = 8;
  for (const auto& [name, skew] : {std::pair{L"Event", size_t(0)}, {L"Lost", kOutside}, {L"Key", 0}}) {
    BYTE* text = base + at + kObjectTypeRecordSize;
    PutString(base + at, name, text, skew);
    at += kObjectTypeRecordSize + 16;
  }
  std::wstring names;
  ObjectTypeWalker walker(ByteSpan(table.data(), at));
  for (ObjectTypeRecord record; walker.Next(&record);) names += std::wstring(record.name) + L" ";
  EXPECT_EQ(names, L"Event Key ");
}

// Creates `name` with an ntdll routine that takes a name and, for links, a target.
HANDLE Create(const char* routine, const std::wstring& name, UNICODE_STRING* target = nullptr) {
  UNICODE_STRING string{USHORT(name.size() * 2), USHORT(name.size() * 2), const_cast<PWSTR>(name.c_str())};
  OBJECT_ATTRIBUTES attributes{sizeof(attributes), 0, nullptr, &string, 0x40, 0, nullptr, nullptr};  // with the padding
  HANDLE handle = nullptr;
  ProcAddressAs<NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PUNICODE_STRING)>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), routine))(&handle, MAXIMUM_ALLOWED, &attributes, target);
  return handle;
}

// Every tree item below `item` by its full path, `item` too; each list row as "column 0|column 1|...|image".
std::map<std::wstring, HTREEITEM> Items(const CTreeCtrl& tree, HTREEITEM item, const std::wstring& path = L"") {
  std::map<std::wstring, HTREEITEM> items{{path.empty() ? L"\\" : path, item}};
  for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
    items.merge(Items(tree, child, path + L"\\" + tree.GetItemText(child).GetString()));
  return items;
}

std::set<std::wstring> Rows(CListCtrl& list) {
  std::set<std::wstring> rows;
  for (int row = 0; row < list.GetItemCount(); ++row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    list.GetItem(&item);
    std::wstring text;
    for (int column = 0; column < list.GetHeaderCtrl().GetItemCount(); ++column)
      text += list.GetItemText(row, column).GetString() + std::wstring(L"|");
    rows.insert(text + std::to_wstring(item.iImage));
  }
  return rows;
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
  CPage3 m_page;
};

TEST_F(Page3Test, ShowsWhatTheTestCreatesAndTypeStatisticsWithoutLeaks) {
  const std::wstring path = L"\\BaseNamedObjects\\HalvernObjects" + std::to_wstring(GetCurrentProcessId());
  UNICODE_STRING target{24, 24, const_cast<PWSTR>(L"\\Device\\Null")};
  const HANDLE created[] = {Create("NtCreateDirectoryObject", path), Create("NtCreateDirectoryObject", path + L"\\Sub"),
                            Create("NtCreateSymbolicLinkObject", path + L"\\Ln", &target)};
  m_page.ShowWindow(SW_SHOW);
  auto items = Items(m_page.m_tree, m_page.m_tree.GetRootItem());
  EXPECT_EQ(Rows(m_page.m_list).count(L"BaseNamedObjects|Directory||0"), 1u);
  EXPECT_EQ(items.count(path + L"\\Sub") + items.count(path + L"\\Ln"), 1u);
  m_page.m_tree.SelectItem(items[path]);
  EXPECT_EQ(Rows(m_page.m_list), std::set<std::wstring>({L"Ln|SymbolicLink|\\Device\\Null|11", L"Sub|Directory||0"}));
  m_page.m_tree.SelectItem(items[path + L"\\Sub"]);  // an empty directory after a full one
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  for (HANDLE handle : created) CloseHandle(handle);

  m_page.m_tree.SelectItem(items[L"\\ObjectTypes"]);  // each header over its cells
  const std::wregex typeRow(L"\\w+\\|Type\\|\\d+/\\d+\\|\\d+/\\d+\\|0x[0-9A-F]+\\|(Yes|No)\\|N?Paged\\|14");
  const std::set<std::wstring> rows = Rows(m_page.m_list);
  EXPECT_FALSE(rows.empty());
  for (const std::wstring& row : rows) EXPECT_TRUE(std::regex_match(row, typeRow)) << row.c_str();
  m_page.m_tree.SelectItem(items[L"\\"]);
  EXPECT_EQ(m_page.m_list.GetHeaderCtrl().GetItemCount(), 3);
  EXPECT_EQ(m_page.m_pObjectTypes.Get(), nullptr);

  auto cycle = [&] {
    for (const wchar_t* at : {L"\\ObjectTypes", L"\\BaseNamedObjects", L"\\"}) m_page.m_tree.SelectItem(items[at]);
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

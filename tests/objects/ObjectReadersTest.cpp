// The directory read, link targets and the object-type table with fake
// answers: both read paths, odd records, a full answer, long targets and an
// overstated type count.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "readers/ObjectDirectory.h"
#include "readers/ObjectTypeTable.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/SlotOverride.h"
#include "views/objects/ObjectText.h"

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
NTSTATUS WriteAnswer(PVOID answer, size_t first, size_t last) {
  BYTE* base = static_cast<BYTE*>(answer);
  std::memset(base, 0, kDirectoryAnswerSize);
  BYTE* text = base + (last - first + 1) * kDirectoryRecordSize;
  for (size_t i = first; i < last; ++i) {
    PutString(base + (i - first) * kDirectoryRecordSize, g_entries[i].name, text, g_entries[i].where);
    PutString(base + (i - first) * kDirectoryRecordSize + 16, g_entries[i].type, text);
  }
  return kStatusSuccess;
}

NTSTATUS NTAPI FakeQuery(HANDLE, PVOID answer, ULONG size, BOOLEAN single, BOOLEAN restart, PULONG context,
                         PULONG returned) {
  if (size != kDirectoryAnswerSize || restart || returned) return kStatusInvalidParameter;
  if (!single) return NtSuccess(g_manyStatus) ? WriteAnswer(answer, 0, g_entries.size()) : g_manyStatus;
  if (*context >= g_entries.size()) return kStatusNoMoreEntries;
  const ULONG index = (*context)++;
  return WriteAnswer(answer, index, index + 1);
}

NTSTATUS NTAPI OpenAnything(PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES) {
  *handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // real, so that it closes
  return kStatusSuccess;
}

TEST(ObjectDirectoryTest, ManyEntriesOrOneAtATime) {
  EnsureNativeApiBound();
  ScopedSlotOverride open(g_NativeApi.NtOpenDirectoryObject, &OpenAnything);
  ScopedSlotOverride query(g_NativeApi.NtQueryDirectoryObject, &FakeQuery);
  const std::vector<FakeEntry> odd = {{L"b", L"Event"},
                                      {L"a", L"Directory"},
                                      {L"x", L"Key", Where::kOutside},
                                      {L"y", L"Key", Where::kOdd},
                                      {L"c", L"Key"}};
  const std::vector<FakeEntry> many(300, {std::wstring(150, L'n'), L"Event"});
  const size_t fit = (kDirectoryAnswerSize - 32) / (32 + 302 + 12);  // until the next will not fit
  const struct {
    NTSTATUS manyStatus;
    const std::vector<FakeEntry>& entries;
    size_t count;
  } cases[] = {{kStatusSuccess, odd, 3},
               {kStatusNotImplemented, odd, 3},
               {kStatusAccessDenied, odd, 0},
               {kStatusNotImplemented, {}, 0},
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
    if (c.count == 3) {
      EXPECT_EQ(names, L"b/Event a/Directory c/Key ");
    }
  }
}

size_t g_targetChars;  // the link's target; a system copies it when it fits, else BUFFER_TOO_SMALL

NTSTATUS NTAPI FakeLinkQuery(HANDLE, PUNICODE_STRING target, PULONG returned) {
  if (target->Length != 0 || target->MaximumLength != 1022 || returned) return kStatusInvalidParameter;
  if (g_targetChars * 2 > target->MaximumLength) return kStatusBufferTooSmall;
  std::wmemset(target->Buffer, L'x', g_targetChars);
  target->Length = static_cast<USHORT>(g_targetChars * 2);
  return kStatusSuccess;
}

TEST(ObjectDirectoryTest, LinkTargetsOfUpTo511Characters) {
  EnsureNativeApiBound();
  ScopedSlotOverride open(g_NativeApi.NtOpenDirectoryObject, &OpenAnything);
  ScopedSlotOverride openLink(g_NativeApi.NtOpenSymbolicLinkObject, &OpenAnything);
  ScopedSlotOverride query(g_NativeApi.NtQuerySymbolicLinkObject, &FakeLinkQuery);
  ObjectDirectory directory;
  directory.Read(L"\\Fake");
  for (size_t chars : {0, 511, 512}) {
    g_targetChars = chars;
    CString target;
    EXPECT_EQ(directory.ReadLinkTarget(L"Link", &target), chars <= 511) << chars;
    EXPECT_EQ(target.GetLength(), chars <= 511 ? static_cast<int>(chars) : 0);
  }
}

TEST(ObjectTypeTableTest, WalksOnlyWhatLiesInsideTheTableAndFormatsTheCells) {
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

  for (const auto& [record, expected] :
       {std::pair{ObjectTypeRecord{L"", 120, 400, 130, 420, 0x7B2, true, 1}, L"120/130 400/420 0x7B2 Yes Paged"},
        {ObjectTypeRecord{L"", 0, 0, 0, 0, 0, false, 0}, L"0/0 0/0 0x0 No NPaged"}}) {
    const ObjectTypeCells c = FormatObjectType(record);
    EXPECT_EQ(c.objects + L" " + c.handles + L" " + c.invalidAttributes + L" " + c.securityRequired + L" " + c.poolType,
              CString(expected));
  }
}

}  // namespace

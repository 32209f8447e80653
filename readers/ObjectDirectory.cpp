#include "readers/ObjectDirectory.h"

#include <cstring>
#include <vector>

#include "readers/AnswerText.h"
#include "readers/DriveLetters.h"

namespace {

constexpr ACCESS_MASK kDirectoryQuery = 0x0001;
constexpr ULONG kObjCaseInsensitive = 0x00000040;
constexpr NTSTATUS kStatusNoMemory = static_cast<NTSTATUS>(0xC0000017);
constexpr USHORT kLinkTargetBytes = kMaxLinkTargetChars * sizeof(WCHAR);
// No answer holds more records than this, whatever the system says.
constexpr size_t kMaxRecords = kDirectoryAnswerSize / kDirectoryRecordSize;

static_assert(sizeof(UNICODE_STRING) == 16, "64-bit UNICODE_STRING");
static_assert(sizeof(OBJECT_ATTRIBUTES) == 48, "64-bit OBJECT_ATTRIBUTES");

OBJECT_ATTRIBUTES Attributes(HANDLE root, UNICODE_STRING* name) {
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(attributes);
  attributes.RootDirectory = root;
  attributes.ObjectName = name;
  attributes.Attributes = kObjCaseInsensitive;
  return attributes;
}

enum class RecordKind { kEnd, kEntry, kPassedOver };

RecordKind RecordAt(ByteSpan answer, size_t offset, ObjectDirectoryEntry* entry) {
  if (!answer.Contains(offset, kDirectoryRecordSize) || answer.U16(offset) == 0) return RecordKind::kEnd;
  if (!TextInAnswer(answer, answer.Ptr(offset + 8), &entry->name) ||
      !TextInAnswer(answer, answer.Ptr(offset + 24), &entry->typeName))
    return RecordKind::kPassedOver;
  return RecordKind::kEntry;
}

// Bytes that a text takes behind the records, with its NUL.
size_t TextBytes(const CString& text) { return (static_cast<size_t>(text.GetLength()) + 1) * sizeof(WCHAR); }

}  // namespace

NTSTATUS ObjectDirectory::Read(const CString& path) {
  m_walkable = false;
  m_offset = 0;
  m_answer.Reset();
  UNICODE_STRING name{};
  g_NativeApi.RtlInitUnicodeString(&name, path);
  OBJECT_ATTRIBUTES attributes = Attributes(nullptr, &name);
  HANDLE opened = nullptr;
  NTSTATUS status = g_NativeApi.NtOpenDirectoryObject(&opened, kDirectoryQuery, &attributes);
  m_directory.Reset(NtSuccess(status) ? opened : nullptr);
  if (!NtSuccess(status)) return status;

  m_answer.Reset(AllocNativeBuffer(kDirectoryAnswerSize));
  if (!m_answer) {
    m_directory.Reset();
    return kStatusNoMemory;
  }
  ULONG context = 0;
  status = g_NativeApi.NtQueryDirectoryObject(m_directory.Get(), m_answer.Get(), kDirectoryAnswerSize, FALSE, FALSE,
                                              &context, nullptr);
  if (status == kStatusNotImplemented) {
    status = ReadEntryByEntry();
    m_walkable = true;  // the answer was written here, whatever the last status
  } else {
    m_walkable = NtSuccess(status);
  }
  return status;
}

// Where only single-entry reads are implemented, each entry is read into the
// answer buffer, kept, and the whole answer is then laid out in it as the
// many-entry read would: the records, an end record, the texts.
NTSTATUS ObjectDirectory::ReadEntryByEntry() {
  std::vector<ObjectDirectoryEntry> entries;
  size_t used = kDirectoryRecordSize;  // the end record
  ULONG context = 0;
  NTSTATUS status = kStatusSuccess;
  for (size_t reads = 0; reads < kMaxRecords; ++reads) {
    status = g_NativeApi.NtQueryDirectoryObject(m_directory.Get(), m_answer.Get(), kDirectoryAnswerSize, TRUE, FALSE,
                                                &context, nullptr);
    if (!NtSuccess(status)) break;
    ObjectDirectoryEntry entry;
    const RecordKind kind = RecordAt(Answer(), 0, &entry);
    if (kind == RecordKind::kEnd) break;
    if (kind == RecordKind::kPassedOver) continue;
    const size_t needed = kDirectoryRecordSize + TextBytes(entry.name) + TextBytes(entry.typeName);
    if (used + needed > kDirectoryAnswerSize) break;
    used += needed;
    entries.push_back(entry);
  }
  WriteAnswer(entries.data(), entries.size());
  return status;
}

void ObjectDirectory::WriteAnswer(const ObjectDirectoryEntry* entries, size_t count) {
  BYTE* base = static_cast<BYTE*>(m_answer.Get());
  std::memset(base, 0, kDirectoryAnswerSize);
  BYTE* text = base + (count + 1) * kDirectoryRecordSize;
  auto put = [&text](BYTE* at, const CString& value) {
    const USHORT length = static_cast<USHORT>(value.GetLength() * sizeof(WCHAR));
    UNICODE_STRING string{length, static_cast<USHORT>(length + sizeof(WCHAR)), reinterpret_cast<PWSTR>(text)};
    std::memcpy(at, &string, sizeof(string));
    std::memcpy(text, value.GetString(), length);  // the NUL is already there
    text += TextBytes(value);
  };
  for (size_t i = 0; i < count; ++i) {
    put(base + i * kDirectoryRecordSize, entries[i].name);
    put(base + i * kDirectoryRecordSize + sizeof(UNICODE_STRING), entries[i].typeName);
  }
}

bool ObjectDirectory::Next(ObjectDirectoryEntry* entry) {
  if (!m_walkable) return false;
  for (;;) {
    const RecordKind kind = RecordAt(Answer(), m_offset, entry);
    if (kind == RecordKind::kEnd) {
      m_walkable = false;
      return false;
    }
    m_offset += kDirectoryRecordSize;
    if (kind == RecordKind::kEntry) return true;
  }
}

bool ObjectDirectory::ReadLinkTarget(const CString& name, CString* target) const {
  const size_t nameBytes = static_cast<size_t>(name.GetLength()) * sizeof(WCHAR);
  if (!m_directory || nameBytes > 0xFFFE) return false;
  UNICODE_STRING objectName{static_cast<USHORT>(nameBytes), static_cast<USHORT>(nameBytes),
                            const_cast<PWSTR>(name.GetString())};
  OBJECT_ATTRIBUTES attributes = Attributes(m_directory.Get(), &objectName);
  WCHAR text[kMaxLinkTargetChars + 1] = {};
  UNICODE_STRING answer{0, kLinkTargetBytes, text};
  if (!QuerySymbolicLinkTarget(&attributes, &answer)) return false;
  text[answer.Length / sizeof(WCHAR)] = L'\0';
  *target = CString(text);
  return true;
}

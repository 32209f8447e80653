#include "readers/ObjectTypeTable.h"

#include "readers/AnswerText.h"

namespace {

constexpr ULONG kObjectTypesInformation = 3;

size_t RoundUpTo8(size_t value) { return (value + 7) & ~static_cast<size_t>(7); }

}  // namespace

NativeBuffer QueryObjectTypeTable() { return QueryObjectInformation(nullptr, kObjectTypesInformation); }

bool ObjectTypeWalker::Next(ObjectTypeRecord* record) {
  while (m_remaining > 0 && m_table.Contains(m_offset, kObjectTypeRecordSize)) {
    --m_remaining;
    const ByteSpan fields = m_table.Slice(m_offset, kObjectTypeRecordSize);
    const bool named = TextInAnswer(m_table, fields.Ptr(8), &record->name);
    m_offset += kObjectTypeRecordSize + RoundUpTo8(fields.U16(2));
    if (!named) continue;
    record->totalObjects = fields.U32(16);
    record->totalHandles = fields.U32(20);
    record->highWaterObjects = fields.U32(40);
    record->highWaterHandles = fields.U32(44);
    record->invalidAttributes = fields.U32(64);
    record->securityRequired = fields.Data()[88] != 0;
    record->poolType = fields.U32(92);
    return true;
  }
  m_remaining = 0;
  return false;
}

bool FindObjectType(ByteSpan table, const CString& name, ObjectTypeRecord* record) {
  ObjectTypeWalker walker(table);
  while (walker.Next(record)) {
    if (record->name == name) return true;
  }
  return false;
}

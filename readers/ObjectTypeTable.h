// The object-type table (NtQueryObject class ObjectTypesInformation): a count
// at byte 0 and, from byte 8, one record per type, each 104 bytes followed by
// its name text, the next record 8-aligned behind that text's reserved size.
#pragma once

#include <cstdint>

#include "framework/CString.h"
#include "native/ByteSpan.h"
#include "native/NativeQuery.h"

constexpr size_t kObjectTypeRecordSize = 104;

struct ObjectTypeRecord {
  CString name;  // up to its NUL
  uint32_t totalObjects = 0;
  uint32_t totalHandles = 0;
  uint32_t highWaterObjects = 0;
  uint32_t highWaterHandles = 0;
  uint32_t invalidAttributes = 0;
  bool securityRequired = false;
  uint32_t poolType = 0;  // 1: paged pool
};

// A fresh table for the caller to release, or null.
NativeBuffer QueryObjectTypeTable();

// Walks the table from its first record: at most as many records as the count
// says, and only while a record lies wholly inside the table. A record whose
// name does not lie inside the table is passed over.
class ObjectTypeWalker {
 public:
  explicit ObjectTypeWalker(ByteSpan table) : m_table(table), m_remaining(table.U32(0)) {}
  bool Next(ObjectTypeRecord* record);

 private:
  ByteSpan m_table;
  uint32_t m_remaining;
  size_t m_offset = 8;
};

// The record whose name equals `name` exactly (case-sensitive).
bool FindObjectType(ByteSpan table, const CString& name, ObjectTypeRecord* record);

// One directory of the kernel's object namespace, read into a single answer
// of 65,536 bytes, and the targets of the symbolic links in it.
#pragma once

#include "framework/CString.h"
#include "native/ByteSpan.h"
#include "native/NativeOwners.h"

constexpr ULONG kDirectoryAnswerSize = 65536;
constexpr size_t kDirectoryRecordSize = 32;  // OBJECT_DIRECTORY_INFORMATION: Name, TypeName
constexpr size_t kMaxLinkTargetChars = 511;

struct ObjectDirectoryEntry {
  CString name;      // up to its NUL
  CString typeName;  // up to its NUL
};

class ObjectDirectory {
 public:
  ObjectDirectory() = default;
  ObjectDirectory(const ObjectDirectory&) = delete;
  ObjectDirectory& operator=(const ObjectDirectory&) = delete;

  // Opens the directory at the full path `path` (such as "\" or "\A\B") and
  // reads it with one query: the entries that fit into one answer. Where the
  // system does not implement the many-entry query, the directory is read
  // one entry at a time into the same answer layout. The directory stays
  // open until the object goes, for ReadLinkTarget. Returns the status of
  // the open, the allocation or the query.
  NTSTATUS Read(const CString& path);

  // The next entry, in the order of the answer; false after the last (at the
  // record whose name has length 0, or at the end of the answer). A record
  // whose texts do not lie inside the answer is passed over.
  bool Next(ObjectDirectoryEntry* entry);

  // The target of the symbolic link `name` in this directory. False when it
  // cannot be opened or queried, or is longer than kMaxLinkTargetChars.
  bool ReadLinkTarget(const CString& name, CString* target) const;

 private:
  NTSTATUS ReadEntryByEntry();
  void WriteAnswer(const ObjectDirectoryEntry* entries, size_t count);
  ByteSpan Answer() const { return ByteSpan(m_answer.Get(), m_answer ? kDirectoryAnswerSize : 0); }

  // Declared in this order so that the answer is released before the
  // directory is closed.
  UniqueNtHandle m_directory;
  UniqueNativeBuffer m_answer;
  bool m_walkable = false;
  size_t m_offset = 0;
};

// Reading the type and name of another process's handle, by duplicating it
// into this process and asking about the duplicate.
#pragma once

#include <windows.h>

#include "framework/CString.h"
#include "native/NativeOwners.h"

// The OBJECT_TYPE_INFORMATION / OBJECT_NAME_INFORMATION of handle
// `handleValue` of process `processId`, or null (process 0, the process or
// the handle cannot be had, or the query fails). The caller frees the buffer.
NativeBuffer QueryHandleTypeInfo(ULONG_PTR processId, ULONG_PTR handleValue);
NativeBuffer QueryHandleNameInfo(ULONG_PTR processId, ULONG_PTR handleValue);

// Reading many handles of one process: the owner is opened once for
// PROCESS_DUP_HANDLE (null for process 0 or when it cannot be opened), and
// each handle is duplicated from it once, with its own access, for both its
// type and its name. Every open and duplication is a round trip to the
// system, so this saves most of them.
HANDLE OpenHandleOwner(ULONG_PTR processId);
HANDLE DuplicateForQuery(HANDLE owner, ULONG_PTR handleValue);

// The texts of a duplicate's type and name answers; false when there is no
// answer or its text does not lie inside it. An empty name is a name (true,
// empty text). The name query takes the duplicate: with a finite
// `timeoutMs` it is bounded (see QueryObjectInformationWithin).
bool ReadObjectTypeName(HANDLE duplicate, CString* typeName);
bool ReadObjectName(UniqueNtHandle duplicate, DWORD timeoutMs, CString* name);

// An image file name as a handle's target shows it.
struct TargetImageName {
  enum class State {
    kNone,   // no handle to ask, or no readable answer
    kEmpty,  // the answer's Length is 0
    kText,   // `text`, its device prefix turned into a drive letter
  };
  State state = State::kNone;
  CString text;
};

// What a process handle points at.
struct ProcessHandleTarget {
  TargetImageName image;
  bool hasProcessId = false;
  ULONG_PTR processId = 0;
};

// What a thread handle points at: the thread's ids and its process's image.
struct ThreadHandleTarget {
  ULONG_PTR processId = 0;
  ULONG_PTR threadId = 0;
  bool processOpened = false;  // whether the thread's process could be opened
  TargetImageName image;
};

// The handle `handleValue` of the process behind `owner` (see
// OpenHandleOwner). False when the handle cannot be duplicated for querying
// (or, for a thread, when the thread cannot be queried).
bool ReadProcessHandleTarget(HANDLE owner, ULONG_PTR handleValue, ProcessHandleTarget* target);
bool ReadThreadHandleTarget(HANDLE owner, ULONG_PTR handleValue, ThreadHandleTarget* target);

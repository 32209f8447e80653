// An object query that may never return (a name query on some file handles
// blocks for good) run on a worker thread that is given a bounded time.
#pragma once

#include "native/NativeOwners.h"

// QueryObjectInformation of `handle`, each call to NtQueryObject made on a
// worker thread of its own. Every buffer is allocated, and the handle closed,
// on the calling thread. When a call has not returned within `timeoutMs`, the
// worker is ended while it is inside NtQueryObject, the handle is closed and
// null is returned. Should the system fail to end the worker, its buffers and
// the handle are left to it (never freed under a call that may still write to
// them).
NativeBuffer QueryObjectInformationWithin(UniqueNtHandle handle, ULONG infoClass, DWORD timeoutMs);

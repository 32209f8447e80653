// The account that owns a process.
#pragma once

#include <windows.h>

// Writes the account name (no domain) of `sid` into `name`, a buffer of 260
// units. A null identifier gives FALSE without a lookup.
BOOL LookupSidAccountName(PSID sid, WCHAR name[260]);

// Writes the account name of the owner of process `processId` into `name`
// (260 units, zero-filled by the caller): the token's user, else the owner in
// the process object's security descriptor, else LocalSystem. Ids 0 and 4 and
// processes that cannot be opened are LocalSystem's. FALSE only when the final
// lookup fails.
BOOL GetProcessUserName(ULONG_PTR processId, WCHAR name[260]);

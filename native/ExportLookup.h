// The parts of the export lookup that tests observe directly.
#pragma once

#include "native/NativeApi.h"

namespace detail {

// The binary search alone: the export's address, or null for every case it
// leaves to GetProcAddress (no directory routine, no export directory, no
// names, no match, a forwarder, a record that points outside the directory).
FARPROC SearchExportTable(HMODULE module, const char* name);

}  // namespace detail

// Before/after counts of the process's handles and of committed private
// read-write allocations outside the heaps (the shape of a NativeBuffer):
//
//   RunOnce();                                // warm-up
//   const LeakCounts before = TakeLeakCounts();
//   RunOnce();
//   ExpectNoLeaks(before, TakeLeakCounts());
//
// Handles are counted from the system handle snapshot (Wine's
// GetProcessHandleCount answers 0). Wine gives each running thread, and the
// first ended one, a kernel-side stack of the counted shape: take `before`
// after one warm-up run. There is no tolerance.
#pragma once

#include <windows.h>

#include <cstddef>

struct LeakCounts {
  DWORD handles;
  size_t committedPrivateRegions;
  size_t committedPrivateBytes;
};

LeakCounts TakeLeakCounts();

// Non-fatal: the same handles, and no more regions or bytes than before.
void ExpectNoLeaks(const LeakCounts& before, const LeakCounts& after);

// Before/after counts of the process's handles and of the memory that could
// be native buffers, so a test can assert that a piece of code released
// everything it took:
//
//   RunOnce();                                // warm-up, see below
//   const LeakCounts before = TakeLeakCounts();
//   RunOnce();
//   ExpectNoLeaks(before, TakeLeakCounts());
//
// handles: the process's open handles, counted from the system handle
// snapshot (Wine's GetProcessHandleCount always answers 0, so it is only the
// fallback).
//
// committedPrivateRegions/Bytes: allocations that are committed, private and
// read-write from their first to their last page and are not a region of a
// process heap: the shape of a NativeBuffer. Heap growth, reserved space and
// thread stacks (they have a guard page) are not counted, so ordinary
// allocation noise does not show. Wine's per-thread kernel-side stack has
// the counted shape, though: a thread started and still running at `after`,
// and the first thread of the process to end (that stack is freed only when
// the next thread ends), each add one region. Take `before` after
// one warm-up run of the code under test; there is no tolerance, so a single
// leaked buffer or handle fails the check.
#pragma once

#include <windows.h>

#include <cstddef>

struct LeakCounts {
  DWORD handles;
  size_t committedPrivateRegions;
  size_t committedPrivateBytes;
};

LeakCounts TakeLeakCounts();

// gtest check (non-fatal, one failure per kind): the same handles, and no
// more committed private regions or bytes than before.
void ExpectNoLeaks(const LeakCounts& before, const LeakCounts& after);

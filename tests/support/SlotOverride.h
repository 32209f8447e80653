// Puts a fake routine into a slot of the native table for one scope:
//   ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &FakeOpen);
#pragma once

#include "native/NativeApi.h"

template <typename T>
struct SlotTypeIdentity {
  using Type = T;
};

template <typename Fn>
class ScopedSlotOverride {
 public:
  ScopedSlotOverride(Fn& slot, Fn fake) : m_slot(slot), m_saved(slot) { m_slot = fake; }
  ~ScopedSlotOverride() { m_slot = m_saved; }
  ScopedSlotOverride(const ScopedSlotOverride&) = delete;
  ScopedSlotOverride& operator=(const ScopedSlotOverride&) = delete;

 private:
  Fn& m_slot;
  Fn m_saved;
};

// The slot alone fixes the type, so a capture-less lambda works as the fake too.
template <typename Fn>
ScopedSlotOverride(Fn&, typename SlotTypeIdentity<Fn>::Type) -> ScopedSlotOverride<Fn>;

// Binds the real table once per test process.
void EnsureNativeApiBound();

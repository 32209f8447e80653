#include "tests/support/SlotOverride.h"

void EnsureNativeApiBound() {
  static const bool bound = [] {
    BindNativeApi();
    return true;
  }();
  (void)bound;
}

// Texts that a native answer points at: read only when they lie inside it.
#pragma once

#include "framework/CString.h"
#include "native/ByteSpan.h"

// The text at `address` up to its NUL, when the address is an even address
// inside `answer` and the NUL lies inside it too; false otherwise.
bool TextInAnswer(ByteSpan answer, ULONG_PTR address, CString* text);

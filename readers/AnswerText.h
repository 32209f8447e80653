// Texts that a native answer holds or points at: read only when they lie inside it.
#pragma once

#include "framework/CString.h"
#include "native/ByteSpan.h"

// The text at `address` up to its NUL, when the address is an even address
// inside `answer` and the NUL lies inside it too; false otherwise.
bool TextInAnswer(ByteSpan answer, ULONG_PTR address, CString* text);

// The text of the UNICODE_STRING at offset 0 of the NativeBuffer `answer`,
// read by its Length (whole characters) and only when all of it lies inside
// the answer. A Length of 0 gives the empty text. False for no answer or a
// text that points outside it.
bool ReadAnswerString(const void* answer, CString* text);

// The counted string (UNICODE_STRING) at the start of a query answer.
#pragma once

#include "framework/CString.h"

// The text of the UNICODE_STRING at offset 0 of the NativeBuffer `answer`,
// read by its Length (whole characters) and only when all of it lies inside
// the answer. A Length of 0 gives the empty text. False for no answer or a
// text that points outside it.
bool ReadAnswerString(const void* answer, CString* text);

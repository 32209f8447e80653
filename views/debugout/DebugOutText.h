// The cell texts of the debug-output list, made from what the capture took.
#pragma once

#include <windows.h>

#include "framework/CString.h"
#include "native/ByteSpan.h"

// The channel's shared buffer: the writer's process id, then its narrow text.
constexpr size_t kDBWinBufferSize = 4096;
constexpr size_t kDBWinTextOffset = 4;

// Seconds from performance-counter counts, divided in single precision: the
// list shows about seven significant digits, padded to eight decimals.
float ElapsedSeconds(LONGLONG counts, LONGLONG frequency);

// "%d": the message number.
CString MessageNumberText(int number);

// "[hh:mm:ss.mmm] " of the local time, then "%10.8f" of the seconds.
CString CaptureTimeText(const SYSTEMTIME& localTime, float seconds);

// "[pid] " then the text at offset 4, converted with the thread's ANSI code
// page up to its NUL, untrimmed. A text with no NUL ends where the buffer ends.
CString DebugPrintText(ByteSpan buffer);

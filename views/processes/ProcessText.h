// The cell texts of the process list, made from snapshot values.
#pragma once

#include <cstdint>

#include <windows.h>

#include "framework/CString.h"
#include "readers/ProcessRecord.h"

// The image name; "Idle" for an empty name (the idle process) and "<UNKNOW>"
// when the name's buffer lies outside the snapshot.
CString ProcessImageNameText(const ProcessRecord& record);

// The priority class named by BasePriority: "Realtime" from 24, "High" from
// 13, "Above Normal" from 10, "Normal" from 8, "Below Normal" from 6, else "Idle".
CString PriorityClassName(int32_t basePriority);

// "%4d": the row number.
CString RowNumberText(int row);
// "%d": session, thread, handle and page-fault counts.
CString DecimalText(int value);
// "%I64d": process ids.
CString Int64Text(int64_t value);
// "0x%p": addresses, sixteen upper-case digits.
CString PointerText(ULONG_PTR value);
// "0x%I64X": sizes, handle values and access masks, no leading zeros.
CString HexText(uint64_t value);

// "%-I64d/%I64d K" of two byte counts in whole KiB.
CString MemoryPairText(uint64_t bytes, uint64_t peakBytes);

// "hh:mm:ss.mmm" of a processor time (100 ns units), hours counted on past 23.
CString DurationText(int64_t time);

// "hh:mm:ss.mmm" of the time of day (UTC) of an absolute time; a negative
// count is no time and shows as midnight.
CString TimeOfDayText(int64_t time);

// "hh:mm:ss.mmm/hh:mm:ss.mmm" of user and kernel time (100 ns units). Hours
// go on counting past 23, so a long-running process is not shown as a short
// one; beyond 99 hours the field grows.
CString ProcessorTimesText(int64_t userTime, int64_t kernelTime);

// The detail tab's caption: "-->name(pid)".
CString DetailTabCaption(const CString& name, const CString& processId);

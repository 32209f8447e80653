// The cell texts of the threads tab, made from thread records.
#pragma once

#include <array>
#include <cstdint>

#include "framework/CString.h"
#include "readers/ProcessThreads.h"

constexpr int kThreadColumnCount = 9;

// "State(WaitReason)" by the names of both; a value past the end of its name
// table shows as its decimal number.
CString ThreadStateText(uint32_t threadState, uint32_t waitReason);

// "create/user/kernel", each "hh:mm:ss.mmm": the create time as a time of
// day (UTC), user and kernel time with hours counted on past 23.
CString ThreadTimesText(int64_t createTime, int64_t userTime, int64_t kernelTime);

// The nine cells of the thread at position `index` of its process.
std::array<CString, kThreadColumnCount> ThreadCells(int index, const ThreadRecord& thread);

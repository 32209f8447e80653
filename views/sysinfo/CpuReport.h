// The processor report, as text, from the answers of a CPUID function.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/CString.h"

// One CPUID query: on input regs[0] is the leaf and regs[2] the subleaf; on
// output regs holds EAX, EBX, ECX, EDX.
using CpuIdFunction = std::function<void(uint32_t regs[4])>;

// The processor's own CPUID instruction.
void CpuId(uint32_t regs[4]);

// The names of the leaf 1 EDX feature bits, by bit number.
extern const char* const CpuFeatureNames[32];

CString BuildCpuReport(const CpuIdFunction& cpuId);

// What every benchmark shares: the refusal to run outside the sandboxed
// prefix that tools/bench makes, the check that its folder lies below
// C:\nvbench, the clocks and the message pump.
#pragma once

#include <string>

namespace nvbench {

// True when the benchmark may go on: it runs inside the sandboxed prefix
// and was given at least `args` arguments. Otherwise says why (the refusal,
// or `usage`) on standard error; the caller then exits with 2.
bool Start(int argc, int args, const char* usage);

// The folder argument in canonical form when it lies below C:\nvbench;
// "" after a refusal on standard error (`name` is the argument's name in
// the usage line).
std::wstring BenchFolder(const wchar_t* arg, const char* name);

// Wall-clock seconds from the performance counter.
double Now();
// This process's user and kernel time: steadier than the wall clock when
// other work shares the machine.
double CpuSeconds();
// This process's peak working set in bytes.
unsigned long long PeakWorkingSet();
// What a window's message loop would do between two steps of the work.
void PumpMessages();

}  // namespace nvbench

// Peak resident memory of the benchmark process, for the memory figures the benchmarks report.
#pragma once

#include <sys/resource.h>

// Peak resident memory of the process so far, in MiB.
inline double PeakMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

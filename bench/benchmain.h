#pragma once

#include <benchmark/benchmark.h>

// Runs the benchmarks named on the command line; each program's main sets up Qt first.
inline int runBenchmarks(int &argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The main of benchmark programs whose code starts threads: after the runs, the
// shutdown registry deletes what the program made (the MIDI manager, its
// back-ends, the timer thread), as the editor does before it exits.
#include "foundation/PexaSystem.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Tr::PexaSystem::shutdown();
    return 0;
}

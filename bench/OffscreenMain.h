#pragma once
// The main of a benchmark program that drives the forms offscreen.
#include <cstdlib>

#include <benchmark/benchmark.h>

#include "platform/forms/Application.h"

inline int RunOffscreenBenchmarks(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The forms go before the Qt application, while Qt is still whole.
    Application.Shutdown();
    return 0;
}

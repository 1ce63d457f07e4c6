#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The code under fuzzing: each target defines it once, and both the
// libFuzzer entry point and the replay of the seed corpus call it.
void runFuzzInput(const uint8_t *data, size_t size);

// Ends the run as a finding when a property that must hold does not.
inline void requireFuzz(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

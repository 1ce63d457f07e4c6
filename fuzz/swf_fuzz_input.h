#pragma once

#include <cstddef>
#include <cstdint>

// Loads the bytes as a movie and draws its frames, forwards, backwards and
// by ticks (running its scripts on a small budget), in both qualities. Shared by the libFuzzer target and the
// replay of the seed corpus.
void runSwfInput(const uint8_t *data, size_t size);

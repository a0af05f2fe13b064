// The run-time's random generator: this layer defines rand() and srand() themselves, so every
// call in the programs, std::rand included, draws from the generator the scenes expect.
#pragma once

#include <cstdlib>

// rand(): state := state * 22695477 + 1, result := bits 16 to 30 of the new state (0..32767,
// whatever the C library's RAND_MAX says). The state is kept per thread and starts at 1 in
// every thread; srand(seed) sets the calling thread's state to the seed.

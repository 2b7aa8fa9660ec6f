#pragma once

#include <cstdlib>

#include <gtest/gtest.h>

// Sockets on the multicast group are opened only inside the private network
// namespace that ./test makes, never on a real network.
#define VARENTO_REQUIRE_NETNS()                                                                 \
    do {                                                                                        \
        if (std::getenv("VARENTO_NETNS") == nullptr) {                                          \
            GTEST_SKIP() << "needs the private network namespace made by ./test";              \
        }                                                                                       \
    } while (false)

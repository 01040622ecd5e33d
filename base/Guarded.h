#pragma once
// Qt cannot carry an exception through its event loop, so every handler of the station runs inside
// Guarded: a failure is written to standard error and the station goes on with the next event.

#include <cstdio>
#include <exception>
#include <utility>

template <typename Handler> void Guarded(const char* what, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrin: %s failed: %s\n", what, e.what());
    } catch (...) {
        std::fprintf(stderr, "kestrin: %s failed\n", what);
    }
}

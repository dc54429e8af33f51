#pragma once
#include "core/RuntimeError.h"
#include <functional>

// The error number a step throws, or 0 when it throws nothing.
inline int errorNumber(const std::function<void()> &f)
{
    try {
        f();
    } catch (const RuntimeError &e) {
        return e.number();
    }
    return 0;
}

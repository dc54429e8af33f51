#pragma once
#include "platform/AppContext.h"

// The busy pointer for as long as the guard lives. release() gives it back early, for
// error paths that must show their message under the normal pointer.
class ScreenBusy
{
public:
    explicit ScreenBusy(AppContext &ctx) : m_ctx(ctx) { m_ctx.setScreenBusy(true); }
    ~ScreenBusy() { release(); }
    ScreenBusy(const ScreenBusy &) = delete;
    ScreenBusy &operator=(const ScreenBusy &) = delete;

    void release()
    {
        if (m_held)
            m_ctx.setScreenBusy(false);
        m_held = false;
    }

private:
    AppContext &m_ctx;
    bool m_held = true;
};

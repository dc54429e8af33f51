#pragma once
#include "mainwindow/MDIForm1.h"

// The frame draws nothing while the lock lives, so windows opened, hidden or rearranged
// under it appear at once in their final places. release() draws again early, for
// error paths that must show their message over a drawn frame.
class FrameDrawingLock
{
public:
    explicit FrameDrawingLock(MDIForm1 &frame) : m_frame(frame) { m_frame.LockFrameDrawing(0); }
    ~FrameDrawingLock() { release(); }
    FrameDrawingLock(const FrameDrawingLock &) = delete;
    FrameDrawingLock &operator=(const FrameDrawingLock &) = delete;

    void release()
    {
        if (m_held)
            m_frame.LockFrameDrawing(1);
        m_held = false;
    }

private:
    MDIForm1 &m_frame;
    bool m_held = true;
};

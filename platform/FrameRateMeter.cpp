// Frames counted between renewals; the figure is the count over the time it took.
#include "platform/FrameRateMeter.h"

#include <cstdio>

void CFrameRateMeter::FramePresented(double now)
{
    if (m_frames < 0 || now < m_start) {
        // The first frame starts the clock; it closes no interval of its own.
        m_start = now;
        m_frames = 0;
        return;
    }
    ++m_frames;
    const double elapsed = now - m_start;
    if (elapsed < kInterval) return;
    m_rate = double(m_frames) / elapsed;
    m_measured = true;
    m_start = now;
    m_frames = 0;
}

std::string CFrameRateMeter::Text() const
{
    if (!m_measured) return "FPS: --";
    char text[32];
    std::snprintf(text, sizeof text, "FPS: %.1f", m_rate);
    return text;
}

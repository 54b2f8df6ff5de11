// Frame pacing: due times one interval apart.
#include "platform/FramePacer.h"

void CFramePacer::SetRate(double fps)
{
    m_interval = fps > 0.0 ? 1.0 / fps : 0.0;
    m_started = false;
}

double CFramePacer::TimeUntilReady(double now) const
{
    if (Ready(now)) return 0.0;
    return m_next - m_interval * 0.125 - now;
}

void CFramePacer::FramePresented(double now)
{
    if (m_interval <= 0.0) return;
    if (!m_started || now > m_next + m_interval) {
        m_next = now + m_interval;
        m_started = true;
        return;
    }
    // A frame painted out of turn (a key that asks for a paint at once) leaves the schedule alone:
    // counted, a burst of them would push the due time far ahead and hold the universe still.
    if (!Ready(now)) return;
    m_next += m_interval;
}

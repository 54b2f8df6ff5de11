// Keeps painted frames at most a fixed rate apart, so a universe runs at the same speed everywhere.
#pragma once

class CFramePacer {
public:
    // Frames per second; 0 or less means no pacing.
    void SetRate(double fps);
    double Rate() const { return m_interval > 0.0 ? 1.0 / m_interval : 0.0; }
    // A frame may be painted now.
    // A little early counts as on time, so pacing beside a display's vsync at the same rate
    // never misses the refresh it aims at.
    bool Ready(double now) const { return m_interval <= 0.0 || !m_started || now >= m_next - m_interval * 0.125; }
    // Seconds until the next frame may be painted (0 when it may be now).
    double TimeUntilReady(double now) const;
    // A frame was shown at now; the next one is due one interval after the last due time, so the
    // average rate is exact, but a loop that fell far behind starts afresh instead of rushing.
    // A frame shown before it was due does not move the due time.
    void FramePresented(double now);

private:
    double m_interval = 0.0;
    double m_next = 0.0;
    bool m_started = false;
};

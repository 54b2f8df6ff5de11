// Frames per second over about the last second, as a screen saver's frame-rate readout shows them.
#pragma once

#include <string>

class CFrameRateMeter {
public:
    // A frame reached the screen at now (seconds on a steady clock).
    void FramePresented(double now);
    // Frames per second over the last full interval; 0 until one has passed.
    double Rate() const { return m_rate; }
    // "FPS: 59.9", or "FPS: --" before the first interval is complete.
    std::string Text() const;

    // How often the figure is renewed.
    static constexpr double kInterval = 1.0;

private:
    double m_start = 0.0;
    long m_frames = -1;  // -1: no frame yet
    double m_rate = 0.0;
    bool m_measured = false;
};

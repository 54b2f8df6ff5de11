// The universe a window of the program shows, built and run with no window: the same view (camera,
// light, ground), the same loader and the same frame steps, for pictures drawn off screen.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

struct SHeadlessUniverseOptions {
    // A universe file; empty: the standard universe of orbs orbs.
    std::string universePath;
    int orbs = 100;
    // A universal string for the standard universe; empty: the default constants.
    std::string constants;
};

class CHeadlessUniverse {
public:
    CHeadlessUniverse();
    ~CHeadlessUniverse();
    CHeadlessUniverse(const CHeadlessUniverse&) = delete;
    CHeadlessUniverse& operator=(const CHeadlessUniverse&) = delete;

    // Builds the universe into a view of width x height pixels. A file that cannot be loaded or
    // a damaged string is an error here (the window would fall back to the standard universe):
    // false after the loader's messages and the reason went to err, each line after prefix.
    bool Build(const SHeadlessUniverseOptions& options, int width, int height, std::ostream& err,
               const std::string& prefix);
    // Runs frames frames of the window's frame loop with whatever scene renderer is set.
    void Run(long frames);
    // Draws the universe as it stands with the scene renderer, as a still frame of the window.
    void Draw();

private:
    class CState;
    std::unique_ptr<CState> m_state;
};

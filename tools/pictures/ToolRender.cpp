// The render and thumbnail commands: a universe built as the window builds it, run for some frames,
// drawn by the window's renderer into a framebuffer of an EGL context with no display, saved as PNG.
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/CommandLine.h"
#include "engine/core/Dib.h"
#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "engine/core/Renderer.h"
#include "engine/gl/GlOffscreen.h"
#include "engine/gl/GlRenderer.h"
#include "platform/egl/EglContext.h"
#include "tools/ToolHeadlessUniverse.h"
#include "tools/pictures/ToolPictures.h"
#include "platform/FileReplace.h"

namespace {
struct SPictureArgs {
    SHeadlessUniverseOptions universe;
    bool haveOrbs = false;
    bool haveConstants = false;
    long frames = 0;
    int width = 1280;
    int height = 720;
    std::string output;
};

bool ParseNumber(const std::string& text, long lo, long hi, long& out)
{
    long v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || ptr != end || v < lo || v > hi) return false;
    out = v;
    return true;
}

// WIDTHxHEIGHT, each side 1 to kMaxPictureSide.
bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !ParseNumber(text.substr(0, x), 1, kMaxPictureSide, w) ||
        !ParseNumber(text.substr(x + 1), 1, kMaxPictureSide, h))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

bool ParseRenderArgs(int argc, char** argv, SPictureArgs& a, std::ostream& err)
{
    for (int i = 0; i < argc; ++i) {
        const std::string opt = argv[i];
        const bool known = opt == "--universe" || opt == "--orbs" || opt == "--constants" || opt == "--frames" ||
                           opt == "--size" || opt == "--output";
        if (!known) {
            err << "render: unknown option \"" << opt << "\"\n";
            return false;
        }
        if (i + 1 >= argc) {
            err << "render: " << opt << " needs a value\n";
            return false;
        }
        const std::string value = argv[++i];
        long n = 0;
        if (opt == "--universe") {
            a.universe.universePath = value;
        } else if (opt == "--orbs") {
            if (!ParseNumber(value, kMinOrbCount, kMaxOrbCount, n)) {
                err << "render: --orbs needs a whole number from " << kMinOrbCount << " to " << kMaxOrbCount
                    << ", not \"" << value << "\"\n";
                return false;
            }
            a.universe.orbs = int(n);
            a.haveOrbs = true;
        } else if (opt == "--constants") {
            a.universe.constants = value;
            a.haveConstants = true;
        } else if (opt == "--frames") {
            if (!ParseNumber(value, 0, kMaxFrameCount, n)) {
                err << "render: --frames needs a whole number from 0 to " << kMaxFrameCount << ", not \"" << value
                    << "\"\n";
                return false;
            }
            a.frames = n;
        } else if (opt == "--size") {
            if (!ParseSize(value, a.width, a.height)) {
                err << "render: --size needs WIDTHxHEIGHT, each from 1 to " << kMaxPictureSide << ", not \"" << value
                    << "\"\n";
                return false;
            }
        } else {
            a.output = value;
        }
    }
    if (a.output.empty()) {
        err << "render: --output FILE.png is needed\n";
        return false;
    }
    if (!a.universe.universePath.empty() && (a.haveOrbs || a.haveConstants)) {
        err << "render: a saved universe brings its own orbs and constants (no --orbs or --constants with --universe)\n";
        return false;
    }
    if (a.haveConstants && a.universe.constants.empty()) {
        err << "render: --constants needs a universal string\n";
        return false;
    }
    return true;
}

// Draws the universe as it stands into a width x height picture; false after saying why on err.
bool DrawPicture(CHeadlessUniverse& universe, int width, int height, CDIB& picture, std::ostream& err,
                 const char* command)
{
    CEglContext context;
    std::string error;
    if (!context.Create(error)) {
        err << command << ": no OpenGL without a display: " << error << "\n";
        return false;
    }
    CGlOffscreen target;
    if (!target.Create(width, height)) {
        err << command << ": " << context.Renderer() << " cannot draw a picture of " << width << "x" << height << "\n";
        return false;
    }
    CGlRenderer renderer;
    renderer.SetDrawableSize(width, height);
    IRenderer* saved = GetSceneRenderer();
    SetSceneRenderer(&renderer);
    universe.Draw();
    SetSceneRenderer(saved);
    picture = target.Read();
    return true;
}

// Writes the picture whole (a temporary file renamed into place) or not at all; a read-only
// file, or a link another user planted in a shared folder, is refused with the reason.
int SavePicture(const CDIB& picture, const std::string& output, std::ostream& err, const char* command)
{
    const std::vector<uint8_t> bytes = picture.EncodePng();
    if (bytes.empty()) {
        err << command << ": cannot write " << output << ": the picture cannot be encoded as PNG\n";
        return kToolOutputError;
    }
    try {
        WriteFileReplacing(output, bytes.data(), bytes.size());
        return 0;
    } catch (const CQLException& e) {
        err << command << ": cannot write " << output << ": " << WriteFailureReason(output, e) << "\n";
    }
    return kToolOutputError;
}

int ToolRender(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    SPictureArgs args;
    if (!ParseRenderArgs(argc, argv, args, err)) return kToolUsageError;
    CHeadlessUniverse universe;
    if (!universe.Build(args.universe, args.width, args.height, err, "render: ")) return 1;
    universe.Run(args.frames);
    CDIB picture;
    if (!DrawPicture(universe, args.width, args.height, picture, err, "render")) return 1;
    return SavePicture(picture, args.output, err, "render");
}

int ToolThumbnail(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    // A file manager may hand over anything: the run up to a complete picture is bounded, and
    // nothing is written before, so a run ended by the alarm leaves no file.
    alarm(kThumbnailSeconds);
    long size = 256;
    int i = 0;
    if (argc >= 2 && std::string(argv[0]) == "-s") {
        if (!ParseNumber(argv[1], 1, kMaxThumbnailSize, size)) {
            err << "thumbnail: -s needs a size from 1 to " << kMaxThumbnailSize << ", not \"" << argv[1] << "\"\n";
            return kToolUsageError;
        }
        i = 2;
    }
    if (argc - i != 2) {
        err << "usage: nimbula-tool thumbnail [-s SIZE] FILE.nmd OUTPUT.png\n";
        return kToolUsageError;
    }
    const std::string input = argv[i], output = argv[i + 1];
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(input, ec);
    if (!ec && bytes > kMaxThumbnailFileSize) {
        err << "thumbnail: " << input << " is larger than " << (kMaxThumbnailFileSize >> 20) << " MiB\n";
        return 1;
    }
    SHeadlessUniverseOptions options;
    options.universePath = input;
    CHeadlessUniverse universe;
    // Frame 0 from the file's own camera: the universe as it starts.
    if (!universe.Build(options, int(size), int(size), err, "thumbnail: ")) return 1;
    CDIB picture;
    if (!DrawPicture(universe, int(size), int(size), picture, err, "thumbnail")) return 1;
    // The picture is complete: from here the run ends with it written, never by the alarm with
    // a file left behind.
    alarm(0);
    return SavePicture(picture, output, err, "thumbnail");
}

const SToolCommand kPictureCommands[] = {
    {"render",
     "  render [--universe FILE.nmd | --orbs N] [--constants STRING] [--frames N] [--size WxH] --output FILE.png\n"
     "             draw the universe after N frames (default 0) into a PNG (default 1280x720),\n"
     "             as the program's window shows it; needs no display\n",
     ToolRender},
    {"thumbnail",
     "  thumbnail [-s SIZE] FILE.nmd OUTPUT.png\n"
     "             a square picture of the universe as it starts (default 256 pixels), for file managers\n",
     ToolThumbnail},
};
}

std::span<const SToolCommand> PictureCommands() { return kPictureCommands; }

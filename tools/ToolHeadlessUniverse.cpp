// A universe view with no window: its creation loads and builds the universe exactly as on screen.
#include "tools/ToolHeadlessUniverse.h"

#include <ostream>

#include "platform/MessageBox.h"
#include "storage/UniverseFile.h"
#include "tools/ToolCommands.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"

namespace {
// The application part the view reads: the file to load at creation, the loader, the data folder.
class CHeadlessApp : public CAppServices {
public:
    SLoadOutcome LoadUniverse(const std::string* path) override
    {
        SLoadOutcome outcome = ::LoadUniverse(path, nullptr);
        if (outcome.Failed()) m_loadFailed = true;
        return outcome;
    }
    bool m_loadFailed = false;
};
}

class CHeadlessUniverse::CState {
public:
    CState() : m_savedConstants(g_pConstants), m_savedHost(g_universeContext), m_savedApp(GetAppServices())
    {
        g_pConstants = &m_constants;
        g_universeContext = SUniverseContext();
        SetAppServices(&m_app);
        // A fresh process: the universe replays from the generator's first number.
        ResetRand();
    }
    ~CState()
    {
        // The view's window takes the orbs, the scene and the object catalog with it.
        m_view.reset();
        if (m_handlerInstalled) SetMessageBoxHandler(m_savedHandler);
        SetAppServices(m_savedApp);
        g_universeContext = m_savedHost;
        g_pConstants = m_savedConstants;
    }

    CUniversalConstants m_constants;
    CHeadlessApp m_app;
    std::unique_ptr<CUniverseView> m_view;
    MessageBoxHandler m_savedHandler;
    bool m_handlerInstalled = false;

private:
    CUniversalConstants* m_savedConstants;
    SUniverseContext m_savedHost;
    CAppServices* m_savedApp;
};

CHeadlessUniverse::CHeadlessUniverse() : m_state(new CState) {}

CHeadlessUniverse::~CHeadlessUniverse() = default;

bool CHeadlessUniverse::Build(const SHeadlessUniverseOptions& options, int width, int height, std::ostream& err,
                              const std::string& prefix)
{
    CState& s = *m_state;
    if (!options.constants.empty()) {
        try {
            s.m_constants.DecodeUniversalString(options.constants);
        } catch (int code) {
            err << prefix << (code == 1 ? "the universal string does not have 708 letters\n"
                                        : "the universal string is damaged (its check failed)\n");
            return false;
        }
    }
    CHeadlessApp& app = s.m_app;
    app.m_installDir = FindToolDataDir();
    app.m_standardOrbCount = options.orbs;
    if (!options.universePath.empty()) {
        app.m_defaultUniverse = ResolveUniversePath(options.universePath);
        // A file that cannot be read is said with the reason before any universe is built (the
        // window would build the standard one in its place); the view's own load reads it again.
        SUniverseFile file;
        try {
            ReadUniverseFile(app.m_defaultUniverse, file);
        } catch (const CUniverseFileError& e) {
            for (const std::string& text : UniverseLoadMessages(e.m_kind)) err << prefix << text << "\n";
            err << prefix << app.m_defaultUniverse << ": " << e.m_detail << "\n";
            return false;
        }
    }
    g_universeContext.installDir = app.m_installDir;
    // The loader's messages are this command's errors, never a box.
    s.m_savedHandler = SetMessageBoxHandler([&err, prefix](const std::string& text, unsigned) {
        err << prefix << text << "\n";
        return IDOK;
    });
    s.m_handlerInstalled = true;
    s.m_view = std::make_unique<CUniverseView>(0);
    if (!s.m_view->CreateEx(0, WS_POPUP, RECT{0, 0, width, height}, nullptr) || !s.m_view->m_scene) {
        err << prefix << "cannot build the universe\n";
        return false;
    }
    if (app.m_loadFailed) {
        err << prefix << app.m_defaultUniverse << " cannot be loaded\n";
        return false;
    }
    return true;
}

void CHeadlessUniverse::Run(long frames)
{
    CUniverseView& view = *m_state->m_view;
    for (long f = 0; f < frames; ++f) view.DrawFrame();
}

void CHeadlessUniverse::Draw() { m_state->m_view->PaintStill(); }

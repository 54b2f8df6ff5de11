// The application object: start-up in its fixed order, the run modes, the idle handler, shutdown.
#include "app/SaverApp.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/InstallDir.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/AppBrowserControl.h"
#include "dialogs/HelpDlg.h"
#include "dialogs/OptionsDlg.h"
#include "dialogs/WebSupportDlg.h"
#include "platform/RegistryKey.h"
#include "engine/core/Services.h"
#include "engine/core/Utf8Path.h"
#include "frame/MainFrame.h"
#include "platform/ExePath.h"
#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "platform/Wnd.h"
#include "dialogs/SetupDlg.h"
#include "dialogs/ShareDlg.h"
#include "storage/UniverseFile.h"
#include "storage/UniverseLibrary.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"
#include "view/UniverseView.h"

CUniverseView* g_pFullScreenView = nullptr;

namespace {
const char* kAlreadyRunningText = "Please switch to the already running copy of Nimbula";
const char* kNotInstalledText =
    "Nimbula is not correctly installed. Defaulting to local directory!. You should reinstall Nimbula!";
const char* kInternalUseText = "This option is only for Windows internal use!";
// The window icon, beside sphere.umf in the data folder.
const char* kIconFile = "nimbula-64.png";
}

CSaverApp::CSaverApp(std::vector<std::string> args, const SOwnOptions& options, bool alreadyRunning)
    : m_alreadyRunning(alreadyRunning), m_args(std::move(args)), m_options(options)
{
    // The system's own screen saving is held off per window by the host layer (while a universe
    // window exists), so nothing is switched here.
    SetAppServices(this);
    if (m_options.orbs > 0) m_standardOrbCount = m_options.orbs;
    // Without vsync the universe runs at 60 frames a second unless asked otherwise.
    m_pacer.SetRate(m_options.pace < 0 ? 60.0 : double(m_options.pace));
}

CSaverApp::~CSaverApp()
{
    if (!m_alreadyRunning) {
        // The frame deletes itself with its window.
        if (m_editingMode && m_pMainWnd) m_pMainWnd->DestroyWindow();
        m_pEditingFrame = nullptr;
        if (!m_editingMode) {
            if (m_pMainWnd) delete m_pMainWnd;
            else if (g_pFullScreenView) delete g_pFullScreenView;
            else delete m_pOwnedView;
            m_pMainWnd = nullptr;
            g_pFullScreenView = nullptr;
            m_pOwnedView = nullptr;
        }
        // Only the block this object made: a constructed but never started application owns none.
        if (m_pOwnConstants && g_pConstants == m_pOwnConstants) g_pConstants = nullptr;
        delete m_pOwnConstants;
        m_pOwnConstants = nullptr;
        if (m_bound) {
            UnbindRunCoreServices(m_hInstance);
            UnbindNodeServices(m_hInstance);
            UnbindLayerServices(m_hInstance);
            UnbindPStoreServices(m_hInstance);
            UnbindMathServices(m_hInstance);
        }
    }
    SetAppServices(nullptr);
}

void CSaverApp::FindInstallationDirectory()
{
    std::optional<std::string> fromSettings;
    try {
        CRegistryKey key(1);
        fromSettings = key.GetConfigurationString("Nimbula", "directory");
    } catch (...) {
        // A missing entry only means the other places are tried.
    }
    const char* env = std::getenv("NIMBULA_DIR");
    // A folder the user named explicitly and that cannot serve is said before another is tried.
    bool reachSettings = true;
    if (env && *env) {
        const std::string note = MissingDataNote("NIMBULA_DIR", env);
        if (!note.empty()) std::fprintf(stderr, "nimbula: %s; looking elsewhere for the data\n", note.c_str());
        reachSettings = !note.empty();
    }
    if (reachSettings && fromSettings && !fromSettings->empty()) {
        const std::string note = MissingDataNote("the settings' \"directory\" entry", PathFromUtf8(*fromSettings));
        if (!note.empty()) std::fprintf(stderr, "nimbula: %s; looking elsewhere for the data\n", note.c_str());
    }
    const auto candidates = InstallDirCandidates(env, fromSettings, ExecutablePath());
    const auto found = FindInstallDir(candidates);
    if (found) {
        m_installDir = Utf8FromPath(*found);
        return;
    }
    std::error_code ec;
    m_installDir = Utf8FromPath(std::filesystem::current_path(ec));
    std::string tried;
    for (const auto& c : candidates) tried += (tried.empty() ? "" : ", ") + Utf8FromPath(c);
    std::fprintf(stderr, "nimbula: no folder holds sphere.umf (tried %s); using the current directory %s\n",
                 tried.empty() ? "none" : tried.c_str(), m_installDir.c_str());
    AfxMessageBox(kNotInstalledText, MB_OK);
}

BOOL CSaverApp::InitInstance()
{
    if (m_alreadyRunning) {
        AfxMessageBox(kAlreadyRunningText, MB_OK);
        return FALSE;
    }

    m_pOwnConstants = new CUniversalConstants;
    g_pConstants = m_pOwnConstants;

    BindMathServices(m_hInstance);
    BindPStoreServices(m_hInstance);
    BindLayerServices(m_hInstance);
    BindNodeServices(m_hInstance);
    BindRunCoreServices(m_hInstance);
    m_bound = true;

    m_pSettingsStore = &m_settingsStore;
    m_settingsStore.Load(*g_pConstants);

    FindInstallationDirectory();
    g_universeContext.installDir = m_installDir;
    SetWindowIconImage(Utf8FromPath(PathFromUtf8(m_installDir) / kIconFile));

    // An explicit --orbs asks for the standard universe of that many orbs, not the default one.
    if (m_options.orbs <= 0) m_defaultUniverse = m_settingsStore.GetDefaultUniverseFile();

    const SRunMode run = ParseRunMode(m_args, std::getenv("XSCREENSAVER_WINDOW"));
    // The first start of a mode that runs gives the user a library of their own, with the samples.
    if (run.mode != ERunMode::PreviewWithoutHandle && run.mode != ERunMode::Refused)
        SeedUniverseLibrary(UniverseLibraryFolder(), PathFromUtf8(m_installDir) / "universes");
    switch (run.mode) {
    case ERunMode::PreviewWithoutHandle:
        AfxMessageBox(kInternalUseText, MB_OK);
        return FALSE;
    case ERunMode::Preview:
        return StartPreview(run.window, run.windowText);
    case ERunMode::ScreenSaver:
    case ERunMode::Background:
        if (run.hasDivisions) m_spatialMapDivisions = run.divisions;
        g_universeContext.spatialMapDivisions = m_spatialMapDivisions;
        if (run.mode == ERunMode::Background) m_editingMode = false;
        return StartFullScreen(run.mode == ERunMode::Background ? CUniverseView::kBackgroundWindow
                                                                : CUniverseView::kSaverWindow);
    case ERunMode::HackRoot:
    case ERunMode::HackWindow:
        // The root window only when asked for: -root with no window named.
        if (run.window == 0 && (run.mode == ERunMode::HackWindow || run.windowNamed)) {
            const char* what = run.mode == ERunMode::HackWindow ? "-window-id" : "XSCREENSAVER_WINDOW";
            if (!run.windowNamed) std::fprintf(stderr, "nimbula: -window-id needs the id of a window\n");
            else std::fprintf(stderr, "nimbula: %s: \"%s\" is not a window id\n", what, run.windowText.c_str());
            m_exitCode = 1;
            return FALSE;
        }
        return StartInForeignWindow(run.window, run.windowText);
    case ERunMode::Editing:
        return StartEditingFrame(run.universeFile);
    case ERunMode::Configure:
        RunSetupDialog();
        // No main window: the program ends.
        return TRUE;
    case ERunMode::Refused:
        return FALSE;
    }
    return FALSE;
}

BOOL CSaverApp::StartEditingFrame(const std::string& universeFile)
{
    m_editingMode = true;
    // A file handed over opens with the frame's own Open once the frame stands, over the standard
    // universe: a file that cannot be loaded leaves that one, not the last default.
    if (!universeFile.empty()) m_defaultUniverse.clear();
    // A desktop window of 1280 x 720 in the middle of the display, or the display where it is smaller.
    // Asked first: the display, once open, gives the toolbar its scale.
    const RECT screen = GetScreenRect();
    auto* frame = new CMainFrame;
    // Groups of a default universe loaded while the pane is made belong to the frame too.
    m_pEditingFrame = frame;
    m_pMainWnd = frame;
    // Its size follows the desktop's scale, as the toolbar and the dialogs in it do.
    const float scale = ToolBarScale();
    const long w = std::min<long>(long(float(kEditingFrameWidth) * scale), RectWidth(screen));
    const long h = std::min<long>(long(float(kEditingFrameHeight) * scale), RectHeight(screen));
    const long x = screen.left + (RectWidth(screen) - w) / 2, y = screen.top + (RectHeight(screen) - h) / 2;
    if (!frame->LoadFrame(RECT{x, y, x + w, y + h})) {
        std::fprintf(stderr, "nimbula: cannot open the editing window\n");
        m_pMainWnd = nullptr;
        m_pEditingFrame = nullptr;
        delete frame;
        m_exitCode = 1;
        return FALSE;
    }
    frame->m_autoDelete = true;
    if (!universeFile.empty()) frame->OnFileOpen(&universeFile);
    return TRUE;
}

void CSaverApp::OnMainWindowDestroyed()
{
    // The group list went with the frame.
    m_pEditingFrame = nullptr;
}

BOOL CSaverApp::StartPreview(unsigned long window, const std::string& windowText)
{
    m_previewMode = true;
    RECT rect;
    IWindowHost* host = GetWindowHost();
    if (window == 0 || (host && !host->GetForeignClientRect(window, &rect))) {
        // Drawing into a window that does not exist would leave a loop with nothing to show.
        std::fprintf(stderr, "nimbula: there is no window %s to preview in\n", windowText.c_str());
        m_exitCode = 1;
        return FALSE;
    }
    if (!host) rect = GetScreenRect();
    auto* view = new CUniverseView(CUniverseView::kSaverWindow);
    m_pOwnedView = view;
    if (!view->Create(0, WS_CHILD | WS_VISIBLE, rect, nullptr, long(window))) {
        std::fprintf(stderr, "nimbula: cannot draw into window %s\n", windowText.c_str());
        m_exitCode = 1;
        return FALSE;
    }
    // The first frame at once: the preview draws only when asked.
    view->SendMessage(WM_PAINT, 0, 0);
    m_pMainWnd = view;
    return TRUE;
}

BOOL CSaverApp::StartFullScreen(int windowMode)
{
    auto* view = new CUniverseView(windowMode);
    m_pOwnedView = view;
    m_mainWindowRect = GetScreenRect();
    m_pMainWnd = view;
    g_pFullScreenView = view;
    if (!view->CreateFullScreen(nullptr)) {
        std::fprintf(stderr, "nimbula: cannot open the universe window\n");
        m_pMainWnd = nullptr;
        m_exitCode = 1;
        return FALSE;
    }
    return TRUE;
}

BOOL CSaverApp::StartInForeignWindow(unsigned long window, const std::string& windowText)
{
    // The root window is named by the host layer; 0 asks for it.
    const std::string name = window ? "window " + windowText : std::string("the root window");
    RECT rect;
    IWindowHost* host = GetWindowHost();
    if (host && !host->GetForeignClientRect(window, &rect)) {
        std::fprintf(stderr, "nimbula: there is no %s to draw into\n", window ? name.c_str() : "root window");
        m_exitCode = 1;
        return FALSE;
    }
    if (!host) rect = GetScreenRect();
    m_mainWindowRect = rect;
    auto* view = new CUniverseView(CUniverseView::kSaverWindow);
    m_pOwnedView = view;
    m_pMainWnd = view;
    if (!view->Create(0, WS_CHILD | WS_VISIBLE, rect, nullptr, window ? long(window) : -1L)) {
        std::fprintf(stderr, "nimbula: cannot draw into %s\n", name.c_str());
        m_pMainWnd = nullptr;
        m_exitCode = 1;
        return FALSE;
    }
    return TRUE;
}

BOOL CSaverApp::OnIdle(long count)
{
    if (m_editingMode && m_pUniverseView) {
        m_pUniverseView->InvalidateRect(nullptr, true);
        CWinApp::OnIdle(count);
        return TRUE;
    }
    return CWinApp::OnIdle(count);
}

void CSaverApp::OnFramePresented(CWnd* wnd)
{
    // The universe's frames: the frame's own window shows nothing but what its pane painted.
    if (m_pUniverseView ? wnd == m_pUniverseView : wnd == m_pMainWnd) CountFrame();
}

void CSaverApp::CountFrame()
{
    if (m_options.frames <= 0) return;
    const double now = Now();
    if (m_framesPainted == 0) m_firstFrameTime = now;
    if (++m_framesPainted != m_options.frames) return;
    const double seconds = now - m_firstFrameTime;
    // Frames per second over the intervals between the first frame and the last.
    const double fps = seconds > 0.0 ? double(m_framesPainted - 1) / seconds : 0.0;
    std::fprintf(stderr, "frames: %ld, seconds: %.3f, fps: %.1f\n", m_framesPainted, seconds, fps);
    std::fflush(stderr);
    if (m_pMainWnd) m_pMainWnd->PostMessage(WM_CLOSE);
    else PostQuitMessage(0);
}

SLoadOutcome CSaverApp::LoadUniverse(const std::string* path)
{
    const SLoadOutcome outcome = ::LoadUniverse(path, m_pEditingFrame ? &m_pEditingFrame->m_groups : nullptr);
    // What shows now is what the file holds: nothing of the frame's is unsaved.
    if (outcome.Loaded() && m_pEditingFrame) m_pEditingFrame->SetModifiedFlag(false);
    return outcome;
}

bool CSaverApp::SaveModified() { return !m_pEditingFrame || m_pEditingFrame->SaveModified(); }

void CSaverApp::RunOptionsDialog()
{
    COptionsDlg dlg;
    if (dlg.DoModal() == IDOK) ApplyOptions(dlg, *g_pConstants);
}

void CSaverApp::RunSetupDialog()
{
    CSetupDlg dlg;
    // OK keeps the default universe shown unless another one is chosen.
    dlg.m_chosenUniverse = m_settingsStore.GetDefaultUniverseFile();
    if (dlg.DoModal() == IDOK) m_settingsStore.SetDefaultUniverseFile(dlg.m_chosenUniverse);
}

CDialog* CSaverApp::CreateViewDialog(int key)
{
    switch (key) {
    case 'A': {
        auto* about = new CAboutDlg;
        about->SetAboutText();
        return about;
    }
    case 'H':
        return new CHelpDlg;
    case 'S':
        return new CShareDlg(g_pConstants, m_pSettingsStore);
    case 'V': {
        auto* web = new CWebSupportDlg(std::make_unique<CAppBrowserControl>());
        web->m_url = HelpPageAddress(m_installDir);
        web->m_helpFolder = HelpFolderAddress(m_installDir);
        return web;
    }
    default:
        return nullptr;
    }
}

// System dialogs: the browser window's program is started for the dialog and spoken to in lines;
// meanwhile a nested loop answers its questions, keeps the universe's last frame on screen, drops
// the universe's input, and ends the dialog on a termination signal.
#include "platform/sdl/SdlBrowserHost.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <poll.h>

#include "engine/gl/GlCanvas.h"
#include "platform/App.h"
#include "platform/BrowserProcess.h"
#include "platform/Dialog.h"
#include "platform/HtmlView.h"
#include "platform/MessageQueue.h"
#include "platform/Wnd.h"
#include "platform/sdl/SdlDialogHost.h"
#include "platform/sdl/SdlSignals.h"
#include "platform/sdl/SdlWindows.h"
#include "platform/sdl/SdlX11Windows.h"

namespace {
// How long the loop sleeps between looks at signals when nothing happens.
constexpr int kWaitMs = 100;
// Dialog units to pixels: an 8-point dialog font at 96 dpi.
constexpr double kUnitX = 1.5, kUnitY = 1.625;
// A window never covers more of the screen than this.
constexpr double kMostOfScreen = 0.9;

long PixelsX(long units) { return long(units * kUnitX + 0.5); }
long PixelsY(long units) { return long(units * kUnitY + 0.5); }

class CHelperWindow;

class CHelperBrowser : public IHtmlViewBackend {
public:
    CHelperBrowser(CHelperWindow* window, CHtmlView* view) : m_window(window), m_view(view) {}
    void Navigate(const std::string& url) override;
    void AllowRequests(const std::string& page, const std::string& folder) override;

    CHelperWindow* m_window;
    CHtmlView* m_view;
};

// The dialog's window in the nimbula-web program.
class CHelperWindow : public IDialogWindow {
public:
    void Open(const CDialog& dlg, unsigned long owner);
    IHtmlViewBackend* CreateHtmlView(CHtmlView* view, const RECT& rect) override;
    std::string LastError() const override { return m_error; }
    // Handles what the program said since the last look.
    void Serve(CDialog& dlg);
    void Close() { m_process.Stop(); }
    int Fd() { return m_process.Channel().Fd(); }
    void Send(const std::string& line) { m_process.Channel().Send(line); }
    CHtmlView* View() const { return m_browser ? m_browser->m_view : nullptr; }

private:
    void Lost(CDialog& dlg);

    CBrowserProcess m_process;
    std::unique_ptr<CHelperBrowser> m_browser;
    std::string m_error;
    long m_templateWidth = 0, m_templateHeight = 0;  // the dialog's size in pixels
    bool m_heard = false;  // the program said something: it runs
};

void CHelperBrowser::Navigate(const std::string& url) { m_window->Send("load " + url); }

void CHelperBrowser::AllowRequests(const std::string& page, const std::string& folder)
{
    // Before the first page: the browser is made with them.
    if (!page.empty()) m_window->Send("allow-page " + page);
    if (!folder.empty()) m_window->Send("allow-folder " + folder);
}

void CHelperWindow::Open(const CDialog& dlg, unsigned long owner)
{
    // GTK takes the program's scale: whole steps as its window scale, the rest for its fonts.
    // Its window's places and sizes are then in those steps. Natively on Wayland the compositor
    // scales GTK's window itself (through XWayland too), and places count in its units.
    const bool compositor = OnWayland();
    const float scale = compositor ? 1.0f : DisplayScale(nullptr);
    const int steps = std::max(1, int(scale));
    char fonts[32];
    std::snprintf(fonts, sizeof fonts, "GDK_DPI_SCALE=%.3f", double(scale) / steps);
    std::vector<std::string> env = {"GDK_SCALE=" + std::to_string(steps), fonts};
    // The help window is one of X11 wherever there is an X server (XWayland's too): over an X11
    // owner it can stay above it, and WebKit shows its pages there without a GPU. Only a session
    // without one leaves GTK to its Wayland backend.
    if (owner || std::getenv("DISPLAY")) env.push_back("GDK_BACKEND=x11");
    if (!m_process.Start(BrowserProgramPath(), env)) {
        m_error = "the browser window cannot start: " + m_process.LastError();
        return;
    }
    m_templateWidth = PixelsX(dlg.m_cx);
    m_templateHeight = PixelsY(dlg.m_cy);
    RECT screen = compositor ? WindowUnitsOf(GetScreenRect()) : GetScreenRect();
    screen = RECT{screen.left / steps, screen.top / steps, screen.right / steps, screen.bottom / steps};
    const long w = std::min(m_templateWidth, long(RectWidth(screen) * kMostOfScreen));
    const long h = std::min(m_templateHeight, long(RectHeight(screen) * kMostOfScreen));
    if (!WindowIconImage().empty()) Send("icon " + WindowIconImage());
    const long x = screen.left + (RectWidth(screen) - w) / 2, y = screen.top + (RectHeight(screen) - h) / 2;
    Send("window " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " + std::to_string(h) +
         " " + std::to_string(owner) + " " + std::to_string(dlg.m_frame == EDialogFrame::Sizable ? 1 : 0) + " " +
         dlg.m_caption);
}

IHtmlViewBackend* CHelperWindow::CreateHtmlView(CHtmlView* view, const RECT& rect)
{
    if (!m_process.Running()) return nullptr;
    if (m_browser) {
        m_error = "the window holds one browser only";
        return nullptr;
    }
    // The browser keeps the placeholder's distance from each edge, however the window is sized.
    const long left = PixelsX(rect.left), top = PixelsY(rect.top);
    const long right = std::max(0L, m_templateWidth - PixelsX(rect.right));
    const long bottom = std::max(0L, m_templateHeight - PixelsY(rect.bottom));
    Send("browser " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) + " " +
         std::to_string(bottom));
    m_browser = std::make_unique<CHelperBrowser>(this, view);
    return m_browser.get();
}

void CHelperWindow::Serve(CDialog& dlg)
{
    std::vector<std::string> lines;
    const bool running = m_process.Channel().Receive(&lines);
    for (const std::string& line : lines) {
        m_heard = true;
        const std::vector<std::string> f = SplitLine(line, 4);
        if (f.empty()) continue;
        CHtmlView* view = View();
        if (f[0] == "navigate" && f.size() == 4) {
            // navigate ID user|page URL
            bool cancel = false;
            if (view) view->OnBeforeNavigate2(f[3], f[2] == "user" ? kNavigateByUser : 0, &cancel);
            Send("decide " + f[1] + (cancel ? " ignore" : " use"));
        } else if (f[0] == "loaded" && f.size() >= 2) {
            const std::string url = SplitLine(line, 2)[1];
            TraceHtmlView("loaded " + url);
            if (view) view->OnDocumentComplete(url);
        } else if (f[0] == "blocked" && f.size() >= 2) {
            // A request the browser's guard cancelled: the page asked for something from elsewhere.
            TraceHtmlView("blocked " + SplitLine(line, 2)[1]);
        } else if (f[0] == "shown") {
            TraceHtmlView("shown");
        } else if (f[0] == "cancel") {
            // Escape or the close box.
            dlg.OnCommand(IDCANCEL, BN_CLICKED);
        } else if (f[0] == "failed" && f.size() >= 2) {
            const std::string why = SplitLine(line, 2)[1];
            if (view) view->OnBrowserError(why);
            else dlg.EndDialog(IDABORT);
        }
        if (dlg.IsEnded()) return;
    }
    if (!running) Lost(dlg);
}

void CHelperWindow::Lost(CDialog& dlg)
{
    const std::string how = m_process.Ended();
    std::string why;
    if (!m_heard && m_process.ExitStatus() == kLoaderFailedStatus)
        why = "WebKitGTK 4.1 (libwebkit2gtk-4.1) could not be loaded";
    else
        why = "the browser window ended unexpectedly" + (how.empty() ? std::string() : " (" + how + ")");
    if (CHtmlView* view = View()) view->OnBrowserError(why);
    if (!dlg.IsEnded()) dlg.EndDialog(IDABORT);
}

// Keeps the universe's last frame on the screen and lets none of its input through.
void ServeOwner(CWnd* owner, SDL_Window* window)
{
    SDL_Event e;
    bool repaint = false;
    while (SDL_PollEvent(&e)) {
        if (e.type != SDL_WINDOWEVENT || !window || e.window.windowID != SDL_GetWindowID(window)) continue;
        repaint = repaint || e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED;
    }
    if (!repaint || !owner || !owner->IsWindow()) return;
    owner->Backend()->BeginPaint();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    GlClearDrawable(w, h, 0.0f, 0.0f, 0.0f);
    owner->PaintStill();
    owner->Backend()->Present();
}

class CSdlBrowserHost : public IDialogHost {
public:
    int RunModal(CDialog& dlg) override;
};

int CSdlBrowserHost::RunModal(CDialog& dlg)
{
    CWinApp* app = AfxGetApp();
    CWnd* owner = app ? app->m_pMainWnd : nullptr;
    SDL_Window* ownerWindow = SdlWindowOf(owner);
    CHelperWindow window;
    // A Wayland compositor shows no other program's window over a full-screen one, nor gives it
    // the keys: the saver leaves full screen on its first output while the help window shows.
    const bool stepAside = ownerWindow && !SdlOnX11() && (SDL_GetWindowFlags(ownerWindow) & SDL_WINDOW_FULLSCREEN);
    if (stepAside) SDL_SetWindowFullscreen(ownerWindow, 0);
    window.Open(dlg, X11WindowId(ownerWindow));
    dlg.m_pWindow = &window;
    dlg.OnInitDialog();
    const int xfd = X11ConnectionFd(ownerWindow);
    while (!dlg.IsEnded()) {
        if (TermRequested()) {
            // The program is asked to end: the window closes as cancelled, the loop then ends it.
            dlg.EndDialog(IDCANCEL);
            break;
        }
        pollfd fds[2] = {{window.Fd(), POLLIN, 0}, {xfd, POLLIN, 0}};
        ::poll(fds, xfd >= 0 ? 2 : 1, kWaitMs);
        window.Serve(dlg);
        ServeOwner(owner, ownerWindow);
    }
    window.Close();
    if (stepAside) SDL_SetWindowFullscreen(ownerWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (ownerWindow) {
        // Without a window manager the focus would stay with the window that went.
        ActivateWindow(ownerWindow);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    }
    DiscardQueuedInput();
    // The browser went with its window.
    if (CHtmlView* view = window.View()) view->DestroyWindow();
    dlg.m_pWindow = nullptr;
    // The universe runs again from the next frame.
    if (owner && owner->IsWindow()) owner->InvalidateRect(nullptr, false);
    return dlg.Result();
}
}

std::unique_ptr<IDialogHost> CreateSdlBrowserHost() { return std::make_unique<CSdlBrowserHost>(); }

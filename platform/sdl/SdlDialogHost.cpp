// Modal dialogs: a nested loop that waits for input and redraws only then. The owner (the saver,
// the background or the editing frame) is drawn still behind the dialog; with no such window the
// dialog gets a small window of its own. Dialogs opened from a dialog stack over it.
#include "platform/sdl/SdlDialogHost.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/Dib.h"
#include "engine/gl/GlCanvas.h"
#include "platform/App.h"
#include "platform/Dialog.h"
#include "platform/Diagnostics.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxDlg.h"
#include "platform/Wnd.h"
#include "platform/sdl/SdlDialogPainter.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlSignals.h"
#include "platform/sdl/SdlWindows.h"
#include "platform/sdl/SdlX11Windows.h"

namespace {
// How long the loop sleeps between looks at signals when nothing happens.
constexpr int kWaitMs = 100;

// The window of a dialog that has nobody to sit on (the setup dialog of the configuration mode).
class CDialogWindow : public CWnd {
};

// The backend reads the modifiers from SDL's state of now, which already holds the releases of
// keys still waiting in the queue (Ctrl+C sent quickly copies nothing): the event's own count.
void ProcessKey(const SDL_Event& e)
{
    ImGui_ImplSDL2_ProcessEvent(&e);
    ImGuiIO& io = ImGui::GetIO();
    const Uint16 mod = e.key.keysym.mod;
    io.KeyShift = (mod & KMOD_SHIFT) != 0;
    io.KeyCtrl = (mod & KMOD_CTRL) != 0;
    io.KeyAlt = (mod & KMOD_ALT) != 0;
    io.KeySuper = (mod & KMOD_GUI) != 0;
}

// Ctrl+P pastes as Ctrl+V does: the share dialog's note has always said "Paste (control P)".
SDL_Event PasteKeyAsV(const SDL_Event& e, bool always = false)
{
    SDL_Event v = e;
    if (e.key.keysym.sym == SDLK_p && (always || (e.key.keysym.mod & KMOD_CTRL))) {
        v.key.keysym.sym = SDLK_v;
        v.key.keysym.scancode = SDL_SCANCODE_V;
    }
    return v;
}

bool IsInput(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_KEYDOWN: case SDL_KEYUP: case SDL_TEXTINPUT: case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
        return true;
    case SDL_MOUSEMOTION:
        // A move with a button held is a drag: each step counts (a selection follows it).
        return e.motion.state != 0;
    default:
        return false;
    }
}

bool IsDialogKey(WPARAM vk)
{
    switch (vk) {
    case VK_TAB: case VK_ESCAPE: case VK_RETURN: case VK_SPACE: case VK_LEFT: case VK_RIGHT: case VK_UP:
    case VK_DOWN: case 0x21: case 0x22: case 0x23: case VK_HOME:
        return true;
    default:
        return false;
    }
}

// The layout file of the end-to-end tests (NIMBULA_LAYOUT_FILE) lists the controls of every open
// dialog in screen pixels after each redraw, so a test clicks where a button is drawn:
//   dialog TEMPLATE CAPTION
//   control ID KIND LEFT TOP RIGHT BOTTOM TEXT
// The dialog opened last comes last; no dialog line: none is open.
void WriteLayout(const std::vector<SDrawnDialog>& dialogs, int x, int y)
{
    const std::string& path = Diagnostics().layoutFile;
    if (path.empty()) return;
    const std::string temporary = path + ".new";
    FILE* f = std::fopen(temporary.c_str(), "w");
    if (!f) return;
    auto oneLine = [](std::string s) {
        std::replace(s.begin(), s.end(), '\n', ' ');
        return s;
    };
    for (const SDrawnDialog& d : dialogs) {
        std::fprintf(f, "dialog %d %s\n", d.templateId, oneLine(d.caption).c_str());
        for (const SDrawnControl& c : d.controls)
            std::fprintf(f, "control %d %s %d %d %d %d %s\n", c.id, c.kind, x + int(c.min.x), y + int(c.min.y),
                         x + int(c.max.x), y + int(c.max.y), oneLine(c.text).c_str());
    }
    std::fclose(f);
    std::rename(temporary.c_str(), path.c_str());
}

class CSdlDialogHost;
CSdlDialogHost* g_pHost = nullptr;
const SDialogPainter* g_pPainter = nullptr;
void OnContextLoss();

class CSdlDialogHost : public IDialogHost {
public:
    explicit CSdlDialogHost(bool messageBoxes) : m_messageBoxes(messageBoxes)
    {
        g_pHost = this;
        AddGlContextLossHandler(OnContextLoss);
        if (!messageBoxes) return;
        m_previousBoxes = SetMessageBoxHandler([this](const std::string& text, unsigned type) {
            return ShowMessageBox(text, type);
        });
    }
    ~CSdlDialogHost() override
    {
        RemoveGlContextLossHandler(OnContextLoss);
        g_pHost = nullptr;
        if (m_messageBoxes) SetMessageBoxHandler(m_previousBoxes);
        if (ImGui::GetCurrentContext()) ImGui::DestroyContext();
    }

    int RunModal(CDialog& dlg) override;
    // The GL context is about to go: everything made with it is freed while it is current.
    void ReleaseGl();

private:
    bool Open(CDialog& dlg);
    void Close();
    void Redraw();
    void Frame(bool render);
    // True when something happened that the picture must show.
    bool HandleEvent(const SDL_Event& e);
    // ImGui's SDL backend counts in window units; the dialogs are laid out in pixels, as the window
    // under them is (on Wayland at scale 2 twice as many), with fonts drawn at that size.
    void InPixels();
    // Closes any list dropped down; true when one was.
    static bool CloseLists();
    // A dialog over one in a window of its own gets the room it needs: the window grows (within
    // the screen) while it is open. The place and size to go back to; empty when it fitted.
    SDL_Rect GrowOwnWindowFor(const CDialog& dlg);
    int ShowMessageBox(const std::string& text, unsigned type);

    std::vector<CDialog*> m_stack;
    CWnd* m_owner = nullptr;
    CDialogWindow* m_ownWindow = nullptr;
    SDL_Window* m_window = nullptr;
    unsigned m_icon = 0;
    bool m_glReady = false;
    float m_scale = 0.0f;
    bool m_opening = false;   // the top dialog has not been drawn yet
    bool m_openFailed = false; // the last dialog had nowhere to show
    ImVec2 m_mouse;           // the pointer in the window, as the last mouse event put it
    bool m_mouseKnown = false;
    unsigned m_buttons = 0;   // the buttons held, as the events say
    bool m_dirty = false;
    bool m_messageBoxes;
    MessageBoxHandler m_previousBoxes;
    // The layout of the frame being drawn, when a test asks for it.
    std::vector<SDrawnDialog> m_drawn;
    const bool m_recordLayout = !Diagnostics().layoutFile.empty();
};

int CSdlDialogHost::ShowMessageBox(const std::string& text, unsigned type)
{
    // Our own box shows over a full-screen window, where a separate one may open behind it.
    CWinApp* app = AfxGetApp();
    const unsigned buttons = type & 0xF;
    const bool question = buttons == MB_YESNO || buttons == MB_YESNOCANCEL;
    // Nobody can answer once the end was asked for, or with the window under the box gone: the
    // answer lets the program go (No to a question, Cancel to an OK or Cancel).
    CWnd* under = m_stack.empty() ? (app ? app->m_pMainWnd : nullptr) : m_owner;
    const int endAnswer = question ? IDNO : buttons == MB_OKCANCEL ? IDCANCEL : IDOK;
    if (TermRequested() || SdlWindowGone(under)) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return endAnswer;
    }
    // With no window of ours to sit on (the "already running" box) the box gets a window of its
    // own, in the look and scale of every other; only where none can be made does it fall back.
    m_openFailed = false;
    CMessageBoxDlg box(text, type);
    const int answer = box.DoModal();
    if (m_openFailed) {
        if (m_previousBoxes) return m_previousBoxes(text, type);
        std::fprintf(stderr, "%s\n", text.c_str());
        return question ? IDYES : IDOK;
    }
    if (!TermRequested() && !SdlWindowGone(under)) return answer;
    std::fprintf(stderr, "%s\n", text.c_str());
    return endAnswer;
}

bool CSdlDialogHost::Open(CDialog& dlg)
{
    // Nothing draws dialogs: nowhere to show one.
    if (!g_pPainter) return false;
    CWinApp* app = AfxGetApp();
    m_owner = app ? app->m_pMainWnd : nullptr;
    m_window = SdlWindowOf(m_owner);
    if (!m_window) {
        // No window of ours to sit on: one of the dialog's own size, in the middle of the screen.
        if (!ImGui::GetCurrentContext()) ImGui::CreateContext();
        g_pPainter->loadFonts(DisplayScale(nullptr));
        const ImVec2 size = g_pPainter->pixelSize(dlg);
        const RECT screen = GetScreenRect();
        // A dialog larger than the screen fits itself into the window it gets.
        const long w = std::min(long(size.x), RectWidth(screen)), h = std::min(long(size.y), RectHeight(screen));
        const long x = screen.left + (RectWidth(screen) - w) / 2, y = screen.top + (RectHeight(screen) - h) / 2;
        m_ownWindow = new CDialogWindow;
        if (!m_ownWindow->CreateEx(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{x, y, x + w, y + h}, nullptr)) {
            delete m_ownWindow;
            m_ownWindow = nullptr;
            return false;
        }
        m_owner = m_ownWindow;
        m_window = SdlWindowOf(m_owner);
        SDL_SetWindowTitle(m_window, dlg.m_caption.empty() ? "Nimbula" : dlg.m_caption.c_str());
        SDL_RaiseWindow(m_window);
    }
    if (!m_window) return false;
    m_owner->Backend()->BeginPaint();
    if (!ImGui::GetCurrentContext()) ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // The caret stays lit, so an open dialog never needs a timer to redraw.
    io.ConfigInputTextCursorBlink = false;
    // A drag on a dialog's face is no move: only its caption moves it.
    io.ConfigWindowsMoveFromTitleBarOnly = true;
    // Sizes follow the desktop's scale: fonts (and with them dialog units), padding, borders.
    const float scale = DisplayScale(m_window);
    if (scale != m_scale) {
        ImGuiStyle style;
        style.FrameRounding = 2.0f;
        style.ScaleAllSizes(scale);
        ImGui::GetStyle() = style;
        m_scale = scale;
    }
    g_pPainter->loadFonts(scale);
    ImGui_ImplSDL2_InitForOpenGL(m_window, SDL_GL_GetCurrentContext());
    // What the GL side makes (shaders, the font texture, the icon) stays for as long as the
    // context does: the next dialog opens without making it again.
    if (!m_glReady) {
        ImGui_ImplOpenGL3_Init("#version 330");
        try {
            if (!WindowIconImage().empty()) m_icon = GlCreateTexture(CDIB(WindowIconImage()));
        } catch (...) {
            // The about box shows its text without the picture.
        }
        m_glReady = true;
    }
    return true;
}

SDL_Rect CSdlDialogHost::GrowOwnWindowFor(const CDialog& dlg)
{
    if (!m_ownWindow || !m_window) return SDL_Rect{};
    // SDL's window calls count in window units: the pixels wanted, the screen's too, as those.
    const SPixelRatio ratio = PixelRatioOf(m_window);
    const ImVec2 pixels = g_pPainter->pixelSize(dlg);
    const ImVec2 needed(float(pixels.x / ratio.x), float(pixels.y / ratio.y));
    SDL_Rect was{};
    SDL_GetWindowPosition(m_window, &was.x, &was.y);
    SDL_GetWindowSize(m_window, &was.w, &was.h);
    const RECT screen = UnitsOf(GetScreenRect(), ratio);
    const int w = int(std::min(std::max(long(was.w), long(needed.x)), RectWidth(screen)));
    const int h = int(std::min(std::max(long(was.h), long(needed.y)), RectHeight(screen)));
    if (w <= was.w && h <= was.h) return SDL_Rect{};
    SDL_SetWindowSize(m_window, w, h);
    SDL_SetWindowPosition(m_window, int(screen.left + (RectWidth(screen) - w) / 2), int(screen.top + (RectHeight(screen) - h) / 2));
    return was;
}

void CSdlDialogHost::InPixels()
{
    const SPixelRatio ratio = PixelRatioOf(m_window);
    if (ratio.IsOne()) return;
    ImGuiIO& io = ImGui::GetIO();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window, &w, &h);
    io.DisplaySize = ImVec2(float(w), float(h));
    io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
    if (io.MousePos.x > -FLT_MAX && io.MousePos.y > -FLT_MAX)
        io.MousePos = ImVec2(float(io.MousePos.x * ratio.x), float(io.MousePos.y * ratio.y));
}

void CSdlDialogHost::ReleaseGl()
{
    if (!m_glReady) return;
    GlDeleteTexture(m_icon);
    m_icon = 0;
    ImGui_ImplOpenGL3_Shutdown();
    m_glReady = false;
}

void CSdlDialogHost::Close()
{
    if (m_owner && m_owner->IsWindow()) m_owner->Backend()->BeginPaint();
    ImGui_ImplSDL2_Shutdown();
    if (m_ownWindow) {
        // The context may go with this window.
        ReleaseGl();
        m_ownWindow->DestroyWindow();
        delete m_ownWindow;
        m_ownWindow = nullptr;
    } else if (m_owner && m_owner->IsWindow()) {
        // The universe runs again from the next frame.
        m_owner->InvalidateRect(nullptr, false);
    }
    m_owner = nullptr;
    m_window = nullptr;
    m_mouseKnown = false;
    m_buttons = 0;
    if (m_recordLayout) WriteLayout({}, 0, 0);
}

void CSdlDialogHost::Frame(bool render)
{
    // Texts asked for letters the atlas lacks (a Cyrillic or Chinese file name): build it again.
    if (g_pPainter->fontsNeedRebuild()) {
        g_pPainter->loadFonts(m_scale);
        ImGui_ImplOpenGL3_DestroyFontsTexture();
        ImGui_ImplOpenGL3_CreateFontsTexture();
        m_dirty = true;
    }
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    InPixels();
    // The backend reads the pointer from SDL's global state, which pointer moves made while a
    // button is held (and every move made through XTEST) leave behind: the events say where it is.
    // Its buttons, too, are SDL's state of now, in which a press and its release still queued
    // have both happened already: the events say which are held.
    if (m_mouseKnown && SDL_GetMouseFocus() == m_window) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = m_mouse;
        for (int i = 0; i < 3; ++i) io.MouseDown[i] = (m_buttons >> i) & 1;
    }
    ImGui::NewFrame();
    SDialogCanvas canvas;
    canvas.scale = m_scale;
    canvas.area = ImGui::GetIO().DisplaySize;
    canvas.ownWindow = m_ownWindow != nullptr;
    canvas.iconTexture = m_icon;
    m_drawn.clear();
    if (render && m_recordLayout) canvas.drawn = &m_drawn;
    for (size_t i = 0; i < m_stack.size(); ++i) {
        canvas.active = i + 1 == m_stack.size();
        // Only the bottom dialog fills a window of its own; those opened from it sit on top.
        canvas.ownWindow = m_ownWindow && i == 0;
        canvas.opening = m_opening && canvas.active;
        g_pPainter->draw(*m_stack[i], canvas);
    }
    m_opening = false;
    ImGui::Render();
    if (render) ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

void CSdlDialogHost::Redraw()
{
    if (!m_owner || !m_owner->IsWindow()) return;
    m_owner->Backend()->BeginPaint();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window, &w, &h);
    const ImVec4 face = ImGui::ColorConvertU32ToFloat4(g_pPainter->faceColor(*m_stack.front()));
    GlClearDrawable(w, h, face.x, face.y, face.z);
    if (!m_ownWindow) m_owner->PaintStill();
    // A first pass lets ImGui settle what the input changed (a click ends in the second).
    Frame(false);
    Frame(true);
    // The owner's whole picture, whatever panes it has.
    SDL_GL_SwapWindow(m_window);
    if (m_recordLayout) {
        int x = 0, y = 0;
        SDL_GetWindowPosition(m_window, &x, &y);
        WriteLayout(m_drawn, x, y);
    }
}

bool CSdlDialogHost::CloseLists()
{
    if (!ImGui::GetCurrentContext() || !ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel))
        return false;
    ImGui::ClosePopupToLevel(0, false);
    return true;
}

bool CSdlDialogHost::HandleEvent(const SDL_Event& e)
{
    CDialog& top = *m_stack.back();
    switch (e.type) {
    case SDL_WINDOWEVENT:
        if (e.window.windowID != SDL_GetWindowID(m_window)) return false;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) top.OnClose();
        return true;
    case SDL_KEYDOWN: {
        const WPARAM vk = VirtualKeyFromSdl(e.key.keysym.sym);
        const bool typing = ImGui::GetIO().WantTextInput;
        const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        // Escape with a list dropped down closes the list only, as every toolkit does.
        if (vk == VK_ESCAPE && CloseLists()) return true;
        // Tab, Escape and Return belong to the dialog; the other keys to a field being typed in.
        const bool ours = !alt && IsDialogKey(vk) && (!typing || vk == VK_TAB || vk == VK_ESCAPE || vk == VK_RETURN);
        if (ours && top.OnDialogKey(vk, (e.key.keysym.mod & KMOD_SHIFT) != 0)) return true;
        ProcessKey(PasteKeyAsV(e));
        return true;
    }
    case SDL_KEYUP:
        ProcessKey(e);
        // The V that Ctrl+P stood for goes up with it.
        if (e.key.keysym.sym == SDLK_p) ProcessKey(PasteKeyAsV(e, true));
        return true;
    case SDL_QUIT:
        return false;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.type == SDL_MOUSEMOTION ? e.motion.windowID == SDL_GetWindowID(m_window)
                                      : e.button.windowID == SDL_GetWindowID(m_window)) {
            const bool motion = e.type == SDL_MOUSEMOTION;
            const CPoint at = PixelsOf(CPoint(motion ? e.motion.x : e.button.x, motion ? e.motion.y : e.button.y),
                                       PixelRatioOf(m_window));
            m_mouse = ImVec2(float(at.x), float(at.y));
            m_mouseKnown = true;
            // ImGui's buttons 0, 1, 2 are SDL's left, right, middle.
            const int bit = e.type == SDL_MOUSEMOTION ? -1
                            : e.button.button == SDL_BUTTON_LEFT ? 0
                            : e.button.button == SDL_BUTTON_RIGHT ? 1
                            : e.button.button == SDL_BUTTON_MIDDLE ? 2 : -1;
            if (bit >= 0 && e.type == SDL_MOUSEBUTTONDOWN) m_buttons |= 1u << bit;
            if (bit >= 0 && e.type == SDL_MOUSEBUTTONUP) m_buttons &= ~(1u << bit);
        }
        ImGui_ImplSDL2_ProcessEvent(&e);
        return true;
    default:
        ImGui_ImplSDL2_ProcessEvent(&e);
        return true;
    }
}

int CSdlDialogHost::RunModal(CDialog& dlg)
{
    const bool outer = m_stack.empty();
    if (outer && !Open(dlg)) {
        m_openFailed = true;
        // Nowhere to show it: as if the user had cancelled.
        dlg.OnInitDialog();
        if (!dlg.IsEnded()) dlg.EndDialog(IDCANCEL);
        return dlg.Result();
    }
    // Every dialog opens with its lists up, whatever a dialog before it left dropped down.
    CloseLists();
    const SDL_Rect before = outer ? SDL_Rect{} : GrowOwnWindowFor(dlg);
    m_stack.push_back(&dlg);
    m_opening = true;
    dlg.OnInitDialog();
    unsigned seen = dlg.m_revision;
    m_dirty = true;
    while (!dlg.IsEnded()) {
        if (TermRequested() || SdlWindowGone(m_owner)) {
            // The program is asked to end, or the window under the dialog was destroyed by
            // someone else: every dialog closes as cancelled, the loop then ends the program.
            dlg.EndDialog(IDCANCEL);
            break;
        }
        if (m_dirty || seen != dlg.m_revision) {
            seen = dlg.m_revision;
            m_dirty = false;
            Redraw();
            // What the mouse did runs only now, with the frame finished: a handler may open a
            // dialog or a message box, whose loop starts frames of its own.
            m_dirty = dlg.DispatchCommands() || m_dirty;
            if (dlg.IsEnded()) break;
        }
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, kWaitMs)) continue;
        do {
            m_dirty = HandleEvent(e) || m_dirty;
            // ImGui reads keys and buttons as states: a press and its release in one batch would
            // pass unseen, and a field given the focus takes keys only a frame later. Each input
            // event gets frames of its own to act in (logic only: nothing is drawn).
            for (int pass = 0; pass < 2 && IsInput(e) && !dlg.IsEnded(); ++pass) {
                Frame(false);
                m_dirty = dlg.DispatchCommands() || m_dirty;
            }
        } while (!dlg.IsEnded() && SDL_PollEvent(&e));
    }
    m_stack.pop_back();
    if (before.w > 0 && m_window) {
        SDL_SetWindowSize(m_window, before.w, before.h);
        SDL_SetWindowPosition(m_window, before.x, before.y);
    }
    // The dialog below shows again without the one that closed, and takes the keys afresh.
    m_dirty = true;
    m_opening = true;
    if (outer) Close();
    return dlg.Result();
}

void OnContextLoss()
{
    if (g_pHost) g_pHost->ReleaseGl();
}
}

void SetDialogPainter(const SDialogPainter* painter) { g_pPainter = painter; }
const SDialogPainter* GetDialogPainter() { return g_pPainter; }

SDL_Window* SdlWindowOf(CWnd* wnd)
{
    if (!wnd || !wnd->IsWindow() || !wnd->Backend() || wnd->Backend()->IsForeign()) return nullptr;
    // Another host's window (a layer surface) is no SDL window: a dialog over it has no owner.
    if (!SdlHostActive()) return nullptr;
    return static_cast<SDL_Window*>(wnd->Backend()->NativeWindow());
}

std::unique_ptr<IDialogHost> CreateSdlDialogHost(bool messageBoxes) { return std::make_unique<CSdlDialogHost>(messageBoxes); }

// Modal dialogs: a nested loop that waits for input and redraws only then. The owner (the saver,
// the background or the editing frame) is drawn still behind the dialog; with no such window the
// dialog gets a small window of its own. Dialogs opened from a dialog stack over it.
#include "platform/sdl/SdlDialogHost.h"

#include <SDL.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/core/Dib.h"
#include "engine/gl/GlCanvas.h"
#include "platform/App.h"
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxDlg.h"
#include "platform/Wnd.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlSignals.h"
#include "platform/sdl/X11Windows.h"
#include "ui/DialogUi.h"
#include "ui/Fonts.h"

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

bool IsInput(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_KEYDOWN: case SDL_KEYUP: case SDL_TEXTINPUT: case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
        return true;
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

class CSdlDialogHost;
CSdlDialogHost* g_pHost = nullptr;
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
    int ShowMessageBox(const std::string& text, unsigned type);

    std::vector<CDialog*> m_stack;
    CWnd* m_owner = nullptr;
    CDialogWindow* m_ownWindow = nullptr;
    SDL_Window* m_window = nullptr;
    unsigned m_icon = 0;
    bool m_glReady = false;
    float m_scale = 0.0f;
    bool m_dirty = false;
    bool m_messageBoxes;
    MessageBoxHandler m_previousBoxes;
};

int CSdlDialogHost::ShowMessageBox(const std::string& text, unsigned type)
{
    // Our own box shows over a full-screen window, where a separate one may open behind it.
    CWinApp* app = AfxGetApp();
    if (m_stack.empty() && !SdlWindowOf(app ? app->m_pMainWnd : nullptr)) {
        if (m_previousBoxes) return m_previousBoxes(text, type);
        std::fprintf(stderr, "%s\n", text.c_str());
        return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
    }
    // Nobody can answer once the end was asked for.
    if (TermRequested()) {
        std::fprintf(stderr, "%s\n", text.c_str());
        const unsigned buttons = type & 0xF;
        return buttons == MB_YESNO ? IDNO : buttons == MB_OKCANCEL ? IDCANCEL : IDOK;
    }
    CMessageBoxDlg box(text, type);
    return box.DoModal();
}

bool CSdlDialogHost::Open(CDialog& dlg)
{
    CWinApp* app = AfxGetApp();
    m_owner = app ? app->m_pMainWnd : nullptr;
    m_window = SdlWindowOf(m_owner);
    if (!m_window) {
        // No window of ours to sit on: one of the dialog's own size, in the middle of the screen.
        if (!ImGui::GetCurrentContext()) ImGui::CreateContext();
        LoadDialogFonts(DisplayScale(nullptr));
        const ImVec2 size = DialogPixelSize(dlg);
        const RECT screen = GetScreenRect();
        const long w = long(size.x), h = long(size.y);
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
    // Sizes follow the desktop's scale: fonts (and with them dialog units), padding, borders.
    const float scale = DisplayScale(m_window);
    if (scale != m_scale) {
        ImGuiStyle style;
        style.FrameRounding = 2.0f;
        style.ScaleAllSizes(scale);
        ImGui::GetStyle() = style;
        m_scale = scale;
    }
    LoadDialogFonts(scale);
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
}

void CSdlDialogHost::Frame(bool render)
{
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    SDialogCanvas canvas;
    canvas.area = ImGui::GetIO().DisplaySize;
    canvas.ownWindow = m_ownWindow != nullptr;
    canvas.iconTexture = m_icon;
    for (size_t i = 0; i < m_stack.size(); ++i) {
        canvas.active = i + 1 == m_stack.size();
        // Only the bottom dialog fills a window of its own; those opened from it sit on top.
        canvas.ownWindow = m_ownWindow && i == 0;
        DrawDialog(*m_stack[i], canvas);
    }
    ImGui::Render();
    if (render) ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

void CSdlDialogHost::Redraw()
{
    if (!m_owner || !m_owner->IsWindow()) return;
    m_owner->Backend()->BeginPaint();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(m_window, &w, &h);
    const ImVec4 face = ImGui::ColorConvertU32ToFloat4(LookOf(m_stack.front()->m_templateId).face);
    GlClearDrawable(w, h, face.x, face.y, face.z);
    if (!m_ownWindow) m_owner->PaintStill();
    // A first pass lets ImGui settle what the input changed (a click ends in the second).
    Frame(false);
    Frame(true);
    // The owner's whole picture, whatever panes it has.
    SDL_GL_SwapWindow(m_window);
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
        // Tab, Escape and Return belong to the dialog; the other keys to a field being typed in.
        const bool ours = !alt && IsDialogKey(vk) && (!typing || vk == VK_TAB || vk == VK_ESCAPE || vk == VK_RETURN);
        if (ours && top.OnDialogKey(vk, (e.key.keysym.mod & KMOD_SHIFT) != 0)) return true;
        ProcessKey(e);
        return true;
    }
    case SDL_KEYUP:
        ProcessKey(e);
        return true;
    case SDL_QUIT:
        return false;
    default:
        ImGui_ImplSDL2_ProcessEvent(&e);
        return true;
    }
}

int CSdlDialogHost::RunModal(CDialog& dlg)
{
    const bool outer = m_stack.empty();
    if (outer && !Open(dlg)) {
        // Nowhere to show it: as if the user had cancelled.
        dlg.OnInitDialog();
        if (!dlg.IsEnded()) dlg.EndDialog(IDCANCEL);
        return dlg.Result();
    }
    m_stack.push_back(&dlg);
    dlg.OnInitDialog();
    unsigned seen = dlg.m_revision;
    m_dirty = true;
    while (!dlg.IsEnded()) {
        if (TermRequested()) {
            // The program is asked to end: every dialog closes as cancelled, the loop then ends it.
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
    // The dialog below shows again without the one that closed.
    m_dirty = true;
    if (outer) Close();
    return dlg.Result();
}

void OnContextLoss()
{
    if (g_pHost) g_pHost->ReleaseGl();
}
}

SDL_Window* SdlWindowOf(CWnd* wnd)
{
    if (!wnd || !wnd->IsWindow() || !wnd->Backend() || wnd->Backend()->IsForeign()) return nullptr;
    return static_cast<SDL_Window*>(wnd->Backend()->NativeWindow());
}

CSdlDialogHostInstaller::CSdlDialogHostInstaller(bool messageBoxes) : m_host(new CSdlDialogHost(messageBoxes))
{
    SetDialogHost(m_host.get());
}

CSdlDialogHostInstaller::~CSdlDialogHostInstaller()
{
    SetDialogHost(nullptr);
    m_host.reset();
}

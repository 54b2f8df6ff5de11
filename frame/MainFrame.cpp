// The editing frame: layout of toolbar and pane, the enable rules and every command.
#include "frame/MainFrame.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "dialogs/HelpDlg.h"
#include "dialogs/OrbGroupDlg.h"
#include "engine/core/Utf8Path.h"
#include "storage/UniverseFile.h"
#include "universe/Orb.h"
#include "universe/OrbScene.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"
#include "view/AppServices.h"

namespace {
struct SToolCommand {
    int id;
    const char* image;
};
// The toolbar's buttons, in order, without separators.
constexpr SToolCommand kToolCommands[] = {
    {ID_FILE_NEW, "new"},         {ID_FILE_OPEN, "open"},       {ID_FILE_SAVE, "save"},
    {ID_DEFINE_GROUP1, "group1"}, {ID_DEFINE_GROUP2, "group2"}, {ID_DEFINE_GROUP3, "group3"},
    {ID_DEFINE_GROUP4, "group4"}, {ID_DEFINE_GROUP5, "group5"}, {ID_STOP_START_TIME, "time"},
    {ID_MOVE_TO_START, "start"},  {ID_DEFAULT_HELP, "help"},    {ID_APP_ABOUT, "about"},
};

// A modal dialog of the frame: the view ignores input and stands still while it is open.
int RunFrameDialog(CUniverseView& view, CDialog& dlg)
{
    view.m_autoRedraw = false;
    g_openDialog = &dlg;
    const int result = dlg.DoModal();
    g_openDialog = nullptr;
    view.m_autoRedraw = !GetAppServices()->m_previewMode;
    return result;
}

bool IsMouseMessage(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_MOUSELEAVE;
}
}

CMainFrame::CMainFrame() : m_view(0)
{
    // Constructing the pane registered it as the application's universe window; it is the frame's child.
    m_view.m_windowMode = CUniverseView::kFrameWindow;
    const std::string folder = Utf8FromPath(PathFromUtf8(GetAppServices()->m_installDir) / "toolbar");
    for (const SToolCommand& c : kToolCommands) m_toolBar.AddButton(c.id, folder, c.image);
    UpdateToolBar();
    m_minTrackWidth = m_toolBar.Scaled(int(kMinWidth));
    m_minTrackHeight = m_toolBar.Scaled(int(kMinHeight));
}

CMainFrame::~CMainFrame()
{
    if (m_view.IsWindow()) m_view.DestroyWindow();
}

bool CMainFrame::LoadFrame(const RECT& rect)
{
    return CreateEx(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect, nullptr);
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsMouseMessage(message)) {
        const EDockSide side = m_toolBar.m_side;
        const int command = m_toolBar.OnMouse(message, int(int16_t(LoWord(lParam))), int(int16_t(HiWord(lParam))));
        if (command) PostMessage(WM_COMMAND, WPARAM(command), 0);
        // Docked on another side: the pane takes the rest of the frame.
        if (m_toolBar.m_side != side) RecalcLayout();
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        if (DefWindowProc(message, wParam, lParam) == -1) return -1;
        return OnCreate();
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_PAINT:
        // Nothing of the frame's own shows: the pane paints, and the toolbar over it.
        ValidateRect();
        m_view.InvalidateRect(nullptr, false);
        return 0;
    case WM_COMMAND:
        OnCommand(int(wParam & 0xFFFF));
        return 0;
    case WM_CLOSE:
        // The close box, Alt+F4 and the end of --frames: unsaved work is asked about first.
        if (!SaveModified()) return 0;
        return DefWindowProc(message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Keys belong to the universe window, also before it took the focus.
        if (m_view.IsWindow()) return m_view.SendMessage(message, wParam, lParam);
        return DefWindowProc(message, wParam, lParam);
    case WM_DESTROY:
        // The pane goes first: it draws into the frame's window.
        if (m_view.IsWindow()) m_view.DestroyWindow();
        m_nativeToolBar.reset();
        return 0;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

void CMainFrame::PostNcDestroy()
{
    if (m_autoDelete) delete this;
}

int CMainFrame::OnCreate()
{
    // The pane fills the client area below the toolbar; RecalcLayout gives it its size.
    if (!m_view.Create(0, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, this)) return -1;
    if (NativeToolBarMaker maker = GetNativeToolBarMaker()) {
        // The system's bar stands along the top; without it the painted one serves.
        m_nativeToolBar = maker(*this, m_toolBar.NativeButtons(), m_toolBar.Scaled(CToolBar::kButtonImage));
        if (m_nativeToolBar) m_toolBar.m_side = EDockSide::Top;
        UpdateToolBar();
    }
    RecalcLayout();
    // The universe the pane started with (the default one) is nobody's unsaved work.
    SetModifiedFlag(false);
    return 0;
}

void CMainFrame::RecalcLayout()
{
    if (!m_view.IsWindow()) return;
    // A frame moved to an output of another scale (Wayland) lays its bar out at that one.
    if (m_toolBar.m_scale != ToolBarScale() && !m_nativeToolBar) {
        m_toolBar.m_scale = ToolBarScale();
        m_minTrackWidth = m_toolBar.Scaled(int(kMinWidth));
        m_minTrackHeight = m_toolBar.Scaled(int(kMinHeight));
    }
    RECT client;
    GetClientRect(&client);
    m_toolBar.SetClientSize(client.right, client.bottom);
    // The pane takes what the bar leaves, at least a pixel each way.
    RECT pane = client;
    const long bar = m_nativeToolBar ? m_nativeToolBar->Fit(client.right) : m_toolBar.Height();
    switch (m_toolBar.m_side) {
    case EDockSide::Top: pane.top = std::min(bar, std::max(0L, client.bottom - 1)); break;
    case EDockSide::Bottom: pane.bottom = std::max(1L, client.bottom - bar); break;
    case EDockSide::Left: pane.left = std::min(bar, std::max(0L, client.right - 1)); break;
    case EDockSide::Right: pane.right = std::max(1L, client.right - bar); break;
    }
    pane.right = std::max(pane.left + 1, pane.right);
    pane.bottom = std::max(pane.top + 1, pane.bottom);
    m_view.MoveWindow(pane);
}

void CMainFrame::PaintStill()
{
    // A dialog has the input: no button is lit and no tip shows under it.
    m_toolBar.m_hot = -1;
    m_toolBar.m_pressed = -1;
    if (m_view.IsWindow()) {
        if (IWindowBackend* b = m_view.Backend()) b->BeginPaint();
        m_view.PaintStill();
    }
    if (IWindowBackend* b = Backend()) b->BeginPaint();
    PaintOverChildren();
}

void CMainFrame::PaintOverChildren()
{
    UpdateToolBar();
    ToolBarPainter painter = GetToolBarPainter();
    if (!painter) return;
    RECT client;
    GetClientRect(&client);
    painter(m_toolBar, int(RectWidth(client)), int(RectHeight(client)));
}

bool CMainFrame::IsCommandEnabled(int id) const
{
    switch (id) {
    case ID_FILE_NEW:
        // The groups in use may come from the universe shown at start, before any was set.
        return m_groupsChanged || !m_groups.empty();
    case ID_FILE_OPEN:
    case ID_FILE_SAVE:
    case ID_DEFINE_GROUP1:
    case ID_STOP_START_TIME:
    case ID_MOVE_TO_START:
    case ID_DEFAULT_HELP:
    case ID_HELP_FINDER:
    case ID_HELP:
    case ID_CONTEXT_HELP:
        return true;
    default:
        break;
    }
    // Group n + 1 is offered once group n exists.
    for (size_t n = 1; n < 5; ++n)
        if (id == kDefineGroupIds[n]) return m_groups.size() >= n;
    // About has no handler, so it stays greyed.
    return false;
}

void CMainFrame::UpdateToolBar()
{
    for (SToolButton& b : m_toolBar.m_buttons) {
        b.enabled = IsCommandEnabled(b.id);
        b.checked = b.id == ID_STOP_START_TIME && g_universeContext.timeStopped;
        if (m_nativeToolBar) m_nativeToolBar->SetState(b.id, b.enabled, b.checked);
    }
}

BOOL CMainFrame::OnCommand(int id)
{
    if (!IsCommandEnabled(id)) return FALSE;
    for (int n = 0; n < 5; ++n)
        if (id == kDefineGroupIds[n]) {
            OnDefineGroup(n);
            return TRUE;
        }
    switch (id) {
    case ID_FILE_NEW: OnFileNew(); break;
    case ID_FILE_OPEN: OnFileOpen(); break;
    case ID_FILE_SAVE: OnFileSave(); break;
    case ID_STOP_START_TIME: OnStopStartTime(); break;
    case ID_MOVE_TO_START: OnMoveToStart(); break;
    case ID_DEFAULT_HELP:
    case ID_HELP_FINDER:
    case ID_HELP:
    case ID_CONTEXT_HELP: OnHelpFinder(); break;
    default: return FALSE;
    }
    UpdateToolBar();
    return TRUE;
}

void CMainFrame::OnFileNew()
{
    DeleteAllOrbs();
    // The universe built here is no file's.
    GetAppServices()->m_currentUniverse.clear();
    // Loaded files may have added groups beyond what one universe can hold: New stops at the limit.
    int room = kMaxOrbs;
    for (COrbGroup& group : m_groups) {
        const int n = std::clamp(group.m_orbCount, 0, room);
        room -= n;
        group.SetBuiltOrbs(g_orbs.size(), size_t(n));
        for (int i = 0; i < n; ++i) {
            auto* orb = new COrb(nullptr);
            orb->m_color = group.m_color;
            try {
                AddOrb(orb);
            } catch (...) {
                delete orb;
                throw;
            }
            if (group.m_pTexture) orb->SetTexture(group.m_pTexture);
            // Where New put the orb is where it starts: a save right after New keeps this universe.
            orb->m_startPosition = orb->m_position;
        }
    }
    SetModifiedFlag();
    m_view.InvalidateRect(nullptr, false);
}

void CMainFrame::OnFileOpen(const std::string* path)
{
    std::string chosen;
    if (!path) {
        if (!AfxFileDialog(UniverseFileDialogOptions(false), &chosen)) return;
        path = &chosen;
    }
    // Unsaved work is asked about before another universe takes its place.
    if (!SaveModified()) return;
    // What shows now is what the file holds; the loader has said what went wrong, if anything.
    if (LoadUniverse(path, &m_groups).Loaded()) SetModifiedFlag(false);
    UpdateToolBar();
}

bool CMainFrame::OnFileSave()
{
    if (!SaveUniverse(m_groups)) return false;
    SetModifiedFlag(false);
    return true;
}

bool CMainFrame::IsModified() const
{
    if (m_modified || m_view.m_arrangements != m_savedArrangements) return true;
    if (!g_pConstants) return false;
    // What the user sets; the top speed is measured every frame and the count follows the orbs.
    CUniversalConstants saved = m_savedConstants;
    saved.m_topSpeed = g_pConstants->m_topSpeed;
    saved.m_orbCount = g_pConstants->m_orbCount;
    return std::memcmp(g_pConstants->Bytes(), saved.Bytes(), CUniversalConstants::kSize) != 0;
}

void CMainFrame::SetModifiedFlag(bool modified)
{
    m_modified = modified;
    if (modified) return;
    m_savedArrangements = m_view.m_arrangements;
    if (g_pConstants) m_savedConstants = *g_pConstants;
}

bool CMainFrame::SaveModified()
{
    if (!IsModified()) return true;
    switch (AfxMessageBox(kSaveChangesText, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDNO:
        return true;
    case IDCANCEL:
        return false;
    default:
        // Yes: the save question names the file; cancelled or failed, the frame stays open.
        return OnFileSave();
    }
}

int CMainFrame::RoomForGroup(int n) const
{
    long others = 0;
    for (size_t i = 0; i < m_groups.size(); ++i)
        if (int(i) != n) others += std::max(0, m_groups[i].m_orbCount);
    return int(std::max<long>(1, kMaxOrbs - others));
}

void CMainFrame::OnDefineGroup(int n)
{
    // Groups are only appended at the end: the list never has holes.
    if (n < 0 || size_t(n) > m_groups.size()) return;
    COrbGroupDlg dlg;
    dlg.m_maxCount = RoomForGroup(n);
    // The first group stays, so only a later one that exists can be deleted.
    dlg.m_canDelete = n >= 1 && size_t(n) < m_groups.size();
    if (size_t(n) < m_groups.size()) {
        const COrbGroup& g = m_groups[size_t(n)];
        dlg.Preset(g.m_pTexture, g.m_color, g.m_orbCount);
    }
    if (RunFrameDialog(m_view, dlg) == IDOK) {
        SetGroup(n, dlg);
    } else if (dlg.m_deleteGroup && n >= 1 && size_t(n) < m_groups.size()) {
        // The first group stays; later ones move down. The orbs change only with New.
        m_groups.erase(m_groups.begin() + n);
        SetModifiedFlag();
    }
    UpdateToolBar();
}

void CMainFrame::SetGroup(int n, COrbGroupDlg& dlg)
{
    C2DTextureShader* texture = nullptr;
    if (dlg.m_texture && !dlg.m_texture->IsEmpty()) {
        // The shader owns the picture from here on.
        auto* t = new COrbTexture(2);
        t->SetPicture(dlg.m_texture.release());
        t->ClearCompile();
        t->m_format = 32;  // bits per pixel of the picture
        texture = t;
    }
    COrbGroup group(texture, dlg.m_groupColor, dlg.m_groupCount);
    if (size_t(n) < m_groups.size()) {
        // The orbs on show stay the group's until New makes it anew.
        const COrbGroup& old = m_groups[size_t(n)];
        group.SetBuiltOrbs(size_t(old.m_firstOrb), size_t(old.m_builtOrbs));
        m_groups[size_t(n)] = group;
    } else {
        m_groups.push_back(group);
    }
    InvalidateRect(nullptr, true);
    m_groupsChanged = true;
    SetModifiedFlag();
}

void CMainFrame::OnStopStartTime()
{
    g_universeContext.timeStopped = !g_universeContext.timeStopped;
    // Where the user left the orbs is where they start from now on.
    if (!g_universeContext.timeStopped) {
        RecordStartPositions();
        SetModifiedFlag();
    }
}

void CMainFrame::OnMoveToStart()
{
    MoveOrbsToStart();
    m_view.InvalidateRect(nullptr, false);
}

void CMainFrame::OnHelpFinder()
{
    CHelpDlg dlg;
    RunFrameDialog(m_view, dlg);
}

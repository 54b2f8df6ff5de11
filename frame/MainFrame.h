// The editing frame: a desktop window with the toolbar above the universe window, the user's
// group definitions, and the commands that build, stop, save and load universes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/ToolBar.h"
#include "platform/Wnd.h"
#include "storage/OrbGroup.h"
#include "universe/UniversalConstants.h"
#include "view/UniverseView.h"

class COrbGroupDlg;

// Command ids of the toolbar (and the classic framework commands it uses).
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_DEFINE_GROUP1 = 32771;
constexpr int ID_DEFINE_GROUP2 = 32772;
constexpr int ID_DEFINE_GROUP3 = 33794;
constexpr int ID_DEFINE_GROUP4 = 33816;
constexpr int ID_DEFINE_GROUP5 = 33826;
constexpr int ID_STOP_START_TIME = 33827;
constexpr int ID_MOVE_TO_START = 32773;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_HELP_FINDER = 57667;
constexpr int ID_CONTEXT_HELP = 57669;
constexpr int ID_HELP = 57670;
constexpr int ID_DEFAULT_HELP = 57671;
// The pane's id.
constexpr int AFX_IDW_PANE_FIRST = 59648;

// The five group commands, first to fifth.
constexpr int kDefineGroupIds[5] = {ID_DEFINE_GROUP1, ID_DEFINE_GROUP2, ID_DEFINE_GROUP3, ID_DEFINE_GROUP4,
                                    ID_DEFINE_GROUP5};

constexpr const char* kSaveChangesText = "Save changes to the universe?";

class CMainFrame : public CWnd {
public:
    // The smallest frame, at 96 dpi: the toolbar across it and room for the universe and dialogs.
    static constexpr long kMinWidth = 480;
    static constexpr long kMinHeight = 360;

    CMainFrame();
    ~CMainFrame() override;

    // Makes the window (titled "Nimbula") at rect, with its toolbar and pane; false when any part fails.
    bool LoadFrame(const RECT& rect);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    // The pane and the toolbar as they stand, for a dialog drawn over the frame.
    void PaintStill() override;
    // The toolbar, over every picture the pane paints.
    void PaintOverChildren() override;

    int OnCreate();
    void RecalcLayout();
    // A command from the toolbar (or sent as WM_COMMAND); a disabled one does nothing. TRUE when
    // the command is the frame's.
    BOOL OnCommand(int id);
    // The update handlers: whether a command is offered now.
    bool IsCommandEnabled(int id) const;
    // Brings every button's enabled and pressed state up to date.
    void UpdateToolBar();

    void OnFileNew();
    // Open: path null asks for the file (the toolbar); a path opens that one (a file from the
    // desktop). Unsaved work is asked about first.
    void OnFileOpen(const std::string* path = nullptr);
    // True when the universe was written.
    bool OnFileSave();
    void OnDefineGroup(int n);
    void OnStopStartTime();
    void OnMoveToStart();
    void OnHelpFinder();
    // Group n takes what the dialog holds (its picture becomes the group's texture).
    void SetGroup(int n, COrbGroupDlg& dlg);
    // How many orbs group n may have so that all groups together stay within the universe's limit.
    int RoomForGroup(int n) const;

    // Unsaved work: what Save would write differs from what was last saved or opened. Marked by
    // a group set or deleted, New, orbs given new start places and orbs moved while time stands
    // still; the constants (the options and share dialogs) are compared with those of the last
    // save or open.
    bool IsModified() const;
    void SetModifiedFlag(bool modified = true);
    // Before the frame closes: asks whether to save unsaved work. True when it may close (nothing
    // unsaved, saved, or No); false on Cancel and when the save was cancelled or failed.
    bool SaveModified();

    std::vector<COrbGroup> m_groups;
    CToolBar m_toolBar;
    // The system's toolbar showing m_toolBar, where the host makes one (Windows).
    std::unique_ptr<INativeToolBar> m_nativeToolBar;
    CUniverseView m_view;
    bool m_groupsChanged = false;
    bool m_modified = false;
    CUniversalConstants m_savedConstants;
    // The view's count of orbs moved with time stopped, as of the last save or open.
    unsigned m_savedArrangements = 0;
    // Set by the program when the frame should delete itself with its window (the main window).
    bool m_autoDelete = false;
};

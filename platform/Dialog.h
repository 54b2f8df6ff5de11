// A modal dialog in the classic style: a template of controls, data exchange, handlers, DoModal.
// The portable part: controls are plain data, so tests drive a dialog by calling its handlers;
// a host (the program's own, drawn with ImGui) shows it and feeds it clicks and keys.
#pragma once

#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/Messages.h"

enum class EControl : uint8_t {
    PushButton,
    DefPushButton,  // pressed by Return when the focus is not on another button
    Static,         // a label
    GroupBox,       // a frame with a caption around other controls
    Edit,
    CheckBox,
    Slider,         // a trackbar
    ComboBox,       // a drop-down list
    ListBox,        // a list always open
    Icon,           // the program's icon
    Frame,          // a black frame the dialog draws into (previews, swatches); reports clicks
};

// Control styles (a control's own, not the window's).
constexpr uint32_t kMultiline = 0x0001;
constexpr uint32_t kReadOnly = 0x0002;
constexpr uint32_t kVScroll = 0x0004;
constexpr uint32_t kNumber = 0x0008;    // an edit that takes digits only
constexpr uint32_t kSorted = 0x0010;    // a combo box that keeps its items sorted
constexpr uint32_t kCentered = 0x0020;  // a label centred in its rectangle
constexpr uint32_t kPlainItems = 0x0040; // a combo box of file names: its items in the plain face

// Notification codes carried by OnCommand.
constexpr int BN_CLICKED = 0;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_SETFOCUS = 3;
constexpr int LBN_SELCHANGE = 1;
constexpr int LBN_DBLCLK = 2;
constexpr int STN_CLICKED = 0;
// An edit box refused text beyond its limit (a paste too long for it).
constexpr int EN_MAXTEXT = 0x0501;

// The classic default text limit of an edit box: a paste beyond it is cut there.
constexpr size_t kDefaultTextLimit = 32767;

struct SDialogControl {
    int id = -1;  // -1: a label or frame that nobody addresses
    EControl kind = EControl::Static;
    std::string text;  // caption, label or the edit's content
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units, from the dialog's top left corner
    uint32_t style = 0;
    bool enabled = true;
    int value = 0;  // slider position, check state
    int rangeMin = 0, rangeMax = 100;
    std::vector<std::string> items;  // combo box entries
    int selection = -1;              // combo box: -1 when nothing is chosen
    size_t textLimit = kDefaultTextLimit;

    // Tab and the arrow keys stop here.
    bool TakesFocus() const;
    bool IsButton() const { return kind == EControl::PushButton || kind == EControl::DefPushButton; }
};

// What an edit box says when it refuses a paste beyond its limit.
std::string TextTooLongMessage(size_t limit);

// What a frame control shows, for a host that paints frames from data: a fill colour (0x00BBGGRR),
// a picture stretched over the frame, or nothing but black.
struct SFramePicture {
    bool filled = false;
    uint32_t color = 0;
    const uint8_t* rgba = nullptr;  // rows top to bottom, 4 bytes a pixel; null: no picture
    int width = 0, height = 0;
};

// How the dialog's frame looks.
enum class EDialogFrame : uint8_t {
    Caption,    // a title bar
    Border,     // a popup with a thin border and no title
    Sizable,    // a title bar, a sizing border and a maximize box (a system window)
};

class CDialog;
class IDialogWindow;

// What the mouse did to a control while the dialog was being drawn.
enum class EDialogCommand : uint8_t {
    Click,     // a button pressed, a check box toggled, a frame clicked: ClickControl
    Select,    // a list or combo entry chosen: SelectItem
    Activate,  // a list entry double-clicked: ActivateItem
    Focus,     // a control clicked into: SetFocusById
    Notify,    // a control's notification, its code in index: OnCommand (an edit's EN_MAXTEXT)
};

struct SDialogCommand {
    EDialogCommand kind = EDialogCommand::Click;
    int id = -1;
    int index = -1;  // the entry, for Select and Activate
};

// Who shows a dialog: the program's own drawing over the window that owns it, or a window of the
// system's own for a dialog that holds a control only the system can draw (the web browser).
enum class EDialogHost : uint8_t {
    Drawn,
    System,
};

// What UpdateData carries between members and controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dlg, bool save) : m_pDlg(dlg), m_bSaveAndValidate(save) {}
    CDialog* m_pDlg;
    bool m_bSaveAndValidate;
    bool m_failed = false;
};

void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Refuses an entry that is not a whole number with the classic message.
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_Slider(CDataExchange* pDX, int id, int& value);
void DDX_CBIndex(CDataExchange* pDX, int id, int& value);

class CDialog {
public:
    // size in dialog units.
    CDialog(int templateId, std::string caption, int cx, int cy, EDialogFrame frame = EDialogFrame::Caption);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    virtual ~CDialog() = default;

    // Runs the dialog until EndDialog; IDOK or IDCANCEL (or the value given to EndDialog).
    int DoModal();
    // The host that shows this dialog; the program draws every dialog but those that say otherwise.
    virtual EDialogHost HostKind() const { return EDialogHost::Drawn; }
    // The dialog's window is gone (DoModal is about to return): what must wait until nothing of
    // it shows any more happens here.
    virtual void PostNcDestroy() {}
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX) {}
    // FALSE moves members into controls; TRUE reads them back and may fail (then FALSE).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);
    bool IsEnded() const { return m_ended; }
    int Result() const { return m_result; }

    // A control's notification; the default runs OK and Cancel, and says why an edit box refused
    // a text too long for it. TRUE when handled.
    virtual BOOL OnCommand(int id, int code);
    // The close box, or a posted WM_CLOSE: ends the dialog as Cancel.
    void OnClose() { OnCancel(); }
    // The keys a dialog handles itself: Tab, Return, Escape, Space, arrows, Page Up/Down, Home,
    // End. True when the key was used.
    bool OnDialogKey(WPARAM vk, bool shift);

    SDialogControl& AddControl(EControl kind, int id, std::string text, int x, int y, int cx, int cy,
                               uint32_t style = 0);
    SDialogControl* GetDlgItem(int id);
    const SDialogControl* GetDlgItem(int id) const;
    void EnableControl(int id, bool enable);
    // The control that has the keyboard focus; -1 when none.
    int FocusIndex() const { return m_focus; }
    const SDialogControl* FocusControl() const;
    // Moves the focus (a combo box that gains it is told so).
    void SetFocusIndex(int index);
    void SetFocusById(int id);
    // What the host clicks: a button press, a check toggle, a frame click.
    void ClickControl(int id);
    // A list or combo box selection made with the mouse.
    void SelectItem(int id, int index);
    // A list box entry opened (a double click).
    void ActivateItem(int id, int index);

    // The drawing only queues what the mouse did; the host runs it once the frame is finished,
    // since a handler may open another dialog (or a message box), which draws frames of its own.
    // Keys are handled between frames and act at once.
    void PostCommand(EDialogCommand kind, int id, int index = -1);
    // Runs the queued commands in order. Those behind one that ended the dialog are dropped, as a
    // closed window's messages are. True when any ran.
    bool DispatchCommands();
    bool HasQueuedCommands() const { return !m_commands.empty(); }

    // What frame control id shows; a dialog with frames to fill says so here.
    virtual SFramePicture FramePicture(int id) const { return {}; }

    // The dialog repaints itself (the host redraws whenever asked).
    void Invalidate() { ++m_revision; }

    int m_templateId;
    std::string m_caption;
    int m_cx, m_cy;
    EDialogFrame m_frame;
    std::vector<SDialogControl> m_controls;
    // Controls show their tooltips from the string table.
    bool m_toolTips = false;
    // The control that has the focus when the dialog opens; 0: the first that takes it.
    int m_initialFocusId = 0;
    unsigned m_revision = 0;
    // The system window a System host made for the dialog while it runs; null otherwise.
    IDialogWindow* m_pWindow = nullptr;

private:
    int NextFocus(int from, int step) const;
    bool Step(SDialogControl& c, int delta);

    std::vector<SDialogCommand> m_commands;
    int m_focus = -1;
    int m_result = IDCANCEL;
    bool m_ended = false;
};

// Shows dialogs: runs the modal loop until the dialog ends.
class IDialogHost {
public:
    virtual ~IDialogHost() = default;
    // Calls OnInitDialog, lets the user work, returns when the dialog has ended.
    virtual int RunModal(CDialog& dlg) = 0;
};

IDialogHost* GetDialogHost(EDialogHost kind = EDialogHost::Drawn);
// Null: no display, every dialog of that kind initialises and ends as cancelled.
void SetDialogHost(IDialogHost* host, EDialogHost kind = EDialogHost::Drawn);

// Dialog logic: controls, data exchange, the keyboard rules and the hand-over to the host.
#include "platform/Dialog.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"

namespace {
IDialogHost* g_pDialogHosts[2] = {nullptr, nullptr};

constexpr WPARAM VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23;

SDialogControl* Find(CDataExchange* pDX, int id)
{
    SDialogControl* c = pDX->m_pDlg->GetDlgItem(id);
    // A binding to a control the template lacks is the program's own mistake: fail loudly in tests.
    if (!c) pDX->m_failed = true;
    return c;
}

// The classic integer check: blanks around a signed number of int's range, nothing else.
bool ParseInt(const std::string& text, int& out)
{
    const char* s = text.c_str();
    while (*s == ' ' || *s == '\t') ++s;
    if (!*s) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    if (end == s || errno != 0 || v < -2147483647L - 1 || v > 2147483647L) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end) return false;
    out = int(v);
    return true;
}
}

IDialogHost* GetDialogHost(EDialogHost kind) { return g_pDialogHosts[size_t(kind)]; }
void SetDialogHost(IDialogHost* host, EDialogHost kind) { g_pDialogHosts[size_t(kind)] = host; }

bool SDialogControl::TakesFocus() const
{
    if (!enabled) return false;
    switch (kind) {
    case EControl::PushButton:
    case EControl::DefPushButton:
    case EControl::Edit:
    case EControl::CheckBox:
    case EControl::Slider:
    case EControl::ComboBox:
    case EControl::ListBox:
        return true;
    default:
        return false;
    }
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value)
{
    SDialogControl* c = Find(pDX, id);
    if (!c) return;
    if (pDX->m_bSaveAndValidate) value = c->text;
    else c->text = value.substr(0, c->textLimit);
}

void DDX_Text(CDataExchange* pDX, int id, int& value)
{
    SDialogControl* c = Find(pDX, id);
    if (!c) return;
    if (!pDX->m_bSaveAndValidate) {
        c->text = std::to_string(value);
        return;
    }
    int v = 0;
    if (!ParseInt(c->text, v)) {
        AfxMessageBox("Please enter an integer.", MB_OK | MB_ICONWARNING);
        pDX->m_pDlg->SetFocusById(id);
        pDX->m_failed = true;
        return;
    }
    value = v;
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    SDialogControl* c = Find(pDX, id);
    if (!c) return;
    if (pDX->m_bSaveAndValidate) value = c->value;
    else c->value = value;
}

void DDX_Slider(CDataExchange* pDX, int id, int& value)
{
    SDialogControl* c = Find(pDX, id);
    if (!c) return;
    // A trackbar never shows a position outside its range.
    if (pDX->m_bSaveAndValidate) value = c->value;
    else c->value = std::clamp(value, c->rangeMin, c->rangeMax);
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& value)
{
    SDialogControl* c = Find(pDX, id);
    if (!c) return;
    if (pDX->m_bSaveAndValidate) value = c->selection;
    else c->selection = (value >= 0 && value < int(c->items.size())) ? value : -1;
}

CDialog::CDialog(int templateId, std::string caption, int cx, int cy, EDialogFrame frame)
    : m_templateId(templateId), m_caption(std::move(caption)), m_cx(cx), m_cy(cy), m_frame(frame)
{
}

int CDialog::DoModal()
{
    m_ended = false;
    m_result = IDCANCEL;
    m_focus = -1;
    m_commands.clear();
    // Input that arrived with the key which opened the dialog (its key-up above all) belongs to
    // the dialog, not to the window behind it: one press opens one dialog.
    DiscardQueuedInput();
    if (IDialogHost* host = GetDialogHost(HostKind())) {
        host->RunModal(*this);
    } else {
        OnInitDialog();
        if (!m_ended) EndDialog(IDCANCEL);
    }
    PostNcDestroy();
    return m_result;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    if (m_initialFocusId) SetFocusById(m_initialFocusId);
    if (m_focus < 0) SetFocusIndex(NextFocus(-1, 1));
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return dx.m_failed ? FALSE : TRUE;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
}

std::string TextTooLongMessage(size_t limit)
{
    std::string n = std::to_string(limit);
    for (int i = int(n.size()) - 3; i > 0; i -= 3) n.insert(size_t(i), 1, ',');
    return "This text is too long for the box, which holds at most " + n +
           " characters. The box keeps what it had.";
}

BOOL CDialog::OnCommand(int id, int code)
{
    if (code == EN_MAXTEXT) {
        const SDialogControl* c = GetDlgItem(id);
        AfxMessageBox(TextTooLongMessage(c ? c->textLimit : kDefaultTextLimit), MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

SDialogControl& CDialog::AddControl(EControl kind, int id, std::string text, int x, int y, int cx, int cy,
                                    uint32_t style)
{
    SDialogControl c;
    c.kind = kind;
    c.id = id;
    c.text = std::move(text);
    c.x = x;
    c.y = y;
    c.cx = cx;
    c.cy = cy;
    c.style = style;
    m_controls.push_back(std::move(c));
    return m_controls.back();
}

SDialogControl* CDialog::GetDlgItem(int id)
{
    for (SDialogControl& c : m_controls)
        if (c.id == id && id != -1) return &c;
    return nullptr;
}

const SDialogControl* CDialog::GetDlgItem(int id) const { return const_cast<CDialog*>(this)->GetDlgItem(id); }

void CDialog::EnableControl(int id, bool enable)
{
    SDialogControl* c = GetDlgItem(id);
    if (!c) return;
    c->enabled = enable;
    // The focus never rests on a greyed control.
    if (!enable && m_focus >= 0 && &m_controls[size_t(m_focus)] == c) SetFocusIndex(NextFocus(m_focus, 1));
}

const SDialogControl* CDialog::FocusControl() const
{
    return m_focus >= 0 && m_focus < int(m_controls.size()) ? &m_controls[size_t(m_focus)] : nullptr;
}

void CDialog::SetFocusIndex(int index)
{
    if (index < -1 || index >= int(m_controls.size()) || index == m_focus) return;
    m_focus = index;
    Invalidate();
    if (index >= 0 && m_controls[size_t(index)].kind == EControl::ComboBox)
        OnCommand(m_controls[size_t(index)].id, CBN_SETFOCUS);
}

void CDialog::SetFocusById(int id)
{
    for (size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i].id == id && id != -1 && m_controls[i].TakesFocus()) SetFocusIndex(int(i));
}

int CDialog::NextFocus(int from, int step) const
{
    const int n = int(m_controls.size());
    if (n == 0) return -1;
    int i = from;
    for (int k = 0; k < n; ++k) {
        i = ((i + step) % n + n) % n;
        if (m_controls[size_t(i)].TakesFocus()) return i;
    }
    return -1;
}

void CDialog::ClickControl(int id)
{
    SDialogControl* c = GetDlgItem(id);
    if (!c || !c->enabled) return;
    if (c->TakesFocus()) SetFocusById(id);
    if (c->kind == EControl::CheckBox) c->value = c->value ? 0 : 1;
    Invalidate();
    OnCommand(id, BN_CLICKED);
}

void CDialog::SelectItem(int id, int index)
{
    SDialogControl* c = GetDlgItem(id);
    if (!c || !c->enabled || (c->kind != EControl::ComboBox && c->kind != EControl::ListBox) || index < 0 ||
        index >= int(c->items.size()))
        return;
    SetFocusById(id);
    c->selection = index;
    Invalidate();
    OnCommand(id, c->kind == EControl::ComboBox ? CBN_SELCHANGE : LBN_SELCHANGE);
}

void CDialog::ActivateItem(int id, int index)
{
    SelectItem(id, index);
    const SDialogControl* c = GetDlgItem(id);
    if (c && c->kind == EControl::ListBox && c->selection == index) OnCommand(id, LBN_DBLCLK);
}

void CDialog::PostCommand(EDialogCommand kind, int id, int index)
{
    m_commands.push_back(SDialogCommand{kind, id, index});
}

bool CDialog::DispatchCommands()
{
    if (m_commands.empty()) return false;
    // A handler may post again (or run a nested dialog): take the batch first.
    std::vector<SDialogCommand> batch;
    batch.swap(m_commands);
    for (const SDialogCommand& c : batch) {
        if (m_ended) break;
        switch (c.kind) {
        case EDialogCommand::Click: ClickControl(c.id); break;
        case EDialogCommand::Select: SelectItem(c.id, c.index); break;
        case EDialogCommand::Activate: ActivateItem(c.id, c.index); break;
        case EDialogCommand::Focus: SetFocusById(c.id); break;
        case EDialogCommand::Notify: OnCommand(c.id, c.index); break;
        }
    }
    if (m_ended) m_commands.clear();
    return true;
}

bool CDialog::Step(SDialogControl& c, int delta)
{
    if (c.kind == EControl::Slider) {
        c.value = std::clamp(c.value + delta, c.rangeMin, c.rangeMax);
        Invalidate();
        return true;
    }
    if ((c.kind == EControl::ComboBox || c.kind == EControl::ListBox) && !c.items.empty()) {
        const int to = std::clamp(c.selection + delta, 0, int(c.items.size()) - 1);
        if (to != c.selection) SelectItem(c.id, to);
        return true;
    }
    return false;
}

bool CDialog::OnDialogKey(WPARAM vk, bool shift)
{
    SDialogControl* focus = m_focus >= 0 ? &m_controls[size_t(m_focus)] : nullptr;
    switch (vk) {
    case VK_TAB:
        SetFocusIndex(NextFocus(m_focus, shift ? -1 : 1));
        return true;
    case VK_ESCAPE:
        OnCommand(IDCANCEL, BN_CLICKED);
        return true;
    case VK_RETURN: {
        if (focus && focus->IsButton()) {
            ClickControl(focus->id);
            return true;
        }
        for (const SDialogControl& c : m_controls)
            if (c.kind == EControl::DefPushButton && c.enabled) {
                ClickControl(c.id);
                return true;
            }
        OnCommand(IDOK, BN_CLICKED);
        return true;
    }
    case VK_SPACE:
        if (focus && (focus->IsButton() || focus->kind == EControl::CheckBox)) {
            ClickControl(focus->id);
            return true;
        }
        return false;
    case VK_LEFT:
    case VK_DOWN:
    case VK_RIGHT:
    case VK_UP: {
        // Down and Right move on, as a trackbar and a list do; Up and Left go back.
        const int delta = (vk == VK_RIGHT || vk == VK_DOWN) ? 1 : -1;
        if (focus && Step(*focus, delta)) return true;
        // Elsewhere the arrows walk through the controls, as within a group of buttons.
        SetFocusIndex(NextFocus(m_focus, delta));
        return true;
    }
    case VK_PRIOR:
    case VK_NEXT:
        if (!focus) return false;
        if (focus->kind == EControl::ListBox) return Step(*focus, vk == VK_PRIOR ? -10 : 10);
        return focus->kind == EControl::Slider && Step(*focus, vk == VK_PRIOR ? 10 : -10);
    case VK_HOME:
    case VK_END:
        if (focus && focus->kind == EControl::Slider) {
            focus->value = vk == VK_HOME ? focus->rangeMin : focus->rangeMax;
            Invalidate();
            return true;
        }
        // A list, dropped down or not, goes to its first or last entry, as the system's do.
        if (focus && (focus->kind == EControl::ListBox || focus->kind == EControl::ComboBox) && !focus->items.empty()) {
            SelectItem(focus->id, vk == VK_HOME ? 0 : int(focus->items.size()) - 1);
            return true;
        }
        return false;
    default:
        return false;
    }
}

// The in-memory dialog template: the layout DialogBoxIndirectParamW reads, built from a CDialog.
#include "platform/win32/DialogTemplate.h"

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

#include <commctrl.h>

namespace {
// The predefined classes' atoms, as templates name them.
constexpr uint16_t kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kListBox = 0x0083, kComboBox = 0x0085;

class CWriter {
public:
    void Word(uint16_t v) { Raw(&v, sizeof(v)); }
    void Dword(uint32_t v) { Raw(&v, sizeof(v)); }
    void Short(int v) { Word(uint16_t(int16_t(v))); }
    void Byte(uint8_t v) { m_bytes.push_back(v); }
    void String(const std::wstring& s)
    {
        for (wchar_t c : s) Word(uint16_t(c));
        Word(0);
    }
    void AlignDword()
    {
        while (m_bytes.size() % 4) m_bytes.push_back(0);
    }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    void Raw(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        m_bytes.insert(m_bytes.end(), b, b + n);
    }
    std::vector<uint8_t> m_bytes;
};

bool HasLabel(EControl kind)
{
    switch (kind) {
    case EControl::PushButton: case EControl::DefPushButton: case EControl::Static: case EControl::GroupBox:
    case EControl::CheckBox:
        return true;
    default:
        return false;
    }
}
}

std::wstring ShownLabel(const std::string& text, EDialogFace face)
{
    std::string s = text;
    if (face == EDialogFace::Digital)
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return Widen(s);
}

SControlClass ControlClassOf(const SDialogControl& c, bool ownerDrawButtons)
{
    SControlClass k;
    k.style = WS_CHILD | WS_VISIBLE | (c.enabled ? 0 : WS_DISABLED) | (c.TakesFocus() ? WS_TABSTOP : 0);
    switch (c.kind) {
    case EControl::PushButton:
    case EControl::DefPushButton:
        k.atom = kButton;
        k.style |= ownerDrawButtons ? BS_OWNERDRAW : c.kind == EControl::DefPushButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        break;
    case EControl::Static:
        k.atom = kStatic;
        // A file name's '&' is a letter, not a mnemonic.
        k.style |= ((c.style & kCentered) ? SS_CENTER : SS_LEFT) | SS_NOPREFIX;
        break;
    case EControl::GroupBox:
        k.atom = kButton;
        k.style |= BS_GROUPBOX;
        break;
    case EControl::Edit:
        k.atom = kEdit;
        k.exStyle = WS_EX_CLIENTEDGE;
        // Return belongs to the dialog (its default button), also in a multi-line box.
        k.style |= (c.style & kMultiline) ? ES_MULTILINE | ES_AUTOVSCROLL : ES_AUTOHSCROLL;
        if (c.style & kReadOnly) k.style |= ES_READONLY;
        if (c.style & kVScroll) k.style |= WS_VSCROLL;
        if (c.style & kNumber) k.style |= ES_NUMBER;
        break;
    case EControl::CheckBox:
        // Not an automatic box: the click reaches the dialog, which turns the box in its data.
        k.atom = kButton;
        k.style |= BS_CHECKBOX;
        break;
    case EControl::Slider:
        k.name = TRACKBAR_CLASSW;
        k.style |= TBS_HORZ | TBS_BOTTOM | TBS_NOTICKS;
        break;
    case EControl::ComboBox:
        // The template's height is the dropped list's, as in every classic template.
        k.atom = kComboBox;
        k.style |= CBS_DROPDOWNLIST | WS_VSCROLL | ((c.style & kSorted) ? CBS_SORT : 0);
        break;
    case EControl::ListBox:
        k.atom = kListBox;
        k.exStyle = WS_EX_CLIENTEDGE;
        k.style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
        break;
    case EControl::Icon:
        k.atom = kStatic;
        k.style |= SS_ICON | SS_REALSIZEIMAGE;
        break;
    case EControl::Frame:
        // The host paints it from the dialog's data; a click on one with an id reaches the dialog.
        k.atom = kStatic;
        k.style |= SS_OWNERDRAW | (c.id != -1 ? SS_NOTIFY : 0);
        break;
    }
    return k;
}

uint32_t DialogStyleOf(EDialogFrame frame)
{
    const uint32_t common = WS_POPUP | DS_SETFONT | DS_MODALFRAME | DS_CENTER;
    switch (frame) {
    case EDialogFrame::Caption: return common | WS_CAPTION | WS_SYSMENU;
    case EDialogFrame::Border: return WS_POPUP | DS_SETFONT | DS_CENTER | WS_BORDER;
    case EDialogFrame::Sizable: return common | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
    }
    return common;
}

std::vector<uint8_t> BuildDialogTemplate(const CDialog& dlg, const SDialogFont& font, EDialogFace face,
                                         bool ownerDrawButtons)
{
    CWriter w;
    w.Word(1);       // dlgVer
    w.Word(0xFFFF);  // signature: the extended template
    w.Dword(0);      // helpID
    w.Dword(0);      // exStyle
    w.Dword(DialogStyleOf(dlg.m_frame));
    w.Word(uint16_t(dlg.m_controls.size()));
    w.Short(0);
    w.Short(0);
    w.Short(dlg.m_cx);
    w.Short(dlg.m_cy);
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.String(ShownLabel(dlg.m_caption, face));
    w.Word(font.points);
    w.Word(font.weight);
    w.Byte(0);  // italic
    w.Byte(DEFAULT_CHARSET);
    w.String(font.face);
    for (const SDialogControl& c : dlg.m_controls) {
        w.AlignDword();
        const SControlClass k = ControlClassOf(c, ownerDrawButtons);
        w.Dword(0);  // helpID
        w.Dword(k.exStyle);
        w.Dword(k.style);
        w.Short(c.x);
        w.Short(c.y);
        w.Short(c.cx);
        w.Short(c.cy);
        w.Dword(uint32_t(c.id));
        if (k.atom) {
            w.Word(0xFFFF);
            w.Word(k.atom);
        } else {
            w.String(k.name);
        }
        // Labels carry their text; an edit box gets its text from the data once it exists.
        w.String(HasLabel(c.kind) ? ShownLabel(c.text, face) : std::wstring());
        w.Word(0);  // no creation data
    }
    return w.Take();
}

// The orb group dialog: its template, the count check, the colour and texture pickers.
#include "dialogs/OrbGroupDlg.h"

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <new>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "engine/core/Shaders.h"
#include "engine/core/Utf8Path.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "storage/UniverseLibrary.h"
#include "universe/OrbScene.h"

namespace {
// Drawn from one counter for every dialog, so a dialog made where another one was never
// matches that one's preview.
unsigned g_previewRevisions = 0;

// The folder of the last texture loaded in this run: the next pick starts there.
std::string g_lastTextureFolder;

// The preview area's size in pixels: dialog units of the 8-point dialog font at 96 dpi.
constexpr double kPixelsPerUnitX = 1.5;
constexpr double kPixelsPerUnitY = 1.625;

// Dropping the alpha channel is what the conversion to 24 bits per pixel does to a picture of
// ours (always 32-bit RGBA in memory): a half-transparent PNG becomes an opaque texture.
void DropAlpha(CDIB& picture)
{
    uint8_t* p = picture.Pixels();
    const size_t n = size_t(picture.GetWidth()) * size_t(picture.GetHeight());
    for (size_t i = 0; i < n; ++i) p[i * 4 + 3] = 255;
}
}

COrbGroupDlg::COrbGroupDlg() : CDialog(kTemplate, "Set Orb Group", 200, 162), m_maxCount(kMaxOrbs)
{
    AddControl(EControl::Static, -1, "# Orbs", 7, 9, 30, 9);
    AddControl(EControl::Edit, kCountId, "", 40, 7, 50, 12, kNumber);
    AddControl(EControl::Frame, kPreviewId, "", 7, 26, 90, 90);
    AddControl(EControl::PushButton, kSetTextureId, "Set Texture", 7, 120, 90, 14);
    AddControl(EControl::Frame, kSwatchId, "", 103, 26, 90, 90);
    AddControl(EControl::PushButton, kSetColorId, "Set Color", 103, 120, 90, 14);
    AddControl(EControl::PushButton, kDeleteId, "Delete this Group", 7, 142, 78, 14);
    AddControl(EControl::DefPushButton, IDOK, "OK", 89, 142, 50, 14);
    AddControl(EControl::PushButton, IDCANCEL, "Cancel", 143, 142, 50, 14);
    GetDlgItem(kCountId)->textLimit = 6;
    m_initialFocusId = kCountId;
}

void COrbGroupDlg::Preset(const C2DTextureShader* texture, const SFVec3f& color, int count)
{
    const CDIB* picture = texture ? texture->GetPicture() : nullptr;
    m_texture = picture && !picture->IsEmpty() ? std::make_unique<CDIB>(*picture) : nullptr;
    m_preview.reset();
    m_groupColor = color;
    m_groupCount = count;
}

BOOL COrbGroupDlg::OnInitDialog()
{
    // A preset texture shows at once.
    if (m_texture && !m_preview) MakePreview();
    CDialog::OnInitDialog();
    EnableControl(kDeleteId, m_canDelete);
    return TRUE;
}

void COrbGroupDlg::DoDataExchange(CDataExchange* pDX) { DDX_Text(pDX, kCountId, m_groupCount); }

BOOL COrbGroupDlg::OnCommand(int id, int code)
{
    if (code != BN_CLICKED) return CDialog::OnCommand(id, code);
    switch (id) {
    case kSetTextureId:
    case kPreviewId:
        OnSetTexture();
        return TRUE;
    case kSetColorId:
    case kSwatchId:
        OnSetColor();
        return TRUE;
    case kDeleteId:
        OnDeleteGroup();
        return TRUE;
    default:
        return CDialog::OnCommand(id, code);
    }
}

void COrbGroupDlg::OnOK()
{
    const int previous = m_groupCount;
    if (!UpdateData(TRUE)) return;
    // A count that New could not build (or that would take the universe past its limit) is
    // refused like any other entry the dialog cannot take.
    if (m_groupCount < 1 || m_groupCount > m_maxCount) {
        AfxMessageBox(CountRangeMessage(), MB_OK | MB_ICONWARNING);
        m_groupCount = previous;
        SetFocusById(kCountId);
        return;
    }
    EndDialog(IDOK);
}

std::string COrbGroupDlg::CountRangeMessage() const
{
    auto grouped = [](long n) {
        std::string s = std::to_string(n);
        for (int i = int(s.size()) - 3; i > 0; i -= 3) s.insert(size_t(i), ",");
        return s;
    };
    std::string text = "Please enter an integer between 1 and " + grouped(m_maxCount) + ".";
    if (m_maxCount < kMaxOrbs)
        text += "\nThe other groups hold " + grouped(kMaxOrbs - m_maxCount) + " of the " + grouped(kMaxOrbs) +
                " orbs a universe can have.";
    return text;
}

void COrbGroupDlg::OnSetTexture()
{
    SFileDialogOptions options;
    // Every kind of picture the loader reads shows at first.
    options.filter = "Images (*.bmp;*.png)|*.bmp;*.png|Bitmap Images (*.bmp)|*.bmp|PNG Images (*.png)|*.png|";
    options.defaultExt = "bmp";
    // Where the last texture came from; before any, the universe library.
    std::error_code ec;
    const std::filesystem::path library = UniverseLibraryFolder();
    if (!g_lastTextureFolder.empty()) options.initialDir = g_lastTextureFolder;
    else if (std::filesystem::is_directory(library, ec)) options.initialDir = Utf8FromPath(library);
    std::string path;
    if (!AfxFileDialog(options, &path)) return;
    LoadTexture(path);
}

bool COrbGroupDlg::LoadTexture(const std::string& path)
{
    // Made whole beside the current texture, which a file that cannot serve leaves as it was.
    std::unique_ptr<CDIB> picture, preview;
    bool failed = true;
    std::string why;
    try {
        picture = std::make_unique<CDIB>(path);
        DropAlpha(*picture);
        FitTilingSize(*picture);
        preview = PreviewOf(*picture);
        failed = false;
    } catch (const CQLException& e) {
        why = e.What();
    } catch (const std::bad_alloc&) {
        why = "not enough memory for the picture";
    } catch (...) {
    }
    if (failed) {
        // Unreadable, damaged, or too large to hold: which file and why go to standard error.
        std::fprintf(stderr, "%s\n", FileFailureLine(path, why).c_str());
        AfxMessageBox(kTextureErrorText, MB_OK);
        return false;
    }
    m_texture = std::move(picture);
    m_preview = std::move(preview);
    std::error_code ec;
    g_lastTextureFolder = Utf8FromPath(std::filesystem::absolute(PathFromUtf8(path), ec).parent_path());
    m_previewRevision = ++g_previewRevisions;
    Invalidate();
    return true;
}

void COrbGroupDlg::FitTilingSize(CDIB& picture)
{
    if (picture.IsEmpty() || picture.IsTileable()) return;
    const int w = std::min(CDIB::GetClosestTilingSize(picture.GetWidth()), kMaxTextureSide);
    const int h = std::min(CDIB::GetClosestTilingSize(picture.GetHeight()), kMaxTextureSide);
    // Sampled across the borders: the texture wraps round the orb.
    picture.FPRescale(w, h, true);
}

void COrbGroupDlg::MakePreview()
{
    m_preview.reset();
    m_previewRevision = ++g_previewRevisions;
    Invalidate();
    if (m_texture && !m_texture->IsEmpty()) m_preview = PreviewOf(*m_texture);
}

std::unique_ptr<CDIB> COrbGroupDlg::PreviewOf(const CDIB& picture) const
{
    const SDialogControl* area = GetDlgItem(kPreviewId);
    if (picture.IsEmpty() || !area) return nullptr;
    // Our pictures are stored top row first, as they are drawn: the preview needs no flip.
    auto preview = std::make_unique<CDIB>(picture);
    preview->FPRescale(std::max(1, int(area->cx * kPixelsPerUnitX)), std::max(1, int(area->cy * kPixelsPerUnitY)));
    return preview;
}

void COrbGroupDlg::OnSetColor()
{
    // The colour dialog opens at the group's colour, as its swatch shows it.
    const COLORREF shown = SwatchColor();
    COLORREF color = 0;
    if (!AfxColorDialog(shown, &color)) return;
    // OK on the colour it opened with keeps the group's own: the division by 256 would take a
    // step off each channel every time.
    if (color == shown) return;
    SetGroupColor(color);
    Invalidate();
}

void COrbGroupDlg::SetGroupColor(COLORREF c)
{
    m_groupColor = SFVec3f((c & 255) * 0.00390625, ((c >> 8) & 255) * 0.00390625, ((c >> 16) & 255) * 0.00390625);
}

COLORREF COrbGroupDlg::SwatchColor() const
{
    return RGB(int(m_groupColor.x * 255), int(m_groupColor.y * 255), int(m_groupColor.z * 255));
}

SFramePicture COrbGroupDlg::FramePicture(int id) const
{
    SFramePicture p;
    if (id == kSwatchId) {
        p.filled = true;
        p.color = SwatchColor();
    } else if (id == kPreviewId && m_preview) {
        p.rgba = m_preview->Pixels();
        p.width = m_preview->GetWidth();
        p.height = m_preview->GetHeight();
    }
    return p;
}

void COrbGroupDlg::OnDeleteGroup()
{
    m_deleteGroup = true;
    // The window's close: the dialog ends as Cancel, its entries unread.
    OnClose();
}

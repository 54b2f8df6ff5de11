// "Set Orb Group": the orb count, colour and texture of one group of the editing frame.
#pragma once

#include <memory>
#include <string>

#include "dialogs/ColorDlg.h"
#include "engine/core/Dib.h"
#include "engine/math/SFVec3f.h"
#include "platform/Dialog.h"

class C2DTextureShader;

constexpr const char* kTextureErrorText = "Cannot open texture file because an error has occurred!";
// Neither side of a group texture is larger (the closest tiling size of a big picture may be).
constexpr int kMaxTextureSide = 1024;

class COrbGroupDlg : public CDialog {
public:
    static constexpr int kTemplate = 134;
    enum : int {
        kCountId = 1000,
        kPreviewId = 1015,
        kSwatchId = 1016,
        kDeleteId = 1018,
        kSetColorId = 1019,
        kSetTextureId = 1020,
    };

    COrbGroupDlg();

    // Starts from an existing group: a copy of its texture's picture (none when it has none),
    // its colour and its orb count.
    void Preset(const C2DTextureShader* texture, const SFVec3f& color, int count);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(int id, int code) override;
    void OnOK() override;
    // The swatch shows the group's colour, the preview the texture.
    SFramePicture FramePicture(int id) const override;

    // The commands.
    void OnSetTexture();
    void OnSetColor();
    void OnDeleteGroup();

    // Why a count is refused: the range, and what the other groups already hold.
    std::string CountRangeMessage() const;

    // The colour dialog's answer: each channel divided by 256 (a full channel gives 0.99609375).
    void SetGroupColor(COLORREF color);
    // The swatch: each channel int(v x 255), masked to a byte.
    COLORREF SwatchColor() const;
    // The texture picker after a file was chosen: loads it, makes it opaque and of a tiling size.
    // False (with the message shown) when it cannot be read: the texture chosen before, and its
    // preview, stay.
    bool LoadTexture(const std::string& path);
    // A picture whose sides are not both powers of two is rescaled to the closest ones, each side
    // at most kMaxTextureSide.
    static void FitTilingSize(CDIB& picture);
    // The texture scaled to the preview area.
    void MakePreview();
    std::unique_ptr<CDIB> PreviewOf(const CDIB& picture) const;

    // The group's texture picture; the caller takes it on OK (a null one: no texture).
    std::unique_ptr<CDIB> m_texture;
    std::unique_ptr<CDIB> m_preview;
    // Changes whenever m_preview is made anew, so the drawing knows to upload it again.
    unsigned m_previewRevision = 0;
    SFVec3f m_groupColor = SFVec3f::kOne;
    bool m_deleteGroup = false;
    int m_groupCount = 1;
    // The largest count this group may have: the orbs of all groups stay within the universe's limit.
    int m_maxCount;
    // "Delete this Group" acts: the group exists and is not the first.
    bool m_canDelete = false;
};

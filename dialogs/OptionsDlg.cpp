// The options dialog's template, data exchange and its two live controls: the colour-coding
// switch and the universe list.
#include "dialogs/OptionsDlg.h"

#include "engine/core/Utf8Path.h"
#include "storage/UniverseFile.h"
#include "storage/UniverseLibrary.h"
#include "universe/OrbScene.h"
#include "universe/UniversalConstants.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"

namespace {
void Labelled(CDialog& dlg, const char* label, int id, int x, int y, int width)
{
    dlg.AddControl(EControl::Static, -1, label, x, y, width, 9);
    dlg.AddControl(EControl::Slider, id, "", x, y + 9, width, 11);
}
}

COptionsDlg::COptionsDlg() : CDialog(kTemplate, "", 300, 252, EDialogFrame::Border)
{
    m_toolTips = true;
    // The universe list fills when it takes the focus: it starts empty.
    m_initialFocusId = kOptGravity;
    g_openDialog = this;
    LoadFromConstants();

    AddControl(EControl::Static, -1, "Universe Files", 8, 8, 56, 9);
    AddControl(EControl::ComboBox, kOptUniverses, "", 66, 6, 166, 90, kPlainItems);

    AddControl(EControl::GroupBox, -1, "Universal Conditions", 6, 22, 144, 166);
    Labelled(*this, "Gravity", kOptGravity, 12, 34, 130);
    AddControl(EControl::ComboBox, kOptGravityType, "", 12, 57, 130, 40, kSorted).items = {"Black Hole", "Gravity Field"};
    Labelled(*this, "Boundary Energy", kOptBoundaryEnergy, 12, 73, 130);
    AddControl(EControl::ComboBox, kOptBoundaryShape, "", 12, 96, 130, 40, kSorted).items = {"Cubic", "Spherical"};
    Labelled(*this, "Tidal Force", kOptTidal, 12, 112, 130);
    AddControl(EControl::CheckBox, kOptSpinning, "Spinning", 12, 135, 100, 10);
    Labelled(*this, "Maximum Energy", kOptMaxEnergy, 12, 149, 112);
    AddControl(EControl::Static, kOptEleven, "11", 128, 159, 16, 10);

    AddControl(EControl::GroupBox, -1, "Orb Interactions", 156, 22, 138, 166);
    Labelled(*this, "Recoil Energy Loss", kOptRecoil, 162, 34, 126);
    Labelled(*this, "Propagation Energy Loss", kOptPropagation, 162, 58, 126);
    Labelled(*this, "Collision Diameter", kOptDiameter, 162, 82, 126);
    Labelled(*this, "Packing Energy", kOptPacking, 162, 106, 126);
    Labelled(*this, "Minimum Angle", kOptMinimumAngle, 162, 130, 126);
    Labelled(*this, "Throw Force", kOptThrowForce, 162, 154, 126);

    AddControl(EControl::GroupBox, -1, "Color coding", 6, 192, 200, 54);
    AddControl(EControl::CheckBox, kOptColorShifting, "Energy Color Shifting", 12, 204, 96, 10);
    AddControl(EControl::CheckBox, kOptScaledColor, "Scaled Color", 110, 204, 90, 10);
    AddControl(EControl::CheckBox, kOptDynamicColor, "Dynamic Color", 12, 217, 96, 10);
    AddControl(EControl::CheckBox, kOptFlash, "Flash Collisions", 110, 217, 90, 10);
    AddControl(EControl::Slider, kOptWhitePoint, "", 12, 231, 188, 11);

    AddControl(EControl::Static, kOptOrbsLabel, "# Orbs", 212, 196, 80, 9);
    AddControl(EControl::Slider, kOptOrbs, "", 212, 205, 82, 11);
    AddControl(EControl::DefPushButton, IDOK, "OK", 212, 230, 40, 14);
    AddControl(EControl::PushButton, IDCANCEL, "Cancel", 254, 230, 40, 14);
}

COptionsDlg::~COptionsDlg()
{
    if (g_openDialog == this) g_openDialog = nullptr;
}

void COptionsDlg::LoadFromConstants()
{
    m_values = ControlsFromConstants(*g_pConstants);
    m_given = m_values;
    m_universeIndex = 0;
}

void COptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    auto check = [pDX](int id, bool& v) {
        int i = v ? 1 : 0;
        DDX_Check(pDX, id, i);
        v = i != 0;
    };
    SOptionsControls& v = m_values;
    DDX_Slider(pDX, kOptDiameter, v.collisionDiameter);
    DDX_Slider(pDX, kOptGravity, v.gravity);
    DDX_Slider(pDX, kOptPropagation, v.propagationLoss);
    DDX_Slider(pDX, kOptRecoil, v.recoilLoss);
    DDX_Slider(pDX, kOptWhitePoint, v.whitePoint);
    check(kOptFlash, v.flashCollisions);
    DDX_Slider(pDX, kOptBoundaryEnergy, v.boundaryEnergy);
    DDX_Slider(pDX, kOptTidal, v.tidalForce);
    check(kOptSpinning, v.spinning);
    check(kOptScaledColor, v.scaledColor);
    DDX_Slider(pDX, kOptMaxEnergy, v.maxEnergy);
    DDX_Slider(pDX, kOptOrbs, v.orbs);
    DDX_CBIndex(pDX, kOptGravityType, v.gravityType);
    check(kOptDynamicColor, v.dynamicColor);
    DDX_Slider(pDX, kOptPacking, v.packingEnergy);
    // The list is empty until it first takes the focus, so nothing is selected at first.
    DDX_CBIndex(pDX, kOptUniverses, m_universeIndex);
    DDX_CBIndex(pDX, kOptBoundaryShape, v.boundaryShape);
    DDX_Slider(pDX, kOptMinimumAngle, v.minimumAngle);
    DDX_Slider(pDX, kOptThrowForce, v.throwForce);
    check(kOptColorShifting, v.energyColorShifting);
}

BOOL COptionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    EnableColorCoding();
    // The list, empty until it takes the focus, shows the universe in use.
    SDialogControl& list = *GetDlgItem(kOptUniverses);
    list.selection = ShowUniverseEntry(list.items, GetAppServices()->m_currentUniverse);
    return TRUE;
}

void COptionsDlg::EnableColorCoding()
{
    const bool on = GetDlgItem(kOptColorShifting)->value != 0;
    for (int id : {kOptWhitePoint, kOptScaledColor, kOptFlash, kOptDynamicColor, kOptWhitePoint}) EnableControl(id, on);
}

BOOL COptionsDlg::OnCommand(int id, int code)
{
    if (id == kOptColorShifting && code == BN_CLICKED) {
        // The click already turned the box; the member follows it.
        m_values.energyColorShifting = GetDlgItem(kOptColorShifting)->value != 0;
        EnableColorCoding();
        Invalidate();
        return TRUE;
    }
    if (id == kOptUniverses && code == CBN_SETFOCUS) {
        SDialogControl& list = *GetDlgItem(kOptUniverses);
        FillUniverseList(list.items);
        list.selection = FindUniverseEntry(list.items, GetAppServices()->m_currentUniverse);
        return TRUE;
    }
    if (id == kOptUniverses && code == CBN_SELCHANGE) {
        OnUniverseChosen();
        return TRUE;
    }
    return CDialog::OnCommand(id, code);
}

void COptionsDlg::OnUniverseChosen()
{
    SDialogControl& list = *GetDlgItem(kOptUniverses);
    if (list.selection < 0 || list.selection >= int(list.items.size())) return;
    const int chosen = list.selection;
    const bool other = chosen == int(list.items.size()) - 1;
    CAppServices* app = GetAppServices();
    std::string path;
    // "Other..." asks for the file; cancelled, the values are reloaded as after any load.
    const bool picked = !other ? (path = Utf8FromPath(UniverseListFolder() / PathFromUtf8(list.items[size_t(chosen)])), true)
                               : AfxFileDialog(UniverseFileDialogOptions(false), &path);
    // Unsaved work is asked about first. Cancel there leaves everything as it stands, as a failed
    // load does (the loader said what went wrong): the dialog keeps the values it shows, and the
    // list the universe still in use.
    if (picked && (!app->SaveModified() || app->LoadUniverse(&path).Failed())) {
        list.selection = FindUniverseEntry(list.items, app->m_currentUniverse);
        Invalidate();
        return;
    }
    LoadFromConstants();
    // The list shows the universe in use: the one just loaded, or after "Other..." was cancelled
    // (or a sub-folder chosen) the one before; "Other..." stays for a file from elsewhere.
    m_universeIndex = FindUniverseEntry(list.items, app->m_currentUniverse);
    if (m_universeIndex < 0 && other) m_universeIndex = chosen;
    UpdateData(FALSE);
    EnableColorCoding();
    Invalidate();
}

void ApplyOptions(const COptionsDlg& dlg, CUniversalConstants& constants)
{
    const int n = ApplyControls(dlg.m_values, constants, &dlg.m_given);
    if (dlg.m_values.orbs == dlg.m_given.orbs || n == constants.m_orbCount) return;
    if (GetAppServices()->m_pUniverseView) SetOrbCount(n);
    else constants.m_orbCount = n;
}

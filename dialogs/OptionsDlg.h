// The options dialog: every universal constant as a slider, check box or list, red on black, and
// the universe library, whose entries load at once.
#pragma once

#include "platform/Dialog.h"
#include "dialogs/OptionsConversions.h"

class CUniversalConstants;

// Control ids of the dialog's template.
enum : int {
    kOptRecoil = 1000, kOptPropagation = 1001, kOptDiameter = 1002, kOptGravity = 1003, kOptWhitePoint = 1004,
    kOptOrbs = 1005, kOptFlash = 1006, kOptBoundaryEnergy = 1007, kOptPacking = 1008, kOptMinimumAngle = 1009,
    kOptTidal = 1010, kOptSpinning = 1011, kOptUniverses = 1012, kOptEleven = 1013, kOptBoundaryShape = 1014,
    kOptScaledColor = 1015, kOptMaxEnergy = 1016, kOptOrbsLabel = 1017, kOptGravityType = 1018,
    kOptDynamicColor = 1019, kOptThrowForce = 1020, kOptColorShifting = 1021,
};

class COptionsDlg : public CDialog {
public:
    static constexpr int kTemplate = 103;
    static constexpr unsigned kTextColor = 0x0000FF;  // COLORREF of RGB(255, 0, 0)

    // Registers itself as the view's open dialog and takes the values of the constants.
    COptionsDlg();
    ~COptionsDlg() override;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(int id, int code) override;

    // Every value member from the constants block.
    void LoadFromConstants();
    // The colour-coding controls follow "Energy Color Shifting".
    void EnableColorCoding();

    SOptionsControls m_values;
    // What the controls showed when the dialog took the constants: OK writes back only the
    // controls that are elsewhere now (a slider's steps are too coarse to give most values back).
    SOptionsControls m_given;
    int m_universeIndex = 0;

private:
    void OnUniverseChosen();
};

// OK: the values of the controls the user changed into the constants, in the dialog's order, and
// the orb count last when "# Orbs" was moved (the population changes at once while a universe
// window exists).
void ApplyOptions(const COptionsDlg& dlg, CUniversalConstants& constants);

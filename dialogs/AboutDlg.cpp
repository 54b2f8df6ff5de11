// The about box's template and text.
#include "dialogs/AboutDlg.h"

const char* const CAboutDlg::kAboutText =
    "Nimbula is a software gadget from Quillon masquerading as a screen saver.  It uses our real time "
    "interactive 3D kernel to create an area where a collection of orbs interact with each other based on some "
    "simple rules.  Even though the rules are simple, the results can be quite complex and beautiful.\n"
    "Nimbula is meant as a demonstration of what we at Quillon can accomplish with little effort, using this "
    "magical kernel of ours.  \n"
    "If you're looking for some online help, press the H key after closing this dialog.\n"
    "If you're looking for easter eggs, here come the credits. That may give you some ideas! \n"
    "Credits\n";

CAboutDlg::CAboutDlg() : CDialog(kTemplate, "About Nimbula", 236, 150)
{
    AddControl(EControl::Icon, -1, "", 8, 8, 24, 24);
    // The one version of the program, the build's own, as --version says it.
    AddControl(EControl::Static, -1, "Nimbula Version " NIMBULA_VERSION, 42, 9, 130, 10);
    AddControl(EControl::Static, -1, "Made by the Nimbula team, 2026.\nShare it with friends; send us your universes.",
               42, 21, 186, 18);
    AddControl(EControl::DefPushButton, IDOK, "OK", 178, 8, 50, 14);
    AddControl(EControl::Edit, kAboutTextId, "", 8, 44, 220, 98, kMultiline | kReadOnly | kVScroll);
}

void CAboutDlg::SetAboutText() { m_text = kAboutText; }

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { DDX_Text(pDX, kAboutTextId, m_text); }

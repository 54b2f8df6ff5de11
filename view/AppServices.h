// What the universe window and the dialogs ask of the application (not the application itself:
// app/'s CSaverApp provides it), reached through GetAppServices().
#pragma once

#include <string>

#include "engine/math/Rect.h"
#include "view/LoadOutcome.h"

class CUniverseView;
class CSettingsStore;
class CDialog;

class CAppServices {
public:
    virtual ~CAppServices() = default;

    std::string m_installDir;
    // The universe loaded when a window is created; empty means the standard one.
    std::string m_defaultUniverse;
    // The universe file on show (the last one loaded); empty while no file holds it.
    std::string m_currentUniverse;
    short m_spatialMapDivisions = 23;
    bool m_editingMode = false;
    bool m_previewMode = false;
    RECT m_mainWindowRect;
    // Every view constructor stores itself here.
    CUniverseView* m_pUniverseView = nullptr;
    // Orbs of the standard universe (100 unless the command line asks otherwise).
    int m_standardOrbCount = 100;
    // The default universe file and saved constants; null when nothing is kept (tests, tools).
    CSettingsStore* m_pSettingsStore = nullptr;

    // The O key: the options dialog, applied to the constants.
    virtual void RunOptionsDialog() {}
    // The dialog a letter key of the view opens ('A' about, 'H' help, 'S' share, 'V' web support),
    // made ready to run; null when there is none. The view runs it and deletes it.
    virtual CDialog* CreateViewDialog(int key) { return nullptr; }
    // Loads a universe file (null: asks for one). Without a loader (tests, tools) every load fails.
    virtual SLoadOutcome LoadUniverse(const std::string* path) { return SLoadOutcome::Failure({}); }
    // Before a universe the user chose replaces the one on show: asks about unsaved work where
    // there is any (the editing frame). False when the user cancelled.
    virtual bool SaveModified() { return true; }
};

// The running application; a plain default object when none registered (tests, tools).
CAppServices* GetAppServices();
void SetAppServices(CAppServices* app);

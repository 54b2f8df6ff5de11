// The application object: one copy, engine binding, installation directory, run modes, shutdown.
#pragma once

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/App.h"
#include "storage/OrbGroup.h"
#include "storage/SettingsStore.h"
#include "view/AppServices.h"

class CMainFrame;
class CUniversalConstants;
class CUniverseView;

// The editing frame's size where the display has room for it.
constexpr long kEditingFrameWidth = 1280;
constexpr long kEditingFrameHeight = 720;

constexpr const char* kMutexName = "{3F7A9C21-58D4-4e1b-8C6F-0B2D47E9A513}";

class CSaverApp : public CWinApp, public CAppServices {
public:
    // args: the argument vector with our own options already taken out. alreadyRunning: the
    // single-instance lock found another copy.
    CSaverApp(std::vector<std::string> args, const SOwnOptions& options, bool alreadyRunning);
    ~CSaverApp() override;

    BOOL InitInstance() override;
    BOOL OnIdle(long count) override;
    void OnFramePresented(CWnd* wnd) override;
    void OnMainWindowDestroyed() override;
    void RunOptionsDialog() override;
    // The configuration mode: the setup dialog; OK stores the chosen default universe.
    void RunSetupDialog();
    CDialog* CreateViewDialog(int key) override;
    // The universe-file loader; in editing mode loaded groups go to the frame, whose universe is
    // then the file's.
    SLoadOutcome LoadUniverse(const std::string* path) override;
    bool SaveModified() override;

    // Which folder holds sphere.umf, with the message when none does.
    void FindInstallationDirectory();

    bool m_alreadyRunning = false;
    std::vector<std::string> m_args;
    SOwnOptions m_options;
    // The editing frame while it exists.
    CMainFrame* m_pEditingFrame = nullptr;

private:
    // universeFile: a file to open in the frame; empty: the default universe.
    BOOL StartEditingFrame(const std::string& universeFile);
    BOOL StartPreview(unsigned long window, const std::string& windowText);
    BOOL StartFullScreen(int windowMode);
    BOOL StartInForeignWindow(unsigned long window, const std::string& windowText);
    void CountFrame();

    CSettingsStore m_settingsStore;
    bool m_bound = false;
    CUniversalConstants* m_pOwnConstants = nullptr;
    CUniverseView* m_pOwnedView = nullptr;  // the view of the modes without a frame
    long m_framesPainted = 0;
    double m_firstFrameTime = 0.0;
};

// The view made for switches s and b; deleted by the application's destructor.
extern CUniverseView* g_pFullScreenView;

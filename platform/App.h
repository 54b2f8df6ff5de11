// The application object in the classic style: start-up hook, idle handler and the message loop.
#pragma once

#include "platform/FramePacer.h"
#include "platform/Messages.h"

class CWnd;

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // Returns FALSE to end the program at once.
    virtual BOOL InitInstance() { return TRUE; }
    // Called when no message is waiting; TRUE asks to be called again.
    virtual BOOL OnIdle(long count);
    // The loop ended; the result is the exit code.
    virtual int ExitInstance() { return m_exitCode; }
    // A window's frame reached the screen.
    virtual void OnFramePresented(CWnd* wnd) {}
    // The main window is going away.
    virtual void OnMainWindowDestroyed() {}

    // Runs the message loop until WM_QUIT; without a main window it ends at once.
    int Run();
    // One turn of the loop; false when WM_QUIT arrived.
    bool RunOnce();

    CWnd* m_pMainWnd = nullptr;
    void* m_hInstance = nullptr;
    CFramePacer m_pacer;
    int m_exitCode = 0;

    // Seconds on a steady clock (tests replace it).
    double (*m_clock)() = nullptr;
    double Now() const;

private:
    void PumpSystemEvents();
    bool DispatchQueuedMessages();
    bool PaintDue() const;
    void PaintInvalidatedWindows();
    void RunIdle();
    void PresentPaintedWindows();
    void WaitForWork();

    long m_idleCount = 0;
    bool m_idleDone = false;
};

CWinApp* AfxGetApp();
// Called by every window on its way out: the main window's end ends the loop.
void AfxWindowDestroyed(CWnd* wnd);
// The end asked from outside the loop (a signal, a console's close, the session's end): the main
// window closes as its close box would, or the loop ends when there is none.
void AfxCloseMainWindow();

// The one thread's message queue and the list of live windows the loop paints.
#pragma once

#include <vector>

#include "platform/Messages.h"

class CWnd;

struct SQueuedMessage {
    CWnd* wnd = nullptr;  // null for thread messages such as WM_QUIT
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

void PostQueuedMessage(const SQueuedMessage& m);
// Takes the oldest message; false when the queue is empty.
bool PopQueuedMessage(SQueuedMessage* out);
bool HasQueuedMessages();
// Forgets everything queued (tests, and the end of the loop).
void ClearMessageQueue();
// Drops queued keyboard and mouse messages (a modal dialog takes what arrived with its opening).
void DiscardQueuedInput();
// Asks the loop to end with the given exit code.
void PostQuitMessage(int exitCode);

// Windows register while they exist; destroyed windows lose their queued messages.
void RegisterLiveWindow(CWnd* wnd);
void UnregisterLiveWindow(CWnd* wnd);
const std::vector<CWnd*>& LiveWindows();

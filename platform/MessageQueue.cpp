// The one thread's message queue and the list of live windows the loop paints.
#include "platform/MessageQueue.h"

#include <algorithm>
#include <deque>

namespace {
std::deque<SQueuedMessage>& Queue()
{
    static std::deque<SQueuedMessage> queue;
    return queue;
}

std::vector<CWnd*>& Windows()
{
    static std::vector<CWnd*> windows;
    return windows;
}
}

void PostQueuedMessage(const SQueuedMessage& m) { Queue().push_back(m); }

bool PopQueuedMessage(SQueuedMessage* out)
{
    if (Queue().empty()) return false;
    *out = Queue().front();
    Queue().pop_front();
    return true;
}

bool HasQueuedMessages() { return !Queue().empty(); }

void ClearMessageQueue() { Queue().clear(); }

void DiscardQueuedInput()
{
    auto isInput = [](const SQueuedMessage& m) {
        return (m.message >= WM_KEYDOWN && m.message <= WM_SYSKEYUP) ||
               (m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONUP);
    };
    auto& q = Queue();
    q.erase(std::remove_if(q.begin(), q.end(), isInput), q.end());
}

void PostQuitMessage(int exitCode) { PostQueuedMessage({nullptr, WM_QUIT, WPARAM(exitCode), 0}); }

void RegisterLiveWindow(CWnd* wnd)
{
    if (std::find(Windows().begin(), Windows().end(), wnd) == Windows().end()) Windows().push_back(wnd);
}

void UnregisterLiveWindow(CWnd* wnd)
{
    auto& w = Windows();
    w.erase(std::remove(w.begin(), w.end(), wnd), w.end());
    // A message for a window that no longer exists must never be dispatched.
    auto& q = Queue();
    q.erase(std::remove_if(q.begin(), q.end(), [wnd](const SQueuedMessage& m) { return m.wnd == wnd; }), q.end());
}

const std::vector<CWnd*>& LiveWindows() { return Windows(); }

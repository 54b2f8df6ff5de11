// The one message function and its replaceable handler.
#include "platform/MessageBox.h"

#include <cstdio>

#include "platform/Diagnostics.h"

namespace {
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

bool MessagesToStderr() { return Diagnostics().messagesToStderr; }

CMessageHold*& ActiveHold()
{
    static CMessageHold* hold = nullptr;
    return hold;
}
}

int AfxMessageBox(const std::string& text, unsigned type)
{
    if (Handler() && !MessagesToStderr()) {
        if (CMessageHold* hold = ActiveHold(); hold && (type & 0xF) == MB_OK) {
            hold->m_held.emplace_back(text, type);
            return IDOK;
        }
        return Handler()(text, type);
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    // A question nobody sees is answered by its default button; one that also offers Cancel
    // (unsaved work) by No, so that no further dialog opens with nobody there to answer it.
    const unsigned buttons = type & 0xF;
    return buttons == MB_YESNO ? IDYES : buttons == MB_YESNOCANCEL ? IDNO : IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

CMessageHold::CMessageHold() : m_outer(ActiveHold()) { ActiveHold() = this; }

CMessageHold::~CMessageHold()
{
    try {
        Release();
    } catch (...) {
        // A handler that fails while the stack unwinds: the texts are lost, the program is not.
    }
}

void CMessageHold::Release()
{
    if (!m_holding) return;
    m_holding = false;
    if (ActiveHold() == this) ActiveHold() = m_outer;
    std::vector<std::pair<std::string, unsigned>> held;
    held.swap(m_held);
    for (const auto& [text, type] : held) AfxMessageBox(text, type);
}

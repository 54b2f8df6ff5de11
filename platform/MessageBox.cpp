// The one message function and its replaceable handler.
#include "platform/MessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

bool MessagesToStderr()
{
    const char* v = std::getenv("NIMBULA_MESSAGE_BOXES");
    return v && std::strcmp(v, "stderr") == 0;
}
}

int AfxMessageBox(const std::string& text, unsigned type)
{
    if (Handler() && !MessagesToStderr()) return Handler()(text, type);
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

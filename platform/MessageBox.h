// Every message the program shows goes through AfxMessageBox; tests and hosts replace the handler.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
constexpr unsigned MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

using MessageBoxHandler = std::function<int(const std::string& text, unsigned type)>;

// Shows text and returns the button pressed. Without a handler (or with
// NIMBULA_MESSAGE_BOXES=stderr) the text goes to standard error and the answer is IDOK.
int AfxMessageBox(const std::string& text, unsigned type = MB_OK);
// Installs a handler; returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Holds back the messages that only inform (an OK button alone) while it lives, so that a window
// can show them over what it is about to draw instead of over an empty screen; Release shows
// them in order. Questions are asked at once, and messages that go to standard error (no handler,
// or NIMBULA_MESSAGE_BOXES=stderr) are never held.
class CMessageHold {
public:
    CMessageHold();
    ~CMessageHold();
    CMessageHold(const CMessageHold&) = delete;
    CMessageHold& operator=(const CMessageHold&) = delete;
    // Ends the hold and shows what it held.
    void Release();

private:
    friend int AfxMessageBox(const std::string& text, unsigned type);
    std::vector<std::pair<std::string, unsigned>> m_held;
    CMessageHold* m_outer = nullptr;
    bool m_holding = true;
};

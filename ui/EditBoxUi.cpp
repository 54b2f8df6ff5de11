// The edit box: one line or many, its text wrapped to its width also while it is typed in, the
// clipboard without the soft breaks, and a paste too long for the box refused before it is made.
#include <imgui_internal.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/Dialog.h"
#include "ui/DialogControls.h"
#include "ui/Fonts.h"
#include "ui/WrappedText.h"

namespace {
// The box being typed in: its wrapped text as ImGui holds it, and what it asked of the dialog.
struct SEditState {
    ImGuiID id = 0;
    SWrapped wrapped;
    float width = 0.0f;
    size_t limit = kDefaultTextLimit;
    int cursor = 0, selStart = 0, selEnd = 0;  // in shown, as of the last frame
    bool tooLong = false;
    ImGuiID activeId = 0;
};
SEditState g_edit;

int EditCallback(ImGuiInputTextCallbackData* data)
{
    auto* text = static_cast<std::string*>(data->UserData);
    if (data->EventFlag == ImGuiInputTextFlags_CallbackResize) {
        text->resize(size_t(data->BufTextLen));
        data->Buf = text->data();
        return 0;
    }
    SEditState& st = g_edit;
    if (data->EventFlag == ImGuiInputTextFlags_CallbackEdit) {
        const std::string now(data->Buf, size_t(data->BufTextLen));
        const std::string& before = st.wrapped.shown;
        // The edit replaced one stretch: what lies before and after it kept its soft breaks.
        size_t head = 0;
        while (head < now.size() && head < before.size() && now[head] == before[head]) ++head;
        size_t tail = 0;
        while (tail < now.size() - head && tail < before.size() - head &&
               now[now.size() - 1 - tail] == before[before.size() - 1 - tail])
            ++tail;
        std::vector<size_t> kept;
        size_t removedBreaks = 0;
        for (size_t b : st.wrapped.breaks) {
            if (b < head) kept.push_back(b);
            else if (b >= before.size() - tail) kept.push_back(b + now.size() - before.size());
            else ++removedBreaks;
        }
        std::string logical = Unwrap(now, kept);
        size_t cursor = TextPosition(kept, size_t(data->CursorPos));
        // Backspace or Delete on a soft break takes the letter beyond it, as in any wrapped box.
        const size_t removed = before.size() - head - tail;
        if (removedBreaks == 1 && removed == 1 && now.size() + 1 == before.size()) {
            const bool back = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Backspace));
            size_t at = cursor;
            if (back && at > 0) {
                do --at;
                while (at > 0 && (static_cast<unsigned char>(logical[at]) & 0xC0) == 0x80);
                logical.erase(at, cursor - at);
                cursor = at;
            } else if (!back && at < logical.size()) {
                size_t to = at + 1;
                while (to < logical.size() && (static_cast<unsigned char>(logical[to]) & 0xC0) == 0x80) ++to;
                logical.erase(at, to - at);
            }
        }
        SWrapped next;
        if (logical.size() > st.limit) {
            // Too long for the box: it keeps what it had, and the dialog says why.
            next = st.wrapped;
            st.tooLong = true;
            data->DeleteChars(0, data->BufTextLen);
            data->InsertChars(0, next.shown.c_str());
            data->CursorPos = st.cursor;
            data->SelectionStart = st.selStart;
            data->SelectionEnd = st.selEnd;
            return 0;
        }
        next = Wrap(ImGui::GetFont(), ImGui::GetFontSize(), logical, st.width);
        if (next.shown != now) {
            data->DeleteChars(0, data->BufTextLen);
            data->InsertChars(0, next.shown.c_str());
        }
        data->CursorPos = int(ShownPosition(next.breaks, cursor));
        data->SelectionStart = data->SelectionEnd = data->CursorPos;
        st.wrapped = std::move(next);
    }
    st.cursor = data->CursorPos;
    st.selStart = data->SelectionStart;
    st.selEnd = data->SelectionEnd;
    return 0;
}

// The clipboard while a wrapped box is worked: copies leave its soft breaks out, and a paste
// longer than the box holds is refused before it is made.
void (*g_setClipboard)(void*, const char*) = nullptr;
const char* (*g_getClipboard)(void*) = nullptr;

void SetClipboardUnwrapped(void* user, const char* text)
{
    const ImGuiInputTextState* state = ImGui::GetInputTextState(g_edit.activeId);
    std::string out = text;
    if (state) {
        const int a = state->HasSelection() ? std::min(state->Stb.select_start, state->Stb.select_end) : 0;
        const size_t from = size_t(ImTextCountUtf8BytesFromStr(state->TextW.Data, state->TextW.Data + a));
        std::vector<size_t> inside;
        for (size_t b : g_edit.wrapped.breaks)
            if (b >= from && b - from < out.size() && out[b - from] == '\n') inside.push_back(b - from);
        out = Unwrap(out, inside);
    }
    g_setClipboard(user, out.c_str());
}

const char* GetClipboardChecked(void* user)
{
    const char* text = g_getClipboard(user);
    if (text && std::strlen(text) > g_edit.limit) {
        g_edit.tooLong = true;
        return "";
    }
    return text;
}

// A double click selects the word under the caret, as far as spaces and the text's own line
// breaks: the soft breaks do not end it, so a universal string is selected whole.
void SelectWordAcrossBreaks(ImGuiID id)
{
    ImGuiInputTextState* state = ImGui::GetInputTextState(id);
    if (!state) return;
    const ImWchar* text = state->TextW.Data;
    const int length = state->CurLenW;
    // The soft breaks, as positions in ImGui's wide text.
    std::vector<int> soft;
    for (size_t b : g_edit.wrapped.breaks)
        soft.push_back(ImTextCountCharsFromUtf8(g_edit.wrapped.shown.c_str(), g_edit.wrapped.shown.c_str() + b));
    auto inWord = [&](int i) {
        if (i < 0 || i >= length) return false;
        if (text[i] == '\n') return std::binary_search(soft.begin(), soft.end(), i);
        return text[i] != ' ' && text[i] != '\t' && text[i] != '\r';
    };
    int a = std::clamp(state->Stb.cursor, 0, length), z = a;
    if (!inWord(a) && inWord(a - 1)) --a, --z;
    if (!inWord(a)) return;
    while (inWord(a - 1)) --a;
    while (inWord(z)) ++z;
    state->Stb.select_start = a;
    state->Stb.select_end = z;
    state->Stb.cursor = z;
}
}  // namespace

// An edit box. A multi-line one keeps its text wrapped to its width, also while it is typed
// in; a read-only one shows it. The box with the dialog's focus takes the keys; a click or a drag
// in any box gives it the focus and works at once (the caret, a selection).
void DrawEdit(const SContext& k, SDialogControl& c, bool focused)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    const bool multiline = (c.style & kMultiline) != 0;
    const std::string label = "##edit" + std::to_string(c.id);
    ImGui::PushFont(TextAreaFont());
    ImGui::SetCursorScreenPos(p);
    if (!(c.style & kReadOnly)) {
        const ImGuiID id = ImGui::GetID(label.c_str());
        // The focus went elsewhere (Tab, a click on a button): the box lets go of the keys.
        if (!focused && ImGui::GetActiveID() == id) ImGui::ClearActiveID();
        ImGuiStorage* storage = ImGui::GetStateStorage();
        const ImGuiID typingKey = ImHashStr("##typingIn");
        if (focused && c.enabled) {
            // The box takes the keys when it gains the dialog's focus (Tab from another box, whose
            // field ImGui still holds active), and whenever nothing else is being worked (a drag).
            const bool gained = storage->GetInt(typingKey, -1) != c.id;
            // A box already taken by a click keeps it: the drag that follows selects.
            if (ImGui::GetActiveID() != id && (ImGui::IsWindowAppearing() || gained || !ImGui::IsAnyItemActive()))
                ImGui::SetKeyboardFocusHere();
            storage->SetInt(typingKey, c.id);
        } else if (storage->GetInt(typingKey, -1) == c.id) {
            storage->SetInt(typingKey, -1);
        }
        bool changed = false;
        if (multiline) {
            const ImGuiStyle& style = ImGui::GetStyle();
            const float width = std::max(ImGui::GetFontSize(), s.x - 2 * style.FramePadding.x - style.ScrollbarSize - 2.0f);
            SEditState& st = g_edit;
            const bool active = ImGui::GetActiveID() == id;
            // One box is typed in at a time; it alone keeps its wrapped copy from frame to frame.
            const bool otherTyping = st.id != id && st.id != 0 && ImGui::GetActiveID() == st.id;
            std::string buffer;
            if (otherTyping) {
                buffer = Wrap(ImGui::GetFont(), ImGui::GetFontSize(), c.text, width).shown;
            } else {
                if (st.id != id || !active || st.width != width) {
                    st.id = id;
                    st.width = width;
                    st.wrapped = Wrap(ImGui::GetFont(), ImGui::GetFontSize(), c.text, width);
                }
                st.limit = c.textLimit;
                st.activeId = id;
                buffer = st.wrapped.shown;
            }
            ImGuiIO& io = ImGui::GetIO();
            g_setClipboard = io.SetClipboardTextFn;
            g_getClipboard = io.GetClipboardTextFn;
            if (g_setClipboard) io.SetClipboardTextFn = SetClipboardUnwrapped;
            if (g_getClipboard) io.GetClipboardTextFn = GetClipboardChecked;
            const ImGuiInputTextFlags flags = ImGuiInputTextFlags_CallbackResize | ImGuiInputTextFlags_CallbackEdit |
                                              ImGuiInputTextFlags_CallbackAlways;
            changed = ImGui::InputTextMultiline(label.c_str(), buffer.data(), buffer.capacity() + 1, s, flags,
                                                EditCallback, &buffer);
            io.SetClipboardTextFn = g_setClipboard;
            io.GetClipboardTextFn = g_getClipboard;
            if (!otherTyping && ImGui::IsItemHovered() && ImGui::IsMouseDoubleClicked(0)) SelectWordAcrossBreaks(id);
            if (!otherTyping && ImGui::GetActiveID() == id) {
                // ImGui's buffer and our wrapped copy agree after each edit.
                const std::string text = Unwrap(st.wrapped.shown, st.wrapped.breaks);
                if (text != c.text) {
                    c.text = text;
                    changed = true;
                }
            }
            if (st.tooLong) {
                st.tooLong = false;
                k.dlg.PostCommand(EDialogCommand::Notify, c.id, EN_MAXTEXT);
            }
        } else {
            std::string& t = c.text;
            const size_t used = std::min(t.size(), c.textLimit);
            t.resize(c.textLimit + 1, '\0');
            t[used] = '\0';
            // A name put in the box is selected when the box gains the focus, so typing replaces it.
            ImGuiInputTextFlags flags = ImGuiInputTextFlags_AutoSelectAll;
            if (c.style & kNumber) flags |= ImGuiInputTextFlags_CharsDecimal;
            ImGui::SetNextItemWidth(s.x);
            changed = ImGui::InputText(label.c_str(), t.data(), t.size(), flags);
            // Taken by the keyboard (Tab, or the dialog opening on it), the whole name is
            // selected, as desktop dialogs do; a click places the caret.
            if (ImGui::IsItemActivated() && !ImGui::IsMouseClicked(0))
                if (ImGuiInputTextState* state = ImGui::GetInputTextState(id)) state->SelectAll();
            t.resize(std::strlen(t.c_str()));
        }
        if (ImGui::IsItemActivated() && !focused) k.dlg.PostCommand(EDialogCommand::Focus, c.id);
        if (changed) k.dlg.Invalidate();
    } else {
        ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(4, 3));
        ImGui::BeginChild(label.c_str(), s, true, multiline && (c.style & kVScroll) ? 0 : ImGuiWindowFlags_NoScrollbar);
        const float width = ImGui::GetContentRegionAvail().x;
        const std::string wrapped = multiline ? Wrap(ImGui::GetFont(), ImGui::GetFontSize(), c.text, width).shown : c.text;
        ImGui::TextUnformatted(wrapped.c_str());
        ImGui::EndChild();
        ImGui::PopStyleVar();
        if (ImGui::IsItemClicked() && c.TakesFocus()) k.dlg.PostCommand(EDialogCommand::Focus, c.id);
    }
    ImGui::PopFont();
    Tooltip(k, c);
    if (focused) FocusRing(k, p, ImVec2(p.x + s.x, p.y + s.y));
}

// The toolbar's layout, tips and mouse handling.
#include "frame/ToolBar.h"

#include <filesystem>

#include "dialogs/StringTable.h"

namespace {
ToolBarPainter g_painter = nullptr;
float g_scale = 1.0f;
}

void SetToolBarScale(float scale) { g_scale = scale >= 1.0f ? scale : 1.0f; }
float ToolBarScale() { return g_scale; }

void SetToolBarPainter(ToolBarPainter painter) { g_painter = painter; }
ToolBarPainter GetToolBarPainter() { return g_painter; }

void CToolBar::AddButton(int id, const std::string& folder, const std::string& name)
{
    SToolButton b;
    b.id = id;
    b.image = (std::filesystem::path(folder) / (name + ".png")).string();
    m_buttons.push_back(b);
}

RECT CToolBar::ButtonRect(int index) const
{
    const long x = Scaled(kMargin + kGripperWidth) + long(index) * Scaled(kButtonSize);
    return RECT{x, Scaled(kMargin), x + Scaled(kButtonSize), Scaled(kMargin) + Scaled(kButtonSize)};
}

int CToolBar::HitTest(int x, int y) const
{
    for (int i = 0; i < int(m_buttons.size()); ++i) {
        const RECT r = ButtonRect(i);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
    }
    return -1;
}

SToolButton* CToolBar::Find(int id)
{
    for (SToolButton& b : m_buttons)
        if (b.id == id) return &b;
    return nullptr;
}

const SToolButton* CToolBar::Find(int id) const { return const_cast<CToolBar*>(this)->Find(id); }

std::string CToolBar::TipOf(int id)
{
    const std::string s = LoadResourceString(id);
    const size_t newline = s.find('\n');
    return newline == std::string::npos ? std::string() : s.substr(newline + 1);
}

int CToolBar::OnMouse(UINT message, int x, int y)
{
    const int hit = HitTest(x, y);
    switch (message) {
    case WM_MOUSEMOVE:
        m_hot = hit;
        return 0;
    case WM_MOUSELEAVE:
        m_hot = -1;
        return 0;
    case WM_LBUTTONDOWN:
        m_hot = hit;
        m_pressed = hit >= 0 && m_buttons[size_t(hit)].enabled ? hit : -1;
        return 0;
    case WM_LBUTTONUP: {
        const int pressed = m_pressed;
        m_pressed = -1;
        if (pressed < 0 || pressed != hit || !m_buttons[size_t(hit)].enabled) return 0;
        return m_buttons[size_t(hit)].id;
    }
    default:
        return 0;
    }
}

// The toolbar's layout, tips and mouse handling.
#include "frame/ToolBar.h"

#include <algorithm>
#include <filesystem>

#include "dialogs/StringTable.h"
#include "engine/core/Utf8Path.h"

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
    b.image = Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(name + ".png"));
    m_buttons.push_back(b);
}

void CToolBar::SetClientSize(long width, long height)
{
    m_clientWidth = width;
    m_clientHeight = height;
}

int CToolBar::PerLine(EDockSide side) const
{
    const bool vertical = side == EDockSide::Left || side == EDockSide::Right;
    const long length = vertical ? m_clientHeight : m_clientWidth;
    const int all = std::max(1, int(m_buttons.size()));
    // Before the frame has a size, one line.
    if (length <= 0) return all;
    const long room = length - Scaled(kMargin + kGripperWidth);
    return std::clamp(int(room / Scaled(kButtonSize)), 1, all);
}

int CToolBar::Thickness(EDockSide side) const
{
    const int perLine = PerLine(side);
    const int lines = (std::max(1, int(m_buttons.size())) + perLine - 1) / perLine;
    return Scaled(2 * kMargin) + lines * Scaled(kButtonSize);
}

RECT CToolBar::BarRect(EDockSide side) const
{
    const long t = Thickness(side), w = m_clientWidth, h = m_clientHeight;
    switch (side) {
    case EDockSide::Left: return RECT{0, 0, t, h};
    case EDockSide::Right: return RECT{std::max(0L, w - t), 0, w, h};
    case EDockSide::Bottom: return RECT{0, std::max(0L, h - t), w, h};
    case EDockSide::Top: break;
    }
    return RECT{0, 0, w, t};
}

RECT CToolBar::GripperRect() const
{
    const RECT bar = BarRect();
    const long g = Scaled(kMargin + kGripperWidth);
    return IsVertical() ? RECT{bar.left, bar.top, bar.right, bar.top + g} : RECT{bar.left, bar.top, bar.left + g, bar.bottom};
}

RECT CToolBar::ButtonRect(int index) const
{
    const RECT bar = BarRect();
    // Buttons that do not fit along the side go on in the next line.
    const int perLine = PerLine(m_side);
    const long size = Scaled(kButtonSize);
    const long along = Scaled(kMargin + kGripperWidth) + long(index % perLine) * size;
    const long across = Scaled(kMargin) + long(index / perLine) * size;
    if (IsVertical()) return RECT{bar.left + across, bar.top + along, bar.left + across + size, bar.top + along + size};
    return RECT{bar.left + along, bar.top + across, bar.left + along + size, bar.top + across + size};
}

EDockSide CToolBar::NearestSide(int x, int y) const
{
    const long toLeft = x, toRight = m_clientWidth - x, toTop = y, toBottom = m_clientHeight - y;
    const long nearest = std::min({toLeft, toRight, toTop, toBottom});
    if (nearest == toTop) return EDockSide::Top;
    if (nearest == toBottom) return EDockSide::Bottom;
    return nearest == toLeft ? EDockSide::Left : EDockSide::Right;
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

std::string CToolBar::DisabledImageOf(const std::string& image)
{
    const std::filesystem::path p = PathFromUtf8(image);
    std::filesystem::path disabled = p.parent_path() / p.stem();
    disabled += "-disabled";
    disabled += p.extension();
    return Utf8FromPath(disabled);
}

std::vector<SNativeToolButton> CToolBar::NativeButtons() const
{
    std::vector<SNativeToolButton> out;
    for (const SToolButton& b : m_buttons) {
        SNativeToolButton n;
        n.id = b.id;
        n.image = b.image;
        n.disabledImage = DisabledImageOf(b.image);
        n.tip = TipOf(b.id);
        n.enabled = b.enabled;
        n.checked = b.checked;
        out.push_back(std::move(n));
    }
    return out;
}

int CToolBar::OnMouse(UINT message, int x, int y)
{
    if (m_dragging) {
        m_dropSide = NearestSide(x, y);
        if (message == WM_LBUTTONUP) {
            m_dragging = false;
            m_side = m_dropSide;
        }
        return 0;
    }
    const int hit = HitTest(x, y);
    const RECT grip = GripperRect();
    switch (message) {
    case WM_MOUSEMOVE:
        m_hot = hit;
        return 0;
    case WM_MOUSELEAVE:
        m_hot = -1;
        return 0;
    case WM_LBUTTONDOWN:
        if (x >= grip.left && x < grip.right && y >= grip.top && y < grip.bottom) {
            m_dragging = true;
            m_dropSide = m_side;
            m_hot = m_pressed = -1;
            return 0;
        }
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

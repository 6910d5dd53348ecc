// The sheet tabs' state and hit tests.
#include "grid/tab_strip.h"

#include <algorithm>

int TableTabStrip::AddTab(const std::string& label, int id, int width)
{
    if (Count() >= kMaxTabs)
        return -1;
    TableTab tab;
    tab.label = label;
    tab.id = id;
    tab.width = std::max(0, width);
    m_tabs.push_back(tab);
    if (m_current < 0)
        m_current = 0;
    return Count() - 1;
}

bool TableTabStrip::RemoveTab(int index)
{
    if (index < 0 || index >= Count())
        return false;
    m_tabs.erase(m_tabs.begin() + index);
    if (m_current >= Count())
        m_current = Count() - 1;
    ScrollTabs(0);
    return true;
}

void TableTabStrip::Clear()
{
    m_tabs.clear();
    m_current = -1;
    m_offset = 0;
}

int TableTabStrip::FindId(int id) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_tabs[size_t(i)].id == id)
            return i;
    return -1;
}

int TableTabStrip::TabLeft(int index, int arrowWidth) const
{
    int x = 2 * arrowWidth - m_offset;
    for (int i = 0; i < index && i < Count(); ++i)
        x += m_tabs[size_t(i)].width;
    return x;
}

int TableTabStrip::HitTest(int x, int arrowWidth) const
{
    if (x < 0)
        return kNone;
    if (x < arrowWidth)
        return kLeftArrow;
    if (x < 2 * arrowWidth)
        return kRightArrow;
    int left = 2 * arrowWidth - m_offset;
    for (int i = 0; i < Count(); ++i) {
        const int right = left + m_tabs[size_t(i)].width;
        if (x >= left && x < right)
            return i;
        left = right;
    }
    return kNone;
}

bool TableTabStrip::Select(int index, int stripWidth, int arrowWidth)
{
    if (index < 0 || index >= Count())
        return false;
    m_current = index;
    const int visible = std::max(0, stripWidth - 2 * arrowWidth);
    int start = 0;
    for (int i = 0; i < index; ++i)
        start += m_tabs[size_t(i)].width;
    const int end = start + m_tabs[size_t(index)].width;
    if (start < m_offset)
        m_offset = start;
    else if (end - m_offset > visible)
        m_offset = std::min(start, end - visible);
    m_offset = std::max(0, m_offset);
    return true;
}

void TableTabStrip::ScrollTabs(int delta)
{
    // The first tab shown, by whole tabs.
    int first = 0;
    int start = 0;
    while (first < Count() && start + m_tabs[size_t(first)].width <= m_offset) {
        start += m_tabs[size_t(first)].width;
        ++first;
    }
    first = std::clamp(first + delta, 0, std::max(0, Count() - 1));
    m_offset = 0;
    for (int i = 0; i < first; ++i)
        m_offset += m_tabs[size_t(i)].width;
}

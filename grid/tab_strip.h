// The sheet tabs' state: up to 64 tabs with label, id, width and colours, the current tab and
// the strip's scroll offset, and the hit test of a point in the strip (two scroll arrows at its
// left, then the tabs shifted by the offset).
#pragma once

#include "grid/table_types.h"

#include <string>
#include <vector>

struct TableTab
{
    std::string label;
    int id = 0;
    int width = 0;
    TableColor textColor = 0;
    TableColor backColor = 0xFFFFFF;
};

class TableTabStrip
{
public:
    static constexpr int kMaxTabs = 64;
    // Hit-test results besides a tab index.
    static constexpr int kNone = -1;
    static constexpr int kLeftArrow = -2;
    static constexpr int kRightArrow = -3;

    // Appends a tab; -1 when the strip is full.
    int AddTab(const std::string& label, int id, int width);
    bool RemoveTab(int index);
    void Clear();
    int Count() const { return int(m_tabs.size()); }
    const TableTab& Tab(int index) const { return m_tabs[size_t(index)]; }
    TableTab& Tab(int index) { return m_tabs[size_t(index)]; }
    // The index of the tab with that id, or -1.
    int FindId(int id) const;

    int GetCurrent() const { return m_current; }
    int GetOffset() const { return m_offset; }

    // What lies under x in a strip whose arrows are arrowWidth wide each.
    int HitTest(int x, int arrowWidth) const;
    // The tab's left and right edges in the strip (after the arrows, shifted by the offset).
    int TabLeft(int index, int arrowWidth) const;
    // Makes index current and scrolls the tabs so that it is wholly visible in a strip of
    // stripWidth; false for an index outside.
    bool Select(int index, int stripWidth, int arrowWidth);
    // Scrolls by whole tabs (negative: towards the first), within the tabs.
    void ScrollTabs(int delta);

private:
    std::vector<TableTab> m_tabs;
    int m_current = -1;
    int m_offset = 0; // pixels the tabs are scrolled to the left
};

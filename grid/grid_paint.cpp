// The paint passes of the cell area, the headings, the corner and the sheet tabs, drawn
// through a TableDevice; and the rectangles of cell ranges that a window invalidates.
#include "grid/grid_model.h"
#include "grid/table_device.h"

#include <algorithm>

namespace {

constexpr TableColor kBlack = 0x000000;

TableRect Union(const TableRect& a, const TableRect& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace

std::vector<TableRect> CTableGridModel::VisibleRangeRects(const TableRange& range) const
{
    const TableSheet& s = *m_sheet;
    std::vector<TableRect> rects;
    if (s.columnCount <= 0 || s.rowCount <= 0 || range.IsEmpty())
        return rects;
    // Spans of shown indexes: the locked part and the scrolled part from first to last shown.
    struct Span
    {
        int first, last;
    };
    auto spans = [](int low, int high, int locked, int start, int end, int count) {
        std::vector<Span> out;
        const int a0 = std::max(low, 0), a1 = std::min(high, locked - 1);
        if (a0 <= a1)
            out.push_back({a0, a1});
        const int b0 = std::max(low, start), b1 = std::min({high, end, count - 1});
        if (b0 <= b1)
            out.push_back({b0, b1});
        return out;
    };
    const TableRect area{0, 0, s.areaWidth, s.areaHeight};
    for (const Span& cs : spans(range.left, range.right, s.lockedColumns, s.leftColumn,
                                s.rightColumn, s.columnCount)) {
        for (const Span& rs :
             spans(range.top, range.bottom, s.lockedRows, s.topRow, s.bottomRow, s.rowCount)) {
            TableRect a, b;
            if (!CellAreaRect(s, cs.first, rs.first, a) || !CellAreaRect(s, cs.last, rs.last, b))
                continue;
            const TableRect r = Union(a, b).Intersected(area);
            if (!r.IsEmpty())
                rects.push_back(r);
        }
    }
    return rects;
}

void CTableGridModel::PaintCell(TableDevice& device, CTableCell& cell, int column, int row,
                                const TableRect& rect, const TableRect& clip, int selection,
                                bool current)
{
    // Only a cell that extends beyond what may be painted of it (a joined block partly
    // scrolled away) needs a clip; the types draw inside their rectangle.
    const bool clipped = !(clip == rect);
    if (clipped)
        device.PushClip(clip);
    TypeForCell(cell)->Draw(&device, rect, column, row, cell, selection, current);
    if (clipped)
        device.PopClip();
}

std::vector<TableRange> CTableGridModel::PaintCellArea(TableDevice& device, const DirtyTest& dirty,
                                                       bool focused)
{
    m_lastPaintedCells = 0;
    if (m_painting)
        return {};
    m_painting = true;
    TableSheet& s = *m_sheet;
    SectionPainting(&device, nullptr, kSectionCells);
    TableRedrawList& list = s.cellRedraw;
    list.Clear();
    const TableRect area{0, 0, s.areaWidth, s.areaHeight};
    CTableCell cell;
    int y = 0;
    int right = 0;
    bool allColumns = true;
    int r = FirstShownRow(s);
    for (; r < s.rowCount && y < s.areaHeight; r = NextShownRow(s, r)) {
        const int h = s.RowHeight(r);
        if (h <= 0)
            continue;
        int x = 0;
        int c = FirstShownColumn(s);
        for (; c < s.columnCount && x < s.areaWidth; c = NextShownColumn(s, c)) {
            const int w = s.ColumnWidth(c);
            if (w <= 0)
                continue;
            const TableRect rect{x, y, x + w, y + h};
            x += w;
            if (!dirty(rect))
                continue;
            cell.Clear();
            GetCell(c, r, cell);
            TableRect paintRect = rect;
            int pc = c, pr = r;
            TableRange block;
            if (s.joining && cell.TestFlags(TableCellFlag::join) && GetJoinedBlock(c, r, block)) {
                if (list.IsOriginPainted(block.left, block.top))
                    continue;
                list.MarkOriginPainted(block.left, block.top);
                GetRangeRect(block, paintRect);
                if (block.left != c || block.top != r) {
                    pc = block.left;
                    pr = block.top;
                    cell.Clear();
                    GetCell(pc, pr, cell);
                }
            }
            // A block keeps out of the locked rows and columns unless it is part of them.
            TableRect clip = area;
            if (!(paintRect == rect)) {
                if (block.left >= s.lockedColumns)
                    clip.left = s.lockedWidth;
                else if (block.right < s.lockedColumns)
                    clip.right = s.lockedWidth;
                if (block.top >= s.lockedRows)
                    clip.top = s.lockedHeight;
                else if (block.bottom < s.lockedRows)
                    clip.bottom = s.lockedHeight;
            }
            int selection = 0;
            bool current = false;
            GetCellPaintState(pc, pr, selection, current);
            PaintCell(device, cell, pc, pr, paintRect, paintRect.Intersected(clip), selection,
                      current);
            ++m_lastPaintedCells;
        }
        right = x;
        allColumns = c >= s.columnCount;
        y += h;
    }
    const bool allRows = r >= s.rowCount;

    // Separators of the locked columns and rows, two pixels wide.
    if (s.lockedColumns > 0 && s.lockedWidth >= 2) {
        const TableRect line{s.lockedWidth - 2, 0, s.lockedWidth, y};
        if (dirty(line))
            for (int i = 1; i <= 2; ++i)
                device.Line(s.lockedWidth - i, 0, s.lockedWidth - i, y - 1, s.gridLinePen);
    }
    if (s.lockedRows > 0 && s.lockedHeight >= 2) {
        const TableRect line{0, s.lockedHeight - 2, right, s.lockedHeight};
        if (dirty(line))
            for (int i = 1; i <= 2; ++i)
                device.Line(0, s.lockedHeight - i, right - 1, s.lockedHeight - i, s.gridLinePen);
    }
    // The empty space right of and below the table.
    const TableColor back = DefaultBackColor(kSectionCells);
    const TableRect rightSpace{right, 0, s.areaWidth, std::min(y, s.areaHeight)};
    if (allColumns && !rightSpace.IsEmpty() && dirty(rightSpace))
        device.FillRect(rightSpace, back);
    const TableRect belowSpace{0, y, s.areaWidth, s.areaHeight};
    if (allRows && !belowSpace.IsEmpty() && dirty(belowSpace))
        device.FillRect(belowSpace, back);

    // Cells the pass itself asked for but that lie outside what is painted now.
    std::vector<TableRange> leftover;
    for (const TableRange& range : list.Ranges())
        for (const TableRect& rect : VisibleRangeRects(range))
            if (!dirty(rect)) {
                leftover.push_back(range);
                break;
            }
    list.Clear();

    // The last row is shown: the data source may have more.
    if (allRows && s.rowCount > 0 && y < s.areaHeight) {
        const int before = s.rowCount;
        if (RowsNeededStep(before) > before)
            leftover.push_back({0, before, std::max(0, s.columnCount - 1), s.rowCount - 1});
    }

    if (focused && !m_editing && s.currentColumn >= 0 && s.currentRow >= 0) {
        TableRect frame;
        if (GetCellRect(s.currentColumn, s.currentRow, frame)) {
            if (s.wholeRowHighlight) {
                frame.left = 0;
                frame.right = right;
            }
            if (!frame.Intersected(area).IsEmpty())
                DrawFocusFrame(&device, frame);
        }
    }
    m_painting = false;
    return leftover;
}

bool CTableGridModel::HeadingBlockRect(const TableRange& block, TableRect& rect) const
{
    TableRect a, b;
    if (!HeadingRect(*m_sheet, block.left, block.top, a) ||
        !HeadingRect(*m_sheet, block.right, block.bottom, b))
        return false;
    rect = Union(a, b);
    return true;
}

void CTableGridModel::PaintHeadingCell(TableDevice& device, TableRedrawList& painted, int column,
                                       int row, TableRect rect)
{
    CTableCell cell;
    GetCell(column, row, cell);
    TableRange block;
    if (cell.TestFlags(TableCellFlag::join) && GetHeadingJoinedBlock(column, row, block)) {
        if (painted.IsOriginPainted(block.left, block.top))
            return;
        painted.MarkOriginPainted(block.left, block.top);
        HeadingBlockRect(block, rect);
        column = block.left;
        row = block.top;
        cell.Clear();
        GetCell(column, row, cell);
    }
    // The column being dragged to a new place shows selected in the top heading.
    const int selection = row < 0 && column >= 0 && column == m_movingColumn ? 1 : 0;
    PaintCell(device, cell, column, row, rect, rect, selection, false);
}

void CTableGridModel::PaintTopHeading(TableDevice& device, const DirtyTest& dirty, int width,
                                      int height)
{
    TableSheet& s = *m_sheet;
    SectionPainting(&device, nullptr, kSectionTopHeading);
    TableRedrawList& painted = s.topRedraw;
    painted.Clear();
    int y = 0;
    int right = 0;
    for (int r = -s.TopHeadingRowCount(); r < 0; ++r) {
        const int h = s.RowHeight(r);
        if (h <= 0)
            continue;
        int x = 0;
        for (int c = FirstShownColumn(s); c < s.columnCount && x < width;
             c = NextShownColumn(s, c)) {
            const int w = s.ColumnWidth(c);
            if (w <= 0)
                continue;
            const TableRect rect{x, y, x + w, y + h};
            x += w;
            if (dirty(rect))
                PaintHeadingCell(device, painted, c, r, rect);
        }
        right = std::max(right, x);
        y += h;
    }
    painted.Clear();
    const TableColor back = DefaultBackColor(kSectionTopHeading);
    const TableRect rightSpace{right, 0, width, height};
    if (right < width && dirty(rightSpace))
        device.FillRect(rightSpace, back);
    const TableRect belowSpace{0, y, right, height};
    if (y < height && dirty(belowSpace))
        device.FillRect(belowSpace, back);
}

void CTableGridModel::PaintSideHeading(TableDevice& device, const DirtyTest& dirty, int width,
                                       int height)
{
    TableSheet& s = *m_sheet;
    SectionPainting(&device, nullptr, kSectionSideHeading);
    TableRedrawList& painted = s.sideRedraw;
    painted.Clear();
    int y = 0;
    int right = 0;
    for (int r = FirstShownRow(s); r < s.rowCount && y < height; r = NextShownRow(s, r)) {
        const int h = s.RowHeight(r);
        if (h <= 0)
            continue;
        int x = 0;
        for (int c = -s.SideHeadingColumnCount(); c < 0; ++c) {
            const int w = s.ColumnWidth(c);
            if (w <= 0)
                continue;
            const TableRect rect{x, y, x + w, y + h};
            x += w;
            if (dirty(rect))
                PaintHeadingCell(device, painted, c, r, rect);
        }
        right = std::max(right, x);
        y += h;
    }
    painted.Clear();
    const TableColor back = DefaultBackColor(kSectionSideHeading);
    const TableRect belowSpace{0, y, width, height};
    if (y < height && dirty(belowSpace))
        device.FillRect(belowSpace, back);
    const TableRect rightSpace{right, 0, width, y};
    if (right < width && dirty(rightSpace))
        device.FillRect(rightSpace, back);
}

void CTableGridModel::PaintCorner(TableDevice& device, int width, int height)
{
    SectionPainting(&device, nullptr, kSectionCorner);
    CTableCell cell;
    GetCell(-1, -1, cell);
    const TableRect all{0, 0, width, height};
    PaintCell(device, cell, -1, -1, all, all, 0, false);
}

const TableFont& CTableGridModel::TabFont()
{
    static const TableFont font = [] {
        TableFont f;
        f.height = 14;
        f.weight = 500;
        f.faceName = "Arial";
        return f;
    }();
    return font;
}

int CTableGridModel::TabArrowWidth() const
{
    return std::max(8, m_sheet->horizontalBarHeight);
}

int CTableGridModel::AddTab(const std::string& label, int id)
{
    TableDevice* device = MeasuringDevice();
    const int text =
        device ? device->TextExtent(label, &TabFont(), 0, 0).cx : int(label.size()) * 7;
    const int index = m_tabs.AddTab(label, id, text + 16);
    ViewRepaint(TableRepaint::tabs);
    return index;
}

bool CTableGridModel::IsTabStripGrip(int x) const
{
    const int width = m_sheet->layout.tabs.Width();
    return m_sheet->tabWidth > 0 && width < m_clientWidth && x >= width - 4 && x < width;
}

void CTableGridModel::OnTabClick(int x)
{
    const int arrow = TabArrowWidth();
    const int hit = m_tabs.HitTest(x, arrow);
    if (hit == TableTabStrip::kLeftArrow) {
        m_tabs.ScrollTabs(-1);
    } else if (hit == TableTabStrip::kRightArrow) {
        m_tabs.ScrollTabs(1);
    } else if (hit >= 0) {
        m_tabs.Select(hit, m_sheet->layout.tabs.Width(), arrow);
        ViewRepaint(TableRepaint::tabs);
        TabSelected(m_tabs.Tab(hit).id);
        return;
    } else {
        return;
    }
    ViewRepaint(TableRepaint::tabs);
}

void CTableGridModel::PaintTabs(TableDevice& device, int width, int height)
{
    const TableColor face = GetTableSystemColor(TableSystemColor::buttonFace);
    const TableColor shadow = GetTableSystemColor(TableSystemColor::buttonShadow);
    const TableColor light = GetTableSystemColor(TableSystemColor::buttonHighlight);
    const TableColor window = GetTableSystemColor(TableSystemColor::window);
    const TablePen shadowPen{TablePenStyle::solid, 1, shadow};
    const TablePen lightPen{TablePenStyle::solid, 1, light};
    device.FillRect({0, 0, width, height}, face);
    const int arrow = TabArrowWidth();
    // The tabs, clipped right of the arrows; the current one last, in front.
    device.PushClip({2 * arrow, 0, width, height});
    auto drawTab = [&](int i) {
        const TableTab& tab = m_tabs.Tab(i);
        const int left = m_tabs.TabLeft(i, arrow);
        const int right = left + tab.width;
        const bool current = i == m_tabs.GetCurrent();
        const int bottom = height - 1;
        device.Polygon({{left, 0}, {right, 0}, {right - 4, bottom}, {left + 4, bottom}},
                       current                     ? window
                       : tab.backColor == 0xFFFFFF ? face
                                                   : tab.backColor);
        device.Line(left, 0, left + 4, bottom, shadowPen);
        device.Line(left + 4, bottom, right - 4, bottom, shadowPen);
        device.Line(right - 4, bottom, right, 0, shadowPen);
        if (!current)
            device.Line(left, 0, right, 0, shadowPen);
        device.Text({left + 4, 0, right - 4, height}, {left, 0, right, height}, tab.label,
                    &TabFont(), tab.textColor, TableTextFlag::centre | TableTextFlag::middle);
    };
    for (int i = 0; i < m_tabs.Count(); ++i)
        if (i != m_tabs.GetCurrent())
            drawTab(i);
    if (m_tabs.GetCurrent() >= 0)
        drawTab(m_tabs.GetCurrent());
    device.PopClip();
    // The two scroll arrows.
    for (int i = 0; i < 2; ++i) {
        const TableRect box{i * arrow, 0, (i + 1) * arrow, height};
        device.FillRect(box, face);
        device.Line(box.left, box.top, box.right - 1, box.top, lightPen);
        device.Line(box.left, box.top, box.left, box.bottom - 1, lightPen);
        device.Line(box.left, box.bottom - 1, box.right - 1, box.bottom - 1, shadowPen);
        device.Line(box.right - 1, box.top, box.right - 1, box.bottom - 1, shadowPen);
        const int cx = (box.left + box.right) / 2;
        const int cy = (box.top + box.bottom) / 2;
        if (i == 0)
            device.Polygon({{cx + 2, cy - 4}, {cx - 2, cy}, {cx + 2, cy + 4}}, kBlack);
        else
            device.Polygon({{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}}, kBlack);
    }
    // The grip at the right edge, where the strip is sized.
    if (width >= 4 && width < m_clientWidth) {
        device.Line(width - 3, 1, width - 3, height - 2, lightPen);
        device.Line(width - 2, 1, width - 2, height - 2, shadowPen);
    }
}

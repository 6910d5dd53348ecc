// The normal, drop-list, check-box and side-arrow cell types.
#include "grid/cell_types.h"

#include "grid/grid_model.h"
#include "grid/table_device.h"

#include <algorithm>

namespace {

constexpr TableColor kBlack = 0x000000;
constexpr TableColor kWhite = 0xFFFFFF;
constexpr TableColor kGrey = 0x808080;
constexpr TableColor kLightGrey = 0xE1E1E1;
// How far left a text may be looked for that runs into an empty cell.
constexpr int64_t kMaxOverflowReach = 16384;

TablePen SystemPen(TableSystemColor which)
{
    return {TablePenStyle::solid, 1, GetTableSystemColor(which)};
}

int32_t StyleOf(const CTableCell& cell)
{
    return cell.TestFlags(TableCellFlag::extendedStyle) ? cell.GetExtendedStyle() : -1;
}

bool HasStyle(int32_t style, int32_t bit)
{
    return style != -1 && (style & bit) != 0;
}

uint32_t AlignmentOf(const CTableCell& cell)
{
    return cell.GetAlignment() & 0xFFFF;
}

void HorizontalLine(TableDevice* device, int x1, int x2, int y, TableColor color)
{
    if (x2 >= x1)
        device->Line(x1, y, x2, y, {TablePenStyle::solid, 1, color});
}

// A box outline: top and left in one colour, bottom and right in another.
void BoxEdges(TableDevice* device, const TableRect& r, TableColor topLeft, TableColor bottomRight)
{
    if (r.IsEmpty())
        return;
    const TablePen a{TablePenStyle::solid, 1, topLeft};
    const TablePen b{TablePenStyle::solid, 1, bottomRight};
    device->Line(r.left, r.top, r.right - 1, r.top, a);
    device->Line(r.left, r.top, r.left, r.bottom - 1, a);
    device->Line(r.left, r.bottom - 1, r.right - 1, r.bottom - 1, b);
    device->Line(r.right - 1, r.top, r.right - 1, r.bottom - 1, b);
}

TableRect Shrunk(const TableRect& r, int by)
{
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

} // namespace

TableBorderPlan PlanBorder(const TableRect& rect, uint32_t style, bool gridLines)
{
    namespace B = TableBorder;
    TableBorderPlan plan;
    plan.inner = rect;
    if (rect.IsEmpty() || (style == 0 && !gridLines))
        return plan;
    auto width = [&](uint32_t one, uint32_t two, uint32_t three) {
        return (style & three) ? 3 : (style & two) ? 2 : (style & one) ? 1 : 0;
    };
    int wl = width(B::left1, B::left2, B::left3);
    int wt = width(B::top1, B::top2, B::top3);
    int wr = width(B::right1, B::right2, B::right3);
    int wb = width(B::bottom1, B::bottom2, B::bottom3);
    const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    using L = TableBorderLine;
    const bool sunken = style & B::sunken;
    const bool raised = style & B::raised;
    if (gridLines && !sunken && !raised) {
        if (!(style & B::right1)) {
            plan.lines.push_back({r, t, r, b, L::grid});
            wr = std::max(wr, 1);
        }
        if (!(style & B::bottom1)) {
            plan.lines.push_back({l, b, r, b, L::grid});
            wb = std::max(wb, 1);
        }
    }
    for (int i = 0; i < wl; ++i)
        plan.lines.push_back({l + i, t, l + i, b, L::cell});
    for (int i = 0; i < wt; ++i)
        plan.lines.push_back({l, t + i, r, t + i, L::cell});
    for (int i = 0; i < wr; ++i)
        if (style & (B::right1 | B::right2 | B::right3))
            plan.lines.push_back({r - i, t, r - i, b, L::cell});
    for (int i = 0; i < wb; ++i)
        if (style & (B::bottom1 | B::bottom2 | B::bottom3))
            plan.lines.push_back({l, b - i, r, b - i, L::cell});
    if (sunken || raised) {
        const L::Pen first = sunken ? L::shadow : L::highlight;
        const L::Pen second = sunken ? L::highlight : L::shadow;
        plan.lines.push_back({l, t, r, t, first});
        plan.lines.push_back({l, t, l, b, first});
        plan.lines.push_back({l, b, r, b, second});
        plan.lines.push_back({r, t, r, b, second});
        wl = std::max(wl, 1);
        wt = std::max(wt, 1);
        wr = std::max(wr, 1);
        wb = std::max(wb, 1);
    }
    plan.inner = {rect.left + wl, rect.top + wt, rect.right - wr, rect.bottom - wb};
    if (plan.inner.right < plan.inner.left)
        plan.inner.right = plan.inner.left;
    if (plan.inner.bottom < plan.inner.top)
        plan.inner.bottom = plan.inner.top;
    return plan;
}

// ---- The normal type

bool CTableNormalCellType::Highlighted(int selection, bool current) const
{
    if (!m_grid->ViewIsEnabled())
        return false;
    return selection != 0 || (current && (m_grid->Sheet().currentCellStyle & 2));
}

TableColor CTableNormalCellType::ForeColor(const CTableCell& cell, bool highlighted) const
{
    if (!m_grid->ViewIsEnabled())
        return GetTableSystemColor(TableSystemColor::grayText);
    return highlighted ? cell.GetHighlightTextColor() : cell.GetTextColor();
}

std::string CTableNormalCellType::DisplayText(CTableCell& cell) const
{
    if (m_drawLabel || HasStyle(StyleOf(cell), TableCellStyle::drawLabel))
        return cell.TestFlags(TableCellFlag::label) ? cell.GetLabel() : std::string();
    return cell.GetText();
}

bool CTableNormalCellType::MayOverflow(const CTableCell& cell) const
{
    const int32_t style = StyleOf(cell);
    return m_overflow && m_grid->Sheet().overflow && (style == -1 || style == 0) &&
           !cell.TestFlags(TableCellFlag::join) && (AlignmentOf(cell) & TableAlign::left);
}

int CTableNormalCellType::TextWidth(TableDevice* device, CTableCell& cell)
{
    const std::string text = DisplayText(cell);
    if (!device || text.empty())
        return 0;
    const TableFont* font = cell.GetFont() ? cell.GetFont() : m_grid->Sheet().defaultFont;
    return device->TextExtent(text, font, 0, 0).cx + m_grid->Sheet().textMargin;
}

int CTableNormalCellType::DrawBitmap(TableDevice* device, const TableBitmap& bitmap,
                                     const TableRect& rect, TableColor)
{
    if (bitmap.Height() <= 0 || rect.Height() <= 0)
        return 0;
    const int width = int(int64_t(bitmap.Width()) * rect.Height() / bitmap.Height());
    const TableRect target{rect.left, rect.top, rect.left + std::min(width, rect.Width()),
                           rect.bottom};
    device->Bitmap(bitmap, target);
    return target.Width();
}

void CTableNormalCellType::DrawBorder(TableDevice* device, const TableRect& rect, TableRect& inner,
                                      CTableCell& cell)
{
    const TableSheet& s = m_grid->Sheet();
    const TableBorderPlan plan = PlanBorder(rect, cell.GetBorderStyle() & 0xFFFF, s.gridLines);
    const TablePen cellPen = cell.GetBorderPen() ? *cell.GetBorderPen() : s.gridLinePen;
    for (const TableBorderLine& line : plan.lines) {
        TablePen pen = s.gridLinePen;
        switch (line.pen) {
        case TableBorderLine::grid:
            break;
        case TableBorderLine::cell:
            pen = cellPen;
            break;
        case TableBorderLine::shadow:
            pen = SystemPen(TableSystemColor::buttonShadow);
            break;
        case TableBorderLine::highlight:
            pen = SystemPen(TableSystemColor::buttonHighlight);
            break;
        }
        device->Line(line.x1, line.y1, line.x2, line.y2, pen);
    }
    inner = plan.inner;
}

void CTableNormalCellType::DrawBackground(TableDevice* device, const TableRect& rect,
                                          TableColor color)
{
    device->FillRect(rect, color);
}

void CTableNormalCellType::DrawText(TableDevice* device, const TableRect& rect, int overflowOffset,
                                    int, int, CTableCell& cell, int selection, bool current)
{
    const TableSheet& s = m_grid->Sheet();
    const bool highlighted = Highlighted(selection, current);
    const TableColor fore = ForeColor(cell, highlighted);
    TableRect r = rect;
    if (overflowOffset == 0) {
        const TableColor back = highlighted ? cell.GetHighlightBackColor() : cell.GetBackColor();
        DrawBackground(device, rect, back);
        if (const TableBitmap* bitmap = cell.GetBitmap())
            r.left += DrawBitmap(device, *bitmap, rect, back);
    }
    r.left += overflowOffset;
    const std::string text = DisplayText(cell);
    if (text.empty())
        return;
    const uint32_t align = AlignmentOf(cell);
    const int32_t style = StyleOf(cell);
    unsigned flags = 0;
    if (HasStyle(style, TableCellStyle::wordWrap))
        flags |= TableTextFlag::wordWrap;
    else if (HasStyle(style, TableCellStyle::ellipsis))
        flags |= TableTextFlag::ellipsis;
    if (align & TableAlign::centre) {
        flags |= TableTextFlag::centre;
    } else if (align & TableAlign::right) {
        flags |= TableTextFlag::right;
        r.right -= s.textMargin;
    } else {
        r.left += (flags & TableTextFlag::ellipsis) ? 3 : s.textMargin;
    }
    if (align & TableAlign::middle) {
        flags |= TableTextFlag::middle;
    } else if (align & TableAlign::bottom) {
        flags |= TableTextFlag::bottom;
        r.bottom -= 1;
    } else {
        r.top += 1;
    }
    const TableFont* font = cell.GetFont() ? cell.GetFont() : s.defaultFont;
    device->Text(r, rect, text, font, fore, flags);
}

bool CTableNormalCellType::OverflowSource(TableDevice* device, int column, int row, int& offset,
                                          int& sourceColumn, CTableCell& source)
{
    const TableSheet& s = m_grid->Sheet();
    if (!s.overflow || row < 0)
        return false;
    int64_t sum = 0;
    CTableCell probe;
    for (int c = column - 1; c >= 0; --c) {
        sum += s.ColumnWidth(c);
        if (sum > kMaxOverflowReach)
            return false;
        probe.Clear();
        m_grid->GetCell(c, row, probe);
        if (probe.TestFlags(TableCellFlag::join))
            return false;
        if (probe.GetText().empty())
            continue;
        auto* type =
            dynamic_cast<CTableNormalCellType*>(m_grid->GetCellTypeObject(probe.GetCellType()));
        if (!type || !type->MayOverflow(probe) || type->TextWidth(device, probe) <= sum)
            return false;
        offset = -int(double(sum) * m_printScale);
        sourceColumn = c;
        source = probe;
        return true;
    }
    return false;
}

void CTableNormalCellType::Draw(TableDevice* device, const TableRect& rect, int column, int row,
                                CTableCell& cell, int selection, bool current)
{
    if (device->IsPrinting()) {
        DrawForPrinting(device, rect, column, row, cell);
        return;
    }
    TableSheet& s = m_grid->Sheet();
    TableRect inner;
    auto repaintNeighbour = [&] {
        if (column + 1 < s.columnCount)
            s.cellRedraw.AddCell(column + 1, row);
    };
    if (column >= 0 && row >= 0 && MayOverflow(cell)) {
        if (!DisplayText(cell).empty()) {
            DrawBorder(device, rect, inner, cell);
            DrawText(device, inner, 0, column, row, cell, selection, current);
            if (TextWidth(device, cell) > inner.Width())
                repaintNeighbour();
            return;
        }
        int offset = 0, sourceColumn = -1;
        CTableCell source;
        if (OverflowSource(device, column, row, offset, sourceColumn, source)) {
            DrawBorder(device, rect, inner, cell);
            const bool highlighted = Highlighted(selection, current);
            DrawBackground(device, inner,
                           highlighted ? cell.GetHighlightBackColor() : cell.GetBackColor());
            DrawText(device, inner, offset, column, row, source, selection, current);
            if (TextWidth(device, source) + offset > rect.Width())
                repaintNeighbour();
            return;
        }
    }
    DrawBorder(device, rect, inner, cell);
    DrawText(device, inner, 0, column, row, cell, selection, current);
}

void CTableNormalCellType::DrawForPrinting(TableDevice* device, const TableRect& rect, int column,
                                           int row, CTableCell& cell)
{
    TableRect inner;
    DrawBorder(device, rect, inner, cell);
    DrawText(device, inner, 0, column, row, cell, 0, false);
}

void CTableNormalCellType::DrawScaled(TableDevice* device, const TableRect& rect, int column,
                                      int row, CTableCell& cell)
{
    const TableSheet& s = m_grid->Sheet();
    int64_t height = 0;
    TableRange block;
    if (column < 0 && row < 0) {
        height = s.topHeadingHeight;
    } else if (m_grid->GetJoinedBlock(column, row, block)) {
        height = SumRowHeights(s, block.top, block.bottom + 1);
    } else {
        height = s.RowHeight(row);
    }
    CTableCell scaled = cell;
    TableFont font = cell.GetFont()  ? *cell.GetFont()
                     : s.defaultFont ? *s.defaultFont
                                     : TableFont{};
    if (height > 0 && font.height != 0)
        font.height = int32_t(int64_t(font.height) * rect.Height() / height);
    scaled.SetFont(&font);
    TableRect inner;
    DrawBorder(device, rect, inner, scaled);
    DrawText(device, inner, 0, column, row, scaled, 0, false);
}

void CTableNormalCellType::BestSize(TableDevice* device, TableSize& size, CTableCell& cell)
{
    if (!device)
        return;
    const TableSheet& s = m_grid->Sheet();
    const std::string text = DisplayText(cell);
    const TableFont* font = cell.GetFont() ? cell.GetFont() : s.defaultFont;
    const int32_t style = StyleOf(cell);
    unsigned flags = 0;
    int wrap = 0;
    if (HasStyle(style, TableCellStyle::wordWrap)) {
        flags |= TableTextFlag::wordWrap;
        wrap = std::max(1, size.cx - 2 * s.textMargin);
    } else if (HasStyle(style, TableCellStyle::ellipsis)) {
        flags |= TableTextFlag::ellipsis;
    }
    const TableSize extent = text.empty() ? TableSize{0, device->FontHeight(font)}
                                          : device->TextExtent(text, font, flags, wrap);
    int bitmapWidth = 0;
    if (const TableBitmap* bitmap = cell.GetBitmap(); bitmap && bitmap->Height() > 0)
        bitmapWidth = int(int64_t(bitmap->Width()) * size.cy / bitmap->Height());
    size = {extent.cx + bitmapWidth + 6, extent.cy + 2};
}

// ---- The drop list

std::array<uint8_t, 16> CTableDropListCellType::GetIdentifier() const
{
    auto id = TableCellTypeBase::GetIdentifier();
    id[15] = 1;
    return id;
}

std::vector<std::string> CTableDropListCellType::Choices(std::string_view label)
{
    std::vector<std::string> choices;
    size_t start = 0;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] != '\n')
            continue;
        size_t end = i;
        if (end > start && label[end - 1] == '\r')
            --end;
        choices.emplace_back(label.substr(start, end - start));
        start = i + 1;
    }
    return choices;
}

TableRect CTableDropListCellType::ButtonRect(const TableRect& cell) const
{
    const int width = m_grid->Sheet().verticalBarWidth;
    const int right = cell.right - 1;
    return {std::max(cell.left, right - width), cell.top, right, cell.bottom - 1};
}

void CTableDropListCellType::Draw(TableDevice* device, const TableRect& rect, int column, int row,
                                  CTableCell& cell, int selection, bool current)
{
    if (HasStyle(StyleOf(cell), TableCellStyle::buttonWhenCurrent) && !current) {
        CTableNormalCellType::Draw(device, rect, column, row, cell, selection, current);
        return;
    }
    TableRect inner;
    DrawBorder(device, rect, inner, cell);
    const int width = std::min(m_grid->Sheet().verticalBarWidth, inner.Width());
    const TableRect button{inner.right - width, inner.top, inner.right, inner.bottom};
    const TableRect text{inner.left, inner.top, button.left, inner.bottom};
    DrawText(device, text, 0, column, row, cell, selection, current);
    if (button.IsEmpty())
        return;
    const TableColor face = GetTableSystemColor(TableSystemColor::buttonFace);
    device->FillRect(button, face);
    const bool pressed = m_pressed && current && column == m_openColumn && row == m_openRow;
    const TableColor light = GetTableSystemColor(TableSystemColor::buttonHighlight);
    const TableColor dark = GetTableSystemColor(TableSystemColor::buttonShadow);
    BoxEdges(device, button, pressed ? dark : light, pressed ? light : dark);
    device->Line(button.left - 1, button.top, button.left - 1, button.bottom - 1,
                 {TablePenStyle::solid, 1, face});
    // A small downward triangle, lines 5, 3 and 1 pixels wide.
    const int cx = (button.left + button.right - 1) / 2 + (pressed ? 1 : 0);
    const int cy = (button.top + button.bottom) / 2 - 1 + (pressed ? 1 : 0);
    const bool readOnly = cell.GetReadOnly() != 0;
    for (int i = 0; i < 3; ++i) {
        if (readOnly)
            HorizontalLine(device, cx - 2 + i + 1, cx + 2 - i + 1, cy + i + 1, kWhite);
        HorizontalLine(device, cx - 2 + i, cx + 2 - i, cy + i, readOnly ? kGrey : kBlack);
    }
}

int CTableDropListCellType::EditingStarts(TableRect& rect)
{
    rect.right = std::max(rect.left, rect.right - m_grid->Sheet().verticalBarWidth);
    return 0;
}

int CTableDropListCellType::Click(int column, int row, bool down, const TableRect& rect,
                                  TablePoint point)
{
    if (!down || !ButtonRect(rect).Contains(point))
        return 0;
    const TableSheet& s = m_grid->Sheet();
    if (s.blockSelection && (s.mouseKeyFlags & (TableKeyFlags::shift | TableKeyFlags::control)))
        return 1;
    if (column == m_openColumn && row == m_openRow) {
        m_grid->CloseDropList();
        DropListClosed();
        return 1;
    }
    OpenList(column, row);
    return 1;
}

int CTableDropListCellType::DoubleClick(int column, int row, const TableRect& rect,
                                        TablePoint point)
{
    return Click(column, row, true, rect, point);
}

int CTableDropListCellType::KeyDown(int column, int row, int& key)
{
    const bool control = (m_grid->GetModifierKeys() & TableKeyFlags::control) != 0;
    if (key != TableKey::enter && !(key == TableKey::down && control))
        return 0;
    if (!OpenList(column, row))
        return 0;
    key = 0;
    return 1;
}

int CTableDropListCellType::Character(int, int, int& ch)
{
    return ch == '\r' || ch == '(' ? 1 : 0;
}

void CTableDropListCellType::LostCursor(int column, int row, CTableCell&)
{
    if (column == m_openColumn && row == m_openRow) {
        m_grid->CloseDropList();
        DropListClosed();
    }
}

void CTableDropListCellType::BestSize(TableDevice* device, TableSize& size, CTableCell& cell)
{
    CTableNormalCellType::BestSize(device, size, cell);
    if (device && !HasStyle(StyleOf(cell), TableCellStyle::buttonWhenCurrent))
        size.cx += m_grid->Sheet().verticalBarWidth;
}

int CTableDropListCellType::OpenList(int column, int row)
{
    CTableCell cell;
    m_grid->GetCell(column, row, cell);
    TableRect rect;
    if (cell.GetReadOnly() != 0 || !m_grid->GetCellRect(column, row, rect))
        return 0;
    std::vector<std::string> choices =
        Choices(cell.TestFlags(TableCellFlag::label) ? cell.GetLabel() : std::string());
    if (!Notify(m_index, column, row, kShowing, reinterpret_cast<intptr_t>(&choices)))
        return 0;
    if (m_openColumn >= 0)
        EndList(m_openColumn, m_openRow);
    m_choices = std::move(choices);
    m_openColumn = column;
    m_openRow = row;
    m_pressed = true;
    const TableFont* font = cell.GetFont() ? cell.GetFont() : m_grid->Sheet().defaultFont;
    if (!m_grid->ShowDropList(this, rect, m_choices, font)) {
        m_openColumn = m_openRow = -1;
        m_pressed = false;
        return 0;
    }
    m_grid->RedrawCell(column, row);
    return 1;
}

void CTableDropListCellType::EndList(int column, int row)
{
    m_pressed = false;
    m_grid->CloseDropList();
    m_grid->RedrawCell(column, row);
}

void CTableDropListCellType::DropListChosen(int index)
{
    const int column = m_openColumn;
    const int row = m_openRow;
    if (column < 0 || row < 0)
        return;
    m_openColumn = m_openRow = -1;
    CTableCell cell;
    m_grid->GetCell(column, row, cell);
    if (cell.GetReadOnly() == 0 && index >= 0 && index < int(m_choices.size())) {
        Notify(m_index, column, row, kIndexChosen, index);
        std::string text = m_choices[size_t(index)];
        if (Notify(m_index, column, row, kTextChosen, reinterpret_cast<intptr_t>(&text))) {
            CTableCell stored;
            m_grid->GetCellRaw(column, row, stored);
            stored.SetText(text);
            m_grid->SetCell(column, row, stored);
            Notify(m_index, column, row, kStored, index);
        }
    }
    EndList(column, row);
}

void CTableDropListCellType::DropListClosed()
{
    const int column = m_openColumn;
    const int row = m_openRow;
    if (column < 0 || row < 0)
        return;
    m_openColumn = m_openRow = -2;
    EndList(column, row);
}

// ---- The check box

std::array<uint8_t, 16> CTableCheckBoxCellType::GetIdentifier() const
{
    auto id = TableCellTypeBase::GetIdentifier();
    id[15] = 2;
    return id;
}

int CTableCheckBoxCellType::NextState(int state, bool triState)
{
    return triState ? (state + 1) % 3 : (state + 1) % 2;
}

TableRect CTableCheckBoxCellType::BoxRect(const TableRect& cell, int32_t style, uint32_t alignment)
{
    const int side = std::min(12, cell.Height() - 6);
    if (side <= 5)
        return {};
    int left = cell.left + 3;
    int top = cell.top + (cell.Height() - side) / 2;
    if (HasStyle(style, TableCellStyle::boxByAlignment)) {
        if (alignment & TableAlign::centre)
            left = cell.left + (cell.Width() - side) / 2;
        else if (alignment & TableAlign::right)
            left = cell.right - 6 - side;
        if (alignment & TableAlign::top)
            top = cell.top + 3;
        else if (alignment & TableAlign::bottom)
            top = cell.bottom - 3 - side;
    }
    return {left, top, left + side, top + side};
}

void CTableCheckBoxCellType::Draw(TableDevice* device, const TableRect& rect, int column, int row,
                                  CTableCell& cell, int selection, bool current)
{
    TableRect inner;
    DrawBorder(device, rect, inner, cell);
    const bool highlighted = Highlighted(selection, current);
    const TableColor back = highlighted ? cell.GetHighlightBackColor() : cell.GetBackColor();
    const TableColor fore = ForeColor(cell, highlighted);
    DrawBackground(device, inner, back);
    const int32_t style = StyleOf(cell);
    const TableRect box = BoxRect(rect, style, AlignmentOf(cell));
    int labelLeft = inner.left + 3;
    if (!box.IsEmpty()) {
        labelLeft = box.right + 4;
        const int state = int(cell.GetNumber());
        const TableColor window = GetTableSystemColor(TableSystemColor::window);
        const TableColor shadow = GetTableSystemColor(TableSystemColor::buttonShadow);
        const TableColor light = GetTableSystemColor(TableSystemColor::buttonHighlight);
        TableRect inside = Shrunk(box, 1);
        TableColor mark = kBlack;
        if (HasStyle(style, TableCellStyle::boxRound)) {
            device->Ellipse(box, highlighted ? kWhite : kBlack, &window);
            if (state > 1)
                device->FillChecker(Shrunk(box, 3),
                                    GetTableSystemColor(TableSystemColor::buttonFace), light);
            else if (state == 1)
                device->Ellipse(Shrunk(box, 3), kBlack, &mark);
        } else {
            if (HasStyle(style, TableCellStyle::boxSunken)) {
                BoxEdges(device, box, shadow, light);
                BoxEdges(device, Shrunk(box, 1), kBlack, kLightGrey);
                inside = Shrunk(box, 2);
                device->FillRect(inside, window);
            } else if (HasStyle(style, TableCellStyle::boxRaised)) {
                BoxEdges(device, box, light, shadow);
                inside = Shrunk(box, 1);
                device->FillRect(inside, GetTableSystemColor(TableSystemColor::buttonFace));
            } else {
                const TableColor edge = highlighted ? kWhite : kBlack;
                BoxEdges(device, box, edge, edge);
                mark = highlighted ? kWhite : kBlack;
            }
            if (state > 1) {
                device->FillChecker(inside, GetTableSystemColor(TableSystemColor::buttonFace),
                                    light);
            } else if (state == 1 && inside.Width() >= 4) {
                // A check mark two pixels thick: down to the lower third, then up to the right.
                const int l = inside.left + 1, r = inside.right - 2;
                const int b = inside.bottom - 3;
                const int midX = l + (r - l) / 3;
                const TablePen pen{TablePenStyle::solid, 1, mark};
                for (int d = 0; d < 2; ++d) {
                    device->Line(l, b - 2 + d - (midX - l), midX, b + d, pen);
                    device->Line(midX, b + d, r, b + d - (r - midX), pen);
                }
            }
        }
    }
    if (!cell.TestFlags(TableCellFlag::label) || cell.GetLabel().empty())
        return;
    const TableRect label{labelLeft, inner.top, inner.right, inner.bottom};
    const TableFont* font = cell.GetFont() ? cell.GetFont() : m_grid->Sheet().defaultFont;
    device->Text(label, inner, cell.GetLabel(), font, fore, TableTextFlag::middle);
    (void)column, (void)row;
}

int CTableCheckBoxCellType::Toggle(int column, int row)
{
    CTableCell cell;
    m_grid->GetCell(column, row, cell);
    if (cell.GetReadOnly() != 0)
        return -1;
    const bool triState = HasStyle(StyleOf(cell), TableCellStyle::triState);
    const int state = std::clamp(int(cell.GetNumber()), 0, 2);
    const int next = NextState(state, triState);
    CTableCell stored;
    m_grid->GetCellRaw(column, row, stored);
    stored.SetNumber(next);
    m_grid->SetCell(column, row, stored);
    m_grid->RedrawCell(column, row);
    Notify(m_index, column, row, kToggled, next);
    return next;
}

int CTableCheckBoxCellType::Click(int column, int row, bool down, const TableRect& rect,
                                  TablePoint point)
{
    if (!down)
        return 0;
    CTableCell cell;
    m_grid->GetCell(column, row, cell);
    if (!BoxRect(rect, StyleOf(cell), AlignmentOf(cell)).Contains(point))
        return 0;
    return Toggle(column, row) >= 0 ? 1 : 0;
}

int CTableCheckBoxCellType::DoubleClick(int column, int row, const TableRect& rect,
                                        TablePoint point)
{
    return Click(column, row, true, rect, point);
}

int CTableCheckBoxCellType::Character(int column, int row, int& ch)
{
    if (ch != ' ')
        return 0;
    return Toggle(column, row) >= 0 ? 1 : 0;
}

void CTableCheckBoxCellType::BestSize(TableDevice* device, TableSize& size, CTableCell& cell)
{
    if (!device)
        return;
    const TableFont* font = cell.GetFont() ? cell.GetFont() : m_grid->Sheet().defaultFont;
    TableSize label{0, device->FontHeight(font)};
    const std::string text = cell.TestFlags(TableCellFlag::label) ? cell.GetLabel() : "";
    if (!HasStyle(StyleOf(cell), TableCellStyle::boxByAlignment) && !text.empty())
        label = device->TextExtent(text, font, 0, 0);
    size = {label.cx + 6 + 18, label.cy + 2};
}

// ---- Side arrows

std::array<uint8_t, 16> CTableSideArrowsCellType::GetIdentifier() const
{
    auto id = TableCellTypeBase::GetIdentifier();
    id[15] = 3;
    return id;
}

void CTableSideArrowsCellType::Draw(TableDevice* device, const TableRect& rect, int, int,
                                    CTableCell& cell, int selection, bool current)
{
    TableRect inner;
    DrawBorder(device, rect, inner, cell);
    const bool highlighted = Highlighted(selection, current);
    DrawBackground(device, inner, highlighted ? cell.GetHighlightBackColor() : cell.GetBackColor());
    if (inner.Width() <= 3)
        return;
    const TableColor color = ForeColor(cell, highlighted);
    const int32_t style = StyleOf(cell);
    const bool left = style == TableCellStyle::arrowLeft || style == TableCellStyle::arrowsLeft;
    const bool two = style == TableCellStyle::arrowsRight || style == TableCellStyle::arrowsLeft;
    const double scale = device->IsPrinting() ? m_printScale : 1.0;
    const int half = std::max(1, int(3 * scale)); // 7 pixels high
    const int width = half + 1;
    const int total = two ? 2 * width + 1 : width;
    const int cx = (inner.left + inner.right) / 2;
    const int cy = (inner.top + inner.bottom) / 2;
    int x = cx - total / 2;
    for (int i = 0; i < (two ? 2 : 1); ++i, x += width + 1) {
        if (left)
            device->Polygon({{x + half, cy - half}, {x, cy}, {x + half, cy + half}}, color);
        else
            device->Polygon({{x, cy - half}, {x + half, cy}, {x, cy + half}}, color);
    }
}

void CTableSideArrowsCellType::BestSize(TableDevice*, TableSize& size, CTableCell& cell)
{
    const int32_t style = StyleOf(cell);
    size.cx = style == TableCellStyle::arrowsRight || style == TableCellStyle::arrowsLeft ? 14 : 10;
}

// The in-memory data source: linked rows and cells with cursors, search and sort.
#include "grid/memory_data.h"

#include <QString>

#include <cstring>
#include <utility>

struct CTableMemoryData::CellNode
{
    std::optional<CTableCell> cell;
    CellNode* next = nullptr;
    CellNode* prev = nullptr;
};

struct CTableMemoryData::RowNode
{
    CellNode* column0 = nullptr; // cells of negative columns are linked before it
    RowNode* next = nullptr;
    RowNode* prev = nullptr;
    std::vector<const CTableCell*> keys; // only while sorting
};

// Comparison and matching.

int CompareCellsForSort(const CTableCell* a, const CTableCell* b, int flags)
{
    if (!a)
        return b ? 1 : 0;
    if (!b)
        return -1;
    if (flags & TableSortFlag::descending)
        std::swap(a, b);
    const int type = a->GetDataType();
    if (type == kDataNumber || type == kDataNumeric || type == kDataCurrency) {
        const double x = a->GetNumber();
        const double y = b->GetNumber();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (!a->HasText())
        return b->HasText() ? -1 : 0;
    if (!b->HasText())
        return 1;
    const std::string& x = a->GetStoredText();
    const std::string& y = b->GetStoredText();
    const int c = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

namespace {

bool IsAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

std::string UpperCased(const std::string& s)
{
    if (IsAscii(s)) {
        std::string out = s;
        for (char& c : out)
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        return out;
    }
    return QString::fromUtf8(s.data(), qsizetype(s.size())).toUpper().toStdString();
}

} // namespace

bool CellTextMatches(const std::string& cellText, const std::string& text, int flags)
{
    if (text.empty() || cellText.empty())
        return false;
    if (flags & TableFindFlag::ignoreCase) {
        const std::string a = UpperCased(cellText);
        const std::string b = UpperCased(text);
        return (flags & TableFindFlag::anywhere) ? a.find(b) != std::string::npos : a == b;
    }
    return (flags & TableFindFlag::anywhere) ? cellText.find(text) != std::string::npos
                                             : cellText == text;
}

// Construction.

CTableMemoryData::CTableMemoryData() = default;

CTableMemoryData::~CTableMemoryData()
{
    Empty();
}

void CTableMemoryData::FreeRow(RowNode* row)
{
    CellNode* c = row->column0;
    if (c) {
        while (c->prev)
            c = c->prev;
        while (c) {
            CellNode* next = c->next;
            delete c;
            c = next;
        }
    }
    delete row;
}

int CTableMemoryData::Empty()
{
    RowNode* r = FirstRowNode();
    while (r) {
        RowNode* next = r->next;
        FreeRow(r);
        r = next;
    }
    m_row = nullptr;
    m_rowIndex = 0;
    m_spare = m_head = nullptr;
    m_cell = nullptr;
    m_cellIndex = 0;
    return 0;
}

CTableMemoryData::RowNode* CTableMemoryData::Head()
{
    if (!m_head && m_row) {
        m_head = m_row;
        m_headIndex = m_rowIndex;
        while (m_head->prev) {
            m_head = m_head->prev;
            --m_headIndex;
        }
    }
    return m_head;
}

CTableMemoryData::RowNode* CTableMemoryData::FirstRowNode() const
{
    RowNode* r = m_row;
    if (r)
        while (r->prev)
            r = r->prev;
    return r;
}

// Walking.

void CTableMemoryData::SetRowCursor(RowNode* node, int index)
{
    m_row = node;
    m_rowIndex = index;
    m_cell = node ? node->column0 : nullptr;
    m_cellIndex = 0;
}

CTableMemoryData::RowNode* CTableMemoryData::WalkToRow(int row, bool create)
{
    if (!m_row) {
        if (!create)
            return nullptr;
        SetRowCursor(new RowNode, 0);
    }
    // Start from the nearest of the cursor, the place it left by its last long walk and the
    // first row; the cursor's place is kept when it goes far.
    const auto distance = [row](int index) {
        return index > row ? int64_t(index) - row : int64_t(row) - index;
    };
    RowNode* from = m_row;
    int fromIndex = m_rowIndex;
    if (m_spare && distance(m_spareIndex) < distance(fromIndex)) {
        from = m_spare;
        fromIndex = m_spareIndex;
    }
    if (RowNode* head = Head(); head && distance(m_headIndex) < distance(fromIndex)) {
        from = head;
        fromIndex = m_headIndex;
    }
    if (from != m_row || distance(m_rowIndex) > 1) {
        m_spare = m_row;
        m_spareIndex = m_rowIndex;
    }
    if (from != m_row)
        SetRowCursor(from, fromIndex);
    RowNode* node = m_row;
    int index = m_rowIndex;
    while (index < row) {
        if (!node->next) {
            if (!create)
                break;
            auto* added = new RowNode;
            added->prev = node;
            node->next = added;
        }
        node = node->next;
        ++index;
        ++m_steps;
    }
    while (index > row) {
        if (!node->prev) {
            if (!create)
                break;
            auto* added = new RowNode;
            added->next = node;
            node->prev = added;
            m_head = nullptr;
        }
        node = node->prev;
        --index;
        ++m_steps;
    }
    if (node != m_row || index != m_rowIndex)
        SetRowCursor(node, index);
    return index == row ? node : nullptr;
}

CTableMemoryData::CellNode* CTableMemoryData::WalkToColumn(int column, bool create)
{
    if (!m_cell) {
        if (!create || !m_row)
            return nullptr;
        m_row->column0 = new CellNode;
        m_cell = m_row->column0;
        m_cellIndex = 0;
    }
    CellNode* node = m_cell;
    int index = m_cellIndex;
    while (index < column) {
        if (!node->next) {
            if (!create)
                break;
            auto* added = new CellNode;
            added->prev = node;
            node->next = added;
        }
        node = node->next;
        ++index;
        ++m_steps;
    }
    while (index > column) {
        if (!node->prev) {
            if (!create)
                break;
            auto* added = new CellNode;
            added->next = node;
            node->prev = added;
        }
        node = node->prev;
        --index;
        ++m_steps;
    }
    m_cell = node;
    m_cellIndex = index;
    return index == column ? node : nullptr;
}

CTableMemoryData::CellNode* CTableMemoryData::NodeAt(RowNode* row, int column)
{
    CellNode* c = row->column0;
    int index = 0;
    while (c && index < column) {
        c = c->next;
        ++index;
    }
    while (c && index > column) {
        c = c->prev;
        --index;
    }
    return c;
}

// Cells.

int CTableMemoryData::ReadCell(int column, int row, CTableCell& cell)
{
    if (!WalkToRow(row, false))
        return 1;
    CellNode* node = WalkToColumn(column, false);
    if (!node || !node->cell)
        return 1;
    cell.CopyFrom(*node->cell);
    return 0;
}

int CTableMemoryData::WriteCell(int column, int row, const CTableCell& cell)
{
    WalkToRow(row, true);
    CellNode* node = WalkToColumn(column, true);
    if (node->cell)
        node->cell->AssignFrom(cell);
    else
        node->cell.emplace(cell);
    return 0;
}

int CTableMemoryData::DeleteCell(int column, int row)
{
    if (!WalkToRow(row, false))
        return 1;
    CellNode* node = WalkToColumn(column, false);
    if (!node || !node->cell)
        return 1;
    node->cell.reset();
    return 0;
}

int CTableMemoryData::InsertRow(int row)
{
    RowNode* at = WalkToRow(row, false);
    if (!at)
        return 1;
    m_spare = m_head = nullptr; // the rows after it move
    auto* added = new RowNode;
    added->next = at;
    added->prev = at->prev;
    if (at->prev)
        at->prev->next = added;
    at->prev = added;
    SetRowCursor(added, row);
    return 0;
}

int CTableMemoryData::DeleteRow(int row)
{
    RowNode* at = WalkToRow(row, false);
    if (!at)
        return 1;
    m_spare = m_head = nullptr; // the rows after it move
    RowNode* next = at->next;
    RowNode* prev = at->prev;
    if (prev)
        prev->next = next;
    if (next)
        next->prev = prev;
    FreeRow(at);
    if (next)
        SetRowCursor(next, row);
    else
        SetRowCursor(prev, row - 1);
    if (!m_row)
        m_rowIndex = 0;
    return 0;
}

int CTableMemoryData::InsertColumn(int column)
{
    int position = column;
    if (m_host) {
        const int display = m_host->DisplayColumnOf(this, column);
        if (display >= 0)
            position = display;
    }
    for (RowNode* r = FirstRowNode(); r; r = r->next) {
        CellNode* at = NodeAt(r, position);
        if (!at)
            continue;
        auto* added = new CellNode;
        added->next = at;
        added->prev = at->prev;
        if (at->prev)
            at->prev->next = added;
        at->prev = added;
        if (r->column0 == at)
            r->column0 = added;
    }
    if (m_row) {
        m_cell = m_row->column0;
        m_cellIndex = 0;
    }
    if (m_host)
        m_host->ShiftSourceColumns(this, position, 1);
    return 0;
}

int CTableMemoryData::DeleteColumn(int column)
{
    for (RowNode* r = FirstRowNode(); r; r = r->next) {
        CellNode* at = NodeAt(r, column);
        if (!at)
            continue;
        if (r->column0 == at) {
            r->column0 = at->next;
            // Cells of heading columns stay anchored to an (empty) column 0.
            if (!r->column0 && at->prev) {
                r->column0 = new CellNode;
                r->column0->prev = at;
                at->next = r->column0;
            }
        }
        if (at->prev)
            at->prev->next = at->next;
        if (at->next)
            at->next->prev = at->prev;
        delete at;
    }
    if (m_row) {
        m_cell = m_row->column0;
        m_cellIndex = 0;
    }
    if (m_host)
        m_host->ShiftSourceColumns(this, column, -1);
    return 0;
}

int CTableMemoryData::GetLastRow()
{
    if (!m_row)
        return -1;
    RowNode* node = m_row;
    int index = m_rowIndex;
    while (node->next) {
        node = node->next;
        ++index;
        ++m_steps;
    }
    if (node != m_row)
        SetRowCursor(node, index);
    return index;
}

int CTableMemoryData::NearestTextLeft(int column, int row)
{
    if (!WalkToRow(row, false))
        return -1;
    for (int c = column - 1;; --c) {
        CellNode* node = WalkToColumn(c, false);
        if (!node && m_cell && m_cellIndex < c) {
            // Past the row's last cell: go on from there.
            c = m_cellIndex;
            node = m_cell;
        }
        if (!node)
            return -1;
        if (node->cell && !node->cell->GetDisplayText().empty())
            return c;
    }
}

// Searching.

bool CTableMemoryData::MatchAt(int column, int row, const std::string& text, int flags)
{
    if (!WalkToRow(row, false))
        return false;
    CellNode* node = WalkToColumn(column, false);
    if (!node || !node->cell)
        return false;
    return CellTextMatches(node->cell->GetDisplayText(), text, flags);
}

int CTableMemoryData::Search(const std::string& text, int& column, int& row, int flags)
{
    int columns = 0;
    int rows = 0;
    if (m_host) {
        columns = m_host->SourceColumnCount();
        rows = m_host->SourceRowCount();
    } else {
        rows = GetLastRow() + 1;
        for (RowNode* r = FirstRowNode(); r; r = r->next) {
            int n = 0;
            for (CellNode* c = r->column0; c; c = c->next)
                ++n;
            columns = std::max(columns, n);
        }
    }
    if (columns <= 0 || rows <= 0 || text.empty())
        return 1;
    const bool back = (flags & TableFindFlag::backwards) != 0;
    const bool byRows = (flags & TableFindFlag::byRows) != 0;
    int c = column;
    int r = row;
    const int64_t cells = int64_t(columns) * rows;
    for (int64_t i = 0; i < cells; ++i) {
        if (byRows) {
            c += back ? -1 : 1;
            if (c < 0 || c >= columns) {
                c = back ? columns - 1 : 0;
                r += back ? -1 : 1;
            }
            if (r < 0 || r >= rows)
                r = back ? rows - 1 : 0;
        } else {
            r += back ? -1 : 1;
            if (r < 0 || r >= rows) {
                r = back ? rows - 1 : 0;
                c += back ? -1 : 1;
            }
            if (c < 0 || c >= columns)
                c = back ? columns - 1 : 0;
        }
        if (MatchAt(c, r, text, flags)) {
            column = c;
            row = r;
            return 0;
        }
    }
    return 1;
}

int CTableMemoryData::FindNext(const std::string& text, int& column, int& row, int flags)
{
    return Search(text, column, row, flags);
}

int CTableMemoryData::FindFirst(const std::string& text, int& column, int& row, int flags)
{
    int c = (flags & TableFindFlag::byRows) ? -1 : 0;
    int r = (flags & TableFindFlag::byRows) ? 0 : -1;
    if (Search(text, c, r, flags) != 0)
        return 1;
    column = c;
    row = r;
    return 0;
}

// Sorting.

int CTableMemoryData::Compare(const RowNode* a, const RowNode* b, int flags)
{
    for (size_t k = 0; k < a->keys.size(); ++k) {
        const int c = m_host ? m_host->CompareForSort(a->keys[k], b->keys[k], flags)
                             : CompareCellsForSort(a->keys[k], b->keys[k], flags);
        if (c != 0)
            return c;
    }
    return 0;
}

int CTableMemoryData::Sort(int firstRow, int lastRow, const std::vector<int>& keyColumns, int flags)
{
    if (firstRow >= lastRow || !m_row)
        return 1;
    const int last = std::min(lastRow, GetLastRow());
    RowNode* first = WalkToRow(firstRow, false);
    if (!first)
        return 1;
    m_spare = m_head = nullptr; // rows are relinked
    if (last <= firstRow)
        return 0;

    // Detach the range and give every row its key cells.
    RowNode* before = first->prev;
    RowNode* end = first;
    for (int i = firstRow; i < last; ++i)
        end = end->next;
    RowNode* after = end->next;
    for (RowNode* r = first;; r = r->next) {
        r->keys.clear();
        for (int column : keyColumns) {
            CellNode* n = NodeAt(r, column);
            r->keys.push_back(n && n->cell ? &*n->cell : nullptr);
        }
        if (r == end)
            break;
    }
    end->next = nullptr;
    first->prev = nullptr;

    RowNode* head = first;
    RowNode* tail = first;
    RowNode* rest = first->next;
    head->next = nullptr;
    RowNode* reference = head;
    int balance = 0;
    constexpr int kJump = 100;

    while (rest) {
        RowNode* x = rest;
        rest = rest->next;
        x->prev = x->next = nullptr;

        // The last sorted row that x does not sort before, or null for "before the head".
        RowNode* notBefore = nullptr;
        if (Compare(x, reference, flags) >= 0) {
            notBefore = reference;
            ++balance;
        } else {
            --balance;
            if (Compare(x, head, flags) >= 0)
                notBefore = head;
        }
        if (notBefore) {
            // Jump while x still sorts after the row reached.
            for (;;) {
                RowNode* probe = notBefore;
                for (int i = 0; i < kJump && probe->next; ++i)
                    probe = probe->next;
                if (probe == notBefore || Compare(x, probe, flags) < 0)
                    break;
                notBefore = probe;
            }
            // Then walk row by row from the row last jumped from.
            while (notBefore->next && Compare(x, notBefore->next, flags) >= 0)
                notBefore = notBefore->next;
            x->prev = notBefore;
            x->next = notBefore->next;
            if (notBefore->next)
                notBefore->next->prev = x;
            else
                tail = x;
            notBefore->next = x;
        } else {
            x->next = head;
            head->prev = x;
            head = x;
        }
        if (balance >= 2) {
            if (reference->next)
                reference = reference->next;
            balance = 0;
        } else if (balance <= -2) {
            if (reference->prev)
                reference = reference->prev;
            balance = 0;
        }
    }

    // Link the sorted range back in.
    head->prev = before;
    if (before)
        before->next = head;
    tail->next = after;
    if (after)
        after->prev = tail;
    for (RowNode* r = head; r != after; r = r->next) {
        r->keys.clear();
        r->keys.shrink_to_fit();
    }
    m_spare = m_head = nullptr;
    SetRowCursor(head, firstRow);
    WalkToRow(0, false);
    return 0;
}

int CTableMemoryData::SortAll(const std::vector<int>& keyColumns, int flags)
{
    return Sort(0, 0x7FFFFFFF, keyColumns, flags);
}

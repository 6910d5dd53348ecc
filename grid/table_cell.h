// The grid's cell: a property bag whose flag word records which properties are set, so that
// partial cells (column defaults, a stored cell, a style cell) can be laid over each other and
// copied property by property. Also the per-cell format object that adjusts a cell each time
// the grid reads it.
#pragma once

#include "grid/table_types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Flag bits: which properties of a cell are set.
namespace TableCellFlag {
constexpr uint32_t text = 0x1;           // text, and the number of numeric types
constexpr uint32_t mask = 0x2;           // input mask
constexpr uint32_t label = 0x4;          // label (drop-list choices, or text drawn instead)
constexpr uint32_t dataType = 0x8;       // data type
constexpr uint32_t param = 0x10;         // a 32-bit parameter
constexpr uint32_t cellType = 0x20;      // cell-type index
constexpr uint32_t extendedStyle = 0x40; // cell-type extended style
constexpr uint32_t textColor = 0x80;
constexpr uint32_t backColor = 0x100;
constexpr uint32_t highlightTextColor = 0x200;
constexpr uint32_t highlightBackColor = 0x400;
constexpr uint32_t borderStyle = 0x800;
constexpr uint32_t borderPen = 0x1000;
constexpr uint32_t font = 0x2000;
constexpr uint32_t bitmap = 0x4000;
constexpr uint32_t alignment = 0x8000;
constexpr uint32_t extraData = 0x10000;
constexpr uint32_t join = 0x20000;
constexpr uint32_t format = 0x200000;    // format object applied on every read
constexpr uint32_t styleCell = 0x800000; // style cell laid over the cell on every read
constexpr uint32_t readOnly = 0x1000000;
constexpr uint32_t decimalPlaces = 0x2000000;
constexpr uint32_t plainNumber = 0x4000000; // numbers shown without grouping
// The flag word of a freshly cleared cell: data type, the four colours and alignment.
constexpr uint32_t cleared = 0x8788;
} // namespace TableCellFlag

enum TableDataType {
    kDataText = 1,
    kDataNumber = 2,
    kDataNumeric = 3, // numeric, shown as typed
    kDataDateTime = 4,
    kDataCurrency = 5,
};

// Where a cell stands in a joined block. The origin (top-left) cell holds the offsets from
// itself to the block's far corner; every other cell holds the offsets from itself to the
// origin (so they are zero or negative).
struct TableJoin
{
    bool origin = false;
    int columnOffset = 0;
    int rowOffset = 0;
    bool operator==(const TableJoin&) const = default;
};

class CTableCell;

// Adjusts a copy of a cell each time the grid reads it; the stored cell is never changed.
// Owned by whoever created it, and must outlive the cells that point to it.
class CTableCellFormat
{
public:
    virtual ~CTableCellFormat() = default;
    // Called with the cell just read; may change any property of that copy.
    virtual void ApplyFormat(CTableCell& cell) { (void)cell; }
    // Not used by the grid; a format may report what it is.
    virtual int FormatKind() const { return 0; }
};

class CTableCell
{
public:
    // A new cell is cleared.
    CTableCell();
    ~CTableCell();
    CTableCell(const CTableCell& other);
    CTableCell& operator=(const CTableCell& other);
    CTableCell(CTableCell&&) noexcept;
    CTableCell& operator=(CTableCell&&) noexcept;

    // Sets the flag word to 0x8788, every value to its cleared default, and frees the extra data.
    void Clear();

    uint32_t GetFlags() const { return m_flags; }
    void SetFlags(uint32_t flags) { m_flags = flags; }
    // True when any bit of mask is set.
    bool TestFlags(uint32_t mask) const { return (m_flags & mask) != 0; }

    // Stores text as data type 1. A non-empty text sets the text and data-type bits; an empty
    // one clears the text bit. Returns 0.
    int SetText(std::string_view text);
    // The cell's text: none (empty) without the text bit; for numbers the value formatted with
    // the locale (see FormatCellNumber), which is also stored as the cell's text; otherwise the
    // stored text.
    const std::string& GetText();
    // The same text, computed without storing it.
    std::string GetDisplayText() const;
    // The text as stored, whatever the data type.
    const std::string& GetStoredText() const { return m_text; }
    bool HasText() const { return (m_flags & TableCellFlag::text) != 0; }

    // 0 without the text bit; the stored value for numbers, dates and currency; otherwise the
    // text read as a number in the locale's notation (0 when it is not one).
    double GetNumber() const;
    // Text "", the value, data type 2; sets the text and data-type bits. Returns 0.
    int SetNumber(double value);
    // The data type when its bit is set, otherwise 1.
    int GetDataType() const;
    // Converts the cell to another data type (1 to 5; anything else returns 1): to a number
    // the text is read as one and emptied; to a date the text is parsed as a date and time; to
    // currency a number keeps its value (the text becomes it with two decimals), any other
    // text is read as an amount with four decimals. Cells that already hold a value (numbers,
    // dates, currency) keep it when they become a date or a number, and a number that becomes
    // text keeps the text it showed. Nothing changes when the type is already set. Returns 0.
    int SetDataType(int type);

    // Stores the format object and sets its bit; a null format returns 1.
    int SetFormat(CTableCellFormat* format);
    CTableCellFormat* GetFormat() const;
    int SetStyleCell(const CTableCell* style);
    const CTableCell* GetStyleCell() const;

    int SetMask(std::string_view mask);
    const std::string& GetMask() const;
    int SetLabel(std::string_view label);
    const std::string& GetLabel() const;
    int SetParam(int32_t value);
    int32_t GetParam() const;
    int SetCellType(int32_t index);
    int32_t GetCellType() const;
    int SetExtendedStyle(int32_t style);
    int32_t GetExtendedStyle() const;

    int SetTextColor(TableColor color);
    TableColor GetTextColor() const;
    int SetBackColor(TableColor color);
    TableColor GetBackColor() const;
    int SetHighlightTextColor(TableColor color);
    TableColor GetHighlightTextColor() const;
    int SetHighlightBackColor(TableColor color);
    TableColor GetHighlightBackColor() const;

    // Border style and alignment are 16-bit values; they read back with the upper 16 bits of
    // the flag word in the high half (only those bits when the property is not set).
    int SetBorderStyle(uint16_t style);
    uint32_t GetBorderStyle() const;
    int SetAlignment(uint16_t alignment);
    uint32_t GetAlignment() const;

    int SetBorderPen(const TablePen* pen);
    const TablePen* GetBorderPen() const;
    int SetFont(const TableFont* font);
    const TableFont* GetFont() const;
    int SetBitmap(const TableBitmap* bitmap);
    const TableBitmap* GetBitmap() const;

    // Extra data is a byte block copied by value.
    int SetExtraData(const void* data, size_t length);
    // The block, or null when none is set.
    const std::vector<uint8_t>* GetExtraData() const;

    int SetJoin(const TableJoin& join);
    // False (and join untouched) when the cell carries no join information.
    bool GetJoin(TableJoin& join) const;

    int SetReadOnly(int32_t value);
    int32_t GetReadOnly() const;
    // Decimal places shown for numbers; -1 when not set.
    int SetDecimalPlaces(int places);
    int GetDecimalPlaces() const;

    // Copies this cell's set properties into other, merging the flag words.
    int CopyInto(CTableCell& other) const { return other.CopyFrom(*this); }
    // Copies other's set properties into this cell, merging the flag words.
    int CopyFrom(const CTableCell& other);
    // other takes this cell's flag word, then its set properties.
    int AssignTo(CTableCell& other) const { return other.AssignFrom(*this); }
    // This cell takes other's flag word, then its set properties.
    int AssignFrom(const CTableCell& other);

private:
    struct Props;
    Props& EnsureProps();
    void CopyProperties(const CTableCell& other, uint32_t bits);
    static bool CopyProps(Props& p, const Props& o, uint32_t bits);

    uint32_t m_flags = TableCellFlag::cleared;
    int16_t m_dataType = kDataText;
    double m_number = 0;
    std::string m_text;
    std::unique_ptr<Props> m_props; // the rarer properties, allocated when first set
};

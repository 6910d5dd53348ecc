// The cell property bag and its copies.
#include "grid/table_cell.h"

#include "grid/cell_numbers.h"
#include "platform/c_numbers.h"

#include <cmath>
#include <new>

namespace F = TableCellFlag;

// Every property beyond text, number and data type. Its defaults are the values of a
// cleared cell.
struct CTableCell::Props
{
    std::string mask;
    std::string label;
    int32_t param = -1;
    int32_t cellType = -1;
    int32_t extendedStyle = -1;
    TableColor textColor = GetTableSystemColor(TableSystemColor::windowText);
    TableColor backColor = GetTableSystemColor(TableSystemColor::window);
    TableColor highlightTextColor = GetTableSystemColor(TableSystemColor::highlightText);
    TableColor highlightBackColor = GetTableSystemColor(TableSystemColor::highlight);
    uint16_t borderStyle = 0;
    uint16_t alignment = 1;
    const TablePen* pen = nullptr;
    const TableFont* font = nullptr;
    const TableBitmap* bitmap = nullptr;
    std::vector<uint8_t> extra;
    TableJoin join;
    CTableCellFormat* format = nullptr;
    const CTableCell* style = nullptr;
    int32_t readOnly = 0;
    int32_t decimals = -1;
};

namespace {

// The bits whose values live in Props.
constexpr uint32_t kPropsBits = F::mask | F::label | F::param | F::cellType | F::extendedStyle |
                                F::textColor | F::backColor | F::highlightTextColor |
                                F::highlightBackColor | F::borderStyle | F::borderPen | F::font |
                                F::bitmap | F::alignment | F::extraData | F::join | F::format |
                                F::styleCell | F::readOnly | F::decimalPlaces;

const std::string& EmptyString()
{
    static const std::string empty;
    return empty;
}

} // namespace

CTableCell::CTableCell() = default;
CTableCell::~CTableCell() = default;
CTableCell::CTableCell(CTableCell&&) noexcept = default;
CTableCell& CTableCell::operator=(CTableCell&&) noexcept = default;

CTableCell::CTableCell(const CTableCell& other)
    : m_flags(other.m_flags), m_dataType(other.m_dataType), m_number(other.m_number),
      m_text(other.m_text)
{
    if (other.m_props)
        m_props = std::make_unique<Props>(*other.m_props);
}

CTableCell& CTableCell::operator=(const CTableCell& other)
{
    if (this != &other) {
        m_flags = other.m_flags;
        m_dataType = other.m_dataType;
        m_number = other.m_number;
        m_text = other.m_text;
        if (other.m_props)
            EnsureProps() = *other.m_props;
        else
            m_props.reset();
    }
    return *this;
}

CTableCell::Props& CTableCell::EnsureProps()
{
    if (!m_props)
        m_props = std::make_unique<Props>();
    return *m_props;
}

void CTableCell::Clear()
{
    m_flags = F::cleared;
    m_dataType = kDataText;
    m_number = 0;
    m_text.clear();
    if (m_props)
        *m_props = Props();
}

// Text and number.

int CTableCell::SetText(std::string_view text)
{
    m_text.assign(text.data(), text.size());
    m_dataType = kDataText;
    if (m_text.empty())
        m_flags &= ~F::text;
    else
        m_flags |= F::text | F::dataType;
    return 0;
}

std::string CTableCell::GetDisplayText() const
{
    if (!(m_flags & F::text))
        return {};
    if (GetDataType() != kDataNumber)
        return m_text;
    return FormatCellNumber(m_number, GetDecimalPlaces(), (m_flags & F::plainNumber) != 0);
}

const std::string& CTableCell::GetText()
{
    if (!(m_flags & F::text))
        return EmptyString();
    if (GetDataType() == kDataNumber)
        m_text = GetDisplayText();
    return m_text;
}

double CTableCell::GetNumber() const
{
    if (!(m_flags & F::text))
        return 0;
    switch (GetDataType()) {
    case kDataNumber:
    case kDataDateTime:
    case kDataCurrency:
        return m_number;
    default:
        return ReadCellNumber(m_text);
    }
}

int CTableCell::SetNumber(double value)
{
    m_text.clear();
    m_number = value;
    m_dataType = kDataNumber;
    m_flags |= F::text | F::dataType;
    return 0;
}

int CTableCell::GetDataType() const
{
    return (m_flags & F::dataType) ? int(m_dataType) : int(kDataText);
}

int CTableCell::SetDataType(int type)
{
    if (type < kDataText || type > kDataCurrency)
        return 1;
    const int old = GetDataType();
    if ((m_flags & F::dataType) && old == type)
        return 0;
    const bool holdsValue = old == kDataNumber || old == kDataDateTime || old == kDataCurrency;
    switch (type) {
    case kDataNumber:
        m_number = GetNumber();
        m_text.clear();
        break;
    case kDataDateTime:
        if (!holdsValue || !(m_flags & F::text))
            ParseCellDate(m_text, m_number);
        break;
    case kDataCurrency:
        if (old == kDataNumber) {
            m_text = nv::FormatFixed(m_number, 2);
            m_number = std::round(m_number * 10000.0) / 10000.0;
        } else {
            ParseCellCurrency(m_text, m_number);
        }
        break;
    default:
        // A number keeps showing what it showed.
        if (old == kDataNumber && (m_flags & F::text))
            m_text = GetDisplayText();
        break;
    }
    m_dataType = int16_t(type);
    m_flags |= F::dataType;
    return 0;
}

// Format and style cell.

int CTableCell::SetFormat(CTableCellFormat* format)
{
    if (!format)
        return 1;
    EnsureProps().format = format;
    m_flags |= F::format;
    return 0;
}

CTableCellFormat* CTableCell::GetFormat() const
{
    return (m_flags & F::format) && m_props ? m_props->format : nullptr;
}

int CTableCell::SetStyleCell(const CTableCell* style)
{
    EnsureProps().style = style;
    if (style)
        m_flags |= F::styleCell;
    else
        m_flags &= ~F::styleCell;
    return 0;
}

const CTableCell* CTableCell::GetStyleCell() const
{
    return (m_flags & F::styleCell) && m_props ? m_props->style : nullptr;
}

// Simple properties.

#define NV_CELL_PROPERTY(Name, Type, field, bit, fallback)                                         \
    int CTableCell::Set##Name(Type value)                                                          \
    {                                                                                              \
        EnsureProps().field = value;                                                               \
        m_flags |= bit;                                                                            \
        return 0;                                                                                  \
    }                                                                                              \
    Type CTableCell::Get##Name() const                                                             \
    {                                                                                              \
        if ((m_flags & bit) && m_props)                                                            \
            return m_props->field;                                                                 \
        return fallback;                                                                           \
    }

NV_CELL_PROPERTY(Param, int32_t, param, F::param, -1)
NV_CELL_PROPERTY(CellType, int32_t, cellType, F::cellType, -1)
NV_CELL_PROPERTY(ExtendedStyle, int32_t, extendedStyle, F::extendedStyle, -1)
NV_CELL_PROPERTY(TextColor, TableColor, textColor, F::textColor,
                 GetTableSystemColor(TableSystemColor::windowText))
NV_CELL_PROPERTY(BackColor, TableColor, backColor, F::backColor,
                 GetTableSystemColor(TableSystemColor::window))
NV_CELL_PROPERTY(HighlightTextColor, TableColor, highlightTextColor, F::highlightTextColor,
                 GetTableSystemColor(TableSystemColor::highlightText))
NV_CELL_PROPERTY(HighlightBackColor, TableColor, highlightBackColor, F::highlightBackColor,
                 GetTableSystemColor(TableSystemColor::highlight))
NV_CELL_PROPERTY(BorderPen, const TablePen*, pen, F::borderPen, nullptr)
NV_CELL_PROPERTY(Font, const TableFont*, font, F::font, nullptr)
NV_CELL_PROPERTY(Bitmap, const TableBitmap*, bitmap, F::bitmap, nullptr)
NV_CELL_PROPERTY(ReadOnly, int32_t, readOnly, F::readOnly, 0)

#undef NV_CELL_PROPERTY

int CTableCell::SetMask(std::string_view mask)
{
    EnsureProps().mask.assign(mask.data(), mask.size());
    m_flags |= F::mask;
    return 0;
}

const std::string& CTableCell::GetMask() const
{
    return (m_flags & F::mask) && m_props ? m_props->mask : EmptyString();
}

int CTableCell::SetLabel(std::string_view label)
{
    EnsureProps().label.assign(label.data(), label.size());
    m_flags |= F::label;
    return 0;
}

const std::string& CTableCell::GetLabel() const
{
    return (m_flags & F::label) && m_props ? m_props->label : EmptyString();
}

int CTableCell::SetBorderStyle(uint16_t style)
{
    EnsureProps().borderStyle = style;
    m_flags |= F::borderStyle;
    return 0;
}

uint32_t CTableCell::GetBorderStyle() const
{
    const uint32_t high = m_flags & 0xFFFF0000u;
    if ((m_flags & F::borderStyle) && m_props)
        return high | m_props->borderStyle;
    return high;
}

int CTableCell::SetAlignment(uint16_t alignment)
{
    EnsureProps().alignment = alignment;
    m_flags |= F::alignment;
    return 0;
}

uint32_t CTableCell::GetAlignment() const
{
    const uint32_t high = m_flags & 0xFFFF0000u;
    if (m_flags & F::alignment)
        return high | (m_props ? m_props->alignment : 1u);
    return high;
}

int CTableCell::SetExtraData(const void* data, size_t length)
{
    Props& p = EnsureProps();
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (bytes)
        p.extra.assign(bytes, bytes + length);
    else
        p.extra.assign(length, 0);
    m_flags |= F::extraData;
    return 0;
}

const std::vector<uint8_t>* CTableCell::GetExtraData() const
{
    return (m_flags & F::extraData) && m_props ? &m_props->extra : nullptr;
}

int CTableCell::SetJoin(const TableJoin& join)
{
    EnsureProps().join = join;
    m_flags |= F::join;
    return 0;
}

bool CTableCell::GetJoin(TableJoin& join) const
{
    if (!(m_flags & F::join))
        return false;
    join = m_props ? m_props->join : TableJoin();
    return true;
}

int CTableCell::SetDecimalPlaces(int places)
{
    EnsureProps().decimals = places < 0 ? 0 : places;
    m_flags |= F::decimalPlaces;
    return 0;
}

int CTableCell::GetDecimalPlaces() const
{
    return (m_flags & F::decimalPlaces) && m_props ? m_props->decimals : -1;
}

// Copies.

void CTableCell::CopyProperties(const CTableCell& other, uint32_t bits)
{
    if (bits & F::text) {
        m_text = other.m_text;
        m_number = other.m_number;
    }
    if (bits & F::dataType)
        m_dataType = other.m_dataType;
    const uint32_t propBits = bits & kPropsBits;
    if (!propBits)
        return;
    if (!other.m_props) {
        // The other cell holds the cleared values.
        if (m_props)
            CopyProps(*m_props, Props(), propBits);
        return;
    }
    if (!CopyProps(EnsureProps(), *other.m_props, propBits))
        m_flags &= ~F::extraData;
}

// Copies the properties of bits from o into p; false when the extra data could not be copied.
bool CTableCell::CopyProps(Props& p, const Props& o, uint32_t propBits)
{
    if (propBits & F::mask)
        p.mask = o.mask;
    if (propBits & F::label)
        p.label = o.label;
    if (propBits & F::param)
        p.param = o.param;
    if (propBits & F::cellType)
        p.cellType = o.cellType;
    if (propBits & F::extendedStyle)
        p.extendedStyle = o.extendedStyle;
    if (propBits & F::textColor)
        p.textColor = o.textColor;
    if (propBits & F::backColor)
        p.backColor = o.backColor;
    if (propBits & F::highlightTextColor)
        p.highlightTextColor = o.highlightTextColor;
    if (propBits & F::highlightBackColor)
        p.highlightBackColor = o.highlightBackColor;
    if (propBits & F::borderStyle)
        p.borderStyle = o.borderStyle;
    if (propBits & F::borderPen)
        p.pen = o.pen;
    if (propBits & F::font)
        p.font = o.font;
    if (propBits & F::bitmap)
        p.bitmap = o.bitmap;
    if (propBits & F::alignment)
        p.alignment = o.alignment;
    bool ok = true;
    if (propBits & F::extraData) {
        try {
            p.extra = o.extra;
        } catch (const std::bad_alloc&) {
            p.extra.clear();
            ok = false;
        }
    }
    if (propBits & F::join)
        p.join = o.join;
    if (propBits & F::format)
        p.format = o.format;
    if (propBits & F::styleCell)
        p.style = o.style;
    if (propBits & F::readOnly)
        p.readOnly = o.readOnly;
    if (propBits & F::decimalPlaces)
        p.decimals = o.decimals;
    return ok;
}

int CTableCell::CopyFrom(const CTableCell& other)
{
    if (this == &other)
        return 0;
    m_flags |= other.m_flags;
    CopyProperties(other, other.m_flags);
    return 0;
}

int CTableCell::AssignFrom(const CTableCell& other)
{
    if (this == &other)
        return 0;
    m_flags = other.m_flags;
    CopyProperties(other, other.m_flags);
    return 0;
}

// The editing cycle and its vetoes, keys inside the editor, masks, and find/replace.
#include "grid/grid_model.h"
#include "grid/input_mask.h"
#include "grid_test_support.h"

#include <gtest/gtest.h>

using nv::test::English;
using nv::test::German;
using nv::test::ScopedLocale;

namespace {

// A data source that logs the edit notifications it is asked.
class LoggingSource : public CTableMemoryData
{
public:
    std::vector<std::string>* log = nullptr;
    int EditStarting(int, int, TableEditor*&) override
    {
        log->push_back("source starting");
        return 1;
    }
    int EditEnding(int, int, TableEditor*, const std::string&, bool) override
    {
        log->push_back("source ending");
        return 1;
    }
    int EditAdvancing(int, int, int&, int&) override
    {
        log->push_back("source advancing");
        return 1;
    }
};

class EditGrid : public CTableGridModel
{
public:
    std::vector<std::string> log;
    bool allowEnd = true;
    bool allowStart = true;
    bool refuseDigits = false;
    bool upperCase = false;
    int opened = 0;
    int refocused = 0;
    int notFound = 0;

    EditGrid(int columns, int rows)
    {
        SetColumnCount(columns);
        SetRowCount(rows);
    }
    TableEditor* Editor() { return GetActiveEditor(); }
    // Types text into the open editor, one character at a time.
    void TypeText(const std::string& text)
    {
        for (char ch : text)
            Editor()->Type(static_cast<unsigned char>(ch));
    }

    int EditStarting(int c, int r, TableEditor*& editor) override
    {
        log.push_back("hook starting " + std::to_string(c) + "," + std::to_string(r));
        if (upperCase)
            editor->SetUpperCase(true);
        return allowStart ? 1 : 0;
    }
    int EditEnding(int, int, TableEditor*, const std::string& text, bool cancelled) override
    {
        log.push_back(std::string("hook ending ") + text + (cancelled ? " cancelled" : ""));
        return allowEnd || cancelled ? 1 : 0;
    }
    int EditAdvancing(int, int, int& c, int& r) override
    {
        log.push_back("hook advancing " + std::to_string(c) + "," + std::to_string(r));
        return 1;
    }
    int EditKey(int, int, TableEditor*, int& key) override
    {
        return refuseDigits && key >= '0' && key <= '9' ? 0 : 1;
    }

protected:
    void ViewOpenEditor(TableEditor* editor, int section, const TableRect& rect,
                        const TableFont* font, int key) override
    {
        ++opened;
        CTableGridModel::ViewOpenEditor(editor, section, rect, font, key);
    }
    void ViewRefocusEditor(TableEditor*) override { ++refocused; }
    void ViewNotFound() override { ++notFound; }
};

} // namespace

TEST(Editing, VetoesAreAskedSourceFirstThenHook)
{
    EditGrid grid(2, 2);
    LoggingSource source;
    source.log = &grid.log;
    grid.SetColumnDataSource(1, &source, 0);
    grid.GotoCell(1, 0);
    ASSERT_EQ(grid.StartEdit(), 0);
    grid.TypeText("x");
    EXPECT_FALSE(grid.OnEditorKeyDown(TableKey::enter));
    EXPECT_EQ(grid.log,
              (std::vector<std::string>{"source starting", "hook starting 1,0", "source ending",
                                        "hook ending x", "source advancing", "hook advancing 1,1",
                                        "source starting", "hook starting 1,1"}));
    EXPECT_EQ(grid.GetCellText(1, 0), "x");
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(grid.GetCurrentRow(), 1);
}

TEST(Editing, EnterOnTheLastRowWrapsToRowZero)
{
    EditGrid grid(3, 3);
    grid.GotoCell(1, 2);
    grid.StartEdit();
    grid.OnEditorKeyDown(TableKey::enter);
    EXPECT_EQ(grid.GetEditColumn(), 1);
    EXPECT_EQ(grid.GetEditRow(), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 0);
}

TEST(Editing, ShiftTabOnColumnZeroWrapsToTheLastColumn)
{
    EditGrid grid(4, 2);
    grid.GotoCell(0, 1);
    grid.StartEdit();
    grid.SetModifierKeys(TableKeyFlags::shift);
    grid.OnEditorKeyDown(TableKey::tab);
    EXPECT_EQ(grid.GetEditColumn(), 3);
    EXPECT_EQ(grid.GetEditRow(), 1);
}

TEST(Editing, EscapeKeepsTheStoredText)
{
    EditGrid grid(2, 2);
    grid.SetCellText(0, 0, "old");
    grid.StartEdit();
    grid.TypeText("new");
    EXPECT_EQ(grid.Editor()->GetText(), "new");
    grid.OnEditorKeyDown(TableKey::escape);
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(grid.GetCellText(0, 0), "old");
    EXPECT_EQ(grid.GetCurrentRow(), 0); // no continue
}

TEST(Editing, RefusedEndKeepsTheEditorOpen)
{
    EditGrid grid(2, 2);
    grid.SetCellText(0, 0, "old");
    grid.allowEnd = false;
    grid.StartEdit();
    grid.TypeText("bad");
    grid.OnEditorKeyDown(TableKey::tab);
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(grid.refocused, 1);
    EXPECT_EQ(grid.GetCellText(0, 0), "old");
    EXPECT_EQ(grid.Editor()->GetText(), "bad");
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
    // A later loss of focus does not carry the old Tab's continue.
    grid.allowEnd = true;
    EXPECT_EQ(grid.OnEditorFocusLost(TableFocusTarget::outside), 1);
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(grid.GetCellText(0, 0), "bad");
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
}

TEST(Editing, FocusLossCommitsOrCancelsBySwitch)
{
    EditGrid grid(2, 2);
    grid.StartEdit();
    grid.TypeText("a");
    grid.OnEditorFocusLost(TableFocusTarget::gridChild);
    EXPECT_EQ(grid.GetCellText(0, 0), "a");
    grid.SetCancelEditOnFocusLoss(true);
    grid.StartEdit();
    grid.TypeText("b");
    grid.OnEditorFocusLost(TableFocusTarget::outside);
    EXPECT_EQ(grid.GetCellText(0, 0), "a");
    grid.StartEdit();
    grid.TypeText("c");
    grid.OnEditorFocusLost(TableFocusTarget::gridChild); // within the grid: committed
    EXPECT_EQ(grid.GetCellText(0, 0), "c");
    EXPECT_EQ(grid.FinishEdit("x", false, false, 0, 0), 1); // nothing open
    EXPECT_EQ(grid.GetCellText(0, 0), "c");
}

TEST(Editing, RefusalsOfStarting)
{
    EditGrid grid(2, 2);
    CTableCell cell;
    grid.GetCellRaw(1, 1, cell);
    cell.SetText("ro");
    cell.SetReadOnly(1);
    grid.SetCell(1, 1, cell);
    EXPECT_EQ(grid.StartEdit(1, 1, 0), 1);
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(grid.opened, 0);

    grid.allowStart = false;
    EXPECT_EQ(grid.StartEdit(0, 0, 0), 1);
    EXPECT_FALSE(grid.IsEditing());

    class NotEditable : public TableCellTypeBase
    {
    public:
        NotEditable() { m_editable = false; }
    };
    grid.allowStart = true;
    grid.RegisterCellType(std::make_unique<TableCellTypeBase>());
    const int index = grid.RegisterCellType(std::make_unique<NotEditable>());
    grid.GetCellRaw(0, 1, cell);
    cell.SetCellType(index);
    grid.SetCell(0, 1, cell);
    EXPECT_EQ(grid.StartEdit(0, 1, 0), 1);

    class NoMove : public EditGrid
    {
    public:
        NoMove() : EditGrid(2, 2) {}
        int CanMoveCurrent(int, int, int, int) override { return 0; }
    } fixed;
    EXPECT_EQ(fixed.StartEdit(1, 1, 0), 2);
    EXPECT_FALSE(fixed.IsEditing());
    EXPECT_EQ(fixed.StartEdit(0, 0, 0), 0);
    EXPECT_EQ(fixed.StartEdit(0, 0, 0), 1); // one edit at a time
}

TEST(Editing, TypedKeyStartsTheTextAndHooksFilterCharacters)
{
    EditGrid grid(2, 2);
    grid.SetCellText(0, 0, "old");
    grid.upperCase = true;
    ASSERT_EQ(grid.StartEdit('n'), 0);
    EXPECT_EQ(grid.Editor()->GetText(), "N");
    grid.TypeText(" 45");
    grid.refuseDigits = true;
    grid.TypeText("6x");
    EXPECT_EQ(grid.Editor()->GetText(), "N 45X");
    int tab = '\t';
    EXPECT_FALSE(grid.OnEditorChar(tab));
    EXPECT_TRUE(grid.OnEditorKeyDown('A'));
    grid.refuseDigits = false;
    EXPECT_TRUE(grid.OnEditorKeyDown(TableKey::del));
}

TEST(Editing, NumberCellsEditInPlainText)
{
    ScopedLocale locale(English());
    EditGrid grid(1, 2);
    CTableCell cell;
    grid.GetCellRaw(0, 0, cell);
    cell.SetNumber(1234.5);
    grid.SetCell(0, 0, cell);
    EXPECT_EQ(grid.GetCellText(0, 0), "1,234.5");
    grid.StartEdit();
    EXPECT_EQ(grid.Editor()->GetText(), "1234.5");
    grid.OnEditorKeyDown(TableKey::escape);

    // An untouched number keeps every digit although the editor shows six places.
    grid.GetCellRaw(0, 1, cell);
    cell.SetNumber(0.123456789);
    grid.SetCell(0, 1, cell);
    grid.StartEdit(0, 1, 0);
    EXPECT_EQ(grid.Editor()->GetText(), "0.123457");
    grid.OnEditorFocusLost(TableFocusTarget::grid);
    grid.GetCellRaw(0, 1, cell);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 0.123456789);
    EXPECT_EQ(cell.GetDataType(), kDataNumber);

    // Typed text is converted back into a number.
    grid.StartEdit(0, 1, 0);
    grid.TypeText("2,000.25");
    grid.OnEditorFocusLost(TableFocusTarget::grid);
    grid.GetCellRaw(0, 1, cell);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 2000.25);
}

TEST(Editing, NumbersSurviveAnEditUnderAGermanLocale)
{
    ScopedLocale locale(German());
    EditGrid grid(1, 1);
    CTableCell cell;
    grid.GetCellRaw(0, 0, cell);
    cell.SetNumber(1234.5);
    grid.SetCell(0, 0, cell);
    grid.StartEdit();
    EXPECT_EQ(grid.Editor()->GetText(), "1234,5");
    grid.Editor()->SetText("1234,75");
    grid.OnEditorFocusLost(TableFocusTarget::grid);
    grid.GetCellRaw(0, 0, cell);
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 1234.75);
    EXPECT_EQ(grid.GetCellText(0, 0), "1.234,75");
}

TEST(Masks, PlaceholdersRefuseWhatDoesNotFit)
{
    EditGrid grid(1, 1);
    CTableCell cell;
    grid.GetCellRaw(0, 0, cell);
    cell.SetMask("000");
    grid.SetCell(0, 0, cell);
    ASSERT_EQ(grid.StartEdit(), 0);
    ASSERT_EQ(grid.Editor()->GetKind(), TableEditor::kMasked);
    EXPECT_TRUE(grid.Editor()->Type('1'));
    EXPECT_TRUE(grid.Editor()->Type('2'));
    EXPECT_FALSE(grid.Editor()->Type('a'));
    EXPECT_TRUE(grid.Editor()->Type('3'));
    EXPECT_FALSE(grid.Editor()->Type('4')); // the mask is full
    EXPECT_EQ(grid.Editor()->GetText(), "123");

    TableMask letters("LL");
    EXPECT_FALSE(letters.Type("", 0, 0, '5').accepted);
    EXPECT_TRUE(letters.Type("", 0, 0, U'\u00E9').accepted);
}

TEST(Masks, PlaceholderClasses)
{
    struct Row
    {
        char32_t placeholder;
        const char32_t* accepts;
        const char32_t* refuses;
    } rows[] = {
        {'0', U"09", U" a+"},      {'9', U"5 ", U"a-"},     {'#', U"1 +-", U"a."},
        {'L', U"aZ\u00E9", U"1 "}, {'?', U"b ", U"2_"},     {'A', U"c3", U" -"},
        {'a', U"d4 ", U"-."},      {'&', U"!x ~", U"\x07"}, {'C', U"#", U"\x1F"},
    };
    for (const Row& r : rows) {
        for (const char32_t* p = r.accepts; *p; ++p)
            EXPECT_TRUE(TableMask::Fits(r.placeholder, *p)) << char(r.placeholder);
        for (const char32_t* p = r.refuses; *p; ++p)
            EXPECT_FALSE(TableMask::Fits(r.placeholder, *p)) << char(r.placeholder);
    }
}

TEST(Masks, LiteralsEscapesAndFiltering)
{
    TableMask phone("(000) 000-0000");
    EXPECT_EQ(phone.Length(), 14u);
    EXPECT_TRUE(phone.IsLiteralAt(0));
    EXPECT_FALSE(phone.IsLiteralAt(1));
    // Typing on a literal types the literal first.
    TableMask::Typing t = phone.Type("", 0, 0, '5');
    EXPECT_TRUE(t.accepted);
    EXPECT_EQ(t.text, "(5");
    EXPECT_EQ(t.caret, 2);
    // A character typed before two literals lands after both, where the next one follows it.
    t = phone.Type("(555", 4, 4, '1');
    EXPECT_EQ(t.text, "(555) 1");
    EXPECT_EQ(t.caret, 7);
    t = phone.Type(t.text, t.caret, t.caret, '2');
    EXPECT_EQ(t.text, "(555) 12");
    EXPECT_EQ(phone.Filter("5551234567"), "(555) 123-4567");
    EXPECT_EQ(phone.Filter("(555) 123-4567 and more"), "(555) 123-4567");
    EXPECT_EQ(phone.Filter("x5y5z5"), "(555");

    // An escaped placeholder is a literal; a trailing backslash is a literal backslash.
    TableMask escaped("\\0-00\\");
    EXPECT_EQ(escaped.Length(), 5u);
    EXPECT_EQ(escaped.Filter("12"), "0-12");
    EXPECT_EQ(escaped.Filter("0-12\\"), "0-12\\");
    // Replacing a selection.
    TableMask digits("0000");
    t = digits.Type("1234", 1, 3, '9');
    EXPECT_EQ(t.text, "194");
    EXPECT_EQ(t.caret, 2);
    // Control characters pass; no mask: text as it is.
    EXPECT_TRUE(digits.Type("12", 2, 2, 8).accepted);
    TableMask none("");
    EXPECT_FALSE(none.IsMasked());
    EXPECT_EQ(none.Filter("abc"), "abc");
}

TEST(FindReplace, FlagsFromTheDialog)
{
    EditGrid grid(1, 1);
    TableFindRequest r;
    EXPECT_EQ(grid.FindFlagsFor(r), TableFindFlag::ignoreCase | TableFindFlag::anywhere);
    r.matchCase = true;
    r.wholeWord = true;
    r.searchDown = false;
    EXPECT_EQ(grid.FindFlagsFor(r), TableFindFlag::backwards);
    grid.SetSearchAlongRows(true);
    EXPECT_EQ(grid.FindFlagsFor(r), TableFindFlag::backwards | TableFindFlag::byRows);
}

TEST(FindReplace, FindReplaceAndReplaceAll)
{
    EditGrid grid(3, 3);
    grid.SetCellText(2, 1, "Alpha");
    grid.SetCellText(0, 2, "alphabet");
    grid.MoveColumn(2, 0, true); // found cells are reported in display columns
    TableFindRequest find;
    find.findText = "alpha";
    ASSERT_EQ(grid.OnFindReplace(find), 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 0);
    EXPECT_EQ(grid.GetCurrentRow(), 1);
    find.matchCase = true;
    ASSERT_EQ(grid.OnFindReplace(find), 0);
    EXPECT_EQ(grid.GetCurrentColumn(), 1);
    EXPECT_EQ(grid.GetCurrentRow(), 2);
    find.findText = "nothing";
    EXPECT_EQ(grid.OnFindReplace(find), 1);
    EXPECT_EQ(grid.notFound, 1);

    TableFindRequest all;
    all.findText = "alpha";
    all.replaceText = "beta";
    all.replaceAll = true;
    grid.GotoCell(2, 2);
    EXPECT_EQ(grid.OnFindReplace(all), 1);
    EXPECT_EQ(grid.GetCellText(0, 1), "beta");
    EXPECT_EQ(grid.GetCellText(1, 2), "beta");
    EXPECT_EQ(grid.GetCellText(2, 2), "beta"); // the current cell is replaced first

    // A replacement that matches the search is written once, not searched for again.
    TableFindRequest loop;
    loop.findText = "beta";
    loop.replaceText = "BETA";
    loop.replaceAll = true;
    EXPECT_EQ(grid.OnFindReplace(loop), 1);
    EXPECT_EQ(grid.GetCellText(grid.GetCurrentColumn(), grid.GetCurrentRow()), "BETA");
}

// The tooltip's timing on a fake clock, and where its box goes on one or two screens.
#include "support/tooltip.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using nv::Point;
using nv::Rect;
using nv::TipTimer;

// A tip window on a fake clock: tools are screen rectangles, timers fire as Advance moves the
// clock past them.
class FakeTipWindow : public nv::TipWindow
{
public:
    FakeTipWindow() { behaviour.m_nAutoPopDelay = 20000; }

    void StartTimer(TipTimer timer, int ms) override { timers[timer] = {now + ms, ms}; }
    void StopTimer(TipTimer timer) override { timers.erase(timer); }
    Point CursorPos() override { return cursor; }
    int ToolAt(Point p) override
    {
        for (size_t i = 0; i < tools.size(); ++i)
            if (tools[i].Contains(p))
                return int(i);
        return -1;
    }
    bool IsOverTip(Point p) override { return shownTool >= 0 && tip.Contains(p); }
    void ShowTip(int tool, Point at) override
    {
        shownTool = tool;
        tip = {at.x, at.y + 20, at.x + 100, at.y + 40};
    }
    void HideTip() override { shownTool = -1; }

    void Advance(int ms)
    {
        const int end = now + ms;
        for (;;) {
            auto next = timers.end();
            for (auto it = timers.begin(); it != timers.end(); ++it)
                if (it->second.due <= end &&
                    (next == timers.end() || it->second.due < next->second.due))
                    next = it;
            if (next == timers.end())
                break;
            now = next->second.due;
            next->second.due += next->second.period;
            behaviour.OnTimer(next->first);
        }
        now = end;
    }
    // Moves the cursor, reporting the move as the owner does.
    void MoveTo(Point p)
    {
        cursor = p;
        behaviour.OnMouseMove(p);
    }
    // Rests on tool 0 until its tip shows.
    void ShowFirstTip()
    {
        MoveTo({10, 10});
        Advance(500);
        ASSERT_EQ(shownTool, 0);
    }

    struct Timer
    {
        int due;
        int period;
    };
    std::vector<Rect> tools{{0, 0, 50, 20}, {60, 0, 110, 20}};
    std::map<TipTimer, Timer> timers;
    int now = 0;
    Point cursor{500, 500};
    int shownTool = -1;
    Rect tip;
    nv::TipBehaviour behaviour{*this};
};

TEST(TipBehaviour, ShowsAfterHalfASecondsRestAndAutoPopsOnThe40thPoll)
{
    FakeTipWindow w;
    w.MoveTo({10, 10});
    w.Advance(499);
    EXPECT_EQ(w.shownTool, -1);
    w.Advance(1);
    EXPECT_EQ(w.shownTool, 0);
    EXPECT_EQ(w.tip.left, 10); // shown for the cursor where it rests

    w.MoveTo({12, 11}); // moving within the tool changes nothing
    w.Advance(20000 - 1);
    EXPECT_EQ(w.shownTool, 0);
    w.Advance(1);
    EXPECT_EQ(w.shownTool, -1);
    EXPECT_TRUE(w.behaviour.IsHidden());
    EXPECT_TRUE(w.timers.empty());

    // Resting on goes on without a tip; leaving the tool and coming back shows it again.
    w.MoveTo({14, 12});
    w.Advance(5000);
    EXPECT_EQ(w.shownTool, -1);
    w.MoveTo({55, 10});
    w.MoveTo({10, 10});
    w.Advance(500);
    EXPECT_EQ(w.shownTool, 0);
}

TEST(TipBehaviour, KeysAndClicksHideTheTipForGood)
{
    struct Row
    {
        const char* name;
        std::function<void(FakeTipWindow&)> input;
        bool hides;
    } rows[] = {
        {"key", [](FakeTipWindow& w) { w.behaviour.OnOtherInput(); }, true},
        {"left click on the tool", [](FakeTipWindow& w) { w.behaviour.OnLeftButtonDown(w.cursor); },
         true},
        {"left click on the tip",
         [](FakeTipWindow& w) {
             w.behaviour.OnLeftButtonDown({w.tip.left + 1, w.tip.top + 1});
         },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeTipWindow w;
        w.ShowFirstTip();
        row.input(w);
        EXPECT_EQ(w.shownTool, row.hides ? -1 : 0);
        w.Advance(5000);
        EXPECT_EQ(w.shownTool, row.hides ? -1 : 0);
    }

    // Input while the tip is pending keeps it from showing.
    FakeTipWindow w;
    w.MoveTo({10, 10});
    w.Advance(300);
    w.behaviour.OnOtherInput();
    w.Advance(1000);
    EXPECT_EQ(w.shownTool, -1);
    EXPECT_TRUE(w.timers.empty());
}

TEST(TipBehaviour, FollowsTheCursorFromToolToToolAndOntoTheTip)
{
    FakeTipWindow w;
    w.ShowFirstTip();

    // Another tool: the tip hides at once and the rest starts again.
    w.MoveTo({70, 10});
    EXPECT_EQ(w.shownTool, -1);
    w.Advance(499);
    EXPECT_EQ(w.shownTool, -1);
    w.Advance(1);
    EXPECT_EQ(w.shownTool, 1);

    // Onto the tip itself: it stays past the auto-pop delay, and goes once the cursor leaves.
    w.MoveTo({w.tip.left + 5, w.tip.top + 5});
    w.Advance(30000);
    EXPECT_EQ(w.shownTool, 1);
    w.MoveTo({300, 300});
    w.Advance(499);
    EXPECT_EQ(w.shownTool, 1);
    w.Advance(1);
    EXPECT_EQ(w.shownTool, -1);

    // A cursor that left before the delay was over brings no tip.
    w.MoveTo({10, 10});
    w.cursor = {300, 300}; // left without a move the owner saw
    w.Advance(500);
    EXPECT_EQ(w.shownTool, -1);
}

TEST(TipPlacement, KeepsTheBoxOnTheCursorsScreen)
{
    // A primary screen with a panel along its bottom, a second screen to its right and a third
    // to its left.
    const std::vector<nv::ScreenArea> screens = {
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
        {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}},
        {{-1280, 0, 0, 1024}, {-1280, 30, 0, 1024}},
    };
    const Rect button{80, 80, 200, 110};
    struct Row
    {
        const char* name;
        Point cursor;
        Point offset;
        nv::Size box;
        Rect toolWindow;
        Rect expected;
    } rows[] = {
        {"room enough", {100, 100}, {0, 20}, {80, 20}, button, {100, 120, 180, 140}},
        {"right edge", {1900, 100}, {20, 0}, {80, 20}, button, {1840, 100, 1920, 120}},
        {"left edge", {-1270, 100}, {-20, 0}, {80, 20}, button, {-1280, 100, -1200, 120}},
        {"bottom edge: above the tool's window",
         {500, 1030},
         {0, 20},
         {80, 20},
         {450, 1000, 600, 1035},
         {500, 980, 580, 1000}},
        {"top of the work area", {-600, 10}, {0, 0}, {80, 20}, button, {-600, 30, -520, 50}},
        {"right edge of the second screen",
         {3190, 500},
         {0, 20},
         {80, 20},
         button,
         {3120, 520, 3200, 540}},
        {"second screen keeps a box the offset puts on the first",
         {1925, 500},
         {-20, 0},
         {80, 20},
         button,
         {1920, 500, 2000, 520}},
        {"wider than the screen starts at its left",
         {500, 100},
         {0, 20},
         {2000, 20},
         button,
         {0, 120, 2000, 140}},
        {"a tall tool window never pushes the box off the top",
         {500, 1030},
         {0, 20},
         {80, 40},
         {450, 10, 600, 1035},
         {500, 0, 580, 40}},
    };
    for (const Row& row : rows) {
        const Rect r = nv::PlaceTip(row.cursor, row.offset, row.box, screens, row.toolWindow);
        EXPECT_EQ(r, row.expected)
            << row.name << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

} // namespace

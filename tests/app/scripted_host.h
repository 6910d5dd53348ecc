// A window system for the main window's controller in tests: the profile in memory, control
// rectangles from the template, a scripted message box, and an image view that loads what the
// test says.
#pragma once

#include "app/dialog_host.h"
#include "app/dialog_units.h"
#include "app/memory_point_table.h"
#include "tests/testlib/scripted_message_box.h"

#include <functional>
#include <map>
#include <set>
#include <utility>

class ScriptedHost : public DialogHost
{
public:
    ScriptedHost()
    {
        const DialogBaseUnits base; // 6 x 13, the classic dialog font
        client = {0, 0, DialogUnitsToPixelsX(kMainTemplateSize.cx, base),
                  DialogUnitsToPixelsY(kMainTemplateSize.cy, base)};
        for (const TemplateControl& c : kMainTemplate)
            rects[c.id] = DialogUnitsToPixels(c, base);
    }

    // Profile
    std::map<std::string, std::string> profile; // "section/key" -> value
    std::string GetProfileString(const std::string& s, const std::string& k,
                                 const std::string& d) override
    {
        auto it = profile.find(s + "/" + k);
        return it == profile.end() ? d : it->second;
    }
    bool WriteProfileString(const std::string& s, const std::string& k,
                            const std::string& v) override
    {
        profile[s + "/" + k] = v;
        ++profileWrites;
        return true;
    }
    int GetProfileInt(const std::string& s, const std::string& k, int d) override
    {
        auto it = profile.find(s + "/" + k);
        return it == profile.end() ? d : std::atoi(it->second.c_str());
    }
    int profileWrites = 0;

    // Placement
    WindowPlacement placement;
    int placementsApplied = 0;
    bool iconic = false, zoomed = false;
    WindowPlacement GetWindowPlacement() override { return placement; }
    void SetWindowPlacement(const WindowPlacement& p) override
    {
        placement = p;
        ++placementsApplied;
    }
    bool IsIconic() override { return iconic; }
    bool IsZoomed() override { return zoomed; }

    // Controls
    DlgRect client;
    std::map<int, DlgRect> rects;
    std::map<int, bool> enabled;
    std::map<int, std::string> texts;
    std::string caption;
    DlgSize minimumClient;
    int redraws = 0;
    bool iconsSet = false;
    DlgRect GetClientRect() override { return client; }
    DlgRect GetChildRect(int id) override { return rects[id]; }
    void MoveChild(int id, const DlgRect& r, bool) override { rects[id] = r; }
    void EnableChild(int id, bool e) override { enabled[id] = e; }
    void SetChildText(int id, const std::string& t) override { texts[id] = t; }
    void SetCaption(const std::string& c) override { caption = c; }
    void SetIcons() override { iconsSet = true; }
    void RedrawWindow() override { ++redraws; }
    void SetMinimumClientSize(DlgSize s) override { minimumClient = s; }

    // Viewer and table
    struct View : ImageView
    {
        std::set<std::string> bmps, jpegs; // paths that load as BMP or JPEG
        DlgSize size;
        bool LoadImage(const std::string& p, std::string& reason) override
        {
            if (bmps.count(p) || jpegs.count(p))
                return true;
            reason = "not a BMP or JPEG image";
            return false;
        }
        // With background on, loads are only started; the test ends them.
        bool background = false;
        std::vector<std::string> started;
        bool StartLoadImage(const std::string& p) override
        {
            if (background)
                started.push_back(p);
            return background;
        }
        DlgSize GetContentSize() override { return size; }

        std::optional<DlgPoint> markers[2];
        int pickIndex = -1;
        bool graticuleShown = false;
        std::optional<GeoTransform> graticuleFit;
        void SetMarker(int index, std::optional<DlgPoint> pixel) override
        {
            markers[index] = pixel;
        }
        void SetPickIndex(int index) override { pickIndex = index; }
        void SetGraticule(bool shown, const std::optional<GeoTransform>& fit, int) override
        {
            graticuleShown = shown;
            graticuleFit = fit;
        }
    } view;
    MemoryPointTable table;
    ImageView& CreateViewer(int id) override
    {
        rects[id] = {};
        return view;
    }
    PointTable& AttachPointTable(int) override { return table; }

    // Messages, shell, file dialog, end
    nv::test::ScriptedMessageBox messages;
    std::vector<std::string> opened;
    bool shellOpens = true;  // whether the desktop can open what it is given
    std::string chosenFile;  // empty: the file dialog is cancelled
    std::string startFolder; // where the last file dialog started
    int endResult = 0;
    // Runs (once) when the next message shows: what the window may do meanwhile.
    std::function<void()> whileMessageShows;
    int MessageBox(const std::string& t, nv::MessageButtons b) override
    {
        if (whileMessageShows)
            std::exchange(whileMessageShows, {})();
        return messages.Show(t, b);
    }
    bool ShellOpen(const std::string& p) override
    {
        opened.push_back(p);
        return shellOpens;
    }
    bool ChooseImageFile(const std::string&, const std::string&, const std::string& folder,
                         std::string& path) override
    {
        startFolder = folder;
        path = chosenFile;
        return !chosenFile.empty();
    }
    // The other file choosers: what they were offered, and the answer (empty: cancelled).
    std::string chosenOpenFile, chosenSaveFile;
    std::vector<std::string> offeredPaths;
    bool ChooseOpenFile(const std::string&, const std::string&, const std::string& d,
                        std::string& path) override
    {
        offeredPaths.push_back(d);
        path = chosenOpenFile;
        return !path.empty();
    }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string& d,
                        std::string& path) override
    {
        offeredPaths.push_back(d);
        path = chosenSaveFile;
        return !path.empty();
    }
    void EndDialog(int r) override { endResult = r; }

    StatusLine status;
    std::map<int, bool> checked;
    void SetStatusLine(const StatusLine& s) override { status = s; }
    void CheckMenuItem(int id, bool on) override { checked[id] = on; }
};

// The main window's controller on the command line: no window, the profile's notation,
// messages on standard error and questions answered by a fixed policy.
#pragma once

#include "app/dialog_host.h"
#include "app/memory_point_table.h"
#include "platform/message_box.h"
#include "platform/profile.h"

class ConsoleHost : public DialogHost
{
public:
    // consent answers the questions (Yes/OK when true, No/Cancel otherwise); messages go to
    // messages.
    ConsoleHost(nv::Profile profile, std::ostream& messages, bool consent);

    MemoryPointTable& Table() { return m_table; }
    // The file that the file choosers give; when empty they give their default.
    void SetChosenFile(std::string path) { m_chosenFile = std::move(path); }

    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) override;
    bool WriteProfileString(const std::string&, const std::string&, const std::string&) override
    {
        return false; // the command line leaves the profile alone
    }
    int GetProfileInt(const std::string& section, const std::string& key,
                      int defaultValue) override;

    WindowPlacement GetWindowPlacement() override { return {}; }
    void SetWindowPlacement(const WindowPlacement&) override {}
    bool IsIconic() override { return false; }
    bool IsZoomed() override { return false; }
    DlgRect GetClientRect() override { return {}; }
    DlgRect GetChildRect(int) override { return {}; }
    void MoveChild(int, const DlgRect&, bool) override {}
    void EnableChild(int, bool) override {}
    void SetChildText(int, const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void SetIcons() override {}
    void RedrawWindow() override {}
    void SetMinimumClientSize(DlgSize) override {}
    ImageView& CreateViewer(int) override { return m_view; }
    PointTable& AttachPointTable(int) override { return m_table; }
    int MessageBox(const std::string& text, nv::MessageButtons buttons) override
    {
        return m_messages.Show(text, buttons);
    }
    bool ShellOpen(const std::string&) override { return false; }
    bool ChooseImageFile(const std::string&, const std::string&, const std::string&,
                         std::string&) override
    {
        return false;
    }
    bool ChooseOpenFile(const std::string&, const std::string&, const std::string& defaultPath,
                        std::string& path) override
    {
        return Choose(defaultPath, path);
    }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string& defaultPath,
                        std::string& path) override
    {
        return Choose(defaultPath, path);
    }
    void EndDialog(int) override {}

private:
    // Loads images with the shared loader (BMP first, then JPEG), without showing them.
    struct View : ImageView
    {
        bool LoadImage(const std::string& path, std::string& reason) override;
        DlgSize GetContentSize() override { return size; }
        DlgSize size;
    };

    bool Choose(const std::string& defaultPath, std::string& path)
    {
        path = m_chosenFile.empty() ? defaultPath : m_chosenFile;
        return true;
    }

    nv::Profile m_profile;
    nv::ConsoleMessageBox m_messages;
    MemoryPointTable m_table;
    View m_view;
    std::string m_chosenFile;
};

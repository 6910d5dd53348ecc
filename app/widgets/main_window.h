// The main window: a resizable dialog with a menu bar, the instructions, the point table,
// the image viewer and four buttons. It carries out what the controller asks of the window
// system and routes every command to the controller.
#pragma once

#include "app/dialog_host.h"
#include "app/georeference_dlg.h"
#include "platform/profile.h"
#include "platform/widgets/qt_message_box.h"
#include "platform/widgets/qt_shell.h"

#include <QDialog>

#include <map>
#include <memory>

class CGeoreferenceApp;
class COXImageViewer;
class CPointGrid;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QStatusBar;

class CGeoreferenceWindow : public QDialog, public DialogHost
{
    Q_OBJECT
public:
    CGeoreferenceWindow(CGeoreferenceApp& app, nv::Profile profile, QWidget* parent = nullptr);
    ~CGeoreferenceWindow() override;

    CGeoreferenceDlg& Controller() { return m_dlg; }
    QWidget* Control(int id) const;
    QAction* MenuAction(int id) const;
    QWidget* Client() const { return m_client; }
    QMenu* RecentImagesMenu() const { return m_recentMenu; }
    COXImageViewer* Viewer() const { return m_viewer; }
    CPointGrid* PointGrid() const { return m_table; }
    QStatusBar* StatusBar() const { return m_statusBar; }
    // The status bar's report of a load or turn under way: its text (empty: none) and the
    // share done in thousandths (-1: not known).
    void ShowWorkProgress(const QString& text, int permille);
    QLabel* WorkText() const { return m_workText; }

    // Fills File > Recent Images from the profile (done whenever the File menu opens).
    void UpdateRecentImagesMenu();

    // Help menu: runs the About box.
    void OnAppAbout();
    // Help menu: runs the update dialog.
    void OnCheckForUpdates();

    // DialogHost
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) override;
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value) override;
    int GetProfileInt(const std::string& section, const std::string& key,
                      int defaultValue) override;
    WindowPlacement GetWindowPlacement() override;
    void SetWindowPlacement(const WindowPlacement& placement) override;
    bool IsIconic() override;
    bool IsZoomed() override;
    DlgRect GetClientRect() override;
    DlgRect GetChildRect(int id) override;
    void MoveChild(int id, const DlgRect& rect, bool repaint) override;
    void EnableChild(int id, bool enable) override;
    void SetChildText(int id, const std::string& text) override;
    void SetCaption(const std::string& caption) override;
    void SetIcons() override;
    void RedrawWindow() override;
    void SetMinimumClientSize(DlgSize size) override;
    ImageView& CreateViewer(int id) override;
    PointTable& AttachPointTable(int id) override;
    int MessageBox(const std::string& text, nv::MessageButtons buttons) override;
    bool ShellOpen(const std::string& path) override;
    bool ChooseImageFile(const std::string& title, const std::string& filter,
                         const std::string& startFolder, std::string& path) override;
    bool ChooseOpenFile(const std::string& title, const std::string& filter,
                        const std::string& defaultPath, std::string& path) override;
    bool ChooseSaveFile(const std::string& title, const std::string& filter,
                        const std::string& defaultPath, std::string& path) override;
    void EndDialog(int result) override;
    void SetStatusLine(const StatusLine& status) override;
    void CheckMenuItem(int id, bool checked) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A file dropped on the window (from a file manager) loads as if chosen with Load Image.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    bool ChooseFile(bool save, const std::string& title, const std::string& filter,
                    const std::string& defaultPath, std::string& path);

    CGeoreferenceApp& m_app;
    nv::Profile m_profile;
    nv::QtMessageBox m_messages;
    nv::QtShell m_shell;
    CGeoreferenceDlg m_dlg;

    QMenuBar* m_menuBar = nullptr;
    QMenu* m_recentMenu = nullptr;
    QWidget* m_client = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusParts[4] = {}; // pixel, position, scale, warning
    QLabel* m_workText = nullptr;
    QProgressBar* m_workBar = nullptr;
    CPointGrid* m_table = nullptr;
    std::unique_ptr<PointTable> m_tableView; // the table as the controller sees it
    COXImageViewer* m_viewer = nullptr;
    std::unique_ptr<ImageView> m_viewerView; // the viewer as the controller sees it
    std::map<int, QWidget*> m_controls;
    std::map<int, QAction*> m_actions;
};

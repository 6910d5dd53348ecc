// The main window.
#include "app/widgets/main_window.h"

#include "app/dialog_units.h"
#include "app/georeference_app.h"
#include "app/product.h"
#include "app/widgets/about_dlg.h"
#include "app/widgets/app_resources.h"
#include "app/widgets/dialog_metrics.h"
#include "georef/graticule.h"
#include "georef/widgets/point_grid.h"
#include "imaging/preview_layout.h"
#include "imaging/widgets/image_viewer.h"
#include "imaging/widgets/preview_dialog.h"
#include "imaging/widgets/thumbnail_preview.h"
#include "platform/screen_geometry.h"
#include "update/widgets/main_window_update_host.h"
#include "update/widgets/update_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

DlgRect ToDlgRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const DlgRect& r)
{
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// File > Recent Images. The entries of images whose file is gone are drawn greyed, yet stay
// enabled, so that choosing one takes it off the list.
const char* const kMissingProperty = "nvMissing";

class RecentImagesMenuWidget : public QMenu
{
public:
    using QMenu::QMenu;

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override
    {
        QMenu::initStyleOption(option, action);
        if (!action->property(kMissingProperty).toBool())
            return;
        for (QPalette::ColorRole role :
             {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
                option->palette.setColor(group, role,
                                         option->palette.color(QPalette::Disabled, role));
    }
};

// The first local file among the URLs of dropped data; empty when there is none.
QString DroppedFile(const QMimeData* data)
{
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile() && !url.toLocalFile().isEmpty())
                return url.toLocalFile();
    return {};
}

// The image viewer as the controller sees it. Sizes are those of the image file, whatever
// turns the view shows, since the world file belongs to the file.
class ViewerImageView : public ImageView
{
public:
    explicit ViewerImageView(COXImageViewer& viewer) : m_viewer(viewer) {}
    bool LoadImage(const std::string& path, std::string& reason) override
    {
        return m_viewer.LoadImage(path, &reason);
    }
    // The window connects the viewer's LoadFinished to the controller.
    bool StartLoadImage(const std::string& path) override
    {
        m_viewer.StartLoad(path);
        return true;
    }
    DlgSize GetContentSize() override { return m_viewer.GetImageFileSize(); }
    void SetMarker(int index, std::optional<DlgPoint> pixel) override
    {
        m_viewer.SetMarker(index, pixel);
    }
    // While a point is picked the viewer takes the keys: arrows, Enter and Escape.
    void SetPickIndex(int index) override
    {
        m_viewer.SetPickIndex(index);
        if (index >= 0)
            m_viewer.setFocus();
    }
    void SetGraticule(bool shown, const std::optional<GeoTransform>& fit, int notation) override
    {
        if (!fit) {
            m_viewer.SetGraticule(shown, {});
            return;
        }
        m_viewer.SetGraticule(shown, [fit = *fit, notation](const nv::AreaF& area) {
            std::vector<nv::GridLine> lines;
            for (GraticuleLine& line :
                 ComputeGraticule(fit, {area.left, area.top, area.right, area.bottom}, notation))
                lines.push_back({line.meridian, line.position, std::move(line.label)});
            return lines;
        });
    }

private:
    COXImageViewer& m_viewer;
};

// The point table as the controller sees it.
class GridPointTable : public PointTable
{
public:
    explicit GridPointTable(CPointGrid& grid) : m_grid(grid) {}
    void SetCellText(int column, int row, const std::string& text) override
    {
        m_grid.SetCellText(column, row, text);
        m_grid.RedrawCell(column, row);
    }
    std::string GetCellText(int column, int row) override
    {
        return m_grid.GetCellText(column, row);
    }
    void RedrawAll() override { m_grid.RedrawAll(); }
    void FitColumns() override { m_grid.FitColumns(); }

private:
    CPointGrid& m_grid;
};

} // namespace

CGeoreferenceWindow::CGeoreferenceWindow(CGeoreferenceApp& app, nv::Profile profile,
                                         QWidget* parent)
    : QDialog(parent), m_app(app), m_profile(std::move(profile)), m_messages(kProductName, this),
      m_dlg(*this)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setAcceptDrops(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_client = new QWidget(this);
    m_client->setObjectName("client");
    layout->addWidget(m_client, 1);
    m_client->installEventFilter(this);
    // The status line sits under the client area, whose layout it leaves alone.
    m_statusBar = new QStatusBar(this);
    for (QLabel*& part : m_statusParts) {
        part = new QLabel(m_statusBar);
        part->hide();
        m_statusBar->addWidget(part, part == m_statusParts[3] ? 1 : 0);
    }
    // The warning takes what the other parts leave; a long one is cut off at the window's
    // edge rather than widening the window.
    m_statusParts[3]->setMinimumWidth(1);
    m_statusParts[3]->setStyleSheet("color: #b00000; font-weight: bold");
    // How far a load or turn is, at the right.
    m_workText = new QLabel(m_statusBar);
    m_workBar = new QProgressBar(m_statusBar);
    m_workBar->setRange(0, 1000);
    m_workBar->setTextVisible(false);
    m_workBar->setMaximumWidth(fontMetrics().averageCharWidth() * 24);
    m_statusBar->addPermanentWidget(m_workText);
    m_statusBar->addPermanentWidget(m_workBar);
    ShowWorkProgress({}, -1);
    m_statusBar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(m_statusBar);

    CreateMenus();
    CreateControls();

    const DialogBaseUnits base = DialogBaseUnitsOf(fontMetrics());
    resize(DialogUnitsToPixelsX(kMainTemplateSize.cx, base),
           DialogUnitsToPixelsY(kMainTemplateSize.cy, base) + m_menuBar->sizeHint().height() +
               m_statusBar->sizeHint().height());
    layout->activate();

    m_dlg.OnInitDialog();
}

CGeoreferenceWindow::~CGeoreferenceWindow()
{
    m_client->removeEventFilter(this);
}

void CGeoreferenceWindow::CreateMenus()
{
    auto add = [this](QMenu* menu, int id, const char* text, auto handler) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, handler);
        m_actions[id] = action;
        return action;
    };
    QMenu* file = m_menuBar->addMenu("&File");
    add(file, ID_FILE_LOAD_IMAGE, "&Load Image", [this] {
        m_dlg.OnLoadImage();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_recentMenu = new RecentImagesMenuWidget("&Recent Images", file);
    file->addMenu(m_recentMenu);
    connect(file, &QMenu::aboutToShow, this, &CGeoreferenceWindow::UpdateRecentImagesMenu);
    file->addSeparator();
    add(file, ID_FILE_LOAD_POINTS, "Load &Points...", [this] { m_dlg.OnLoadPoints(); });
    add(file, ID_FILE_SAVE_POINTS, "&Save Points...", [this] {
        m_dlg.OnSavePoints();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    add(file, ID_APP_EXIT, "E&xit", [this] {
        close();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* view = m_menuBar->addMenu("&View");
    add(view, ID_VIEW_SHOW_GRATICULE, "Show &Graticule", [this](bool checked) {
        m_dlg.OnShowGraticule(checked);
    })->setCheckable(true);

    QMenu* help = m_menuBar->addMenu("&Help");
    QAction* topics = add(help, ID_HELP_FINDER, "&Help Topics",
                          [this] { CGeoreferenceApp::OnHelpFinder(*this); });
    topics->setShortcut(QKeySequence::HelpContents);
    help->addSeparator();
    add(help, ID_APP_ABOUT, "&About Nulo Vandrel", [this] { OnAppAbout(); });
    help->addSeparator();
    add(help, ID_HELP_CHECK_FOR_UPDATES, "&Check For Updates", [this] { OnCheckForUpdates(); });
}

void CGeoreferenceWindow::UpdateRecentImagesMenu()
{
    m_recentMenu->clear();
    for (const CGeoreferenceDlg::RecentImage& image : m_dlg.RecentImages()) {
        QAction* action = m_recentMenu->addAction(QString::fromStdString(image.text));
        action->setData(QString::fromStdString(image.path));
        action->setProperty(kMissingProperty, image.missing);
        connect(action, &QAction::triggered, this,
                [this, path = image.path] { m_dlg.OnOpenRecentImage(path); });
    }
    m_recentMenu->setEnabled(!m_recentMenu->isEmpty());
}

void CGeoreferenceWindow::CreateControls()
{
    const DialogBaseUnits base = DialogBaseUnitsOf(fontMetrics());
    auto place = [&](int id, QWidget* w) {
        for (const TemplateControl& c : kMainTemplate)
            if (c.id == id)
                w->setGeometry(ToQRect(DialogUnitsToPixels(c, base)));
        m_controls[id] = w;
    };

    auto* instructions = new QPlainTextEdit(m_client);
    instructions->setReadOnly(true);
    instructions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(IDC_INSTRUCTIONS, instructions);

    // The point table takes the place of this frame.
    auto* placeholder = new QFrame(m_client);
    placeholder->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    placeholder->setProperty(CTableGrid::kControlIdProperty, IDC_POINT_TABLE);
    place(IDC_POINT_TABLE, placeholder);

    auto button = [&](int id, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), m_client);
        b->setAutoDefault(false);
        place(id, b);
        return b;
    };
    connect(button(IDC_PICK_POINT1, "Pick Point #1"), &QPushButton::clicked, this,
            [this] { m_dlg.OnPickPoint1(); });
    connect(button(IDC_PICK_POINT2, "Pick Point #2"), &QPushButton::clicked, this,
            [this] { m_dlg.OnPickPoint2(); });
    connect(button(IDC_LOAD_IMAGE, "Load Image"), &QPushButton::clicked, this,
            [this] { m_dlg.OnLoadImage(); });
    QPushButton* accept = button(IDC_ACCEPT, "Done - Create World File");
    accept->setDefault(true);
    connect(accept, &QPushButton::clicked, this, [this] { m_dlg.OnCreateWorldFile(); });
}

void CGeoreferenceWindow::OnAppAbout()
{
    CAboutDlg dlg(m_app.m_strProductVersion, m_shell, this);
    dlg.exec();
}

void CGeoreferenceWindow::OnCheckForUpdates()
{
    MainWindowUpdateHost host(this);
    CUpdateDlg dlg(this, &host);
    dlg.exec();
}

QWidget* CGeoreferenceWindow::Control(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QAction* CGeoreferenceWindow::MenuAction(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

std::string CGeoreferenceWindow::GetProfileString(const std::string& section,
                                                  const std::string& key,
                                                  const std::string& defaultValue)
{
    return m_profile.GetString(section, key, defaultValue);
}

bool CGeoreferenceWindow::WriteProfileString(const std::string& section, const std::string& key,
                                             const std::string& value)
{
    return m_profile.WriteString(section, key, value);
}

int CGeoreferenceWindow::GetProfileInt(const std::string& section, const std::string& key,
                                       int defaultValue)
{
    return m_profile.GetInt(section, key, defaultValue);
}

WindowPlacement CGeoreferenceWindow::GetWindowPlacement()
{
    // The normal rectangle is the window's restored geometry (without the frame the window
    // manager adds), so that applying it again gives the same window.
    WindowPlacement p;
    p.showCmd = isMinimized() ? kShowMinimized : (isMaximized() ? kShowMaximized : kShowNormal);
    const QRect normal = (isMinimized() || isMaximized()) ? normalGeometry() : geometry();
    p.normal = ToDlgRect(normal.isValid() ? normal : geometry());
    return p;
}

void CGeoreferenceWindow::SetWindowPlacement(const WindowPlacement& p)
{
    // A placement saved on a screen that is gone (or smaller now) is brought back onto one.
    std::vector<nv::ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back({ToDlgRect(screen->geometry()), ToDlgRect(screen->availableGeometry())});
    setGeometry(ToQRect(nv::KeepOnScreens(p.normal, screens)));
    Qt::WindowStates state = Qt::WindowNoState;
    if (p.showCmd == kShowMaximized)
        state = Qt::WindowMaximized;
    else if (p.showCmd == kShowMinimized || p.showCmd == 6 || p.showCmd == 7)
        state = Qt::WindowMinimized;
    setWindowState(state);
}

bool CGeoreferenceWindow::IsIconic()
{
    return isMinimized();
}

bool CGeoreferenceWindow::IsZoomed()
{
    return isMaximized();
}

DlgRect CGeoreferenceWindow::GetClientRect()
{
    return ToDlgRect(m_client->rect());
}

DlgRect CGeoreferenceWindow::GetChildRect(int id)
{
    QWidget* w = Control(id);
    return w ? ToDlgRect(w->geometry()) : DlgRect{};
}

void CGeoreferenceWindow::MoveChild(int id, const DlgRect& rect, bool repaint)
{
    if (QWidget* w = Control(id)) {
        w->setGeometry(ToQRect(rect));
        if (repaint)
            w->update();
    }
}

void CGeoreferenceWindow::EnableChild(int id, bool enable)
{
    if (QWidget* w = Control(id))
        w->setEnabled(enable);
    else if (QAction* a = MenuAction(id))
        a->setEnabled(enable);
}

void CGeoreferenceWindow::SetChildText(int id, const std::string& text)
{
    if (auto* edit = qobject_cast<QPlainTextEdit*>(Control(id)))
        edit->setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
}

void CGeoreferenceWindow::SetCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void CGeoreferenceWindow::SetIcons()
{
    setWindowIcon(AppIcon());
}

void CGeoreferenceWindow::RedrawWindow()
{
    update();
}

void CGeoreferenceWindow::SetMinimumClientSize(DlgSize size)
{
    m_client->setMinimumSize(size.cx, size.cy);
}

ImageView& CGeoreferenceWindow::CreateViewer(int id)
{
    m_viewer = new COXImageViewer(m_client);
    m_viewerView = std::make_unique<ViewerImageView>(*m_viewer);
    connect(m_viewer, &COXImageViewer::PickTrack, this,
            [this](int x, int y) { m_dlg.OnPickTrack(x, y); });
    connect(m_viewer, &COXImageViewer::PickEnd, this,
            [this](int x, int y) { m_dlg.OnPickEnd(x, y); });
    connect(m_viewer, &COXImageViewer::PickCancel, this, [this] { m_dlg.OnPickCancel(); });
    connect(m_viewer, &COXImageViewer::PointerLeft, this, [this] { m_dlg.OnPointerLeft(); });
    connect(m_viewer, &COXImageViewer::GraticuleToggled, this,
            [this] { m_dlg.OnShowGraticule(!m_dlg.m_bShowGraticule); });
    connect(m_viewer, &COXImageViewer::LoadFinished, this,
            [this](const QString& path, bool ok, const QString& reason) {
                m_dlg.OnImageLoaded(path.toStdString(), ok, reason.toStdString());
            });
    connect(m_viewer, &COXImageViewer::WorkProgress, this, &CGeoreferenceWindow::ShowWorkProgress);
    m_viewer->setGeometry(0, 0, 0, 0);
    m_viewer->show();
    m_controls[id] = m_viewer;
    return *m_viewerView;
}

PointTable& CGeoreferenceWindow::AttachPointTable(int id)
{
    m_table = new CPointGrid(m_dlg, m_client);
    m_table->AttachToDialogItem(m_client, id);
    m_controls[id] = m_table;
    m_tableView = std::make_unique<GridPointTable>(*m_table);
    return *m_tableView;
}

int CGeoreferenceWindow::MessageBox(const std::string& text, nv::MessageButtons buttons)
{
    return m_messages.Show(text, buttons);
}

bool CGeoreferenceWindow::ShellOpen(const std::string& path)
{
    return m_shell.Open(path);
}

bool CGeoreferenceWindow::ChooseImageFile(const std::string& title, const std::string& filter,
                                          const std::string& startFolder, std::string& path)
{
    // The image dialog with its preview pane, showing thumbnails; it opens where the last
    // image was chosen.
    COXPreviewDialog dlg(filter, &m_profile);
    dlg.setWindowTitle(QString::fromStdString(title));
    if (!startFolder.empty())
        dlg.setDirectory(QString::fromStdString(startFolder));
    dlg.AddPreviewHandler(std::make_unique<CThumbnailPreview>());
    if (!dlg.DoModal())
        return false;
    path = dlg.GetPathName();
    return !path.empty();
}

bool CGeoreferenceWindow::ChooseOpenFile(const std::string& title, const std::string& filter,
                                         const std::string& defaultPath, std::string& path)
{
    return ChooseFile(false, title, filter, defaultPath, path);
}

bool CGeoreferenceWindow::ChooseSaveFile(const std::string& title, const std::string& filter,
                                         const std::string& defaultPath, std::string& path)
{
    return ChooseFile(true, title, filter, defaultPath, path);
}

bool CGeoreferenceWindow::ChooseFile(bool save, const std::string& title, const std::string& filter,
                                     const std::string& defaultPath, std::string& path)
{
    QFileDialog dialog(this, QString::fromStdString(title), QString::fromStdString(defaultPath),
                       QString::fromStdString(FileDialogFilter(filter)));
    if (save) {
        // The controller asks before replacing a file; a typed name gets the filter's extension.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QString first = QString::fromStdString(filter).section('|', 1, 1).section(';', 0, 0);
        if (first.startsWith("*.") && first != "*.*")
            dialog.setDefaultSuffix(first.mid(2));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().first().toStdString();
    return true;
}

void CGeoreferenceWindow::EndDialog(int result)
{
    done(result == nv::IDOK ? QDialog::Accepted : QDialog::Rejected);
}

void CGeoreferenceWindow::SetStatusLine(const StatusLine& status)
{
    const std::string* parts[4] = {&status.pixel, &status.position, &status.scale, &status.warning};
    for (int i = 0; i < 4; ++i) {
        m_statusParts[i]->setText(QString::fromStdString(*parts[i]));
        m_statusParts[i]->setToolTip(m_statusParts[i]->text());
        m_statusParts[i]->setVisible(!parts[i]->empty());
    }
}

void CGeoreferenceWindow::ShowWorkProgress(const QString& text, int permille)
{
    m_workText->setText(text);
    m_workText->setVisible(!text.isEmpty());
    // A bar that runs to and fro when the share done is not known.
    m_workBar->setRange(0, permille < 0 ? 0 : 1000);
    m_workBar->setValue(std::max(permille, 0));
    m_workBar->setVisible(!text.isEmpty());
}

void CGeoreferenceWindow::CheckMenuItem(int id, bool checked)
{
    if (QAction* action = MenuAction(id))
        action->setChecked(checked);
}

void CGeoreferenceWindow::keyPressEvent(QKeyEvent* event)
{
    // While a point is picked, Escape cancels the pick and Enter ends it, wherever the focus
    // is: neither may close the window or create the world file then.
    if (m_dlg.m_nPickMode != 0) {
        switch (event->key()) {
        case Qt::Key_Escape:
            m_dlg.OnPickCancel();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_dlg.OnPickEnd(0, 0);
            return;
        default:
            break;
        }
    }
    // Escape on the point table with no edit open (an open editor takes its own) does nothing:
    // it is no request to close the window.
    if (event->key() == Qt::Key_Escape && m_table &&
        m_table->isAncestorOf(QApplication::focusWidget()))
        return;
    QDialog::keyPressEvent(event);
}

void CGeoreferenceWindow::closeEvent(QCloseEvent* event)
{
    m_dlg.OnClose();
    QDialog::closeEvent(event);
}

void CGeoreferenceWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CGeoreferenceWindow::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // The drag source waits for the drop to end: the image (and any question about its world
    // file) follows once it has.
    QTimer::singleShot(0, this, [this, path = file.toStdString()] { m_dlg.OpenImage(path); });
}

bool CGeoreferenceWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        m_dlg.OnSize();
    return QDialog::eventFilter(watched, event);
}

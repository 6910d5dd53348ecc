// The About box.
#include "app/widgets/about_dlg.h"

#include "app/product.h"
#include "app/widgets/app_resources.h"
#include "app/widgets/dialog_metrics.h"
#include "support/widgets/hyperlink.h"
#include "update/widgets/main_window_update_host.h"
#include "update/widgets/update_dlg.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

// Arial bold of a point size, its character height converted to pixels with the vertical
// resolution of the screen.
QFont BoldArial(int points, int dpiY)
{
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(MulDiv(points, dpiY, 72));
    font.setWeight(QFont::Bold);
    return font;
}

// The main window's part in a restart, which also closes the About box so that the program
// can end.
class AboutUpdateHost : public UpdateHost
{
public:
    explicit AboutUpdateHost(QDialog& about) : m_about(about), m_main(about.parentWidget()) {}

    void SetMainWindowTitle(const std::string& title) override { m_main.SetMainWindowTitle(title); }
    std::vector<std::string> StartArguments() const override { return m_main.StartArguments(); }
    void CloseMainWindow() override
    {
        QMetaObject::invokeMethod(&m_about, &QDialog::reject, Qt::QueuedConnection);
        m_main.CloseMainWindow();
    }

private:
    QDialog& m_about;
    MainWindowUpdateHost m_main;
};

} // namespace

CAboutDlg::CAboutDlg(const std::string& version, nv::Shell& shell, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QString::number(IDD_ABOUTBOX));
    setWindowTitle("About Nulo Vandrel");
    setModal(true);
    CreateControls(shell);

    m_strVersion = "Version: " + version;
    UpdateData();
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::CreateControls(nv::Shell& shell)
{
    const DialogBaseUnits base = DialogBaseUnitsOf(fontMetrics());
    setFixedSize(DialogUnitsToPixelsX(kAboutTemplateSize.cx, base),
                 DialogUnitsToPixelsY(kAboutTemplateSize.cy, base));
    auto place = [&](QWidget* w, const TemplateControl& c) {
        w->setGeometry(TemplateRect(c, base));
        if (c.id != IDC_ABOUT_STATIC)
            m_controls[c.id] = w;
        return w;
    };

    auto* icon = new QLabel(this);
    place(icon, kAboutIcon);
    icon->setPixmap(AppIcon().pixmap(icon->size()));

    const int dpiY = logicalDpiY();
    m_wndProductName = new COXStatic(kProductName, this);
    place(m_wndProductName, kAboutProductName);
    m_wndProductName->SetTextFont(BoldArial(12, dpiY));
    m_wndVersion = new COXStatic("Version 1.00", this);
    place(m_wndVersion, kAboutVersion);
    m_wndVersion->SetTextFont(BoldArial(10, dpiY));
    for (COXStatic* s : {m_wndProductName, m_wndVersion})
        s->SetTextColor(Qt::black);

    auto* update = new QPushButton("Check For Updates", this);
    place(update, kAboutCheckForUpdates);
    connect(update, &QPushButton::clicked, this, &CAboutDlg::OnCheckForUpdates);

    place(new QLabel("WEB:", this), kAboutWebLabel);
    m_wndWebLink = new CIDHyperLink(shell, this);
    place(m_wndWebLink, kAboutWebLink);
    m_wndWebLink->setText(kMakerWebSite);
    m_wndWebLink->SetURL(kMakerWebSite);
    m_wndWebLink->SetToolTipText("Visit the Halvorn Software web site");

    place(new QLabel("EMAIL:", this), kAboutEmailLabel);
    m_wndEmailLink = new CIDHyperLink(shell, this);
    place(m_wndEmailLink, kAboutEmailLink);
    m_wndEmailLink->setText(kMakerEmail);
    m_wndEmailLink->SetURL(std::string("mailto:") + kMakerEmail);
    m_wndEmailLink->SetToolTipText("Send an e-mail to the Halvorn Software team");
    for (CIDHyperLink* link : {m_wndWebLink, m_wndEmailLink}) {
        link->SetTextColor(QColor(0, 0, 255));
        link->SetLinkCursor(CIDHyperLink::IDC_LINK_HAND);
        link->EnableToolTip(true);
    }

    place(new QLabel(kOwnershipNotice, this), kAboutNotice);

    auto* close = new QPushButton("Close", this);
    place(close, kAboutClose);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_toolTip.CreateTip(this);
    m_toolTip.SetTipOffset(20, 0);
    m_toolTip.SetMaxTipWidth(width() / 2);
    m_toolTip.SetDelayTime(CIDToolTipCtrl::TTDT_AUTOPOP, 20000);
    m_toolTip.AddTool(update, "Check For Updates");
}

QWidget* CAboutDlg::Control(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CAboutDlg::UpdateData()
{
    m_wndVersion->setText(QString::fromStdString(m_strVersion));
}

void CAboutDlg::OnCheckForUpdates()
{
    AboutUpdateHost host(*this);
    CUpdateDlg dlg(this, &host);
    if (m_updateSetup)
        m_updateSetup(dlg);
    dlg.exec();
}

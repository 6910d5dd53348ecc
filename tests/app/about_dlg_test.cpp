// The About box on the offscreen platform: its texts, fonts and links, the update button's
// tip, the update check it starts, and the Help menu that opens it.
#include "app/widgets/about_dlg.h"

#include "app/georeference_app.h"
#include "app/product.h"
#include "app/widgets/main_window.h"
#include "platform/app_paths.h"
#include "support/widgets/hyperlink.h"
#include "tests/testlib/recording_shell.h"
#include "tests/testlib/temp_dir.h"
#include "update/widgets/update_dlg.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class AboutDlgTest : public ::testing::Test
{
protected:
    void Show(CAboutDlg& about)
    {
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    }
    template <class T> T* Get(CAboutDlg& about, int id)
    {
        auto* w = qobject_cast<T*>(about.Control(id));
        EXPECT_TRUE(w) << id;
        return w;
    }

    nv::test::RecordingShell shell;
};

// Notes what the user saw whenever the update check asks something.
class WatchingMessageBox : public nv::MessageBoxService
{
public:
    int Show(const std::string& text, nv::MessageButtons) override
    {
        auto* update = qobject_cast<CUpdateDlg*>(QApplication::activeModalWidget());
        seen.push_back({text, about->isVisible(), update && update->isVisible(),
                        update && update->parentWidget() == about});
        return nv::IDNO;
    }
    struct Seen
    {
        std::string text;
        bool aboutVisible;
        bool updateVisible;
        bool updateOverAbout;
    };
    QWidget* about = nullptr;
    std::vector<Seen> seen;
};

} // namespace

TEST_F(AboutDlgTest, ShowsTheProductItsVersionAndTheMakersAddresses)
{
    CAboutDlg about("1.05", shell);
    EXPECT_EQ(about.windowTitle(), "About Nulo Vandrel");
    auto* name = Get<COXStatic>(about, IDC_PRODUCT_NAME);
    auto* version = Get<COXStatic>(about, IDC_VERSION);
    EXPECT_EQ(name->text(), "Nulo Vandrel");
    EXPECT_EQ(version->text(), "Version: 1.05");

    // Arial bold, 12 and 10 points at the screen's vertical resolution; black.
    const int dpi = about.logicalDpiY();
    for (auto [label, points] : {std::pair{name, 12}, std::pair{version, 10}}) {
        SCOPED_TRACE(points);
        EXPECT_EQ(label->font().family(), "Arial");
        EXPECT_EQ(label->font().pixelSize(), MulDiv(points, dpi, 72));
        EXPECT_EQ(label->font().weight(), QFont::Bold);
        EXPECT_EQ(label->GetTextColor(), QColor(Qt::black));
    }

    auto* web = Get<CIDHyperLink>(about, IDC_WEB_LINK);
    auto* email = Get<CIDHyperLink>(about, IDC_EMAIL_LINK);
    EXPECT_EQ(web->text().toStdString(), kMakerWebSite);
    EXPECT_EQ(email->text().toStdString(), kMakerEmail);
    EXPECT_EQ(web->toolTip(), "Visit the Halvorn Software web site");
    EXPECT_EQ(email->toolTip(), "Send an e-mail to the Halvorn Software team");
    for (CIDHyperLink* link : {web, email}) {
        EXPECT_EQ(link->GetTextColor(), QColor(0, 0, 255));
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    }
    QStringList texts;
    int icons = 0;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        texts << label->text();
        icons += !label->pixmap().isNull();
    }
    EXPECT_EQ(icons, 1);
    EXPECT_TRUE(texts.contains("WEB:") && texts.contains("EMAIL:"));
    const QStringList notice = texts.filter("Halvorn Software LLC");
    ASSERT_EQ(notice.size(), 1);
    EXPECT_TRUE(notice[0].contains("2026"));
}

TEST_F(AboutDlgTest, LinksOpenTheWebSiteAndANewMail)
{
    CAboutDlg about("1.00", shell);
    Show(about);
    QTest::mouseClick(about.Control(IDC_WEB_LINK), Qt::LeftButton, {}, {3, 3});
    QTest::mouseClick(about.Control(IDC_EMAIL_LINK), Qt::LeftButton, {}, {3, 3});
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{kMakerWebSite, std::string("mailto:") + kMakerEmail}));
}

TEST_F(AboutDlgTest, UpdateButtonTipAppearsBesideTheRestingCursor)
{
    CAboutDlg about("1.00", shell);
    Show(about);
    QWidget* button = about.Control(IDC_CHECK_FOR_UPDATES);
    QTest::mouseMove(button, {8, 8});
    QTRY_COMPARE(about.ToolTip().ShownText(), QString("Check For Updates"));
    EXPECT_EQ(about.ToolTip().pos(), button->mapToGlobal(QPoint(8, 8)) + QPoint(20, 0));
    EXPECT_LE(about.ToolTip().width(), about.width() / 2);
    QTest::mouseClick(button, Qt::RightButton, {}, {8, 8});
    EXPECT_EQ(about.ToolTip().ShownText(), "");
}

TEST_F(AboutDlgTest, UpdateButtonRunsTheCheckOverTheOpenAboutBox)
{
    nv::test::TempDir dir;
    nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
    CAboutDlg about("1.00", shell);
    WatchingMessageBox messages;
    messages.about = &about;
    about.SetUpdateDialogSetup([&messages](CUpdateDlg& dlg) {
        dlg.Check().SetMessages(messages);
        dlg.Check().SetBaseUrl("http://127.0.0.1:1/"); // nothing listens there
        // Any valid key lets the check go as far as the server (the test build has none).
        dlg.Check().SetPublicKey("RWRUb/nv00AcGHtIT5oPH15VeniAkBxbtypSIDXnPngRUNNtzWqFKHYs");
    });
    Show(about);
    QTest::mouseClick(about.Control(IDC_CHECK_FOR_UPDATES), Qt::LeftButton);
    nv::SetApplicationPath("");

    ASSERT_EQ(messages.seen.size(), 1u);
    EXPECT_EQ(messages.seen[0].text, "ERROR:  Unable to retrieve update information.");
    EXPECT_TRUE(messages.seen[0].aboutVisible);
    EXPECT_TRUE(messages.seen[0].updateVisible);
    EXPECT_TRUE(messages.seen[0].updateOverAbout);
    EXPECT_TRUE(about.isVisible());
}

TEST(AboutMenu, HelpAboutOpensTheBoxWithTheProgramsVersion)
{
    nv::test::TempDir dir;
    CGeoreferenceApp app;
    app.m_strProductVersion = "1.05";
    CGeoreferenceWindow window(app, nv::Profile(dir.File("p.ini")));

    std::string versionShown;
    QTimer::singleShot(0, &window, [&] {
        if (auto* dlg = window.findChild<CAboutDlg*>()) {
            versionShown = dlg->m_strVersion;
            dlg->accept();
        }
    });
    window.MenuAction(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(versionShown, "Version: 1.05");
}

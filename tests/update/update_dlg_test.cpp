// The update dialog on the offscreen platform, running real checks against a local server.
#include "update/widgets/update_dlg.h"

#include "platform/app_paths.h"
#include "tests/testlib/temp_dir.h"
#include "tests/update/test_http_server.h"
#include "tests/update/update_fixtures.h"
#include "update/widgets/main_window_update_host.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Answers every box with a fixed answer, noting what the dialog showed meanwhile; can press
// Escape on the dialog while a box is up.
class WatchingMessageBox : public nv::MessageBoxService
{
public:
    struct Seen
    {
        std::string text;
        std::string status;
        bool dialogVisible;
    };

    int Show(const std::string& text, nv::MessageButtons buttons) override
    {
        if (pressEscape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        seen.push_back({text, dialog->StatusControl()->text().toStdString(), dialog->isVisible()});
        return buttons == nv::MessageButtons::yesNo ? answer : nv::IDOK;
    }

    CUpdateDlg* dialog = nullptr;
    bool pressEscape = false;
    int answer = nv::IDNO;
    std::vector<Seen> seen;
};

class UpdateDlgTest : public ::testing::Test
{
protected:
    UpdateDlgTest() : server(root.Path() + "/server"), temps(root.Path() + "/tmp") {}

    void SetUp() override
    {
        for (const char* folder : {"/app", "/tmp", "/server/Ver1"})
            fs::create_directories(root.Path() + folder);
        nv::SetApplicationPath(root.Path() + "/app/Nulo_Vandrel");
    }
    void TearDown() override { nv::SetApplicationPath(""); }

    void Configure(CUpdateDlg& dlg)
    {
        messages.dialog = &dlg;
        dlg.Check().SetMessages(messages);
        dlg.Check().SetTempFiles(temps);
        dlg.Check().SetBaseUrl(server.Url("/Ver1/"));
        dlg.Check().SetPublicKey(key.PublicKey());
    }

    nv::test::TempDir root;
    nv::test::MinisignKey key;
    nv::test::TestHttpServer server;
    nv::test::FolderTempFiles temps;
    WatchingMessageBox messages;
};

TEST_F(UpdateDlgTest, RunsTheCheckAndClosesItself)
{
    key.Sign(root.Write("server/Ver1/Nulo_Vandrel_Version.txt",
                        "Nulo_Vandrel.chm,Nulo_Vandrel.chm,0.0\n"));
    CUpdateDlg dlg;
    Configure(dlg);
    messages.pressEscape = true; // the check cannot be cancelled
    EXPECT_EQ(dlg.windowTitle(), "Checking For Updates");
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dlg.StatusControl()->text(), "Static");

    QSignalSpy finished(&dlg, &QDialog::finished);
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(messages.seen.size(), 1u);
    EXPECT_EQ(messages.seen[0].text, "No new versions are available.");
    EXPECT_EQ(messages.seen[0].status, "No update available");
    EXPECT_TRUE(messages.seen[0].dialogVisible);
    EXPECT_EQ(dlg.m_strStatus, "No update available");
    EXPECT_EQ(dlg.CheckResult(), 0);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(UpdateDlgTest, RestartClosesTheMainWindow)
{
    const std::string marker = root.Path() + "/started";
    const std::string program = "#!/bin/sh\necho started > '" + marker + "'\n";
    key.Sign(root.Write("server/Ver1/Nulo_Vandrel_Version.txt",
                        "Nulo_Vandrel.zip,Nulo_Vandrel.zip,1.00\n"));
    key.Sign(root.Write(
        "server/Ver1/Nulo_Vandrel.zip",
        nv::test::ZipBytes({{"Nulo_Vandrel", program, nv::test::ZipItem::file, "", 0755}})));

    QWidget mainWindow;
    mainWindow.setWindowTitle("Nulo Vandrel");
    mainWindow.show();
    MainWindowUpdateHost host(&mainWindow);
    CUpdateDlg dlg(&mainWindow, &host);
    Configure(dlg);
    messages.answer = nv::IDYES;
    dlg.exec();

    EXPECT_EQ(dlg.CheckResult(), 1);
    EXPECT_EQ(mainWindow.windowTitle(), "Closing");
    QTRY_VERIFY_WITH_TIMEOUT(!mainWindow.isVisible(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(marker) && fs::file_size(marker) > 0, 5000);
    EXPECT_EQ(nv::test::ReadFile(marker), "started\n");
}

} // namespace

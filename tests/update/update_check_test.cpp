// The whole update check against a real HTTP server on 127.0.0.1, with a temporary
// application folder, scripted answers, and update files signed with minisign at test time.
#include "update/update_check.h"

#include "platform/app_paths.h"
#include "tests/testlib/scripted_message_box.h"
#include "tests/testlib/temp_dir.h"
#include "tests/update/test_http_server.h"
#include "tests/update/update_fixtures.h"
#include "update/update_command.h"
#include "update/update_installer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using nv::test::ListTree;
using nv::test::ReadFile;
using nv::test::SetDate;
using nv::test::TestHttpServer;
using nv::test::ZipItem;

const char* const kNoUpdates = "No new versions are available.";
const char* const kSuccess = "Updates downloaded/installed successfully.";
const char* const kDecompressError = "ERROR:  Unable to decompress retrieved update.";
const char* const kManifestNotSigned = "ERROR:  The update information on the server is not "
                                       "signed by the publisher of Nulo Vandrel. No update was "
                                       "installed.";

std::string NotSigned(const std::string& name)
{
    return "ERROR:  The update for " + name +
           " is not signed by the publisher of Nulo Vandrel. The update was not installed.";
}

// Runs a callback when a given status text is shown, to change the world mid-check.
class StatusTrigger : public nv::test::RecordingStatus
{
public:
    void ShowStatus(const std::string& text) override
    {
        RecordingStatus::ShowStatus(text);
        if (text == when && action)
            action();
    }
    std::string when;
    std::function<void()> action;
};

class UpdateCheckTest : public ::testing::Test
{
protected:
    UpdateCheckTest()
        : server(root.Path() + "/server"), temps(root.Path() + "/tmp"), check(messages, temps)
    {}

    void SetUp() override
    {
        for (const char* folder :
             {"/app", "/tmp", "/outside", "/server/SoftwareUpdates/Nulo_Vandrel/Ver1"})
            fs::create_directories(root.Path() + folder);
        nv::SetApplicationPath(app() + "Nulo_Vandrel");
        RetrievalLimits limits;
        limits.connectTimeoutSeconds = 2;
        limits.stallSeconds = 1;
        check.SetRetrievalLimits(limits);
        check.SetBaseUrl(server.Url(kBasePath));
        check.SetPublicKey(key.PublicKey());
        check.SetStatusSink(&status);
        check.SetRestart(&shell, &host);
    }

    void TearDown() override
    {
        nv::SetApplicationPath("");
        EXPECT_EQ(fs::current_path(), m_previous); // never changed
        shell.WaitAll();
    }

    std::string app() const { return root.Path() + "/app/"; }
    std::string tmp() const { return root.Path() + "/tmp/"; }
    // Puts a file on the update server, with its signature.
    void Serve(const std::string& name, const std::string& contents)
    {
        key.Sign(ServeUnsigned(name, contents));
    }
    std::string ServeUnsigned(const std::string& name, const std::string& contents)
    {
        return root.Write(std::string("server") + kBasePath + name, contents);
    }
    void Manifest(const std::string& text) { Serve("Nulo_Vandrel_Version.txt", text); }
    std::string ServerPath(const std::string& name) const { return kBasePath + name; }
    size_t TempFileCount() const { return ListTree(tmp()).size(); }
    // The application folder's contents, without the diagnostic log written beside the program.
    std::vector<std::string> AppTree() const
    {
        auto tree = ListTree(app());
        std::erase(tree, "Nulo_Vandrel.LOG");
        return tree;
    }

    static constexpr const char* kBasePath = "/SoftwareUpdates/Nulo_Vandrel/Ver1/";

    nv::test::TempDir root;
    nv::test::MinisignKey key;
    TestHttpServer server;
    nv::test::FolderTempFiles temps;
    nv::test::ScriptedMessageBox messages;
    StatusTrigger status;
    nv::test::RecordingHost host;
    nv::test::SpawningShell shell;
    CUpdateCheck check;

private:
    const fs::path m_previous = fs::current_path();
};

TEST_F(UpdateCheckTest, ManifestFailures)
{
    root.Write("app/Nulo_Vandrel.chm", "ITSF old");
    const auto before = AppTree();
    TestHttpServer::Response cut;
    cut.body = "Nulo_Vandrel.chm,Nulo_Vandrel.chm,99999999\n";
    cut.behaviour = TestHttpServer::Behaviour::cutShort;

    struct Row
    {
        const char* name;
        std::function<void()> arrange;
        const char* message;
    } rows[] = {
        {"fetch fails", [&] { server.Script(ServerPath("Nulo_Vandrel_Version.txt"), cut); },
         "ERROR:  Unable to retrieve update information."},
        {"retrieved file cannot be opened",
         [&] {
             Manifest("Nulo_Vandrel.chm,Nulo_Vandrel.chm,99999999\n");
             status.when = "Checking update info...";
             status.action = [&] { fs::remove_all(tmp()), fs::create_directory(tmp()); };
         },
         "ERROR:  Unable to open retrieved update information."},
        {"404 page", [] {}, "ERROR:  Unable to retrieve update information."},
        {"HTML page instead of the manifest", [&] { Manifest(TestHttpServer::kNotFoundPage); },
         "ERROR:  Update information is not available on the server."},
        {"line with two fields", [&] { Manifest("a.chm,a.chm,1\nb.chm,b.chm\n"); },
         "ERROR:  Update information is not available on the server."},
        {"local name outside the folder", [&] { Manifest("../a.chm,a.chm,1\n"); },
         "ERROR:  Update information is not available on the server."},
        {"far too long",
         [&] {
             Manifest(std::string(kMaxManifestBytes / 8 + 1, 'x') +
                      std::string(kMaxManifestBytes, '\n'));
         },
         "ERROR:  Update information is not available on the server."},
        {"no line", [&] { Manifest(""); }, "ERROR:  Unable to read retrieved update information."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(root.Path() + "/server" + kBasePath + "Nulo_Vandrel_Version.txt");
        messages.Clear();
        status.action = nullptr;
        row.arrange();
        EXPECT_EQ(check.RunUpdateCheck(), 0);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{row.message});
        EXPECT_EQ(AppTree(), before);
        EXPECT_EQ(TempFileCount(), 0u);
        server.Unscript(ServerPath("Nulo_Vandrel_Version.txt"));
    }
}

TEST_F(UpdateCheckTest, NothingNewer)
{
    root.Write("app/Nulo_Vandrel.chm", "ITSF");
    SetDate(app() + "Nulo_Vandrel.chm", 2008, 4, 15);
    root.Write("app/Data.bin", "PK");
    SetDate(app() + "Data.bin", 2008, 4, 16);
    // The date sorts above the offered version; a missing file has version 0.0.
    Manifest("Nulo_Vandrel.chm,Nulo_Vandrel.chm,20080415\n"
             "Data.bin,Data.bin,20080415\n"
             "Missing.chm,Missing.chm,0.0\n");
    EXPECT_EQ(check.RunUpdateCheck(), 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kNoUpdates});
    EXPECT_EQ(check.Status(), "No update available");
    ASSERT_EQ(check.Entries().size(), 3u);
    EXPECT_EQ(check.Entries()[0].localVersion, "20080415");
    EXPECT_EQ(check.Entries()[2].localVersion, "0.0");
    EXPECT_EQ(TempFileCount(), 0u); // the manifest's temporary file is gone
}

TEST_F(UpdateCheckTest, OneUpdateDeclined)
{
    Manifest("Nulo_Vandrel.chm,Nulo_Vandrel.chm,1.00\nOther.chm,Other.chm,0.0\n");
    EXPECT_EQ(check.RunUpdateCheck(), 0);
    ASSERT_EQ(messages.Count(), 1u);
    EXPECT_EQ(messages.All()[0].buttons, nv::MessageButtons::yesNo);
    EXPECT_EQ(messages.Last(), "There are updates available for the following:\n\n"
                               "Nulo_Vandrel.chm  Ver. 1.00\n"
                               "\nWould you like to download and install it?");
    EXPECT_EQ(check.Status(), "New update is available");
    EXPECT_EQ(server.Requests().size(), 2u); // nothing retrieved but the update information
    EXPECT_TRUE(AppTree().empty());
}

TEST_F(UpdateCheckTest, InstallsByCopyKeepingBackups)
{
    nv::test::WriteFileWithMode(app() + "Nulo_Vandrel.chm", "old help", 0755);
    SetDate(app() + "Nulo_Vandrel.chm", 2008, 4, 14);
    Manifest("Nulo_Vandrel.chm,Nulo_Vandrel.chm,20080415\n"
             "help/Extra.chm,Extra-v2.chm,2.00\n");
    fs::create_directory(app() + "help");
    Serve("Nulo_Vandrel.chm", "ITSF new help");
    Serve("Extra-v2.chm", "ITSF extra");
    messages.Answer(nv::IDYES);

    EXPECT_EQ(check.RunUpdateCheck(), 1);
    EXPECT_EQ(messages.All()[0].text, "There are updates available for the following:\n\n"
                                      "Nulo_Vandrel.chm  Ver. 20080415\n"
                                      "help/Extra.chm  Ver. 2.00\n"
                                      "\n\nWould you like to download and install them?");
    EXPECT_EQ(messages.Last(), kSuccess);
    EXPECT_TRUE(status.Saw("New updates are available"));
    EXPECT_TRUE(status.Saw("Retrieving updates..."));
    EXPECT_TRUE(status.Saw("Installing new updates..."));
    EXPECT_EQ(ReadFile(app() + "Nulo_Vandrel.chm"), "ITSF new help");
    EXPECT_EQ(ReadFile(app() + "Nulo_Vandrel v20080414.chm"), "old help");
    EXPECT_EQ(ReadFile(app() + "help/Extra.chm"), "ITSF extra");
    // The replaced file was executable, so is the new one.
    EXPECT_EQ(nv::test::ModeOf(app() + "Nulo_Vandrel.chm") & 0111, 0111u);
    EXPECT_EQ(TempFileCount(), 0u);
    // Every update and its signature were asked for with the session's first agent.
    std::vector<std::string> paths;
    for (const auto& request : server.Requests()) {
        EXPECT_EQ(request.userAgent, "Nulo_Vandrel");
        paths.push_back(request.path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{
                         ServerPath("Nulo_Vandrel_Version.txt"),
                         ServerPath("Nulo_Vandrel_Version.txt.minisig"),
                         ServerPath("Nulo_Vandrel.chm"), ServerPath("Nulo_Vandrel.chm.minisig"),
                         ServerPath("Extra-v2.chm"), ServerPath("Extra-v2.chm.minisig")}));

    // A second update of the same version replaces that backup.
    root.Write("app/Nulo_Vandrel.chm", "second old help");
    SetDate(app() + "Nulo_Vandrel.chm", 2008, 4, 14);
    Manifest("Nulo_Vandrel.chm,Nulo_Vandrel.chm,20080415\n");
    messages.Answer(nv::IDYES);
    EXPECT_EQ(check.RunUpdateCheck(), 1);
    EXPECT_EQ(messages.All()[messages.Count() - 2].text,
              "There are updates available for the following:\n\nNulo_Vandrel.chm  Ver. 20080415\n"
              "\nWould you like to download and install it?");
    EXPECT_TRUE(status.Saw("Installing new update..."));
    EXPECT_EQ(ReadFile(app() + "Nulo_Vandrel v20080414.chm"), "second old help");
    EXPECT_EQ(AppTree(), (std::vector<std::string>{"Nulo_Vandrel v20080414.chm", "Nulo_Vandrel.chm",
                                                   "help/", "help/Extra.chm"}));
}

// The name a signature gives its file is the one the file has on the server, as the release
// manager signed it there.
TEST_F(UpdateCheckTest, FilesSignedUnderTheirServerNameAreInstalled)
{
    const nv::test::TempDir signing;
    struct Row
    {
        const char* name;
        std::string manifest;
        std::function<void()> arrange;
    } rows[] = {
        {"a server name with an escaped blank", "Help.chm,Help%20v2.chm,1.00\n",
         [&] {
             // Signed as "Help v2.chm"; the server answers for the escaped name.
             const std::string file = signing.Write("Help v2.chm", "ITSF help");
             key.Sign(file);
             TestHttpServer::Response help, signature;
             help.body = "ITSF help";
             signature.body = ReadFile(file + ".minisig");
             server.Script(ServerPath("Help%20v2.chm"), help);
             server.Script(ServerPath("Help%20v2.chm.minisig"), signature);
         }},
        {"a trusted comment of the publisher's own, naming no file", "Help.chm,Help.chm,1.00\n",
         [&] { key.Sign(ServeUnsigned("Help.chm", "ITSF help"), {}, false, "release 1.00"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(app() + "Help.chm");
        messages.Clear();
        Manifest(row.manifest);
        row.arrange();
        messages.Answer(nv::IDYES);
        EXPECT_EQ(check.RunUpdateCheck(), 1);
        EXPECT_EQ(messages.Last(), kSuccess);
        EXPECT_EQ(ReadFile(app() + "Help.chm"), "ITSF help");
    }
}

TEST_F(UpdateCheckTest, FailedDownloadContinuedOrCancelled)
{
    Manifest("a.chm,a.chm,1.00\nb.chm,b.chm,1.00\nc.chm,c.chm,1.00\n");
    Serve("a.chm", "ITSF a");
    Serve("b.chm", "MZ\x90\x00 an executable image"); // refused by the content check
    Serve("c.chm", "PK c");
    const std::string bFailed =
        "ERROR:  Unable to retrieve update for b.chm.  Would you like to continue with the other "
        "updates?";

    // No: the check ends there, nothing installed.
    messages.Answer(nv::IDYES);
    messages.Answer(nv::IDNO);
    EXPECT_EQ(check.RunUpdateCheck(), 0);
    EXPECT_EQ(messages.Last(), bFailed);
    EXPECT_EQ(messages.All().back().buttons, nv::MessageButtons::yesNo);
    EXPECT_TRUE(AppTree().empty());
    EXPECT_EQ(TempFileCount(), 0u);

    // Yes: b is dropped, the others are installed; the status still counts three updates.
    messages.Clear();
    messages.Answer(nv::IDYES);
    messages.Answer(nv::IDYES);
    EXPECT_EQ(check.RunUpdateCheck(), 1);
    EXPECT_EQ(messages.Texts()[1], bFailed);
    EXPECT_EQ(messages.Last(), kSuccess);
    EXPECT_EQ(AppTree(), (std::vector<std::string>{"a.chm", "c.chm"}));
    EXPECT_FALSE(check.Entries()[1].selected);
    EXPECT_EQ(check.Status(), "Installing new updates...");
}

TEST_F(UpdateCheckTest, LastDownloadFailingInstallsNothing)
{
    Manifest("a.chm,a.chm,1.00\nb.chm,b.chm,1.00\n");
    Serve("a.chm", "ITSF a");
    // b.chm is missing: the server's HTML error page is refused by the content check.
    messages.Answer(nv::IDYES);
    EXPECT_EQ(check.RunUpdateCheck(), 0);
    EXPECT_EQ(messages.Last(), "ERROR:  Unable to retrieve update for b.chm.");
    EXPECT_EQ(messages.All().back().buttons, nv::MessageButtons::ok);
    EXPECT_TRUE(AppTree().empty());
}

TEST_F(UpdateCheckTest, InstallsByUnpacking)
{
    root.Write("app/Data.ZIP", "old archive");
    SetDate(app() + "Data.ZIP", 2008, 4, 1);
    Manifest("Data.ZIP,Data.zip,20080415\n");
    Serve("Data.zip", nv::test::ZipBytes({{"maps/a.txt", "a"}, {"readme.txt", "r"}}));
    messages.Answer(nv::IDYES);
    EXPECT_EQ(check.RunUpdateCheck(), 1);
    EXPECT_EQ(messages.Last(), kSuccess);
    EXPECT_EQ(AppTree(), (std::vector<std::string>{"Data v20080401.ZIP", "maps/", "maps/a.txt",
                                                   "readme.txt"}));
    EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(UpdateCheckTest, FailedInstallRestoresTheFolder)
{
    root.Write("app/Data.zip", "installed archive");
    root.Write("app/Data v20080401.zip", "older backup of that version");
    SetDate(app() + "Data.zip", 2008, 4, 1);
    root.Write("app/Help.chm", "installed help");
    SetDate(app() + "Help.chm", 2008, 4, 1);
    const auto before = AppTree();

    struct Row
    {
        const char* name;
        std::function<void()> arrange;
        const char* message;
    } rows[] = {
        {"damaged archive",
         [&] {
             Manifest("Data.zip,Data.zip,20080415\n");
             Serve("Data.zip", "PK\x03\x04 this is not an archive");
         },
         kDecompressError},
        {"hostile archive",
         [&] {
             Manifest("Data.zip,Data.zip,20080415\n");
             Serve("Data.zip", nv::test::ZipBytes({{"ok.txt", "ok"}, {"../outside/x", "x"}}));
         },
         kDecompressError},
        {"copy into a missing folder fails",
         [&] {
             Manifest("missing/Help.chm,Help.chm,20080415\n");
             Serve("Help.chm", "ITSF new");
         },
         "ERROR:  Unable to copy retrieved update to the application folder."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        messages.Clear();
        status.action = nullptr;
        row.arrange();
        messages.Answer(nv::IDYES);
        EXPECT_EQ(check.RunUpdateCheck(), 0);
        EXPECT_EQ(messages.Last(), row.message);
        EXPECT_EQ(AppTree(), before);
        EXPECT_EQ(ReadFile(app() + "Data.zip"), "installed archive");
        EXPECT_EQ(ReadFile(app() + "Data v20080401.zip"), "older backup of that version");
        EXPECT_EQ(ReadFile(app() + "Help.chm"), "installed help");
        EXPECT_TRUE(ListTree(root.Path() + "/outside").empty());
        EXPECT_EQ(TempFileCount(), 0u);
    }
    // The reasons go to the diagnostic log.
    const std::string log = ReadFile(app() + "Nulo_Vandrel.LOG");
    EXPECT_NE(log.find("Unable to decompress"), std::string::npos) << log;
    EXPECT_NE(log.find("../outside/x"), std::string::npos) << log;
}

TEST_F(UpdateCheckTest, EarlierEntriesStayInstalledWhenALaterOneFails)
{
    Manifest("a.chm,a.chm,1.00\nData.zip,Data.zip,1.00\nc.chm,c.chm,1.00\n");
    Serve("a.chm", "ITSF a");
    Serve("Data.zip", nv::test::ZipBytes({{"data.txt", "data"}}));
    Serve("c.chm", "ITSF c");
    const nv::test::MinisignKey other;
    other.Sign(root.Path() + "/server" + kBasePath + "Data.zip");
    messages.Answer(nv::IDYES);
    EXPECT_EQ(check.RunUpdateCheck(), 0);
    EXPECT_EQ(messages.Last(), NotSigned("Data.zip"));
    EXPECT_EQ(AppTree(), std::vector<std::string>{"a.chm"});
    EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(UpdateCheckTest, RestartsWhenItsOwnExecutableWasReplaced)
{
    nv::test::WriteFileWithMode(app() + "Nulo_Vandrel", "#!/bin/sh\nexit 3\n", 0755);
    const std::string marker = root.Path() + "/started";
    const std::string newProgram = "#!/bin/sh\necho \"$@\" > '" + marker + "'\n";
    Manifest("Nulo_Vandrel.zip,Nulo_Vandrel.zip,1.00\n");
    Serve("Nulo_Vandrel.zip",
          nv::test::ZipBytes({{"Nulo_Vandrel", newProgram, ZipItem::file, "", 0755}}));
    host.arguments = {"--from-test", "x"};
    messages.Answer(nv::IDYES);

    EXPECT_EQ(check.RunUpdateCheck(), 1);
    EXPECT_EQ(messages.Count(), 1u); // the question only: no success message
    EXPECT_EQ(host.title, "Closing");
    EXPECT_EQ(host.closeRequests, 1);
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_TRUE(shell.WaitAll());
    EXPECT_EQ(ReadFile(marker), "--from-test x\n");
}

TEST_F(UpdateCheckTest, AsksForARestartWhenTheProgramCannotBeStarted)
{
    nv::test::WriteFileWithMode(app() + "Nulo_Vandrel", "old", 0755);
    SetDate(app() + "Nulo_Vandrel", 2008, 4, 1);
    Manifest("Nulo_Vandrel,Nulo_Vandrel.bin,20080415\n");
    Serve("Nulo_Vandrel.bin", "PK new program");
    check.SetRestart(nullptr, &host);
    messages.Answer(nv::IDYES);
    EXPECT_EQ(check.RunUpdateCheck(), 1);
    EXPECT_EQ(messages.Last(),
              "Please exit Nulo Vandrel and restart it for the new version to take affect.");
    EXPECT_EQ(host.closeRequests, 0);
    EXPECT_EQ(ReadFile(app() + "Nulo_Vandrel"), "PK new program");
    EXPECT_EQ(nv::test::ModeOf(app() + "Nulo_Vandrel") & 0111, 0111u);
}

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old, m_had = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_had)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

TEST_F(UpdateCheckTest, CommandLine)
{
    std::ostringstream out, err;
    EXPECT_EQ(RunCheckUpdatesCommand({"--now"}, out, err), 2);
    EXPECT_EQ(RunCheckUpdatesCommand({"--yes", "--yes"}, out, err), 2);
    EXPECT_NE(err.str().find("Usage: Nulo_Vandrel --check-updates [--yes]"), std::string::npos);

    // The profile's URL, written without its final '/', points the check at the test server.
    ScopedEnv config("XDG_CONFIG_HOME", root.Path());
    ScopedEnv temp("TMPDIR", tmp());
    root.Write("Nulo_Vandrel.ini",
               "[Defaults]\nUpdate URL=" + server.Url("/SoftwareUpdates/Nulo_Vandrel/Ver1") + "\n");
    Manifest("a.chm,a.chm,1.00\n");
    Serve("a.chm", "ITSF a");

    out.str("");
    err.str("");
    EXPECT_EQ(RunCheckUpdatesCommand({}, out, err, key.PublicKey()), 1);
    EXPECT_NE(out.str().find("Connecting to update server...\n"), std::string::npos);
    EXPECT_NE(out.str().find("a.chm  Ver. 1.00\n"), std::string::npos);
    EXPECT_NE(out.str().find("[No]"), std::string::npos);
    EXPECT_TRUE(AppTree().empty());

    out.str("");
    EXPECT_EQ(RunCheckUpdatesCommand({"--yes"}, out, err, key.PublicKey()), 0);
    EXPECT_NE(out.str().find("[Yes]"), std::string::npos);
    EXPECT_NE(out.str().find(kSuccess), std::string::npos);
    EXPECT_EQ(ReadFile(app() + "a.chm"), "ITSF a");

    err.str("");
    Manifest("");
    EXPECT_EQ(RunCheckUpdatesCommand({"--yes"}, out, err, key.PublicKey()), 1);
    EXPECT_EQ(err.str(), "ERROR:  Unable to read retrieved update information.\n");
}

// Nulo_Vandrel --check-updates --yes refuses every update that is not exactly what the
// publisher signed, and every copy that cannot install updates safely, writing nothing.
TEST_F(UpdateCheckTest, CommandLineRefusesForgedUpdates)
{
    const nv::test::MinisignKey other;
    ScopedEnv config("XDG_CONFIG_HOME", root.Path());
    ScopedEnv temp("TMPDIR", tmp());
    root.Write("Nulo_Vandrel.ini", "[Defaults]\nUpdate URL=" + server.Url(kBasePath) + "\n");
    root.Write("app/Help.chm", "installed help");
    SetDate(app() + "Help.chm", 2008, 4, 1);
    root.Write("app/Data.zip", "installed archive");
    SetDate(app() + "Data.zip", 2008, 4, 1);
    fs::create_directory(app() + "maps");
    root.Write("app/maps/sheet.txt", "sheet");
    const auto before = AppTree();

    const std::string help = "ITSF new help";
    const std::string helpOnServer = root.Path() + "/server" + kBasePath + "Help.chm";
    const std::string signatureOnServer = helpOnServer + ".minisig";
    auto serveHelp = [&] {
        Manifest("Help.chm,Help.chm,20080415\n");
        Serve("Help.chm", help);
    };
    auto replaceSignature = [&](const std::function<std::string(const std::string&)>& change) {
        serveHelp();
        root.Write(std::string("server") + kBasePath + "Help.chm.minisig",
                   change(ReadFile(signatureOnServer)));
    };
    std::optional<nv::test::UnwritableFolder> readOnly;
    using nv::test::Line;
    using nv::test::ReplaceLine;

    struct Row
    {
        const char* name;
        std::function<void()> arrange;
        std::string message;
        std::string publicKey;
    } rows[] = {
        {"signed with another key",
         [&] {
             serveHelp();
             other.Sign(helpOnServer);
         },
         NotSigned("Help.chm"), key.PublicKey()},
        {"a signature of another file",
         [&] { replaceSignature([&](auto) { return key.SignatureOf("ITSF other help"); }); },
         NotSigned("Help.chm"), key.PublicKey()},
        {"truncated signature",
         [&] { replaceSignature([](const std::string& s) { return s.substr(0, s.size() - 30); }); },
         "ERROR:  The signature of the update for Help.chm cannot be read. The update was not "
         "installed.",
         key.PublicKey()},
        {"bit-flipped signature",
         [&] {
             replaceSignature([](const std::string& s) { return nv::test::FlipBit(s, 1, 30); });
         },
         NotSigned("Help.chm"), key.PublicKey()},
        {"valid signature, tampered trusted comment",
         [&] {
             replaceSignature(
                 [](const std::string& s) { return ReplaceLine(s, 2, Line(s, 2) + "\tstable"); });
         },
         NotSigned("Help.chm"), key.PublicKey()},
        {"another of the publisher's files in its place",
         [&] {
             serveHelp();
             Serve("Other.chm", "ITSF other help");
             const std::string other = root.Path() + "/server" + kBasePath + "Other.chm";
             ServeUnsigned("Help.chm", ReadFile(other));
             ServeUnsigned("Help.chm.minisig", ReadFile(other + ".minisig"));
         },
         NotSigned("Help.chm"), key.PublicKey()},
        {"file changed after signing",
         [&] {
             serveHelp();
             ServeUnsigned("Help.chm", help + "!");
         },
         NotSigned("Help.chm"), key.PublicKey()},
        {"update information without a signature",
         [&] {
             serveHelp();
             fs::remove(root.Path() + "/server" + kBasePath + "Nulo_Vandrel_Version.txt.minisig");
         },
         kManifestNotSigned, key.PublicKey()},
        {"update information changed to install a signed file in another's place",
         [&] {
             serveHelp();
             ServeUnsigned("Nulo_Vandrel_Version.txt", "Data.zip,Help.chm,20080415\n");
         },
         kManifestNotSigned, key.PublicKey()},
        {"no signature",
         [&] {
             serveHelp();
             fs::remove(signatureOnServer);
         },
         "ERROR:  Unable to retrieve the signature of the update for Help.chm. The update was not "
         "installed.",
         key.PublicKey()},
        {"404 page instead of the file",
         [&] {
             serveHelp();
             fs::remove(helpOnServer);
         },
         "ERROR:  Unable to retrieve update for Help.chm.", key.PublicKey()},
        {"a rename fails half-way through unpacking",
         [&] {
             Manifest("Data.zip,Data.zip,20080415\n");
             Serve("Data.zip", nv::test::ZipBytes({{"Help.chm", "ITSF replaced"},
                                                   {"new/file.txt", "new"},
                                                   {"maps", "a file over a non-empty folder"}}));
         },
         kDecompressError, key.PublicKey()},
        {"read-only application folder",
         [&] {
             serveHelp();
             readOnly.emplace(app());
         },
         "Updates for this copy of Nulo Vandrel come from the system's package manager.",
         key.PublicKey()},
        {"a build without a key", serveHelp,
         "ERROR:  This copy of Nulo Vandrel has no key to check update files with, so it cannot "
         "install updates.",
         ""},
        // Last: the data folder stays.
        {"installed beside its data folder, run by a user who may write there",
         [&] {
             serveHelp();
             fs::create_directories(root.Path() + "/share/Nulo_Vandrel");
         },
         "Updates for this copy of Nulo Vandrel come from the system's package manager.",
         key.PublicKey()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(root.Path() + "/server");
        fs::create_directories(root.Path() + "/server" + kBasePath);
        const size_t requests = server.Requests().size();
        row.arrange();
        std::ostringstream out, err;
        EXPECT_EQ(RunCheckUpdatesCommand({"--yes"}, out, err, row.publicKey), 1);
        readOnly.reset();
        EXPECT_NE((out.str() + err.str()).find(row.message + "\n"), std::string::npos)
            << out.str() << err.str();
        EXPECT_EQ(AppTree(), before);
        EXPECT_EQ(ReadFile(app() + "Help.chm"), "installed help");
        EXPECT_EQ(ReadFile(app() + "Data.zip"), "installed archive");
        EXPECT_EQ(TempFileCount(), 0u);
        // A copy that cannot install says so before it asks the server for anything.
        if (row.message.find("cannot install") != std::string::npos ||
            row.message.find("package manager") != std::string::npos) {
            EXPECT_EQ(server.Requests().size(), requests);
        }
    }
}

} // namespace

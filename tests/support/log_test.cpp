// The diagnostic log beside the executable, or in the user's state folder.
#include "support/log.h"

#include "platform/app_paths.h"
#include "tests/testlib/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <cstdlib>
#include <regex>
#include <thread>
#include <vector>

namespace {

class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        nv::SetApplicationPath(dir.File("Nulo_Vandrel"));
        ::setenv("XDG_STATE_HOME", dir.File("state").c_str(), 1);
    }
    void TearDown() override
    {
        nv::SetApplicationPath("");
        ::unsetenv("XDG_STATE_HOME");
    }
    std::string Contents() { return nv::test::ReadFile(dir.File("Nulo_Vandrel.LOG")); }

    nv::test::TempDir dir;
};

} // namespace

TEST_F(LogTest, ResetStartsAFreshFile)
{
    EXPECT_EQ(std::string(LogPath()), dir.File("Nulo_Vandrel.LOG"));
    LogReset();
    LogWrite("first run %d", 1);
    LogReset();
    LogWrite("second run %s", "here");
    const std::string text = Contents();
    EXPECT_EQ(text.find("first run"), std::string::npos);
    const std::regex line(R"(\(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d  (\d+\.\d{9})\) second run here\n)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    EXPECT_LT(std::stod(m[1]), 5.0); // seconds since the reset
}

TEST_F(LogTest, CutsLongMessagesAndKeepsPercentSigns)
{
    LogReset();
    LogWrite("%s", std::string(600, 'x').c_str());
    LogWriteText("copy of \"%s\"", "/tmp/100%s done");
    const std::string text = Contents();
    const size_t end = text.find('\n');
    ASSERT_NE(end, std::string::npos);
    const size_t start = text.find(") ") + 2;
    EXPECT_EQ(end - start, 511u);
    EXPECT_NE(text.find("copy of \"/tmp/100%s done\"\n"), std::string::npos);
}

TEST_F(LogTest, LinesFromSeveralThreadsAreAllKept)
{
    // Image decoding on worker threads logs too.
    LogReset();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 300; ++i)
                LogWrite("thread %d line %d", t, i);
        });
    for (std::thread& thread : threads)
        thread.join();
    const std::string text = Contents();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 300; i += 37)
            EXPECT_NE(
                text.find("thread " + std::to_string(t) + " line " + std::to_string(i) + "\n"),
                std::string::npos)
                << t << " " << i;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1200);
}

TEST_F(LogTest, FailuresAreSilent)
{
    std::filesystem::create_directory(dir.File("Nulo_Vandrel.LOG"));
    LogWrite("lost"); // the log is a folder: nothing happens
    std::filesystem::remove(dir.File("Nulo_Vandrel.LOG"));
    nv::SetApplicationPath(dir.File("no/such/folder/Nulo_Vandrel"));
    LogReset();
    LogWrite("lost too");
    SUCCEED();
}

TEST_F(LogTest, AnInstalledCopyLogsIntoTheUsersStateFolder)
{
    namespace fs = std::filesystem;
    struct Row
    {
        const char* name;
        bool readOnly;   // the executable's folder cannot be written
        bool dataFolder; // share/Nulo_Vandrel/ lies beside it
    } rows[] = {
        {"in a folder its user cannot write", true, false},
        {"beside its installed data folder, run by a user who may write there", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        nv::test::TempDir root;
        const std::string bin = root.File("bin"), state = root.File("state");
        fs::create_directory(bin);
        if (row.dataFolder)
            fs::create_directories(root.File("share/Nulo_Vandrel"));
        // Run as root, the test writes as "nobody", who may write the state folder.
        fs::create_directory(state);
        fs::permissions(state, fs::perms::all);
        ::setenv("XDG_STATE_HOME", state.c_str(), 1);
        nv::SetApplicationPath(bin + "/Nulo_Vandrel");
        const std::string log = state + "/Nulo_Vandrel/Nulo_Vandrel.LOG";
        {
            std::optional<nv::test::UnwritableFolder> installed;
            if (row.readOnly)
                installed.emplace(bin);
            LogReset();
            LogWrite("installed copy");
            EXPECT_EQ(std::string(LogPath()), log);
        }
        EXPECT_NE(nv::test::ReadFile(log).find(") installed copy\n"), std::string::npos);
        EXPECT_FALSE(fs::exists(bin + "/Nulo_Vandrel.LOG"));
        // The folder made for it is private to the user.
        EXPECT_EQ(fs::status(state + "/Nulo_Vandrel").permissions() &
                      (fs::perms::group_all | fs::perms::others_all),
                  fs::perms::none);
    }
}

TEST(LogClock, MeasuresElapsedTimeWithoutGoingNegative)
{
    CLogClock clock;
    EXPECT_EQ(clock.ElapsedSeconds(), 0.0); // not started
    clock.Start(true);
    EXPECT_TRUE(clock.IsStarted());
    const double a = clock.ElapsedSeconds();
    const double b = clock.ElapsedSeconds();
    EXPECT_GE(a, 0.0);
    EXPECT_GE(b, a);
    EXPECT_GE(CLogClock::Frequency(), 2);
    clock.Stop();
    EXPECT_FALSE(clock.IsStarted());
}

#include "FakeOpener.h"
#include "RunningApp.h"
#include <kit/app/BAutolock.h>

#include "app/Commands.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

TEST(CommandCodes, EachCodeHasItsValue) {
    struct Code {
        uint32 code;
        uint32 value;
    };
    const Code codes[] = {
        {cmd::ENCD, 0x454E4344},        {cmd::SKIP, 0x534B4950},
        {cmd::STOP, 0x53544F50},        {cmd::CLOS, 0x434C4F53},
        {cmd::NWLS, 0x4E574C53},        {cmd::SVLS, 0x53564C53},
        {cmd::OPLS, 0x4F504C53},        {cmd::SLPM, 0x534C504D},
        {cmd::OLPM, 0x4F4C504D},        {cmd::RDME, 0x52444D45},
        {cmd::ADDF, 0x41444446},        {cmd::REMV, 0x52454D56},
        {cmd::MVUP, 0x4D565550},        {cmd::MVDN, 0x4D56444E},
        {cmd::LOCG, 0x4C4F4347},        {cmd::LOGP, 0x4C4F4750},
        {cmd::LOCM, 0x4C4F434D},        {cmd::DCOA, 0x44434F41},
        {cmd::DCOO, 0x44434F4F},        {cmd::SRMT, 0x53524D54},
        {cmd::RMTN, 0x524D544E},        {cmd::UMTN, 0x554D544E},
        {B_SOME_APP_QUIT, 0x42524151},  {B_SIMPLE_DATA, 0x44415441},
        {B_QUIT_REQUESTED, 0x5F515251}, {B_ABOUT_REQUESTED, 0x5F414252},
    };
    for (const Code& code : codes)
        EXPECT_EQ(code.code, code.value) << std::hex << code.value;
}

namespace {

std::vector<std::string> LaunchPaths(MFApp& app) {
    std::vector<std::string> paths;
    entry_ref ref;
    for (int32 i = 0; app.launchRefs.FindRef("refs", i, &ref) == B_OK; ++i)
        paths.push_back(ref.path);
    return paths;
}

} // namespace

TEST(Launch, EveryFileHandedOverIsRememberedInItsOrderAndNoLaterOne) {
    TempDir dir;
    std::string first = dir.Write("erste.wav", "RIFF");
    std::string second = dir.Write("zweite.wav", "RIFF");
    std::string third = dir.Write("dritte.wav", "RIFF");
    RunningApp running({first, second, third});
    ASSERT_TRUE(running.shown);

    // Refs after the start are handed to the window, not remembered. The
    // application handles its messages in order: once the About box that
    // was asked for after the refs is up, the refs have been handled.
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(dir.Write("später.wav", "").c_str(), &ref), B_OK);
    BMessage refs(B_REFS_RECEIVED);
    refs.AddRef("refs", &ref);
    be_app_messenger.SendMessage(&refs);
    be_app_messenger.SendMessage(B_ABOUT_REQUESTED);
    ASSERT_TRUE(driver::AnswerAlert("Schließen").has_value());
    BAutolock lock(running.app);
    ASSERT_TRUE(lock.IsLocked());
    EXPECT_EQ(LaunchPaths(running.app), (std::vector<std::string>{first, second, third}));
    EXPECT_FALSE(running.app.IsLaunching());
}

TEST(Launch, WithoutFilesTheWindowOpensEmpty) {
    RunningApp running;
    ASSERT_TRUE(running.shown);
    {
        BAutolock lock(running.app);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_TRUE(LaunchPaths(running.app).empty());
        EXPECT_NE(running.app.mainWindow, nullptr);
    }
}

namespace {

// "Kompiliert am Mmm dd yyyy hh:mm:ss", the day padded with a blank or a zero.
bool IsBuildDateLine(const std::string& line) {
    const std::string prefix = "Kompiliert am ";
    if (!line.starts_with(prefix) || line.size() != prefix.size() + 20)
        return false;
    const std::string date = line.substr(prefix.size());
    const std::string months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    auto digit = [&](size_t i) { return std::isdigit(static_cast<unsigned char>(date[i])); };
    const size_t month = months.find(date.substr(0, 3));
    return month != std::string::npos && month % 3 == 0 && date[3] == ' ' &&
           (date[4] == ' ' || digit(4)) && digit(5) && date[6] == ' ' && digit(7) && digit(8) &&
           digit(9) && digit(10) && date[11] == ' ' && digit(12) && digit(13) && date[14] == ':' &&
           digit(15) && digit(16) && date[17] == ':' && digit(18) && digit(19);
}

} // namespace

TEST(AboutBox, TextLineByLine) {
    std::vector<std::string> lines;
    std::stringstream text(MFApp::AboutText());
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "Mirvex OggVorbis Frontend 1.2a (Deutsch)");
    EXPECT_FALSE(lines[1].empty());
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "Siehe liesmich für Anweisungen und Lizenzeinzelheiten.");
    EXPECT_EQ(lines[4], "");
    EXPECT_TRUE(lines[5].starts_with("E-Mail: "));
    EXPECT_TRUE(lines[6].starts_with("Web: http"));
    EXPECT_EQ(lines[7], "");
    EXPECT_TRUE(lines[8].starts_with("Deutsche Übersetzung von "));
    EXPECT_TRUE(lines[9].starts_with("E-Mail: "));
    EXPECT_EQ(lines[10], "");
    // Three-letter month, day, four-digit year, then hh:mm:ss.
    EXPECT_TRUE(IsBuildDateLine(lines[11])) << lines[11];
    EXPECT_NE(MFApp::AboutText().back(), '\n'); // the last line has no line break
}

namespace {

std::string WebLine() {
    std::stringstream text(MFApp::AboutText());
    std::string line;
    for (int i = 0; i < 7; ++i)
        std::getline(text, line);
    return line.substr(std::string("Web: ").size());
}

} // namespace

TEST(AboutBox, GoToSiteOpensTheAddressAndCloseOpensNothing) {
    FakeOpener opener;
    RunningApp running;
    ASSERT_TRUE(running.shown);

    ASSERT_TRUE(driver::ChooseMenuItem(kMainTitle, "Hilfe", "Über..."));
    auto about = driver::AnswerAlert("Schließen");
    ASSERT_TRUE(about.has_value());
    EXPECT_EQ(about->title, "AboutDialog");
    EXPECT_EQ(about->text, MFApp::AboutText());
    EXPECT_EQ(about->buttons, (std::vector<std::string>{"Gehe zur Site", "Schließen"}));

    ASSERT_TRUE(driver::ChooseMenuItem(kMainTitle, "Hilfe", "Über..."));
    ASSERT_TRUE(driver::AnswerAlert("Gehe zur Site").has_value());
    EXPECT_TRUE(driver::WaitFor([&] { return !opener.Opened().empty(); }));
    // Only the one launch of "Gehe zur Site": "Schließen" opened nothing.
    EXPECT_EQ(opener.Opened(), WebLine() + "\n");
}

TEST(Quit, BeendenButtonMenuAndCloseBoxEndTheProgram) {
    struct Way {
        const char* name;
        std::function<bool()> act;
    };
    const Way ways[] = {
        {"button", [] { return driver::Click(kMainTitle, "CloseButton"); }},
        {"menu", [] { return driver::ChooseMenuItem(kMainTitle, "Liste", "Beenden"); }},
        {"close box", [] { return driver::CloseWindow(kMainTitle); }},
    };
    for (const Way& way : ways) {
        RunningApp running;
        ASSERT_TRUE(running.shown) << way.name;
        ASSERT_TRUE(way.act()) << way.name;
        running.WaitForEnd(); // Run returns: every looper thread has ended
        EXPECT_EQ(running.app.CountWindows(), 0) << way.name;
        driver::Settle();
        EXPECT_FALSE(driver::Window(kMainTitle).exists) << way.name;
        EXPECT_FALSE(driver::Window("Fortschritt der Kodierung").exists) << way.name;
    }
}

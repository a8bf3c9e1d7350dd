#include "StandInEncoder.h"

#include "kit/process/ProcessTestSupport.h"

#include "encoding/LaunchArguments.h"
#include "encoding/MirvexLaunch.h"
#include <kit/kernel/OS.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

namespace {

Arguments Split(const std::string& options) {
    LaunchArguments arguments;
    EXPECT_EQ(arguments.Split(options.c_str()), B_OK) << options;
    return Arguments(arguments.Vector(), arguments.Vector() + arguments.Count());
}

} // namespace

TEST(LaunchArguments, SplitFollowsTheQuotingRule) {
    struct Case {
        std::string options;
        Arguments expected;
    };
    const Case cases[] = {
        {"", {}},
        {"-b", {"-b"}},
        {"-b 128 \"/data/My Music/a.wav\"", {"-b", "128", "/data/My Music/a.wav"}},
        {"-q  5", {"-q", "", "5"}}, // runs of blanks are not merged
        {" -q", {"", "-q"}},        // a leading blank: an empty first argument
        {"-q ", {"-q", ""}},        // a trailing one: an empty last argument
        {"x \"", {"x", ""}},        // an unclosed quote, to the end
        {"x \"a b  c", {"x", "a b  c"}},
        {"ab\"c d\"e", {"abc de"}}, // quotes join the text around them
        {"\"\"", {""}},             // a pair alone: an empty argument
        {"a \"\" b", {"a", "", "b"}},
        {"\"a\"b\" c\"", {"ab c"}},
        {"tab\there back\\slash", {"tab\there", "back\\slash"}}, // only the blank separates
        {"ü € \xff", {"ü", "€", "\xff"}},                        // other bytes pass unchanged
        // A quoted path holding a quote: the blank after it separates.
        {"\"/m/a\"b c.wav\"", {"/m/ab", "c.wav"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Split(c.options), c.expected) << "input: " << c.options;
}

TEST(LaunchArguments, RefusesInputBeyondItsBoundsAndKeepsWhatItHad) {
    struct Case {
        const char* name;
        std::string options;
        bool fits;
    };
    const Case cases[] = {
        {"4095 bytes", std::string(4095, 'x'), true},
        {"4096 bytes", std::string(4096, 'x'), false},
        {"256 arguments", std::string(255, ' '), true},
        {"257 arguments", std::string(256, ' '), false},
        {"many quoted blanks", "\"" + std::string(4000, ' ') + "\"", true},
    };
    for (const Case& c : cases) {
        LaunchArguments arguments;
        EXPECT_EQ(arguments.Split(c.options.c_str()) == B_OK, c.fits) << c.name;
    }

    // A refused input leaves what was there before, and the bounds hold for
    // the whole vector, not for one string alone.
    LaunchArguments arguments;
    ASSERT_EQ(arguments.Add("before"), B_OK);
    EXPECT_NE(arguments.Split(std::string(4096 - 7, 'x').c_str()), B_OK);
    EXPECT_NE(arguments.Split(std::string(255, ' ').c_str()), B_OK);
    EXPECT_EQ(arguments.Count(), 1);
    EXPECT_STREQ(arguments.At(0), "before");
    EXPECT_EQ(arguments.Split(std::string(4095 - 7, 'x').c_str()), B_OK);
    EXPECT_NE(arguments.Add(""), B_OK);
    EXPECT_EQ(arguments.Count(), 2);

    LaunchArguments many;
    for (int i = 0; i < LaunchArguments::kMaxArguments; ++i)
        ASSERT_EQ(many.Add("a"), B_OK);
    EXPECT_NE(many.Add("a"), B_OK);
    EXPECT_NE(many.Split("a"), B_OK);
    EXPECT_EQ(many.Split(""), B_OK); // no argument: nothing to refuse
    EXPECT_EQ(many.Count(), LaunchArguments::kMaxArguments);
}

TEST(MirvexLaunch, TheFileReachesTheEncoderAsExactlyOneArgument) {
    StandInEncoder encoder;
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(encoder.Path().c_str(), &ref), B_OK);
    struct Case {
        const char* before;
        std::optional<std::string> file; // none: a launch without a file
        const char* after;
        Arguments expected;
    };
    // Options and file that fill the argument text to its last byte: 7 bytes
    // for "-b", "128" and their NULs, 2 for "x", the rest for the file.
    const std::string fills(LaunchArguments::kTextSize - 7 - 2 - 1, 'f');
    const Case cases[] = {
        {"", "/m/a.wav", "", {"/m/a.wav"}},
        {"", std::nullopt, "", {}},
        {"-b 128", std::nullopt, "-x", {"-b", "128", "-x"}},
        {"-b 128", fills, "x", {"-b", "128", fills, "x"}},
        {"-b 128", "/m/My Music/a b.wav", "", {"-b", "128", "/m/My Music/a b.wav"}},
        // A double quote in a name stays in it and hands over no options.
        {"", "/m/x\" -o \"/tmp/evil.ogg", "", {"/m/x\" -o \"/tmp/evil.ogg"}},
        {"", "/m/#$`\\ \n\xfe.wav", "", {"/m/#$`\\ \n\xfe.wav"}},
        // A name that looks like an option is marked as none.
        {"-q 5", "-o.wav", "", {"-q", "5", "--", "-o.wav"}},
        {"", "-", "", {"--", "-"}},
        {"", "/m/a.wav", "-x \"y z\"", {"/m/a.wav", "-x", "y z"}},
    };
    // One after the other, as the run launches them. Each launch's quit
    // notice carries the launch number the launch gave, and no two are alike.
    Watcher watcher;
    std::map<team_id, int64> launches;
    int64 last = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        team_id team = -1;
        int64 launch = 0;
        ASSERT_EQ(MirvexLaunch(&ref, c.before, c.file ? c.file->c_str() : nullptr, c.after, &team,
                               &launch),
                  B_OK);
        EXPECT_GT(team, 0);
        EXPECT_GT(launch, last);
        last = launches[team] = launch;
        ASSERT_TRUE(encoder.WaitForCalls(i + 1));
        EXPECT_EQ(encoder.Calls()[i], c.expected) << "case " << i;
    }
    std::set<team_id> teams;
    for (const auto& [team, launch] : launches)
        teams.insert(team);
    for (const BMessage& notice : watcher->WaitUntil(HasNoticesFor(teams))) {
        int64 launch = 0;
        EXPECT_EQ(notice.FindInt64("kit:launch", &launch), B_OK);
        EXPECT_EQ(launch, launches[TeamOf(notice)]) << TeamOf(notice);
    }
}

TEST(MirvexLaunch, RefusesWhatDoesNotFitOrCannotRun) {
    StandInEncoder encoder;
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(encoder.Path().c_str(), &ref), B_OK);
    team_id team = -1;
    const std::string tooLong(4096, 'x');
    EXPECT_NE(MirvexLaunch(&ref, tooLong.c_str(), "/m/a.wav", "", &team), B_OK);
    EXPECT_NE(MirvexLaunch(&ref, std::string(300, ' ').c_str(), "/m/a.wav", "", &team), B_OK);
    EXPECT_NE(MirvexLaunch(&ref, "", std::string(4096, 'f').c_str(), "", &team), B_OK);
    // One byte more than fills the text, in the options after the file.
    const std::string fills(LaunchArguments::kTextSize - 7 - 2 - 1, 'f');
    EXPECT_NE(MirvexLaunch(&ref, "-b 128", fills.c_str(), "xy", &team), B_OK);
    EXPECT_EQ(team, -1);

    // A file that is not executable.
    const std::string plain = encoder.dir.Write("plain", "just text\n");
    entry_ref plainRef;
    ASSERT_EQ(get_ref_for_path(plain.c_str(), &plainRef), B_OK);
    EXPECT_NE(MirvexLaunch(&plainRef, "", "/m/a.wav", "", &team), B_OK);
    EXPECT_EQ(team, -1);
    EXPECT_EQ(encoder.CountCalls(), 0u);
}

TEST(MirvexLaunch, AWatcherStartedAgainTakesItsNewMask) {
    // The run starts watching for every run anew; whatever mask it asks for
    // last decides whether its quit notices come.
    StandInEncoder encoder;
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(encoder.Path().c_str(), &ref), B_OK);
    Watcher changed;
    // Registered after the other, so once it has a notice, the other's was
    // posted before it.
    Watcher witness;
    struct Case {
        uint32 mask;
        bool notified;
    };
    const Case cases[] = {
        {B_REQUEST_QUIT, true},
        {B_REQUEST_LAUNCHED, false},
        {B_REQUEST_LAUNCHED | B_REQUEST_QUIT, true},
        {0, false},
        {B_REQUEST_QUIT, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(be_roster->StartWatching(changed.Messenger(), c.mask), B_OK);
        team_id team = -1;
        ASSERT_EQ(be_roster->Launch(&ref, 0, nullptr, &team), B_OK);
        witness->WaitUntil(HasNoticesFor({team}));
        EXPECT_EQ(NoticedTeams(changed->Sync()).count(team), c.notified ? 1u : 0u)
            << "mask " << c.mask;
    }
}

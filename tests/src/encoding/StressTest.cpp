// Many entries, skips at random moments, and many starts and stops: every
// entry is launched once and in order, every launch ends with one notice, no
// process is left unreaped, and nothing hangs.

#include "RunFixture.h"

#include "kit/process/ProcessTestSupport.h"

#include <map>
#include <random>

namespace {

// The quit notices for the encoder's file, by process id.
std::map<team_id, int> NoticesFor(const std::vector<BMessage>& messages, const entry_ref& ref) {
    std::map<team_id, int> notices;
    for (const BMessage& message : messages) {
        entry_ref quitting;
        if (message.what == B_SOME_APP_QUIT && message.FindRef("be:ref", &quitting) == B_OK &&
            quitting == ref)
            ++notices[TeamOf(message)];
    }
    return notices;
}

// The launches as "pid:first argument", for a failure's message.
std::string Describe(const std::vector<StandInEncoder::Call>& records) {
    std::string text;
    for (const auto& record : records)
        text += std::to_string(record.pid) + ":" +
                (record.arguments.empty() ? "" : record.arguments[0]) + " ";
    return text;
}

} // namespace

using Stress = RunFixture;

TEST_F(Stress, AThousandEntriesWithThreeHundredSkipsAtRandomMoments) {
    Watcher watcher;
    constexpr int kEntries = 1000;
    std::vector<std::string> files;
    for (int i = 0; i < kEntries; ++i)
        files.push_back("/x/" + std::to_string(i) + ".wav");
    AddFiles(files);

    Press(cmd::ENCD);
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> pause(0, 3000);
    for (int i = 0; i < 300; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        Press(cmd::SKIP);
    }
    ASSERT_TRUE(Eventually([&] { return Idle(); }, std::chrono::seconds(600)));

    // A skip may end a stand-in before it has written down its arguments,
    // so the notices count the launches: one per entry means no entry was
    // launched twice or passed over. The stand-ins that did write appear in
    // list order, each entry at most once, and only skips can hide one.
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(encoder.Path().c_str(), &ref), B_OK);
    auto received = watcher->WaitUntil([&](const std::vector<BMessage>& messages) {
        return NoticesFor(messages, ref).size() >= size_t(kEntries);
    });
    const auto notices = NoticesFor(received, ref);
    EXPECT_EQ(notices.size(), size_t(kEntries));
    for (const auto& [team, count] : notices)
        EXPECT_EQ(count, 1) << team;

    const auto records = encoder.Records();
    EXPECT_GE(records.size(), size_t(kEntries - 300));
    int previous = -1;
    for (const auto& record : records) {
        ASSERT_EQ(record.arguments.size(), 1u);
        const int index = std::stoi(record.arguments[0].substr(3));
        EXPECT_GT(index, previous);
        previous = index;
        EXPECT_EQ(notices.count(record.pid), 1u) << record.pid;
    }
    EXPECT_FALSE(HasZombieChild());
}

TEST_F(Stress, AHundredStartsAndStops) {
    Watcher watcher;
    encoder.SetMode("wait");
    AddFiles({"/x/a.wav", "/x/b.wav"});
    for (size_t cycle = 1; cycle <= 100; ++cycle) {
        Press(cmd::ENCD);
        ASSERT_TRUE(Launched(cycle)) << "cycle " << cycle << ": " << Describe(encoder.Records());
        Press(cmd::STOP);
        ASSERT_TRUE(Eventually([&] { return Idle(); })) << cycle;
    }
    const auto records = encoder.Records();
    ASSERT_EQ(records.size(), 100u);
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(encoder.Path().c_str(), &ref), B_OK);
    auto received = watcher->WaitUntil([&](const std::vector<BMessage>& messages) {
        return NoticesFor(messages, ref).size() >= 100;
    });
    const auto notices = NoticesFor(received, ref);
    for (const auto& record : records) {
        EXPECT_EQ(record.arguments, Arguments{"/x/a.wav"}); // always the first entry
        auto found = notices.find(record.pid);
        EXPECT_TRUE(found != notices.end() && found->second == 1) << record.pid;
    }
    EXPECT_FALSE(HasZombieChild());
}

// The run's decisions against a host of the test's own: which entry starts
// when and in which row, which waits for whom, what a skip, a stop or a
// failed launch ends, and how the failures are told.

#include "encoding/EncodingRun.h"
#include "encoding/RunHost.h"
#include <kit/app/AppDefs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

// A host that starts nothing: it notes every call, gives each launch the
// process id 1000 + n and the launch number n (from 1), and refuses the
// launch whose number it is told.
class FakeHost : public RunHost {
public:
    struct Started {
        int32 row, index;
        std::string path;
        team_id team;
        int64 launch;
    };

    std::vector<std::string> entries;
    int64 refuse = 0;
    std::vector<Started> launches;
    std::map<int32, Started> atWork; // by entry index
    size_t mostAtOnce = 0;
    std::vector<std::pair<team_id, int64>> kills;
    std::vector<int32> skippedRows;
    std::vector<bool> launchFailures;
    std::vector<std::string> calls; // "watch-off", "kill", "finished", in order
    int finished = 0;
    std::string errors;

    int32 CountEntries() override { return int32(entries.size()); }
    std::string EntryAt(int32 index) override { return entries.at(size_t(index)); }
    status_t Launch(int32 row, int32 index, int32 count, const std::string& path, team_id* team,
                    int64* launch) override {
        EXPECT_EQ(count, CountEntries());
        const int64 number = ++fAttempts;
        if (number == refuse)
            return B_ERROR;
        for (const auto& [other, started] : atWork)
            EXPECT_NE(started.row, row) << "two encoders in one row";
        *team = team_id(1000 + number);
        *launch = number;
        launches.push_back(Started{row, index, path, *team, *launch});
        atWork[index] = launches.back();
        mostAtOnce = std::max(mostAtOnce, atWork.size());
        return B_OK;
    }
    void Kill(team_id team, int64 launch) override {
        kills.emplace_back(team, launch);
        calls.push_back("kill");
    }
    void RowSkipped(int32 row) override { skippedRows.push_back(row); }
    void RowEnded(int32, int32 done, int32 count) override {
        EXPECT_LE(done, count);
        fDone = done;
    }
    void LaunchFailed(bool othersAtWork) override { launchFailures.push_back(othersAtWork); }
    void StopWatching() override { calls.push_back("watch-off"); }
    void Finished(const EncodeErrors& failures) override {
        ++finished;
        calls.push_back("finished");
        errors = failures.Count() > 0 ? failures.Text() : "";
    }

    // The encoder of the entry ends, as its quit notice tells: with exit
    // status 0, or failed.
    void End(EncodingRun& run, int32 index, bool failed = false) {
        auto found = atWork.find(index);
        ASSERT_NE(found, atWork.end()) << "entry " << index << " is not at work";
        const Started ended = found->second;
        atWork.erase(found);
        BMessage notice(B_SOME_APP_QUIT);
        notice.AddInt32("kit:exit_status", failed ? 1 : 0);
        ASSERT_TRUE(run.Owns(ended.team, ended.launch));
        run.Ended(ended.team, ended.launch, &notice);
        run.Next();
    }

    std::set<int32> AtWork() const {
        std::set<int32> indexes;
        for (const auto& [index, started] : atWork)
            indexes.insert(index);
        return indexes;
    }
    std::vector<int32> LaunchOrder() const {
        std::vector<int32> order;
        for (const Started& started : launches)
            order.push_back(started.index);
        return order;
    }

private:
    int64 fAttempts = 0;
    int32 fDone = 0;
};

} // namespace

TEST(EncodingRun, OutputsAreNamedAsTheEncoderNamesThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"d/a.wav", "d/a.ogg"},
        {"d/a.flac", "d/a.ogg"},
        {"/m/alt.d/eins", "/m/alt.ogg"}, // the last '.' is in a folder's name
        {"/m/neu/eins", "/m/neu/eins.ogg"},
        {"eins", "eins.ogg"},
        {"a.b.c.wav", "a.b.c.ogg"},
        {"d/.versteckt", "d/.ogg"},
        {"x.", "x.ogg"},
    };
    for (const auto& [input, output] : cases)
        EXPECT_EQ(EncodingRun::OutputOf(input), output) << input;
}

TEST(EncodingRun, OptionsThatChooseTheOutputAreRecognisedInEveryForm) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"-b 128", false},
        {"-q 5 -c \"titel=Ohne o und n\"", false},
        {"-o x.ogg", true},
        {"-ox.ogg", true},
        {"-Qo x.ogg", true},
        {"-n %a.ogg", true},
        {"-n%a.ogg", true},
        {"--output x.ogg", true},
        {"--output=x.ogg", true},
        {"--out=x.ogg", true},
        {"--names %t.ogg", true},
        {"--names=%t.ogg", true},
        {"-b 128 --quiet", false},
        {"--bitrate=128", false},
        {"-- -o", false}, // after "--" only files
        {"\"-o x\"", true},
    };
    for (const auto& [options, chooses] : cases)
        EXPECT_EQ(EncodingRun::ChoosesOutput(options), chooses) << options;
}

TEST(EncodingRun, EntriesStartInListOrderAndWaitOnlyForTheirOwnOutput) {
    // Each step ends the encoder of one entry (failed or not), or skips or
    // stops; after it, exactly these entries are at work.
    enum class Act { End, Fail, Skip, Stop };
    struct Step {
        Act act;
        int32 entry;
        std::set<int32> atWork;
    };
    struct Case {
        const char* name;
        int32 places;
        const char* options;
        std::vector<std::string> entries;
        std::set<int32> first; // at work once the run has started
        std::vector<Step> steps;
        std::vector<int32> order; // every launch, in order
        size_t mostAtOnce;
        const char* errors;
    };
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back("/x/" + std::to_string(i) + ".wav");
    const Case cases[] = {
        {"one place: one after the other",
         1,
         "",
         {"/x/a.wav", "/x/b.wav", "/x/c.wav"},
         {0},
         {{Act::End, 0, {1}}, {Act::Fail, 1, {2}}, {Act::End, 2, {}}},
         {0, 1, 2},
         1,
         "b.wav"},
        {"three places over ten, ending out of order",
         3,
         "",
         ten,
         {0, 1, 2},
         {{Act::End, 1, {0, 2, 3}},
          {Act::End, 0, {2, 3, 4}},
          {Act::Fail, 4, {2, 3, 5}},
          {Act::End, 3, {2, 5, 6}},
          {Act::Fail, 2, {5, 6, 7}},
          {Act::End, 7, {5, 6, 8}},
          {Act::End, 8, {5, 6, 9}},
          {Act::End, 6, {5, 9}},
          {Act::End, 9, {5}},
          {Act::End, 5, {}}},
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
         3,
         "2.wav|4.wav"},
        {"the same output waits, the others go on",
         3,
         "",
         {"/d/a.wav", "/d/b.wav", "/d/a.flac"},
         {0, 1},
         {{Act::End, 1, {0}}, {Act::End, 0, {2}}, {Act::End, 2, {}}},
         {0, 1, 2},
         2,
         ""},
        {"a folder's '.' names the output of files without one",
         3,
         "",
         {"/m/alt.d/eins", "/m/alt.d/zwei", "/m/x.wav"},
         {0, 2},
         {{Act::End, 0, {1, 2}}, {Act::End, 2, {1}}, {Act::End, 1, {}}},
         {0, 2, 1},
         2,
         ""},
        {"a waiting entry goes ahead of the later ones",
         2,
         "",
         {"/d/a.wav", "/d/a.flac", "/d/c.wav", "/d/e.wav"},
         {0, 2},
         {{Act::End, 0, {1, 2}}, {Act::End, 2, {1, 3}}, {Act::End, 1, {3}}, {Act::End, 3, {}}},
         {0, 2, 1, 3},
         2,
         ""},
        {"three with one output go one after the other, in list order",
         4,
         "",
         {"/d/a.wav", "/d/a.flac", "/d/b.wav", "/d/a.aiff"},
         {0, 2},
         {{Act::End, 2, {0}}, {Act::End, 0, {1}}, {Act::End, 1, {3}}, {Act::End, 3, {}}},
         {0, 2, 1, 3},
         2,
         ""},
        {"options that name the output make it one at a time",
         4,
         "-o /tmp/x.ogg",
         {"/x/a.wav", "/x/b.wav"},
         {0},
         {{Act::End, 0, {1}}, {Act::End, 1, {}}},
         {0, 1},
         1,
         ""},
        {"a skip ends only its own encoder, which has not failed",
         3,
         "",
         {"/x/a.wav", "/x/b.wav", "/x/c.wav"},
         {0, 1, 2},
         {{Act::Skip, 1, {0, 2}}, {Act::End, 0, {2}}, {Act::End, 2, {}}},
         {0, 1, 2},
         3,
         ""},
        {"a stop ends everything at work",
         3,
         "",
         ten,
         {0, 1, 2},
         {{Act::Fail, 2, {0, 1, 3}}, {Act::Stop, 0, {}}},
         {0, 1, 2, 3},
         3,
         "2.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        host.entries = c.entries;
        EncodingRun run(host);
        run.Start(c.places, c.options, "");
        run.Next();
        EXPECT_EQ(host.AtWork(), c.first);
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.entry);
            switch (step.act) {
            case Act::End:
            case Act::Fail:
                host.End(run, step.entry, step.act == Act::Fail);
                break;
            case Act::Skip: {
                const FakeHost::Started skipped = host.atWork.at(step.entry);
                run.Skip(skipped.team, skipped.launch);
                EXPECT_EQ(host.kills.back(), std::make_pair(skipped.team, skipped.launch));
                EXPECT_EQ(host.skippedRows.back(), skipped.row);
                // A second press, or its quit notice's own, kills nothing more.
                run.Skip(skipped.team, skipped.launch);
                EXPECT_EQ(host.kills.size(), 1u);
                BMessage notice(B_SOME_APP_QUIT);
                notice.AddInt32("kit:signal", 9);
                host.atWork.erase(step.entry);
                run.Ended(skipped.team, skipped.launch, &notice);
                run.Next();
                break;
            }
            case Act::Stop: {
                const size_t atWork = host.atWork.size();
                run.Stop();
                ASSERT_EQ(host.calls.size(), atWork + 2);
                EXPECT_EQ(host.calls.front(), "watch-off");
                EXPECT_EQ(host.calls.back(), "finished");
                EXPECT_EQ(host.kills.size(), atWork);
                host.atWork.clear();
                break;
            }
            }
            EXPECT_EQ(host.AtWork(), step.atWork);
            EXPECT_EQ(host.finished, step.atWork.empty() ? 1 : 0);
        }
        EXPECT_EQ(host.LaunchOrder(), c.order);
        EXPECT_EQ(host.mostAtOnce, c.mostAtOnce);
        EXPECT_FALSE(run.Running());
        EXPECT_EQ(run.NextIndex(), 0);
        // Failures in list order, whatever order their encoders ended in:
        // the leaf names of the lines after the alert's first.
        std::string named;
        const size_t body = host.errors.find("\n\n");
        for (size_t start = body == std::string::npos ? host.errors.size() : body + 2;
             start < host.errors.size();) {
            const size_t end = host.errors.find('\n', start);
            const std::string line = host.errors.substr(start, end - start);
            if (const size_t colon = line.find(':'); colon != std::string::npos)
                named += (named.empty() ? "" : "|") + line.substr(0, colon);
            start = end == std::string::npos ? host.errors.size() : end + 1;
        }
        EXPECT_EQ(named, c.errors);
    }
}

TEST(EncodingRun, AFailedLaunchStartsNothingMoreAndTheRunEndsWithThoseAtWork) {
    struct Case {
        int32 places;
        int64 refuse;             // the launch that fails
        std::vector<bool> alerts; // whether others were at work, per failure
        std::set<int32> atWork;   // what is left to end
    };
    const Case cases[] = {
        {1, 1, {false}, {}},
        {1, 2, {false}, {}},
        {3, 3, {true}, {0, 1}},
        {3, 1, {false}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.places) + " places, launch " + std::to_string(c.refuse));
        FakeHost host;
        host.entries = {"/x/a.wav", "/x/b.wav", "/x/c.wav", "/x/d.wav", "/x/e.wav"};
        host.refuse = c.refuse;
        EncodingRun run(host);
        run.Start(c.places, "", "");
        run.Next();
        if (c.places == 1 && c.refuse == 2)
            host.End(run, 0);
        EXPECT_EQ(host.launchFailures, c.alerts);
        EXPECT_EQ(host.AtWork(), c.atWork);
        EXPECT_EQ(host.finished, c.atWork.empty() ? 1 : 0);
        for (int32 index : c.atWork) {
            EXPECT_TRUE(run.Running());
            host.End(run, index);
        }
        EXPECT_EQ(host.finished, 1);
        EXPECT_FALSE(run.Running());
        EXPECT_EQ(host.launches.size(), size_t(c.refuse - 1));
    }
}

TEST(EncodingRun, OnlyTheEncoderOfTheRightLaunchNumberCounts) {
    FakeHost host;
    host.entries = {"/x/a.wav", "/x/b.wav"};
    EncodingRun run(host);
    run.Start(2, "", "");
    run.Next();
    ASSERT_EQ(host.launches.size(), 2u);
    const FakeHost::Started first = host.launches[0];
    EXPECT_EQ(run.LastTeam(), host.launches[1].team);
    EXPECT_EQ(run.LastLaunch(), host.launches[1].launch);
    EXPECT_EQ(run.NextIndex(), 2);
    // An earlier launch with the same process id neither ends nor skips it.
    EXPECT_FALSE(run.Owns(first.team, first.launch + 7));
    run.Skip(first.team, first.launch + 7);
    run.Ended(first.team, first.launch + 7, nullptr);
    EXPECT_TRUE(host.kills.empty());
    EXPECT_EQ(run.CountAtWork(), 2);
    // Without a process id, the skip of a run with one place: none here.
    run.SkipCurrent();
    EXPECT_TRUE(host.kills.empty());
}

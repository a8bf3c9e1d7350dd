// The encoder's progress: reading its figures from its standard error, the
// throttle that lets them reach the screen, the progress window's bar and
// the task bar's entry, against a recording display and a clock of the
// test's own.

#include "encoding/EncoderProgress.h"
#include "encoding/ProgressWindow.h"
#include "encoding/UpdateThrottle.h"
#include "support/Capture.h"
#include "support/RecordingDisplay.h"
#include "support/TempDir.h"
#include <kit/app/AppDefs.h>
#include <kit/interface/BStatusBar.h>

#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

// A clock that moves only when the test moves it.
struct StepClock {
    std::shared_ptr<std::atomic<int64>> ms = std::make_shared<std::atomic<int64>>(0);
    UpdateThrottle::Now Now() const {
        return
            [ms = ms] { return UpdateThrottle::Clock::time_point(std::chrono::milliseconds(*ms)); };
    }
    void Advance(int64 by) { *ms += by; }
};

// What the encoder writes as it starts.
constexpr const char* kHeader = "Opening with wav module: WAV file reader\n"
                                "Encoding \"x.wav\" to \n         \"x.ogg\" \n"
                                "at quality 3.00\n";

std::string Line(const char* percent) {
    return std::string("\r\t[") + percent + "%] [ 0m02s remaining] |  ";
}

} // namespace

TEST(EncoderProgress, ReadsTheLastWholeFigureHoweverTheTextIsCut) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<double> fraction;
    };
    const Case cases[] = {
        {"quiet", "", std::nullopt},
        {"only the header", kHeader, std::nullopt},
        {"figures", kHeader + Line("  2.2") + Line(" 45.3"), 0.453},
        {"the end",
         kHeader + Line(" 99.8") +
             "\n\nDone encoding file \"x.ogg\"\n\n"
             "\tFile length:  0m 40.0s\n\tRate:         25.6\n",
         0.998},
        {"a figure not yet whole", Line(" 45.3") + "\r\t[ 4", 0.453},
        {"after a line feed", "x\n\t[ 45.3%]", 0.453},
        {"a decimal comma", Line(" 45,3"), 0.453},
        {"no fraction", Line("100"), 1.0},
        {"beyond the whole", Line("150.0"), 1.0},
        {"brackets in a file name", "Encoding \"[ 50%].wav\" to \n\"[ 50%].ogg\"\n", std::nullopt},
        {"unknown length", "\r\tEncoding [ 0m02s so far] |", std::nullopt},
        {"an error", "ERROR: Cannot open input file \"x.wav\": No such file\n", std::nullopt},
        {"another encoder", "50% done\r60% done\r", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Whole, cut once at every place, and byte by byte.
        for (size_t cut = 0; cut <= c.text.size(); ++cut) {
            EncoderProgress progress;
            progress.Feed(std::string_view(c.text).substr(0, cut));
            progress.Feed(std::string_view(c.text).substr(cut));
            ASSERT_EQ(progress.Fraction().has_value(), c.fraction.has_value()) << "cut at " << cut;
            if (c.fraction) {
                ASSERT_NEAR(*progress.Fraction(), *c.fraction, 1e-9) << "cut at " << cut;
            }
        }
        EncoderProgress bytes;
        for (char byte : c.text)
            bytes.Feed(std::string_view(&byte, 1));
        ASSERT_EQ(bytes.Fraction().has_value(), c.fraction.has_value());
        if (c.fraction) {
            EXPECT_NEAR(*bytes.Fraction(), *c.fraction, 1e-9);
        }
        bytes.Reset();
        EXPECT_FALSE(bytes.Fraction().has_value());
    }
}

TEST(UpdateThrottle, ShowsAtMostOncePerIntervalAndNeverLosesTheLast) {
    using V = UpdateThrottle::Verdict;
    enum Op { Offer, Wake, Reset };
    struct Step {
        int64 at;
        Op op;
        V verdict;
    };
    // Times in milliseconds; the interval is 100.
    const Step steps[] = {
        {0, Offer, V::Show},   // the first goes through at once
        {10, Offer, V::Wake},  // too soon: held, and a wake-up is asked for
        {50, Offer, V::Hold},  // held with it; the wake-up is on its way
        {99, Wake, V::Wake},   // early: another wake-up
        {100, Wake, V::Show},  // the held one, 100 after the last shown
        {150, Offer, V::Wake}, //
        {200, Wake, V::Show},  //
        {250, Wake, V::Hold},  // nothing held: nothing to show
        {350, Offer, V::Show}, // long enough after the last: at once
        {360, Reset, V::Hold}, // a new start forgets the last shown...
        {361, Offer, V::Show}, //
        {370, Offer, V::Wake}, //
        {380, Reset, V::Hold}, // ...and what is held
        {470, Wake, V::Hold},  // the wake-up asked for finds nothing
        {475, Offer, V::Show}, //
    };
    StepClock clock;
    UpdateThrottle throttle(100ms, clock.Now());
    int64 lastShown = -1000;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.at);
        clock.Advance(step.at - *clock.ms);
        V verdict = V::Hold;
        if (step.op == Offer)
            verdict = throttle.Offer();
        else if (step.op == Wake)
            verdict = throttle.Wake();
        else {
            throttle.Reset();
            lastShown = -1000;
        }
        EXPECT_EQ(verdict, step.verdict);
        if (verdict == V::Show) {
            EXPECT_GE(step.at - lastShown, 100);
            lastShown = step.at;
        }
        if (verdict == V::Wake) {
            EXPECT_EQ(throttle.Wait(), std::chrono::milliseconds(lastShown + 100 - step.at));
        }
    }
}

namespace {

// The progress window, shown on a recording display, with the test's clock.
class ProgressBar : public testing::Test {
protected:
    void SetUp() override {
        for (const char* key : {"label:Bitte warten während der Kodierung von:",
                                "button:Datei auslassen", "button:Kodieren abbrechen"})
            display.SetSize(key, {200, 20});
        display.SetSize("statusbar", {100, 18});
        window = new ProgressWindow(nullptr, clock.Now());
        window->Run();
        window->Show();
        ASSERT_TRUE(display.WaitForBatches(1));
    }
    void TearDown() override {
        if (window->Lock())
            window->Quit();
    }

    // Does the work with the window locked, as the main window does.
    void Locked(const std::function<void()>& work) {
        ASSERT_TRUE(window->Lock());
        work();
        window->Unlock();
    }

    // Every figure the bar has handed to the display so far.
    std::vector<seam::StatusBarShape> Shown() {
        std::vector<seam::StatusBarShape> figures;
        for (const seam::Change& change : display.Changes())
            if (auto* look = std::get_if<seam::ViewLook>(&change))
                if (auto* figure = std::get_if<seam::StatusBarShape>(&look->look))
                    figures.push_back(*figure);
        return figures;
    }
    bool WaitForShown(size_t count) {
        for (size_t batches = display.Batches().size(); Shown().size() < count; ++batches)
            if (!display.WaitForBatches(batches + 1))
                return false;
        return true;
    }

    RecordingDisplay display;
    StepClock clock;
    ProgressWindow* window = nullptr;
};

} // namespace

TEST_F(ProgressBar, FiguresReachTheScreenAtMostOncePerIntervalAndTheLastIsShown) {
    // A new file: busy until the encoder gives a figure.
    Locked([&] { window->StartFile(0, 4, 7, 1); });
    ASSERT_TRUE(WaitForShown(1));
    EXPECT_TRUE(Shown().back().busy);

    // Fifty figures at once: while the clock stands still, none gets through,
    // however long the window waits.
    Locked([&] {
        for (int percent = 1; percent <= 50; ++percent)
            window->TakeOutput(7, 1, Line(std::to_string(percent).c_str()).c_str());
        // An earlier encoder with the same process id is not the current one.
        window->TakeOutput(7, 0, Line("90").c_str());
        EXPECT_TRUE(window->fileProgress->IsBusy());
    });
    // Once the interval is over, the window's own wake-up shows the last.
    clock.Advance(100);
    ASSERT_TRUE(WaitForShown(2));
    const std::vector<seam::StatusBarShape> shown = Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_FALSE(shown[1].busy);
    EXPECT_FLOAT_EQ(shown[1].value, 50);
    Locked([&] { EXPECT_FLOAT_EQ(window->fileProgress->CurrentValue(), 50); });

    // The next file starts busy again, as soon as the interval allows.
    clock.Advance(100);
    Locked([&] { window->StartFile(1, 4, 8, 2); });
    ASSERT_TRUE(WaitForShown(3));
    EXPECT_TRUE(Shown().back().busy);

    // The run ends; the ended encoder's pipe still gives a figure after its
    // quit notice. It reaches nothing, and the next run, at once, starts
    // busy rather than on that figure.
    Locked([&] {
        window->Dismiss();
        window->TakeOutput(8, 2, Line("70").c_str());
        window->Show();
        window->StartFile(0, 1, 9, 3);
    });
    ASSERT_TRUE(WaitForShown(4));
    for (const seam::StatusBarShape& figure : Shown())
        EXPECT_NE(figure.value, 70);
    EXPECT_TRUE(Shown().back().busy);
    Locked([&] { EXPECT_TRUE(window->fileProgress->IsBusy()); });
}

namespace {

// A session bus of the test's own, and a listener on it that writes every
// launcher entry signal to a file.
class PrivateBus {
public:
    PrivateBus() {
        const std::string out =
            Capture({"dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"});
        const size_t newline = out.find('\n');
        if (newline == std::string::npos)
            return;
        address = out.substr(0, newline);
        fDaemon = std::atoi(out.c_str() + newline + 1);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, fLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        const std::string rule = "type='signal',interface='com.canonical.Unity.LauncherEntry'";
        const char* argv[] = {"dbus-monitor", "--address", address.c_str(), rule.c_str(), nullptr};
        posix_spawnp(&fMonitor, "dbus-monitor", &actions, nullptr, const_cast<char**>(argv),
                     environ);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~PrivateBus() {
        if (fMonitor > 0) {
            ::kill(fMonitor, SIGTERM);
            ::waitpid(fMonitor, nullptr, 0);
        }
        if (fDaemon > 0)
            ::kill(fDaemon, SIGTERM);
    }

    // What the listener has written; it is listening once it has lost the
    // name that the bus gave it on joining.
    std::string Heard() const { return ReadFileText(fLog); }
    bool WaitFor(const std::function<bool(const std::string&)>& condition) const {
        for (int i = 0; i < 20000; ++i) {
            if (condition(Heard()))
                return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    std::string address;

private:
    TempDir fDir;
    std::string fLog = fDir.File("heard");
    pid_t fDaemon = -1;
    pid_t fMonitor = -1;
};

struct Update {
    std::string path, app;
    double progress = -1;
    bool progressVisible = false;
    int64 count = -1;
    bool countVisible = false;
};

// Qt's expressions rather than <regex>: GCC 12 warns inside libstdc++'s own
// regex compiler when it is built with the sanitizers, and warnings are errors.
std::vector<Update> Updates(const std::string& heardText) {
    std::vector<Update> updates;
    const QString heard = QString::fromStdString(heardText);
    static const QRegularExpression head(
        R"re(path=([^;]*); interface=com\.canonical\.Unity\.LauncherEntry; member=Update)re");
    static const QRegularExpression app(R"re(string "(application://[^"]*)")re");
    static const QRegularExpression entry(R"re(string "([a-z-]+)"\s*variant\s+(\w+) (\S+))re");
    for (auto it = head.globalMatch(heard); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const qsizetype start = match.capturedEnd();
        const qsizetype end = heard.indexOf(QStringLiteral("\nsignal "), start);
        const QString body = heard.mid(start, end < 0 ? -1 : end - start);
        Update update;
        update.path = match.captured(1).toStdString();
        if (const QRegularExpressionMatch found = app.match(body); found.hasMatch())
            update.app = found.captured(1).toStdString();
        for (auto e = entry.globalMatch(body); e.hasNext();) {
            const QRegularExpressionMatch pair = e.next();
            const QString key = pair.captured(1), value = pair.captured(3);
            if (key == u"progress")
                update.progress = value.toDouble();
            else if (key == u"progress-visible")
                update.progressVisible = value == u"true";
            else if (key == u"count")
                update.count = value.toLongLong();
            else if (key == u"count-visible")
                update.countVisible = value == u"true";
        }
        updates.push_back(update);
    }
    return updates;
}

} // namespace

TEST_F(ProgressBar, TheTaskBarShowsTheWholeRunOnTheSessionBusAndForgetsItAtTheEnd) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address.empty());
    ASSERT_TRUE(bus.WaitFor(
        [](const std::string& heard) { return heard.find("NameLost") != std::string::npos; }));
    ASSERT_EQ(setenv("DBUS_SESSION_BUS_ADDRESS", bus.address.c_str(), 1), 0);

    // Two files; a figure for each, the interval passing between. The
    // figures come as the roster sends them, after one that an earlier
    // encoder with the same process id wrote, which does not count.
    auto output = [&](team_id team, int64 launch, const char* percent) {
        BMessage message(B_CHILD_OUTPUT);
        message.AddInt32("be:team", team);
        message.AddInt64("kit:launch", launch);
        message.AddString("kit:text", Line(percent).c_str());
        ASSERT_EQ(BMessenger(window).SendMessage(&message), B_OK);
    };
    const std::pair<int32, const char*> steps[] = {
        {0, nullptr}, {0, " 50.0"}, {1, nullptr}, {1, "100.0"}};
    size_t updatesSoFar = 0;
    for (const auto& [index, percent] : steps) {
        clock.Advance(100);
        if (percent == nullptr) {
            Locked([&] { window->StartFile(index, 2, 100 + index, index + 1); });
        } else {
            output(100 + index, index, " 90.0");
            output(100 + index, index + 1, percent);
        }
        ASSERT_TRUE(bus.WaitFor(
            [&](const std::string& text) { return Updates(text).size() > updatesSoFar; }));
        ++updatesSoFar;
    }
    Locked([&] { window->EndRun(); });
    EXPECT_TRUE(bus.WaitFor([](const std::string& heard) { return Updates(heard).size() >= 5; }));
    unsetenv("DBUS_SESSION_BUS_ADDRESS");

    const std::vector<Update> updates = Updates(bus.Heard());
    ASSERT_EQ(updates.size(), 5u) << bus.Heard();
    const double progress[] = {0, 0.25, 0.5, 1.0};
    const int64 left[] = {2, 2, 1, 1};
    for (size_t i = 0; i < updates.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(updates[i].app, "application://x-vnd.MirvexOggVorbisFrontend.desktop");
        EXPECT_EQ(updates[i].path, "/org/example/mirvex/OggVorbisFrontend");
        const bool shown = i < 4;
        EXPECT_EQ(updates[i].progressVisible, shown);
        EXPECT_EQ(updates[i].countVisible, shown);
        if (shown) {
            EXPECT_DOUBLE_EQ(updates[i].progress, progress[i]);
            EXPECT_EQ(updates[i].count, left[i]);
        }
    }
}

// The batch run with the real encoder from vorbis-tools on WAV files that the
// test writes, each result checked with ogginfo.

#include "RunFixture.h"

#include "support/ControlDriver.h"
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BStatusBar.h>
#include <kit/interface/BTextControl.h>

#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A 440 Hz tone, 16-bit stereo at 44.1 kHz, half a second unless told.
void WriteWav(const std::string& path, uint32_t tenths = 5) {
    const uint32_t rate = 44100, frames = rate / 10 * tenths;
    const uint16_t channels = 2, bits = 16;
    const uint32_t dataBytes = frames * channels * bits / 8;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * channels * bits / 8);
    u16(channels * bits / 8);
    u16(bits);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto sample = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        for (uint16_t c = 0; c < channels; ++c)
            u16(static_cast<uint16_t>(sample));
    }
}

struct Outcome {
    int status = -1;
    std::string output;
};

// Runs a program found through PATH; its standard output and error together.
Outcome RunProgram(const std::vector<std::string>& argv) {
    Outcome outcome;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return outcome;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    char buffer[512];
    ssize_t count;
    while ((count = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        outcome.output.append(buffer, static_cast<size_t>(count));
    ::close(pipeFds[0]);
    if (error != 0)
        return outcome;
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::string Found(const std::string& program) {
    std::string path = RunProgram({"sh", "-c", "command -v " + program}).output;
    while (!path.empty() && path.back() == '\n')
        path.pop_back();
    return path;
}

} // namespace

using EndToEnd = RunFixture;

TEST_F(EndToEnd, TheRealEncoderEncodesEveryEntryWithStandardAndWithABitrate) {
    const std::string oggenc = Found("oggenc");
    ASSERT_FALSE(oggenc.empty()) << "vorbis-tools is not installed";
    SetEncoderPath(oggenc);

    // A blank, a double quote, and a name that begins with "-" (given
    // relative to the program's folder, as a list file may hold it).
    TempDir music;
    const std::vector<std::string> leaves = {"mit Leerzeichen", "zitat\"zeichen", "-minus"};
    for (const std::string& leaf : leaves)
        WriteWav(music.File(leaf + ".wav"));
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(music.Path().c_str()), 0);
    AddFiles({music.File(leaves[0] + ".wav"), music.File(leaves[1] + ".wav"), leaves[2] + ".wav"});

    struct Pass {
        const char* bitrate; // the menu item chosen
        const char* nominal; // what ogginfo reports then
    };
    const Pass passes[] = {{"Standard", nullptr}, {"128 kbps", "Nominal bitrate: 128"}};
    for (const Pass& pass : passes) {
        ASSERT_TRUE(driver::ChooseFromMenuField(kMainTitle, "BitrateField", pass.bitrate));
        ASSERT_TRUE(driver::WaitFor(
            [&] { return driver::MenuFieldButton(kMainTitle, "BitrateField") == pass.bitrate; }));
        for (const std::string& leaf : leaves)
            ::unlink(music.File(leaf + ".ogg").c_str());
        Press(cmd::ENCD);
        ASSERT_TRUE(Eventually([&] { return State().running; }) || Idle());
        ASSERT_TRUE(Eventually([&] { return Idle(); }, std::chrono::seconds(300)));
        for (const std::string& leaf : leaves) {
            const Outcome info = RunProgram({"ogginfo", music.File(leaf + ".ogg")});
            EXPECT_EQ(info.status, 0) << leaf << "\n" << info.output;
            EXPECT_NE(info.output.find("Vorbis"), std::string::npos) << leaf;
            if (pass.nominal != nullptr) {
                EXPECT_NE(info.output.find(pass.nominal), std::string::npos) << info.output;
            }
        }
    }
    ASSERT_EQ(::chdir(previous), 0);
}

TEST_F(EndToEnd, TheEntriesTheRealEncoderRefusesAreNamedWithItsReason) {
    const std::string oggenc = Found("oggenc");
    ASSERT_FALSE(oggenc.empty()) << "vorbis-tools is not installed";
    SetEncoderPath(oggenc);

    // Random bytes that claim to be an MP3, and a good WAV whose output
    // cannot be written (a folder stands where the .ogg goes, which stops
    // root as well), between two good WAVs.
    TempDir music;
    WriteWav(music.File("eins.wav"));
    {
        std::ofstream noise(music.File("x.mp3"), std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            noise.put(static_cast<char>((i * 7919 + 13) % 251));
    }
    WriteWav(music.File("blockiert.wav"));
    ASSERT_EQ(::mkdir(music.File("blockiert.ogg").c_str(), 0755), 0);
    WriteWav(music.File("zwei.wav"));
    AddFiles({music.File("eins.wav"), music.File("x.mp3"), music.File("blockiert.wav"),
              music.File("zwei.wav")});

    Press(cmd::ENCD);
    auto alert = driver::AnswerAlert("OK", std::chrono::seconds(300));
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "EncodeErrors");
    EXPECT_EQ(alert->text, "Diese Dateien konnten nicht kodiert werden:\n\n"
                           "x.mp3: ERROR: Input file \"" +
                               music.File("x.mp3") +
                               "\" is not a supported format\n"
                               "blockiert.wav: ERROR: Cannot open output file \"" +
                               music.File("blockiert.ogg") + "\": Is a directory");
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    for (const char* leaf : {"eins", "zwei"}) {
        const Outcome info = RunProgram({"ogginfo", music.File(std::string(leaf) + ".ogg")});
        EXPECT_EQ(info.status, 0) << leaf << "\n" << info.output;
    }

    // Without the two, the run ends silently.
    ASSERT_TRUE(window->Lock());
    window->filesList->Clear();
    window->Unlock();
    AddFiles({music.File("eins.wav"), music.File("zwei.wav")});
    Press(cmd::ENCD);
    ASSERT_TRUE(Eventually([&] { return State().running; }) || Idle());
    ASSERT_TRUE(Eventually([&] { return Idle(); }, std::chrono::seconds(300)));
    SyncApplication();
}

TEST_F(EndToEnd, TheBarRisesWithTheEncodersOwnFiguresAndIsBusyWhileItIsQuiet) {
    const std::string oggenc = Found("oggenc");
    ASSERT_FALSE(oggenc.empty()) << "vorbis-tools is not installed";
    SetEncoderPath(oggenc);
    // Forty seconds of tone: the encoder reports its progress many times.
    TempDir music;
    WriteWav(music.File("lang.wav"), 400);
    AddFiles({music.File("lang.wav")});
    struct Bar {
        bool busy = false;
        float value = -1;
    };
    auto bar = [&] {
        Bar state;
        ProgressWindow* progress = window->progressWindow;
        if (progress->Lock()) {
            state.busy = progress->fileProgress->IsBusy();
            state.value = progress->fileProgress->CurrentValue();
            progress->Unlock();
        }
        return state;
    };

    // Told nothing, the encoder gives figures: busy first, then rising.
    Press(cmd::ENCD);
    float first = -1;
    ASSERT_TRUE(Eventually([&] {
        const Bar now = bar();
        first = now.value;
        return !now.busy && now.value > 0 && now.value < 90;
    }));
    ASSERT_TRUE(Eventually([&] { return bar().value > first; }));
    ASSERT_TRUE(Eventually([&] { return Idle(); }, std::chrono::seconds(300)));
    // The screen shows the last figure it was given.
    EXPECT_GT(driver::Bar(kProgressTitle, "FileProgress").value, int(first));

    // Told to be quiet, it gives none: the bar stays busy to the end.
    ASSERT_TRUE(window->Lock());
    window->tabView->encoderView->extraParam->SetText("-Q");
    window->Unlock();
    const int64 before = State().launch;
    Press(cmd::ENCD);
    ASSERT_TRUE(Eventually([&] { return State().launch != before; }));
    // Each look takes the run's state and the bar's together, under the main
    // window's lock: the run's end resets the bar under that lock, so a bar
    // seen apart from the run could be one the run has already left.
    bool alwaysBusy = true;
    ASSERT_TRUE(Eventually(
        [&] {
            if (!window->Lock())
                return false;
            if (window->running)
                alwaysBusy = alwaysBusy && bar().busy;
            window->Unlock();
            return Idle();
        },
        std::chrono::seconds(300)));
    EXPECT_TRUE(alwaysBusy);
    EXPECT_EQ(RunProgram({"ogginfo", music.File("lang.ogg")}).status, 0);
}

TEST_F(EndToEnd, FourEncodersAtOnceLeaveTheSameAudioAsOneAfterTheOther) {
    const std::string oggenc = Found("oggenc");
    ASSERT_FALSE(oggenc.empty()) << "vorbis-tools is not installed";
    SetEncoderPath(oggenc);
    // The same twenty WAVs twice: once for the program with four encoders at
    // once, once for a shell loop, one after the other.
    TempDir ours, loop;
    std::vector<std::string> files;
    for (int i = 0; i < 20; ++i) {
        const std::string leaf = "stück " + std::to_string(i) + ".wav";
        WriteWav(ours.File(leaf), 2 + uint32_t(i % 3));
        WriteWav(loop.File(leaf), 2 + uint32_t(i % 3));
        files.push_back(ours.File(leaf));
    }
    const Outcome shell =
        RunProgram({"sh", "-c", "for f in \"$1\"/*.wav; do \"$2\" -Q \"$f\" || exit 1; done", "sh",
                    loop.Path(), oggenc});
    ASSERT_EQ(shell.status, 0) << shell.output;

    AddFiles(files);
    ASSERT_TRUE(window->Lock());
    running.app.SetSimultaneousEncoders(4);
    window->Unlock();
    Press(cmd::ENCD);
    ASSERT_TRUE(Eventually([&] { return State().running; }) || Idle());
    ASSERT_TRUE(Eventually([&] { return Idle(); }, std::chrono::seconds(300)));
    SyncApplication(); // nothing failed

    // The streams' serial numbers differ from run to run; the audio must not.
    for (int i = 0; i < 20; ++i) {
        const std::string leaf = "stück " + std::to_string(i) + ".ogg";
        const Outcome mine = RunProgram({"oggdec", "-Q", "-o", "-", ours.File(leaf)});
        const Outcome theirs = RunProgram({"oggdec", "-Q", "-o", "-", loop.File(leaf)});
        ASSERT_EQ(mine.status, 0) << leaf;
        EXPECT_GT(mine.output.size(), 44u) << leaf;
        EXPECT_TRUE(mine.output == theirs.output) << leaf;
    }
    // The count is an option, stored on the executable when the program
    // quits: the tests after this one must find it at 1 again.
    ASSERT_TRUE(window->Lock());
    EXPECT_EQ(window->filesList->CountItems(), 20);
    running.app.SetSimultaneousEncoders(1);
    window->Unlock();
}

// Encodes the same short WAV files with the real oggenc twice per round: by
// the program's batch run (driven as the "Kodieren!" button would, with "-Q"
// as the extra parameter) and by a shell loop `for f; do oggenc -Q "$f";
// done`, and prints the wall times and their ratio. Which of the two goes
// first alternates from round to round, so that a machine growing busier or
// quieter favours neither. With "progress" as the third argument both leave
// out "-Q": oggenc then writes its progress lines, which the program reads
// from its pipe and the shell loop sends to /dev/null.
//
// Then both run once more through a stamping stand-in in front of oggenc,
// which measures the time between one encoder's end and the next one's
// start: the program's own gap beside the shell loop's.
//
// With "parallel" as the fourth argument it compares instead, side by side,
// the program with as many encoders at once as the machine has cores (at
// least two), `xargs -P N -n 1 oggenc`, the shell loop, and the program
// with one encoder, each round in another order.
//
// The program runs in this process as in the real one: the display (Qt,
// offscreen) on the main thread, the application's and windows' threads
// beside it, from a copy of this executable in a fresh folder so that its
// options and file type go there.

#include "app/MFApp.h"
#include "encoding/EncoderView.h"
#include "filelist/FilesList.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/TabView.h"
#include <kit/app/AppDefs.h>
#include <kit/display/Display.h>
#include <kit/display/QtDisplay.h>
#include <kit/interface/BTextControl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void WriteWav(const std::string& path, double seconds) {
    const uint32_t rate = 44100, frames = uint32_t(rate * seconds);
    const uint32_t dataBytes = frames * 4;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto sample = int16_t(8000 * std::sin(2 * M_PI * 440 * i / rate));
        u16(uint16_t(sample));
        u16(uint16_t(sample));
    }
}

int Wait(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// When the last timed run began and ended, in nanoseconds of the monotonic
// clock the stamping stand-in writes: its lead-in before the first encoder
// and its tail after the last one.
long long gRunBegan = 0, gRunEnded = 0;

long long Nanoseconds(Clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

// Runs sh with the script and its arguments, then the files; its wall time.
double TimeShell(std::vector<std::string> args, const std::vector<std::string>& files) {
    args.insert(args.begin(), {"sh", "-c"});
    args.insert(args.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = -1;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    Wait(pid);
    const auto end = Clock::now();
    gRunBegan = Nanoseconds(start);
    gRunEnded = Nanoseconds(end);
    return std::chrono::duration<double>(end - start).count();
}

double ShellLoop(const std::string& encoder, const std::string& quiet,
                 const std::vector<std::string>& files) {
    return TimeShell({"e=$1; q=$2; shift 2; for f in \"$@\"; do \"$e\" $q \"$f\" 2>/dev/null; done",
                      "sh", encoder, quiet},
                     files);
}

// The files through xargs, places encoders at once, one file each.
double XargsRun(const std::string& encoder, const std::string& quiet,
                const std::vector<std::string>& files, int places) {
    return TimeShell({"e=$1; q=$2; n=$3; shift 3; printf '%s\\0' \"$@\" | "
                      "xargs -0 -P \"$n\" -n 1 \"$e\" $q 2>/dev/null",
                      "sh", encoder, quiet, std::to_string(places)},
                     files);
}

bool Running(MainWindow* window) {
    window->Lock();
    bool running = window->running;
    window->Unlock();
    return running;
}

// One batch run over the files with the given encoder; its wall time from
// the press of "Kodieren!" to the end of the run.
// The processor time this process used, all its threads together (the
// encoders are children, not counted), in milliseconds; and what the last
// program run used.
double OwnProcessorTime() {
    rusage used{};
    getrusage(RUSAGE_SELF, &used);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(used.ru_utime) + ms(used.ru_stime);
}
double gProgramProcessor = 0;

double ProgramRun(MFApp& app, const std::string& encoder, const std::string& quiet,
                  const std::vector<std::string>& files, int places = 1) {
    MainWindow* window = app.mainWindow;
    window->Lock();
    std::strcpy(app.encoderPath, encoder.c_str());
    app.SetSimultaneousEncoders(places);
    window->tabView->encoderView->extraParam->SetText(quiet.c_str());
    window->filesList->Clear();
    window->Unlock();
    for (const std::string& file : files)
        window->filesList->AddFile(file.c_str());
    const double processorBefore = OwnProcessorTime();
    const auto start = Clock::now();
    BMessenger(window).SendMessage(four_cc("ENCD"));
    while (!Running(window)) {
        if (std::chrono::duration<double>(Clock::now() - start).count() > 1 &&
            window->Lock()) { // an empty run, or one that failed at once
            window->Unlock();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    while (Running(window))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const auto end = Clock::now();
    gProgramProcessor = OwnProcessorTime() - processorBefore;
    gRunBegan = Nanoseconds(start);
    gRunEnded = Nanoseconds(end);
    return std::chrono::duration<double>(end - start).count();
}

void RemoveOggs(const std::vector<std::string>& files) {
    for (const std::string& file : files)
        fs::remove(fs::path(file).replace_extension(".ogg"));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// What the stamping stand-in saw of one run: the gaps between one encoder's
// end and the next one's start, and each encoder's wall and processor time,
// in milliseconds. With several places at once, each start after the first
// places is measured from the latest end before it: the end that freed its
// place. The stamps file goes.
struct Stamped {
    std::vector<double> gaps, walls, cpus, leads, tails, idles, runs;
};

Stamped ReadStamps(const fs::path& stamps, int places = 1) {
    std::vector<long long> starts, ends;
    Stamped stamped;
    {
        std::ifstream in(stamps);
        std::string what;
        long long when = 0;
        while (in >> what >> when) {
            if (what == "encoder") {
                long long cpu = 0;
                in >> cpu;
                stamped.walls.push_back(double(when) / 1e6);
                stamped.cpus.push_back(double(cpu) / 1e6);
            } else {
                (what == "start" ? starts : ends).push_back(when);
            }
        }
    }
    fs::remove(stamps);
    std::sort(starts.begin(), starts.end());
    std::sort(ends.begin(), ends.end());
    if (!starts.empty() && !ends.empty()) {
        stamped.leads.push_back(double(starts.front() - gRunBegan) / 1e6);
        stamped.tails.push_back(double(gRunEnded - ends.back()) / 1e6);
        stamped.runs.push_back(double(gRunEnded - gRunBegan) / 1e6);
        // The time places stood empty between the first start and the last
        // end, summed over the places.
        std::vector<std::pair<long long, int>> steps;
        for (long long start : starts)
            steps.emplace_back(start, 1);
        for (long long end : ends)
            steps.emplace_back(end, -1);
        std::sort(steps.begin(), steps.end());
        long long idle = 0;
        int running = 0;
        for (size_t i = 0; i + 1 < steps.size(); ++i) {
            running += steps[i].second;
            idle += std::max(0, places - running) * (steps[i + 1].first - steps[i].first);
        }
        stamped.idles.push_back(double(idle) / 1e6);
    }
    for (size_t i = size_t(places); i < starts.size(); ++i) {
        auto freed = std::upper_bound(ends.begin(), ends.end(), starts[i]);
        if (freed != ends.begin())
            stamped.gaps.push_back(double(starts[i] - *(freed - 1)) / 1e6);
    }
    return stamped;
}

void Append(Stamped& all, const Stamped& more) {
    all.gaps.insert(all.gaps.end(), more.gaps.begin(), more.gaps.end());
    all.walls.insert(all.walls.end(), more.walls.begin(), more.walls.end());
    all.cpus.insert(all.cpus.end(), more.cpus.begin(), more.cpus.end());
    all.leads.insert(all.leads.end(), more.leads.begin(), more.leads.end());
    all.tails.insert(all.tails.end(), more.tails.begin(), more.tails.end());
    all.idles.insert(all.idles.end(), more.idles.begin(), more.idles.end());
    all.runs.insert(all.runs.end(), more.runs.begin(), more.runs.end());
}

void PrintStamped(const char* who, const Stamped& stamped) {
    if (stamped.gaps.empty())
        return;
    std::printf("%s: gap from one encoder's end to the next one's start (%zu gaps): median "
                "%.3f ms, worst %.3f ms\n",
                who, stamped.gaps.size(), Median(stamped.gaps),
                *std::max_element(stamped.gaps.begin(), stamped.gaps.end()));
    std::printf("%s: each encoder's own run, median: %.3f ms wall, %.3f ms processor\n", who,
                Median(stamped.walls), Median(stamped.cpus));
    std::printf("%s: from the start to the first encoder %.3f ms, from the last encoder's end "
                "to the run's end %.3f ms (medians)\n",
                who, Median(stamped.leads), Median(stamped.tails));
    std::printf("%s: places standing empty in between, summed over the places: %.3f ms per run "
                "(median)\n",
                who, Median(stamped.idles));
    std::printf("%s: the whole run %.3f ms (median)\n", who, Median(stamped.runs));
}

// The program with N encoders at once beside xargs -P N, the shell loop and
// the program with one.
void ParallelBench(MFApp& app, const std::string& oggenc, const std::string& quiet,
                   const std::vector<std::string>& files, int rounds) {
    const int cores = int(std::thread::hardware_concurrency());
    const int places = std::max(2, cores);
    struct Contender {
        const char* name;
        std::function<double()> run;
        std::vector<double> times;
    };
    std::vector<double> programProcessor;
    Contender contenders[] = {
        {"program, N at once",
         [&] {
             const double wall = ProgramRun(app, oggenc, quiet, files, places);
             programProcessor.push_back(gProgramProcessor);
             return wall;
         },
         {}},
        {"xargs -P N -n 1", [&] { return XargsRun(oggenc, quiet, files, places); }, {}},
        {"shell loop", [&] { return ShellLoop(oggenc, quiet, files); }, {}},
        {"program, one at a time", [&] { return ProgramRun(app, oggenc, quiet, files, 1); }, {}},
    };
    const size_t count = std::size(contenders);
    for (int round = 0; round < rounds; ++round) {
        std::printf("round %d:", round + 1);
        for (size_t i = 0; i < count; ++i) {
            Contender& contender = contenders[(size_t(round) + i) % count];
            RemoveOggs(files);
            contender.times.push_back(contender.run());
            std::printf("  %s %.3f s", contender.name, contender.times.back());
        }
        std::printf("\n");
    }
    RemoveOggs(files);
    const double program = Median(contenders[0].times), xargs = Median(contenders[1].times),
                 loop = Median(contenders[2].times), single = Median(contenders[3].times);
    std::printf("\n%zu files of 1 s, %d rounds (medians), %s, %d cores, N = %d\n", files.size(),
                rounds, quiet.empty() ? "progress lines read" : "with -Q", cores, places);
    for (const Contender& contender : contenders)
        std::printf("%-24s %.3f s\n", contender.name, Median(contender.times));
    std::printf("the program's own processor time with N at once: %.1f ms per run (median)\n",
                Median(programProcessor));
    std::printf("program N / xargs -P N:  %.3f (goal at most 1.05)\n", program / xargs);
    std::printf("program N / shell loop:  %.3f (goal at most 0.60 on two cores)\n", program / loop);
    std::printf("program 1 / shell loop:  %.3f (goal at most 1.05)\n", single / loop);

    // The gaps and the encoders' own times with N at once, through the
    // stamping stand-in: a place the program refills later than xargs does,
    // or encoders that wait for a processor the program's threads hold, show
    // here.
    const fs::path stamps = fs::path(files.front()).parent_path() / "stamps";
    setenv("ENCODE_BENCH_STAMPS", stamps.c_str(), 1);
    Stamped programStamped, xargsStamped;
    for (int round = 0; round < rounds; ++round) {
        RemoveOggs(files);
        ProgramRun(app, STAMP_ENCODER, quiet, files, places);
        Append(programStamped, ReadStamps(stamps, places));
        RemoveOggs(files);
        XargsRun(STAMP_ENCODER, quiet, files, places);
        Append(xargsStamped, ReadStamps(stamps, places));
    }
    RemoveOggs(files);
    unsetenv("ENCODE_BENCH_STAMPS");
    PrintStamped("xargs -P N", xargsStamped);
    PrintStamped("program, N at once", programStamped);
}

int Bench(int count, int rounds, bool progress, bool parallel, const fs::path& folder) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        files.push_back((folder / ("stück " + std::to_string(i) + ".wav")).string());
        WriteWav(files.back(), 1.0);
    }
    const std::string oggenc = "/usr/bin/oggenc";

    MFApp app;
    // The benchmark's own arguments are no files for the program.
    app.SetLaunchArguments({});
    std::thread runner([&] { app.Run(); });
    while (true) {
        if (app.Lock()) {
            bool ready = app.mainWindow != nullptr;
            app.Unlock();
            if (ready)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    const std::string quiet = progress ? "" : "-Q";
    if (parallel) {
        ParallelBench(app, oggenc, quiet, files, rounds);
        be_app_messenger.SendMessage(B_QUIT_REQUESTED);
        runner.join();
        return 0;
    }
    std::vector<double> loopTimes, programTimes;
    for (int round = 0; round < rounds; ++round) {
        auto loop = [&] {
            RemoveOggs(files);
            loopTimes.push_back(ShellLoop(oggenc, quiet, files));
        };
        auto program = [&] {
            RemoveOggs(files);
            programTimes.push_back(ProgramRun(app, oggenc, quiet, files));
        };
        if (round % 2 == 0) {
            loop();
            program();
        } else {
            program();
            loop();
        }
        std::printf("round %d: shell loop %.3f s, program %.3f s\n", round + 1, loopTimes.back(),
                    programTimes.back());
    }

    // The gaps, through the stamping stand-in, the program's and the shell
    // loop's alike.
    const fs::path stamps = folder / "stamps";
    setenv("ENCODE_BENCH_STAMPS", stamps.c_str(), 1);
    Stamped loopStamped, programStamped;
    for (int round = 0; round < rounds; ++round) {
        RemoveOggs(files);
        ProgramRun(app, STAMP_ENCODER, quiet, files);
        Append(programStamped, ReadStamps(stamps));
        RemoveOggs(files);
        ShellLoop(STAMP_ENCODER, quiet, files);
        Append(loopStamped, ReadStamps(stamps));
    }
    RemoveOggs(files);

    be_app_messenger.SendMessage(B_QUIT_REQUESTED);
    runner.join();

    const double loop = Median(loopTimes), program = Median(programTimes);
    std::printf("\n%d files of 1 s, %d rounds (medians), %s\n", count, rounds,
                progress ? "progress lines read" : "with -Q");
    std::printf("shell loop:  %.3f s\nprogram:     %.3f s\nratio:       %.3f\n", loop, program,
                program / loop);
    PrintStamped("shell loop", loopStamped);
    PrintStamped("program", programStamped);
    if (!loopStamped.gaps.empty() && !programStamped.gaps.empty())
        std::printf("the program's gap above the shell loop's: %.3f ms\n",
                    Median(programStamped.gaps) - Median(loopStamped.gaps));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const bool progress = argc > 3 && std::strcmp(argv[3], "progress") == 0;
    const bool parallel = argc > 4 && std::strcmp(argv[4], "parallel") == 0;

    // Run from a copy in a fresh folder with desktop folders of its own.
    if (std::getenv("ENCODE_BENCH_SANDBOX") == nullptr) {
        std::string pattern = (fs::temp_directory_path() / "mfbench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return 2;
        const fs::path sandbox = pattern;
        const fs::path copy = sandbox / "encode_bench";
        fs::copy_file("/proc/self/exe", copy);
        for (const char* sub : {"data", "config", "run", "music"})
            fs::create_directory(sandbox / sub);
        fs::permissions(sandbox / "run", fs::perms::owner_all, fs::perm_options::replace);
        setenv("ENCODE_BENCH_SANDBOX", sandbox.c_str(), 1);
        setenv("XDG_DATA_HOME", (sandbox / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (sandbox / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (sandbox / "run").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        pid_t child = -1;
        if (posix_spawn(&child, copy.c_str(), nullptr, nullptr, argv, environ) != 0)
            return 2;
        const int status = Wait(child);
        std::error_code ignored;
        fs::remove_all(sandbox, ignored);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    }

    seam::Install(&display::Qt());
    display::Initialize();
    int result = 1;
    std::thread bench([&] {
        result = Bench(count, rounds, progress, parallel,
                       fs::path(std::getenv("ENCODE_BENCH_SANDBOX")) / "music");
        display::Exit();
    });
    display::Exec();
    bench.join();
    display::Shutdown();
    return result;
}

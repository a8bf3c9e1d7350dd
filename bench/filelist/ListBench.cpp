// Times the file list's work on large lists inside the running program, for
// 10,000 and 100,000 entries side by side: loading a list file, saving it,
// adding the entries as one refs message, selecting all on the display and
// removing every second entry. Each figure is the median of the runs: the
// list's own work (with the main window locked) and, where the display has
// to follow, the time until the list widget shows the result. Then the
// program's peak memory with 100,000 entries against an empty list.

#include "BenchLists.h"

#include "app/MFApp.h"
#include "filelist/FilesList.h"
#include "mainwindow/MainWindow.h"
#include <kit/app/AppDefs.h>
#include <kit/display/Display.h>
#include <kit/display/QtDisplay.h>
#include <kit/interface/BStringItem.h>

#include <QApplication>
#include <QItemSelection>
#include <QKeyEvent>
#include <QListView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QListView* FilesWidget() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* list = window->findChild<QListView*>(QStringLiteral("FilesList")))
            return list;
    return nullptr;
}

// Runs work on the display thread and answers its result.
template <class T>
T OnDisplay(const std::function<T()>& work) {
    T result{};
    display::Invoke([&] { result = work(); });
    return result;
}

void WaitUntil(const std::function<bool()>& condition) {
    while (!condition())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

int ShownRows() {
    return OnDisplay<int>([] {
        QListView* list = FilesWidget();
        return list ? list->model()->rowCount() : -1;
    });
}

int ShownSelected() {
    return OnDisplay<int>([] {
        QListView* list = FilesWidget();
        return list ? int(list->selectionModel()->selectedIndexes().size()) : -1;
    });
}

struct Figures {
    double load = 0, loadShown = 0, save = 0, add = 0, addShown = 0, selectAll = 0, removeHalf = 0,
           removeShown = 0, selectAndRemove = 0;
};

Figures RunOnce(MainWindow* window, const std::string& folder, int count) {
    Figures figures;
    FilesList* list = window->filesList;
    const std::string listPath = folder + "/bench-" + std::to_string(count) + ".mvl";
    { std::ofstream(listPath, std::ios::binary) << BenchListContents(folder, count); }
    auto clear = [&] {
        window->Lock();
        list->Clear();
        window->Unlock();
        WaitUntil([] { return ShownRows() == 0; });
    };

    clear();
    std::fprintf(stderr, "%d entries: loading\n", count);
    auto start = Clock::now();
    list->Open(listPath.c_str());
    figures.load = Since(start);
    WaitUntil([&] { return ShownRows() == count; });
    figures.loadShown = Since(start);

    std::fprintf(stderr, "%d entries: saving\n", count);
    start = Clock::now();
    list->Save((folder + "/saved.mvl").c_str());
    figures.save = Since(start);

    // The same entries as one drop of files.
    BMessage drop(B_SIMPLE_DATA);
    for (int i = 0; i < count; ++i) {
        entry_ref ref;
        std::string path = BenchPath(folder, i);
        if (get_ref_for_path(path.c_str(), &ref) == B_OK)
            drop.AddRef("refs", &ref);
    }
    clear();
    std::fprintf(stderr, "%d entries: adding\n", count);
    window->Lock();
    start = Clock::now();
    list->MessageReceived(&drop);
    figures.add = Since(start);
    window->Unlock();
    WaitUntil([&] { return ShownRows() == count; });
    figures.addShown = Since(start);

    // Ctrl+A on the list widget, until the list holds the selection.
    std::fprintf(stderr, "%d entries: selecting\n", count);
    start = Clock::now();
    display::Invoke([] {
        QListView* widget = FilesWidget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
        QApplication::sendEvent(widget, &press);
    });
    WaitUntil([&] {
        window->Lock();
        bool all = list->CurrentSelection(count - 1) == count - 1;
        window->Unlock();
        return all;
    });
    figures.selectAll = Since(start);

    // Every second entry selected on the display, then removed.
    display::Invoke([count] {
        QListView* widget = FilesWidget();
        QItemSelection half;
        for (int row = 0; row < count; row += 2)
            half.select(widget->model()->index(row, 0), widget->model()->index(row, 0));
        // Cleared first: Qt compares an old selection with a new one range by
        // range, which for one range against 50,000 takes minutes.
        widget->selectionModel()->clearSelection();
        widget->selectionModel()->select(half, QItemSelectionModel::Select);
    });
    WaitUntil([&] {
        window->Lock();
        bool half = list->CurrentSelection(count / 2 - 1) == count - 2 &&
                    list->CurrentSelection(count / 2) == -1;
        window->Unlock();
        return half;
    });
    std::fprintf(stderr, "%d entries: removing\n", count);
    window->Lock();
    start = Clock::now();
    list->RemoveFiles();
    figures.removeHalf = Since(start);
    window->Unlock();
    WaitUntil([&] { return ShownRows() == count / 2 && ShownSelected() == 0; });
    figures.removeShown = Since(start);
    // What the user waits for: Ctrl+A, then the removal until it is shown.
    figures.selectAndRemove = figures.selectAll + figures.removeShown;
    clear();
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The probe reports its own peak: the rusage of a child started from this
// large process would count this process's memory too.
long PeakKilobytes(const std::string& listPath, int count) {
    std::string program = MEMORY_PROBE;
    std::string entries = std::to_string(count);
    char* argv[] = {program.data(), const_cast<char*>(listPath.c_str()), entries.data(), nullptr};
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t child = 0;
    int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string output;
    char buffer[256];
    ssize_t got;
    while (spawned == 0 && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, size_t(got));
    ::close(pipeFds[0]);
    if (spawned != 0)
        return -1;
    int status = 0;
    ::waitpid(child, &status, 0);
    size_t at = output.find("peak ");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos)
        return -1;
    return std::atol(output.c_str() + at + 5);
}

int Bench(int runs) {
    std::string pattern = (fs::temp_directory_path() / "mflistbench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    const std::string home = pattern;
    for (const char* folder : {"data", "config", "run", "Musik"})
        fs::create_directory(fs::path(home) / folder);
    fs::permissions(fs::path(home) / "run", fs::perms::owner_all, fs::perm_options::replace);
    const std::string music = home + "/Musik";
    for (int album = 0; album <= 100000 / 12; ++album) {
        char name[32];
        std::snprintf(name, sizeof name, "/Album %04d", album);
        fs::create_directory(music + name);
    }

    MFApp app;
    // The benchmark's own arguments are no files for the program.
    app.SetLaunchArguments({});
    std::thread runner([&] { app.Run(); });
    WaitUntil([&] { return ShownRows() == 0; });
    app.Lock();
    MainWindow* window = app.mainWindow;
    app.Unlock();

    const int counts[] = {10000, 100000};
    std::vector<Figures> all[2];
    for (int run = 0; run < runs; ++run)
        for (int i = 0; i < 2; ++i)
            all[i].push_back(RunOnce(window, music, counts[i]));

    be_app_messenger.SendMessage(B_QUIT_REQUESTED);
    runner.join();

    auto median = [&](int i, double Figures::*field) {
        std::vector<double> values;
        for (const Figures& figures : all[i])
            values.push_back(figures.*field);
        return Median(values);
    };
    struct Row {
        const char* name;
        double Figures::*field;
    };
    const Row rows[] = {
        {"load a list file", &Figures::load},
        {"  until the list shows it", &Figures::loadShown},
        {"save it", &Figures::save},
        {"add as one refs message", &Figures::add},
        {"  until the list shows it", &Figures::addShown},
        {"select all (Ctrl+A)", &Figures::selectAll},
        {"remove every second entry", &Figures::removeHalf},
        {"  until the list shows it", &Figures::removeShown},
        {"select all + remove, shown", &Figures::selectAndRemove},
    };
    std::printf("runs: %d, medians in seconds\n", runs);
    std::printf("%-28s %12s %12s %8s\n", "", "10,000", "100,000", "ratio");
    for (const Row& row : rows) {
        double small = median(0, row.field), large = median(1, row.field);
        std::printf("%-28s %12.4f %12.4f %8.1f\n", row.name, small, large, large / small);
    }

    const std::string empty = home + "/leer.mvl";
    const std::string full = home + "/voll.mvl";
    std::ofstream(empty, std::ios::binary) << ListFile::kHeader;
    std::ofstream(full, std::ios::binary) << BenchListContents(music, 100000);
    std::vector<double> emptyPeaks, fullPeaks;
    for (int run = 0; run < runs; ++run) {
        emptyPeaks.push_back(double(PeakKilobytes(empty, 0)));
        fullPeaks.push_back(double(PeakKilobytes(full, 100000)));
    }
    double emptyPeak = Median(emptyPeaks), fullPeak = Median(fullPeaks);
    std::printf(
        "peak memory: empty list %.0f KiB, 100,000 entries %.0f KiB, %.0f bytes per entry\n",
        emptyPeak, fullPeak, (fullPeak - emptyPeak) * 1024.0 / 100000.0);
    std::printf("average path: %zu bytes\n", BenchPath(music, 54321).size());

    std::error_code ignored;
    fs::remove_all(home, ignored);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    // The program keeps its options on its own file and installs a file
    // type for the user: both go to folders of the benchmark's own.
    std::string pattern = (fs::temp_directory_path() / "mflistxdg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    for (const char* folder : {"data", "config", "run"})
        fs::create_directory(fs::path(pattern) / folder);
    fs::permissions(fs::path(pattern) / "run", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_DATA_HOME", (pattern + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (pattern + "/run").c_str(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    seam::Install(&display::Qt());
    display::Initialize();
    int result = 1;
    std::thread bench([&] {
        result = Bench(runs);
        display::Exit();
    });
    display::Exec();
    bench.join();
    display::Shutdown();
    std::error_code ignored;
    fs::remove_all(pattern, ignored);
    return result;
}

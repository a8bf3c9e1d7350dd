#include "FileListTesting.h"

#include "app/Commands.h"
#include "filelist/ListFile.h"
#include "support/ListDriver.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <sys/xattr.h>
#include <unistd.h>

using namespace filelist_testing;

namespace {

const std::string kHeader = ListFile::kHeader;

// The rows the list widget shows the moment the window first shows.
std::vector<std::string> RowsWhenShown() {
    return driver::ListRows(kMainTitle, "FilesList");
}

} // namespace

TEST(LaunchFile, WithoutOneTheListIsEmptyAndNothingCanBeEncoded) {
    RunningApp running;
    ASSERT_TRUE(running.shown);
    EXPECT_EQ(StateOf(running.window), (ListState{{}, {}, false, false, false, false}));
    EXPECT_FALSE(driver::Widget(kMainTitle, "EncodeButton").enabled);
    EXPECT_TRUE(driver::Widget(kMainTitle, "AddFiles").enabled);
}

TEST(LaunchFile, AListFileOrALinkToOneIsLoadedBeforeTheWindowShows) {
    TempDir folder;
    std::string file = folder.Write("start.mvl", kHeader + "0;/eins.wav\n0;/zwei.wav\n");
    std::string link = folder.File("verweis");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    for (const std::string& path : {file, link}) {
        RunningApp running({path});
        ASSERT_TRUE(running.shown) << path;
        // The first picture of the window already holds the entries.
        EXPECT_EQ(RowsWhenShown(), (std::vector<std::string>{"/eins.wav", "/zwei.wav"})) << path;
        EXPECT_EQ(StateOf(running.window),
                  (ListState{{"/eins.wav", "/zwei.wav"}, {}, true, false, false, false}))
            << path;
        EXPECT_EQ(driver::CurrentTab(kMainTitle), 0);
    }
}

TEST(LaunchFile, EveryHandedFileIsTakenAsFilesHandedOverLaterAre) {
    // Audio files are added in their order; a list file, known by its name
    // or by its type, is loaded and ends the walk, as it does later on. Qt's
    // own options are no files.
    TempDir folder;
    const std::string one = folder.Write("eins.wav", "RIFF\x24\0\0\0WAVEfmt ");
    const std::string two = folder.Write("zwei.wav", "RIFF\x24\0\0\0WAVEfmt ");
    const std::string list = folder.Write("liste.mvl", kHeader + "0;/a.wav\n0;/b.wav\n");
    const std::string typed = folder.Write("gespeichert", kHeader + "0;/c.wav\n");
    ASSERT_EQ(
        ::setxattr(typed.c_str(), "user.mime_type", kListMimeType, std::strlen(kListMimeType), 0),
        0);
    const std::string sheet = folder.Write("dunkel.qss", "QWidget { color: black; }\n");
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"two audio files", {one, two}, {one, two}},
        {"an audio file, then a list file", {one, list}, {"/a.wav", "/b.wav"}},
        {"a list file first", {list, one, two}, {"/a.wav", "/b.wav"}},
        {"a list file by its type", {typed, one}, {"/c.wav"}},
        {"Qt's options", {"-stylesheet", sheet, "-style", "Fusion", one}, {one}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        RunningApp running(row.arguments);
        ASSERT_TRUE(running.shown) << "an alert held up the start";
        // The first picture of the window already holds the entries.
        EXPECT_EQ(RowsWhenShown(), row.entries);
        EXPECT_EQ(StateOf(running.window).texts, row.entries);
    }
}

TEST(LaunchFile, AMissingOneIsReportedAndLeavesTheListEmpty) {
    TempDir folder;
    auto answer = std::async(std::launch::async, [] { return driver::AnswerAlert("OK"); });
    RunningApp running({folder.File("fehlt.mvl")});
    std::optional<driver::AlertInfo> alert = answer.get();
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "OpenOpenError");
    ASSERT_TRUE(running.shown);
    EXPECT_EQ(StateOf(running.window), (ListState{{}, {}, false, false, false, false}));
}

TEST(PanelReplies, ReachTheListThroughTheApplication) {
    TempDir folder;
    std::string file = folder.Write("gewählt.mvl", kHeader + "0;/gewählt.wav\n");
    std::string link = folder.File("verweis.mvl");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    RunningApp running;
    ASSERT_TRUE(running.shown);
    MainWindow* window = running.window;

    // Replies without their fields do nothing; the full reply behind them
    // shows when they have been handled.
    ASSERT_EQ(be_app_messenger.SendMessage(cmd::OLPM), B_OK);
    BMessage noName(cmd::SLPM);
    entry_ref folderRef;
    ASSERT_EQ(get_ref_for_path(folder.Path().c_str(), &folderRef), B_OK);
    noName.AddRef("directory", &folderRef);
    ASSERT_EQ(be_app_messenger.SendMessage(&noName), B_OK);
    BMessage open(cmd::OLPM);
    entry_ref linkRef;
    ASSERT_EQ(get_ref_for_path(link.c_str(), &linkRef), B_OK);
    open.AddRef("refs", &linkRef);
    ASSERT_EQ(be_app_messenger.SendMessage(&open), B_OK);
    ASSERT_TRUE(WaitForList(window, [](const ListState& state) { return !state.texts.empty(); }));
    EXPECT_EQ(StateOf(window).texts, std::vector<std::string>{"/gewählt.wav"});
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"gewählt.mvl", "verweis.mvl"}));

    Locked(window, [&] {
        window->filesList->AddFile("/dazu.wav");
        return true;
    });
    BMessage save(cmd::SLPM);
    save.AddRef("directory", &folderRef);
    save.AddString("name", "gespeichert.mvl");
    ASSERT_EQ(be_app_messenger.SendMessage(&save), B_OK);
    ASSERT_TRUE(WaitForList(window, [&](const ListState&) {
        return ReadFileText(folder.File("gespeichert.mvl")) ==
               kHeader + "0;/gewählt.wav\n0;/dazu.wav\n";
    }));
}

#include "FileListTesting.h"

#include "app/Commands.h"
#include "filelist/ListFile.h"
#include "support/ListDriver.h"
#include "support/PanelDriver.h"
#include "support/TempDir.h"
#include <kit/interface/BScrollView.h>
#include <kit/storage/BFilePanel.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <unistd.h>

using namespace filelist_testing;

namespace {

class FilesListTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(running.shown);
        window = running.window;
        list = window->filesList;
    }

    // The state once the list has settled on the expected selection, and
    // once the real buttons show what the kit holds.
    ListState Settled(const std::vector<int>& selection) {
        WaitForList(window, [&](const ListState& state) { return state.selection == selection; });
        ListState state = StateOf(window);
        EXPECT_TRUE(driver::WaitFor([&] {
            return driver::Widget(kMainTitle, "EncodeButton").enabled == state.encode &&
                   driver::Widget(kMainTitle, "RemoveFiles").enabled == state.remove &&
                   driver::Widget(kMainTitle, "MoveUp").enabled == state.up &&
                   driver::Widget(kMainTitle, "MoveDown").enabled == state.down;
        }));
        return state;
    }

    RunningApp running;
    MainWindow* window = nullptr;
    FilesList* list = nullptr;
};

} // namespace

TEST_F(FilesListTest, TheButtonsFollowEveryOperationAndSelection) {
    using driver::ListKey;
    using driver::Modifier;
    auto locked = [&](std::function<void()> work) {
        return [this, work] {
            Locked(window, [&] {
                work();
                return true;
            });
        };
    };
    auto click = [](int row, Modifier modifier = Modifier::None) {
        return [=] { ASSERT_TRUE(driver::ClickRow(kMainTitle, "FilesList", row, modifier)); };
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        ListState expected;
    };
    const Step steps[] = {
        {"start", [] {}, {{}, {}, false, false, false, false}},
        {"the same path twice and another",
         [&] {
             list->AddFile("/a.wav");
             list->AddFile("/b.wav");
             list->AddFile("/a.wav");
         },
         {{"/a.wav", "/b.wav", "/a.wav"}, {}, true, false, false, false}},
        {"select the middle one",
         click(1),
         {{"/a.wav", "/b.wav", "/a.wav"}, {1}, true, true, true, true}},
        {"move it up",
         locked([&] { list->MoveUp(); }),
         {{"/b.wav", "/a.wav", "/a.wav"}, {0}, true, true, false, true}},
        {"move up at the top",
         locked([&] { list->MoveUp(); }),
         {{"/b.wav", "/a.wav", "/a.wav"}, {0}, true, true, false, true}},
        {"select the last",
         click(2),
         {{"/b.wav", "/a.wav", "/a.wav"}, {2}, true, true, true, false}},
        {"move down at the bottom",
         locked([&] { list->MoveDown(); }),
         {{"/b.wav", "/a.wav", "/a.wav"}, {2}, true, true, true, false}},
        {"insert before the selection",
         locked([&] { list->AddItem(new BStringItem("/c.wav"), 0); }),
         {{"/c.wav", "/b.wav", "/a.wav", "/a.wav"}, {3}, true, true, true, false}},
        {"move it down from the middle",
         [&] {
             click(1)();
             WaitForList(window,
                         [](const ListState& s) { return s.selection == std::vector<int>{1}; });
             Locked(window, [&] {
                 list->MoveDown();
                 return true;
             });
         },
         {{"/c.wav", "/a.wav", "/b.wav", "/a.wav"}, {2}, true, true, true, true}},
        {"add a second with Ctrl",
         click(0, Modifier::Control),
         {{"/c.wav", "/a.wav", "/b.wav", "/a.wav"}, {0, 2}, true, true, false, false}},
        {"two selected move nowhere",
         locked([&] {
             list->MoveUp();
             list->MoveDown();
         }),
         {{"/c.wav", "/a.wav", "/b.wav", "/a.wav"}, {0, 2}, true, true, false, false}},
        {"remove both",
         locked([&] { list->RemoveFiles(); }),
         {{"/a.wav", "/a.wav"}, {}, true, false, false, false}},
        {"remove with nothing selected",
         locked([&] { list->RemoveFiles(); }),
         {{"/a.wav", "/a.wav"}, {}, true, false, false, false}},
        {"select all with the keys",
         [] { ASSERT_TRUE(driver::PressKey(kMainTitle, "FilesList", ListKey::SelectAll)); },
         {{"/a.wav", "/a.wav"}, {0, 1}, true, true, false, false}},
        {"no key removes",
         [] { ASSERT_TRUE(driver::PressKey(kMainTitle, "FilesList", ListKey::Delete)); },
         {{"/a.wav", "/a.wav"}, {0, 1}, true, true, false, false}},
        {"remove the last entries",
         locked([&] { list->RemoveFiles(); }),
         {{}, {}, false, false, false, false}},
        {"remove from the empty list",
         locked([&] { list->RemoveFiles(); }),
         {{}, {}, false, false, false, false}},
        {"one entry selected",
         [&] {
             list->AddFile("/d.wav");
             WaitForList(window, [](const ListState& s) { return s.texts.size() == 1; });
             click(0)();
         },
         {{"/d.wav"}, {0}, true, true, false, false}},
        {"arrow keys stay in the list",
         [] { ASSERT_TRUE(driver::PressKey(kMainTitle, "FilesList", ListKey::Down)); },
         {{"/d.wav"}, {0}, true, true, false, false}},
        {"clear", locked([&] { list->Clear(); }), {{}, {}, false, false, false, false}},
    };
    for (const Step& step : steps) {
        step.act();
        ListState state = Settled(step.expected.selection);
        EXPECT_EQ(state, step.expected) << step.what;
        EXPECT_EQ(Locked(window, [&] { return list->CountSelected(); }),
                  int32(step.expected.selection.size()))
            << step.what;
    }
    EXPECT_EQ(driver::ListRows(kMainTitle, "FilesList"), std::vector<std::string>{});
}

TEST_F(FilesListTest, TheFilesPageIsLaidOutAndWiredAsDesigned) {
    Locked(window, [&] {
        FilesView* page = window->tabView->filesView;
        EXPECT_STREQ(page->Name(), "Dateien");
        EXPECT_EQ(page->ResizingMode(), uint32(B_FOLLOW_NONE));
        EXPECT_EQ(page->Flags(), 0u);
        const float W = page->Bounds().right;
        const float H = page->Bounds().bottom;

        // The children in the order they were added.
        std::vector<BView*> children;
        for (int32 i = 0; i < page->CountChildren(); ++i)
            children.push_back(page->ChildAt(i));
        EXPECT_EQ(children,
                  (std::vector<BView*>{page->removeButton, page->addButton, page->upButton,
                                       page->downButton, page->scrollView}));

        struct Expected {
            BButton* button;
            const char* name;
            const char* label;
            uint32 command;
            float left;
            uint32 mode;
            bool enabled;
        };
        // The right pair stays at W - 74 and W - 153 unless a label needs more
        // than its slot of 74.
        auto slot = [](BButton* button) { return std::max(74.0f, button->Frame().Width()); };
        const float removeLeft = W - slot(page->removeButton);
        const Expected buttons[] = {
            {page->removeButton, "RemoveFiles", "Entfernen", cmd::REMV, removeLeft,
             B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, false},
            {page->addButton, "AddFiles", "Hinzufügen...", cmd::ADDF,
             removeLeft - 5 - slot(page->addButton), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, true},
            {page->upButton, "MoveUp", "Nach oben schieben", cmd::MVUP, 0,
             B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, false},
            {page->downButton, "MoveDown", "Nach unten schieben", cmd::MVDN,
             page->upButton->Frame().right + 5, B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, false},
        };
        for (const Expected& expected : buttons) {
            BButton* button = expected.button;
            EXPECT_STREQ(button->Name(), expected.name);
            EXPECT_STREQ(button->Label(), expected.label);
            EXPECT_EQ(button->Command(), expected.command) << expected.name;
            EXPECT_FALSE(button->Messenger().IsValid()) << expected.name << " sends to its window";
            EXPECT_EQ(button->Frame().left, expected.left) << expected.name;
            EXPECT_EQ(button->Frame().top, H - 24) << expected.name;
            EXPECT_EQ(button->ResizingMode(), expected.mode) << expected.name;
            EXPECT_EQ(button->Flags(), uint32(B_WILL_DRAW | B_NAVIGABLE)) << expected.name;
            EXPECT_EQ(button->IsEnabled(), expected.enabled) << expected.name;
            float width = 0, height = 0;
            button->GetPreferredSize(&width, &height);
            // Never narrower than the layouts' 75-pixel slot.
            EXPECT_EQ(button->Frame().Width(), std::max(74.0f, width)) << expected.name;
            EXPECT_EQ(button->Frame().Height(), height) << expected.name;
        }

        BScrollView* scroll = page->scrollView;
        EXPECT_STREQ(scroll->Name(), "FilesScroll");
        EXPECT_EQ(scroll->Frame(), BRect(0, 0, W, H - 29));
        EXPECT_EQ(scroll->ResizingMode(), uint32(B_FOLLOW_ALL_SIDES));
        EXPECT_EQ(scroll->Flags(), uint32(B_WILL_DRAW));
        EXPECT_EQ(scroll->Border(), B_FANCY_BORDER);
        EXPECT_TRUE(scroll->HasVerticalScrollBar());
        EXPECT_FALSE(scroll->HasHorizontalScrollBar());

        FilesList* files = page->filesList;
        EXPECT_EQ(files, list);
        EXPECT_EQ(scroll->Target(), files);
        EXPECT_STREQ(files->Name(), "FilesList");
        EXPECT_EQ(files->Frame(), BRect(2, 2, W - 16, H - 31));
        EXPECT_EQ(files->ListType(), B_MULTIPLE_SELECTION_LIST);
        EXPECT_EQ(files->ResizingMode(), uint32(B_FOLLOW_ALL_SIDES));
        EXPECT_EQ(files->Flags(), uint32(B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE));
        EXPECT_EQ(files->mainWindow, window);
        EXPECT_EQ(files->encodeButton, window->encodeButton);
        EXPECT_EQ(files->removeButton, page->removeButton);
        EXPECT_EQ(files->upButton, page->upButton);
        EXPECT_EQ(files->downButton, page->downButton);

        EXPECT_STREQ(page->addPanel->Window()->Title(), "Dateien hinzfügen");
        EXPECT_EQ(page->addPanel->PanelMode(), B_OPEN_PANEL);
        EXPECT_TRUE(page->addPanel->HidesWhenDone());
        EXPECT_STREQ(files->openPanel->Window()->Title(), "Liste öffnen");
        EXPECT_EQ(files->openPanel->PanelMode(), B_OPEN_PANEL);
        EXPECT_STREQ(files->savePanel->Window()->Title(), "Liste speichern");
        EXPECT_EQ(files->savePanel->PanelMode(), B_SAVE_PANEL);
        return true;
    });

    // The real widgets: the list inside the framed scroll view, its bar on
    // the right, within the page.
    driver::WidgetInfo scroll = driver::Widget(kMainTitle, "FilesScroll");
    driver::WidgetInfo files = driver::Widget(kMainTitle, "FilesList");
    ASSERT_TRUE(scroll.exists && files.exists);
    EXPECT_EQ(files.x, 2);
    EXPECT_EQ(files.y, 2);
    EXPECT_EQ(files.width + 4 + 14, scroll.width);
    driver::ScrollBarInfo bar = driver::VerticalScrollBar(kMainTitle, "FilesScroll");
    EXPECT_TRUE(bar.visible);
    EXPECT_EQ(bar.x, 2 + files.width);
    EXPECT_EQ(bar.height, scroll.height - 4);
}

TEST_F(FilesListTest, ThePanelsForListsShowWithTheirLabels) {
    Locked(window, [&] {
        list->ShowOpen();
        return true;
    });
    ASSERT_TRUE(driver::WaitForPanelShown("Liste öffnen"));
    driver::PanelInfo open = driver::Panel("Liste öffnen");
    EXPECT_EQ(open.acceptLabel, "Öffnen");
    EXPECT_EQ(open.cancelLabel, "Abbrechen");
    EXPECT_TRUE(open.applicationModal);
    EXPECT_TRUE(driver::PressCancel("Liste öffnen"));
    ASSERT_TRUE(driver::WaitForPanelHidden("Liste öffnen"));

    Locked(window, [&] {
        list->ShowSave();
        return true;
    });
    ASSERT_TRUE(driver::WaitForPanelShown("Liste speichern"));
    driver::PanelInfo save = driver::Panel("Liste speichern");
    EXPECT_EQ(save.acceptLabel, "Speichern");
    EXPECT_EQ(save.cancelLabel, "Abbrechen");
    EXPECT_TRUE(driver::PressCancel("Liste speichern"));
    EXPECT_TRUE(driver::WaitForPanelHidden("Liste speichern"));
}

TEST_F(FilesListTest, DroppedFilesFoldersAndLinksBecomeEntriesInTheirOrder) {
    TempDir folder;
    std::string file = folder.Write("lied.wav", "");
    std::string sub = folder.File("Album");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    std::string link = folder.File("verweis");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    std::string listFile = folder.Write("liste.mvl", std::string(ListFile::kHeader) + "0;/x\n");

    Locked(window, [&] {
        list->AddFile("/vorher.wav");
        return true;
    });
    std::string uris = "file://" + file + "\r\nfile://" + sub + "\r\nfile://" + link +
                       "\r\nhttps://example.org/fern.wav\r\nfile://" + listFile + "\r\n";
    ASSERT_TRUE(driver::DropUriList(kMainTitle, "FilesList", uris));
    ASSERT_TRUE(WaitForList(window, [](const ListState& s) { return s.texts.size() == 5; }));
    EXPECT_EQ(StateOf(window).texts,
              (std::vector<std::string>{"/vorher.wav", file, sub, file, listFile}));

    // Messages that are no drop of files change nothing; a drop behind them
    // shows when they have been handled.
    BMessage other(four_cc("XXXX"));
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(file.c_str(), &ref), B_OK);
    other.AddRef("refs", &ref);
    BMessenger toList(list);
    ASSERT_EQ(toList.SendMessage(&other), B_OK);
    ASSERT_EQ(toList.SendMessage(B_SIMPLE_DATA), B_OK);
    BMessage marker(B_SIMPLE_DATA);
    marker.AddRef("refs", &ref);
    ASSERT_EQ(toList.SendMessage(&marker), B_OK);
    ASSERT_TRUE(WaitForList(window, [](const ListState& s) { return s.texts.size() >= 6; }));
    EXPECT_EQ(CountEntries(window), 6);
}

TEST_F(FilesListTest, TenThousandDroppedFilesArriveInOrder) {
    TempDir folder;
    std::string uris;
    std::vector<std::string> expected;
    for (int i = 0; i < 10000; ++i) {
        std::string name = "stück " + std::to_string(i) + ".wav";
        std::string path = folder.File(name);
        std::ofstream(path).put('x');
        expected.push_back(path);
        uris += "file://" + folder.Path() + "/st%C3%BCck%20" + std::to_string(i) + ".wav\r\n";
    }
    ASSERT_TRUE(driver::DropUriList(kMainTitle, "FilesList", uris));
    ASSERT_TRUE(WaitForList(window, [](const ListState& s) { return s.texts.size() == 10000; }));
    ListState state = StateOf(window);
    EXPECT_EQ(state.texts, expected);
    EXPECT_TRUE(state.encode);
    EXPECT_FALSE(state.remove);
    EXPECT_TRUE(
        driver::WaitFor([] { return driver::ListRows(kMainTitle, "FilesList").size() == 10000; }));
}

TEST_F(FilesListTest, ADropIsTakenAsACopySoThatItsSourceKeepsTheFiles) {
    // A file manager deletes what it moved once the target says it took a
    // move; whatever the source proposes, the list takes a copy, and a
    // source that cannot copy is refused.
    using driver::DropAction;
    TempDir folder;
    std::string file = folder.Write("bleibt.wav", "RIFF");
    const std::string uris = "file://" + file + "\r\n";
    struct Case {
        const char* name;
        std::vector<DropAction> offered;
        driver::Modifier modifier;
        std::string taken;
    };
    const Case cases[] = {
        {"copy or move", {DropAction::Copy, DropAction::Move}, driver::Modifier::None, "copy"},
        {"move asked for with Shift",
         {DropAction::Copy, DropAction::Move, DropAction::Link},
         driver::Modifier::Shift,
         "copy"},
        {"copy only", {DropAction::Copy}, driver::Modifier::None, "copy"},
        {"move only", {DropAction::Move}, driver::Modifier::None, ""},
    };
    size_t entries = 0;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            driver::DropUriListOffering(kMainTitle, "FilesList", uris, row.offered, row.modifier),
            row.taken);
        if (!row.taken.empty())
            ++entries;
        ASSERT_TRUE(
            WaitForList(window, [&](const ListState& s) { return s.texts.size() == entries; }));
    }
    EXPECT_EQ(StateOf(window).texts, std::vector<std::string>(entries, file));
}

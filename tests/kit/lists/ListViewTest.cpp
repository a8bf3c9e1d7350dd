#include "support/DisplayDriver.h"
#include "support/ListDriver.h"
#include "support/TempDir.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BMessenger.h>
#include <kit/display/UriList.h>
#include <kit/interface/BListView.h>
#include <kit/interface/BScrollView.h>
#include <kit/interface/BStringItem.h>
#include <kit/interface/BWindow.h>
#include <kit/interface/private/InterfacePrivate.h>
#include <kit/storage/BPath.h>

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr const char* kTitle = "Listen";

// A list that counts its selection hooks and keeps the paths of the files
// dropped on it, one list of paths per drop message.
class RecordingList : public BListView {
public:
    RecordingList(BRect frame, list_view_type type) : BListView(frame, "Rows", type) {}

    void SelectionChanged() override { ++selectionChanges; }
    void MessageReceived(BMessage* message) override {
        if (message->what != B_SIMPLE_DATA) {
            BListView::MessageReceived(message);
            return;
        }
        std::vector<std::string> paths;
        entry_ref ref;
        for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; ++i)
            paths.push_back(BPath(&ref).Path() ? BPath(&ref).Path() : "");
        std::lock_guard guard(mutex);
        drops.push_back(paths);
    }

    std::atomic<int> selectionChanges{0};
    std::mutex mutex;
    std::vector<std::vector<std::string>> drops;
};

std::vector<int> Selection(const BListView* list) {
    std::vector<int> rows;
    for (int32 k = 0; list->CurrentSelection(k) != -1; ++k)
        rows.push_back(list->CurrentSelection(k));
    return rows;
}

std::vector<std::string> Texts(const BListView* list) {
    std::vector<std::string> texts;
    for (int32 i = 0; i < list->CountItems(); ++i)
        texts.emplace_back(static_cast<BStringItem*>(list->ItemAt(i))->Text());
    return texts;
}

void Fill(BListView* list, std::initializer_list<const char*> texts) {
    for (const char* text : texts)
        list->AddItem(new BStringItem(text));
}

void DeleteAll(BListView* list) {
    while (BListItem* item = list->RemoveItem(list->CountItems() - 1))
        delete item;
}

// A shown window holding a list in a scroll view.
class ShownList : public testing::Test {
protected:
    void Show(list_view_type type) {
        window = new BWindow(BRect(100, 100, 399, 399), kTitle, B_TITLED_WINDOW, 0);
        list = new RecordingList(BRect(10, 10, 209, 209), type);
        scroll = new BScrollView("Scroll", list, B_FOLLOW_ALL_SIDES, 0, false, true);
        window->AddChild(scroll);
        window->Show();
        ASSERT_TRUE(driver::WaitForWidget(kTitle, "Rows"));
    }

    void TearDown() override {
        if (window != nullptr && window->Lock()) {
            DeleteAll(list);
            window->Quit();
        }
        // The next test's window has the same title: this one must be gone.
        EXPECT_TRUE(driver::WaitFor([] { return !driver::Window(kTitle).exists; }));
    }

    // Runs work under the window's lock.
    template <class T>
    T Locked(const std::function<T()>& work) {
        window->Lock();
        T result = work();
        window->Unlock();
        return result;
    }

    // Waits until the list view itself holds this selection.
    bool WaitForSelection(const std::vector<int>& expected) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Locked<std::vector<int>>([&] { return Selection(list); }) == expected)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    bool WaitForShownRows(size_t count) {
        return driver::WaitFor([&] { return driver::ListRows(kTitle, "Rows").size() == count; });
    }

    BWindow* window = nullptr;
    RecordingList* list = nullptr;
    BScrollView* scroll = nullptr;
};

} // namespace

TEST(ListViewModel, SelectionFollowsItsRowsThroughInsertsRemovalsAndMoves) {
    RecordingList list(BRect(0, 0, 99, 99), B_MULTIPLE_SELECTION_LIST);
    Fill(&list, {"A", "B", "C", "D", "E"});
    list.Select(1);
    list.Select(3, true);
    EXPECT_EQ(Selection(&list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.selectionChanges, 2);

    struct Step {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> texts;
        std::vector<int> selection;
    };
    auto* x = new BStringItem("X");
    const Step steps[] = {
        {"insert before all", [&] { list.AddItem(x, 0); }, {"X", "A", "B", "C", "D", "E"}, {2, 4}},
        {"remove a selected row",
         [&] { delete list.RemoveItem(2); },
         {"X", "A", "C", "D", "E"},
         {3}},
        {"move the selected row to the top",
         [&] { list.MoveItem(3, 0); },
         {"D", "X", "A", "C", "E"},
         {0}},
        {"move another row over it", [&] { list.MoveItem(4, 0); }, {"E", "D", "X", "A", "C"}, {1}},
        {"append behind it",
         [&] { list.AddItem(new BStringItem("F")); },
         {"E", "D", "X", "A", "C", "F"},
         {1}},
        {"select a run",
         [&] { list.Select(2, 4, true); },
         {"E", "D", "X", "A", "C", "F"},
         {1, 2, 3, 4}},
        {"remove a run across it",
         [&] {
             BListItem* gone[] = {list.ItemAt(3), list.ItemAt(4)};
             list.RemoveItems(3, 2);
             for (BListItem* item : gone)
                 delete item;
         },
         {"E", "D", "X", "F"},
         {1, 2}},
        {"deselect one", [&] { list.Deselect(1); }, {"E", "D", "X", "F"}, {2}},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_EQ(Texts(&list), step.texts) << step.what;
        EXPECT_EQ(Selection(&list), step.selection) << step.what;
        for (int32 i = 0; i < list.CountItems(); ++i)
            EXPECT_EQ(list.ItemAt(i)->IsSelected(),
                      std::count(step.selection.begin(), step.selection.end(), i) == 1)
                << step.what << ", row " << i;
    }
    EXPECT_EQ(list.IndexOf(x), 2);
    EXPECT_EQ(list.CurrentSelection(-1), -1);
    EXPECT_EQ(list.CurrentSelection(1), -1);

    // Taking out the selection hands the items over in list order.
    list.Select(0);
    list.Select(3, true);
    std::vector<BListItem*> removed = list.RemoveSelectedItems();
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_STREQ(static_cast<BStringItem*>(removed[0])->Text(), "E");
    EXPECT_STREQ(static_cast<BStringItem*>(removed[1])->Text(), "F");
    EXPECT_EQ(Texts(&list), (std::vector<std::string>{"D", "X"}));
    EXPECT_EQ(list.CurrentSelection(0), -1);
    for (BListItem* item : removed)
        delete item;
    DeleteAll(&list);
}

TEST(ListViewModel, RefusesItemsThatCannotGoIn) {
    BListView list(BRect(0, 0, 99, 99), "List", B_MULTIPLE_SELECTION_LIST);
    BListView other(BRect(0, 0, 99, 99), "Other");
    auto* a = new BStringItem("A");
    auto* b = new BStringItem("B");
    auto* c = new BStringItem("C");
    ASSERT_TRUE(list.AddItem(a));
    ASSERT_TRUE(other.AddItem(c));
    EXPECT_FALSE(list.AddItem(nullptr));
    EXPECT_FALSE(list.AddItem(a)) << "an item already in the list";
    EXPECT_FALSE(list.AddItem(c)) << "an item of another list";
    EXPECT_FALSE(list.AddItem(b, 2));
    EXPECT_FALSE(list.AddItem(b, -1));
    EXPECT_FALSE(list.AddList({b, b})) << "an item given twice";
    EXPECT_FALSE(list.AddList({b, a}));
    EXPECT_EQ(list.CountItems(), 1);
    EXPECT_TRUE(list.AddList({b}, 0)) << "b is free again after the refusals";
    EXPECT_EQ(Texts(&list), (std::vector<std::string>{"B", "A"}));
    EXPECT_FALSE(list.MoveItem(0, 2));
    EXPECT_FALSE(list.RemoveItems(1, 2));
    EXPECT_EQ(list.RemoveItem(5), nullptr);
    EXPECT_EQ(list.IndexOf(c), -1);

    // A single-selection list selects one row whatever it is asked.
    BListView single(BRect(0, 0, 99, 99), "Single", B_SINGLE_SELECTION_LIST);
    Fill(&single, {"1", "2", "3"});
    single.Select(0, 2);
    EXPECT_EQ(Selection(&single), (std::vector<int>{0}));
    single.Select(2, true);
    EXPECT_EQ(Selection(&single), (std::vector<int>{2}));
    DeleteAll(&single);
    DeleteAll(&list);
    DeleteAll(&other);

    // Text keeps every byte but the first NUL and what follows it.
    BStringItem bytes(std::string("a\xff\x01;b\0c", 7));
    EXPECT_EQ(std::string(bytes.Text()), std::string("a\xff\x01;b"));
}

TEST_F(ShownList, TheDisplayShowsTheRowsAndTheSelectionOfTheList) {
    Show(B_MULTIPLE_SELECTION_LIST);
    // Bytes that are not UTF-8 are shown as replacement marks and kept.
    const std::string odd = "/musik/caf\xe9/\xff.wav";
    Locked<bool>([&] {
        Fill(list, {"eins", "zwei", "drei"});
        list->AddItem(new BStringItem(odd.c_str()), 1);
        list->Select(2, 3);
        return true;
    });
    EXPECT_TRUE(driver::WaitFor([] {
        return driver::ListRows(kTitle, "Rows") ==
               std::vector<std::string>{"eins", "/musik/caf\xEF\xBF\xBD/\xEF\xBF\xBD.wav", "zwei",
                                        "drei"};
    }));
    EXPECT_EQ(Locked<std::string>(
                  [&] { return std::string(static_cast<BStringItem*>(list->ItemAt(1))->Text()); }),
              odd);
    EXPECT_TRUE(driver::WaitFor([] {
        return driver::ListSelection(kTitle, "Rows") == std::vector<int>{2, 3};
    }));

    // Many changes under one lock reach the display as one batch; every
    // kind of change ends up in the same rows as the list's.
    Locked<bool>([&] {
        for (int i = 0; i < 20000; ++i)
            list->AddItem(new BStringItem(std::to_string(i).c_str()));
        delete list->RemoveItem(0);
        list->MoveItem(0, 5);
        for (int i = 0; i < 3000; ++i)
            delete list->RemoveItem(list->CountItems() - 1);
        list->Select(10, 20);
        return true;
    });
    ASSERT_TRUE(WaitForShownRows(17003));
    std::vector<std::string> expected = Locked<std::vector<std::string>>([&] {
        std::vector<std::string> texts;
        for (int32 i = 0; i < list->CountItems(); ++i)
            texts.emplace_back(static_cast<BStringItem*>(list->ItemAt(i))->Text());
        return texts;
    });
    ASSERT_EQ(expected[5], odd);
    expected[5] = "/musik/caf\xEF\xBF\xBD/\xEF\xBF\xBD.wav";
    EXPECT_EQ(driver::ListRows(kTitle, "Rows"), expected);
    std::vector<int> run;
    for (int i = 10; i <= 20; ++i)
        run.push_back(i);
    EXPECT_TRUE(driver::WaitFor([&] { return driver::ListSelection(kTitle, "Rows") == run; }));

    // The scroll bar beside the list scrolls its rows.
    driver::ScrollBarInfo bar = driver::VerticalScrollBar(kTitle, "Scroll");
    ASSERT_TRUE(bar.exists);
    EXPECT_TRUE(bar.visible);
    EXPECT_GT(bar.maximum, 0);
    EXPECT_EQ(bar.width, 14);
    EXPECT_EQ(bar.x, 2 + 200);
}

TEST_F(ShownList, ClicksAndKeysSelectAsInAnyListOfTheDesktop) {
    Show(B_MULTIPLE_SELECTION_LIST);
    Locked<bool>([&] {
        for (int i = 0; i < 10; ++i)
            list->AddItem(new BStringItem(("Zeile " + std::to_string(i)).c_str()));
        return true;
    });
    ASSERT_TRUE(WaitForShownRows(10));
    using driver::ListKey;
    using driver::Modifier;
    struct Step {
        const char* what;
        std::function<bool()> act;
        std::vector<int> selection;
    };
    auto click = [](int row, Modifier modifier = Modifier::None) {
        return [=] { return driver::ClickRow(kTitle, "Rows", row, modifier); };
    };
    auto key = [](ListKey pressed, Modifier modifier = Modifier::None) {
        return [=] { return driver::PressKey(kTitle, "Rows", pressed, modifier); };
    };
    const Step steps[] = {
        {"click", click(2), {2}},
        {"Ctrl-click adds", click(4, Modifier::Control), {2, 4}},
        {"Ctrl-click takes away", click(2, Modifier::Control), {4}},
        {"Shift-click selects the run from the last click",
         click(6, Modifier::Shift),
         {2, 3, 4, 5, 6}},
        {"Down", key(ListKey::Down), {7}},
        {"Shift+Down", key(ListKey::Down, Modifier::Shift), {7, 8}},
        {"Up", key(ListKey::Up), {7}},
        {"Home", key(ListKey::Home), {0}},
        {"End", key(ListKey::End), {9}},
        {"Ctrl+A", key(ListKey::SelectAll), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"Delete removes nothing", key(ListKey::Delete), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"click again", click(3), {3}},
    };
    for (const Step& step : steps) {
        int before = list->selectionChanges;
        ASSERT_TRUE(step.act()) << step.what;
        EXPECT_TRUE(WaitForSelection(step.selection)) << step.what;
        EXPECT_EQ(driver::ListSelection(kTitle, "Rows"), step.selection) << step.what;
        if (std::string(step.what) != "Delete removes nothing") {
            EXPECT_GT(list->selectionChanges, before) << step.what;
        }
    }
    EXPECT_EQ(Locked<int32>([&] { return list->CountItems(); }), 10);
}

TEST_F(ShownList, ASingleSelectionListKeepsOneRow) {
    Show(B_SINGLE_SELECTION_LIST);
    Locked<bool>([&] {
        Fill(list, {"a", "b", "c"});
        return true;
    });
    ASSERT_TRUE(WaitForShownRows(3));
    ASSERT_TRUE(driver::ClickRow(kTitle, "Rows", 0));
    ASSERT_TRUE(WaitForSelection({0}));
    ASSERT_TRUE(driver::ClickRow(kTitle, "Rows", 2, driver::Modifier::Control));
    EXPECT_TRUE(WaitForSelection({2}));
    ASSERT_TRUE(driver::PressKey(kTitle, "Rows", driver::ListKey::SelectAll));
    driver::Settle();
    EXPECT_TRUE(WaitForSelection({2}));
}

TEST_F(ShownList, AChoiceAmongRowsThatHaveMovedSinceIsRefused) {
    Show(B_MULTIPLE_SELECTION_LIST);
    Locked<bool>([&] {
        Fill(list, {"a", "b", "c", "d"});
        list->Select(3);
        return true;
    });
    ASSERT_TRUE(driver::WaitFor([] { return driver::ListSelection(kTitle, "Rows").size() == 1; }));
    // The display reports a choice made on the rows of an older state.
    BMessage stale(kit_private::kSelectionMade);
    stale.AddInt64("generation", 0);
    stale.AddInt32("first", 0);
    stale.AddInt32("last", 1);
    int before = list->selectionChanges;
    ASSERT_EQ(BMessenger(list).SendMessage(&stale), B_OK);
    // A marker sent behind it tells when the choice has been handled.
    ASSERT_EQ(BMessenger(list).SendMessage(B_SIMPLE_DATA), B_OK);
    ASSERT_TRUE(driver::WaitFor([&] {
        std::lock_guard guard(list->mutex);
        return !list->drops.empty();
    }));
    EXPECT_EQ(Locked<std::vector<int>>([&] { return Selection(list); }), (std::vector<int>{3}));
    EXPECT_EQ(list->selectionChanges, before);
    EXPECT_EQ(driver::ListSelection(kTitle, "Rows"), (std::vector<int>{3}));
}

TEST_F(ShownList, AScrollViewDestroyedWhileItsListHasTheFocusEndsCleanly) {
    Show(B_SINGLE_SELECTION_LIST);
    Locked<bool>([&] {
        list->MakeFocus(true);
        return true;
    });
    ASSERT_TRUE(driver::WaitFor([] {
        QWidget* focused = QApplication::focusWidget();
        return focused != nullptr && focused->objectName() == QStringLiteral("Rows");
    }));
    // A window's widgets go while the focus may still be in the list, when
    // the window goes before the desktop has told it that it is no longer
    // active. The list gives up the focus as it is destroyed: the frame
    // drawn around a focused list must not hear of that once its own
    // destruction has begun (the sanitizer builds see such a call).
    EXPECT_TRUE(driver::OnDisplay<bool>([] {
        QWidget* focused = QApplication::focusWidget();
        QWidget* frame = focused != nullptr ? focused->parentWidget() : nullptr;
        while (frame != nullptr && frame->objectName() != QStringLiteral("Scroll"))
            frame = frame->parentWidget();
        delete frame;
        return frame != nullptr && QApplication::focusWidget() == nullptr;
    }));
}

TEST_F(ShownList, DroppedFilesArriveAsOneMessageInTheirOrder) {
    Show(B_MULTIPLE_SELECTION_LIST);
    TempDir folder;
    std::string a = folder.Write("a.wav", "");
    std::string spaced = folder.Write("b c.wav", "");
    std::string odd = folder.Write("\xff\xfe.wav", "");
    std::string uris = "# a file manager's comment\r\n"
                       "file://" +
                       spaced.substr(0, spaced.rfind('/')) + "/b%20c.wav\r\n" +
                       "http://example.org/remote.wav\r\n" + "file://localhost" + a + "\r\n" +
                       "file://far.away.invalid" + a + "\r\n" + "file://" + folder.Path() +
                       "/%FF%FE.wav\n";
    ASSERT_TRUE(driver::DropUriList(kTitle, "Rows", uris));
    // Plain text is no drop of files.
    EXPECT_FALSE(driver::DropText(kTitle, "Rows", "file://" + a));
    ASSERT_TRUE(driver::WaitFor([&] {
        std::lock_guard guard(list->mutex);
        return !list->drops.empty();
    }));
    driver::Settle();
    std::lock_guard guard(list->mutex);
    ASSERT_EQ(list->drops.size(), 1u);
    EXPECT_EQ(list->drops[0], (std::vector<std::string>{spaced, a, odd}));
}

TEST(ScrollView, SurroundsItsTargetWithTheBorderAndTheBar) {
    auto* target = new BView(BRect(10, 20, 109, 219), "Target", B_FOLLOW_ALL_SIDES, 0);
    BScrollView scroll("Scroll", target, B_FOLLOW_ALL_SIDES, B_WILL_DRAW, false, true,
                       B_FANCY_BORDER);
    EXPECT_EQ(scroll.Frame(), BRect(8, 18, 125, 221));
    EXPECT_EQ(target->Frame(), BRect(2, 2, 101, 201));
    EXPECT_EQ(target->Parent(), &scroll);
    EXPECT_EQ(scroll.Target(), target);
    EXPECT_TRUE(scroll.HasVerticalScrollBar());
    EXPECT_FALSE(scroll.HasHorizontalScrollBar());
    // The target follows the scroll view's size.
    scroll.ResizeBy(10, 20);
    EXPECT_EQ(target->Frame(), BRect(2, 2, 111, 221));
}

TEST(UriList, APercentIsAnEscapeOnlyBeforeTwoHexDigits) {
    struct Case {
        const char* uri;
        const char* path; // nullptr: the line names no file
    };
    const Case cases[] = {
        {"file:///st%C3%BCck%20a.wav", "/stück a.wav"},
        {"file:///%e4%Ff", "/\xe4\xff"},
        {"file:///100%", "/100%"},
        {"file:///100%4", "/100%4"},
        {"file:///100%4g", "/100%4g"},
        {"file:///a%zz", "/a%zz"},
        {"file:///a%+1b", "/a%+1b"},
        {"file:///a%-1b", "/a%-1b"},
        {"file:///a% 1b", "/a% 1b"},
        {"file:///a%%41", "/a%A"},
        {"file:///a%2541", "/a%41"},
        {"file:///a%00b", nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::string> paths = display::LocalPaths(QByteArray(c.uri));
        EXPECT_EQ(paths, c.path ? std::vector<std::string>{c.path} : std::vector<std::string>{})
            << c.uri;
    }
}

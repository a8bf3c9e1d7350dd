#include "support/DisplayDriver.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BAutolock.h>
#include <kit/app/private/LooperAccess.h>
#include <kit/interface/BAlert.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuBar.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BStringView.h>
#include <kit/interface/BTabView.h>
#include <kit/interface/BWindow.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr uint32 kPressed = four_cc("PRSD");
constexpr uint32 kChosen = four_cc("CHSN");

// A window that records the codes it receives.
class RecordingWindow : public BWindow {
public:
    explicit RecordingWindow(const char* title, BRect frame = BRect(100, 100, 399, 299))
        : BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE) {}

    void MessageReceived(BMessage* message) override {
        std::lock_guard guard(fMutex);
        fCodes.push_back(message->what);
        fCondition.notify_all();
    }
    bool QuitRequested() override {
        std::lock_guard guard(fMutex);
        fCodes.push_back(B_QUIT_REQUESTED);
        fCondition.notify_all();
        return fMayQuit;
    }

    size_t CountOf(uint32 code) {
        std::lock_guard guard(fMutex);
        return static_cast<size_t>(std::count(fCodes.begin(), fCodes.end(), code));
    }

    bool WaitForCount(uint32 code, size_t count) {
        std::unique_lock guard(fMutex);
        return fCondition.wait_for(guard, std::chrono::seconds(10), [&] {
            return static_cast<size_t>(std::count(fCodes.begin(), fCodes.end(), code)) >= count;
        });
    }

    bool WaitForCode(uint32 code) {
        std::unique_lock guard(fMutex);
        return fCondition.wait_for(guard, std::chrono::seconds(10), [&] {
            return std::find(fCodes.begin(), fCodes.end(), code) != fCodes.end();
        });
    }

    std::atomic<bool> fMayQuit{false};

private:
    std::mutex fMutex;
    std::condition_variable fCondition;
    std::vector<uint32> fCodes;
};

void QuitWindow(BWindow* window) {
    ASSERT_TRUE(window->Lock());
    window->Quit();
}

} // namespace

TEST(Window, MirrorsItsFrameTitleAndViewsAndDeliversAButtonToTheWindow) {
    auto* window = new RecordingWindow("Probe");
    auto* button =
        new BButton(BRect(1, 1, 75, 25), "PressMe", "Drück & mich", new BMessage(kPressed));
    window->AddChild(button);
    button->ResizeToPreferred();
    auto* label = new BStringView(BRect(5, 40, 200, 55), "Label", "#");
    window->AddChild(label);
    window->Show();

    ASSERT_TRUE(driver::WaitForWidget("Probe", "PressMe"));
    driver::WidgetInfo shown = driver::Window("Probe");
    EXPECT_TRUE(shown.visible);
    EXPECT_EQ(shown.width, 300); // inclusive frame 100..399
    EXPECT_EQ(shown.height, 200);
    EXPECT_EQ(shown.x, 100);

    // The ampersand is shown as it stands, not taken for a mnemonic.
    driver::WidgetInfo pressMe = driver::Widget("Probe", "PressMe");
    EXPECT_EQ(pressMe.text, "Drück && mich");
    EXPECT_EQ(pressMe.x, 1);
    {
        BAutolock lock(window);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_EQ(pressMe.width, button->Frame().IntegerWidth() + 1);
        label->SetText("Datei 1 von 2");
    }
    driver::Settle();
    EXPECT_EQ(driver::Widget("Probe", "Label").text, "Datei 1 von 2");

    ASSERT_TRUE(driver::Click("Probe", "PressMe"));
    EXPECT_TRUE(window->WaitForCode(kPressed));

    // A disabled control cannot be clicked.
    {
        BAutolock lock(window);
        ASSERT_TRUE(lock.IsLocked());
        button->SetEnabled(false);
    }
    driver::Settle();
    EXPECT_FALSE(driver::Widget("Probe", "PressMe").enabled);
    EXPECT_FALSE(driver::Click("Probe", "PressMe"));

    QuitWindow(window);
    driver::Settle();
    EXPECT_FALSE(driver::Window("Probe").exists);
}

// A click that reaches the window's queue while the control is, or becomes,
// disabled sends nothing: the display may still show the control enabled
// (the update waits for the unlock), or the click was queued before.
TEST(Window, ADisabledControlSendsNothingForAClickAlreadyOnItsWay) {
    constexpr uint32 kMarker = four_cc("MARK");
    auto* window = new RecordingWindow("Disabled");
    auto* button =
        new BButton(BRect(1, 1, 75, 25), "PressMe", "Drück mich", new BMessage(kPressed));
    window->AddChild(button);
    window->Show();
    ASSERT_TRUE(driver::WaitForWidget("Disabled", "PressMe"));

    size_t markers = 0;
    for (bool disableFirst : {true, false}) {
        SCOPED_TRACE(disableFirst ? "disabled, display not told yet" : "disabled after the click");
        ASSERT_TRUE(window->Lock());
        button->SetEnabled(true);
        window->Unlock();
        driver::Settle();
        ASSERT_TRUE(window->Lock());
        if (disableFirst)
            button->SetEnabled(false);
        // The window is locked: the click waits in its queue.
        EXPECT_TRUE(driver::Click("Disabled", "PressMe"));
        if (!disableFirst)
            button->SetEnabled(false);
        window->Unlock();
        // The queue is handled in order: once the marker arrives, so has the click.
        window->PostMessage(kMarker);
        ASSERT_TRUE(window->WaitForCount(kMarker, ++markers));
        EXPECT_EQ(window->CountOf(kPressed), 0u);
    }

    QuitWindow(window);
    driver::Settle();
}

TEST(Window, CloseBoxAsksTheWindowAndHonoursTheAnswer) {
    auto* window = new RecordingWindow("Closable");
    auto port = kit_private::LooperAccess::Port(*window);
    window->Show();
    driver::Settle();
    ASSERT_TRUE(driver::CloseWindow("Closable"));
    EXPECT_TRUE(window->WaitForCode(B_QUIT_REQUESTED));
    driver::Settle();
    EXPECT_TRUE(driver::Window("Closable").visible); // it refused

    window->fMayQuit = true;
    ASSERT_TRUE(driver::CloseWindow("Closable"));
    port->Join();
    driver::Settle();
    EXPECT_FALSE(driver::Window("Closable").exists);
}

TEST(Window, MenuItemsReachTheirTargetsAndTheWindowByDefault) {
    auto* window = new RecordingWindow("Menus");
    auto* other = new RecordingWindow("Elsewhere");
    other->Run();

    auto* bar = new BMenuBar(BRect(0, 0, 10, 10), "MenuBar");
    auto* menu = new BMenu("Liste");
    menu->AddItem(new BMenuItem("Neu", new BMessage(kChosen)));
    menu->AddSeparatorItem();
    auto* aimed = new BMenuItem("Anderswo", new BMessage(kPressed));
    aimed->SetTarget(other);
    menu->AddItem(aimed);
    bar->AddItem(menu);
    window->AddChild(bar);
    window->Show();

    {
        BAutolock lock(window);
        ASSERT_TRUE(lock.IsLocked());
        // Added to the window, the bar takes its width and the height of its font.
        EXPECT_EQ(bar->Frame().left, 0);
        EXPECT_EQ(bar->Frame().Width(), window->Bounds().Width());
        EXPECT_GT(bar->Frame().Height(), 10);
    }

    driver::Settle();
    EXPECT_EQ(driver::MenuTitles("Menus"), std::vector<std::string>{"Liste"});
    EXPECT_EQ(driver::MenuItems("Menus", "Liste"),
              (std::vector<std::string>{"Neu", "-", "Anderswo"}));
    ASSERT_TRUE(driver::ChooseMenuItem("Menus", "Liste", "Neu"));
    EXPECT_TRUE(window->WaitForCode(kChosen));
    ASSERT_TRUE(driver::ChooseMenuItem("Menus", "Liste", "Anderswo"));
    EXPECT_TRUE(other->WaitForCode(kPressed));

    QuitWindow(window);
    QuitWindow(other);
}

TEST(Window, TabViewShowsThePageOfTheChosenTab) {
    auto* window = new RecordingWindow("Tabs");
    auto* tabs = new BTabView(BRect(5, 5, 290, 190), "TabView");
    float h = tabs->TabHeight();
    EXPECT_GT(h, 10);
    BRect page(10, 10, tabs->Bounds().right - 12, tabs->Bounds().bottom - 13 - h);
    for (const char* name : {"Dateien", "Oggenc-Optionen", "Programm-Optionen"})
        tabs->AddTab(new BView(page, name, B_FOLLOW_NONE, 0), new BTab);
    window->AddChild(tabs);
    tabs->SetTabWidth(B_WIDTH_FROM_WIDEST);
    window->Show();

    ASSERT_TRUE(driver::WaitForWidget("Tabs", "Programm-Optionen"));
    driver::Settle();
    EXPECT_EQ(driver::TabLabels("Tabs"),
              (std::vector<std::string>{"Dateien", "Oggenc-Optionen", "Programm-Optionen"}));
    EXPECT_EQ(driver::CurrentTab("Tabs"), 0);
    EXPECT_TRUE(driver::Widget("Tabs", "Dateien").visible);
    EXPECT_FALSE(driver::Widget("Tabs", "Oggenc-Optionen").visible);

    {
        BAutolock lock(window);
        ASSERT_TRUE(lock.IsLocked());
        tabs->Select(2);
    }
    driver::Settle();
    EXPECT_EQ(driver::CurrentTab("Tabs"), 2);
    EXPECT_TRUE(driver::Widget("Tabs", "Programm-Optionen").visible);
    EXPECT_FALSE(driver::Widget("Tabs", "Dateien").visible);
    {
        BAutolock lock(window);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_EQ(tabs->Selection(), 2);
        EXPECT_EQ(window->FindView("Oggenc-Optionen"), tabs->ViewForTab(1));
    }

    // Equal tabs follow a label renamed on the screen: all grow with a
    // longer one and shrink back with the old one.
    const std::vector<int> before = driver::TabWidths("Tabs");
    ASSERT_EQ(before.size(), 3u);
    for (const char* label : {"Dateien und Ordner für die Kodierung", "Dateien"}) {
        {
            BAutolock lock(window);
            ASSERT_TRUE(lock.IsLocked());
            tabs->TabAt(0)->SetLabel(label);
        }
        driver::Settle();
        const std::vector<int> widths = driver::TabWidths("Tabs");
        ASSERT_EQ(widths.size(), 3u) << label;
        EXPECT_EQ(widths[0], widths[1]) << label;
        EXPECT_EQ(widths[1], widths[2]) << label;
        if (std::string(label) == "Dateien")
            EXPECT_EQ(widths, before);
        else
            EXPECT_GT(widths[0], before[0]) << label;
    }

    QuitWindow(window);
}

TEST(Window, ChildrenFollowTheirResizingModes) {
    // Built as small as the progress window is, then grown.
    auto* window = new RecordingWindow("Follow", BRect(100, 100, 101, 101));
    auto* back = new BView(BRect(0, 0, 1, 1), "BackView", B_FOLLOW_ALL, 0);
    window->AddChild(back);
    auto* right = new BView(BRect(0, 0, 0, 0), "Right", B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, 0);
    auto* stretch = new BView(BRect(0, 0, 1, 1), "Stretch", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 0);
    auto* fixed = new BView(BRect(5, 5, 6, 6), "Fixed", B_FOLLOW_NONE, 0);
    back->AddChild(right);
    back->AddChild(stretch);
    back->AddChild(fixed);

    window->ResizeTo(339, 99);
    {
        BAutolock lock(window);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_EQ(back->Frame(), BRect(0, 0, 339, 99));
        EXPECT_EQ(right->Frame(), BRect(338, 98, 338, 98));
        EXPECT_EQ(stretch->Frame(), BRect(0, 0, 339, 1));
        EXPECT_EQ(fixed->Frame(), BRect(5, 5, 6, 6));
        EXPECT_EQ(window->Frame(), BRect(100, 100, 439, 199));
    }

    window->MoveTo(150, 160);
    {
        BAutolock lock(window);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_EQ(window->Frame().LeftTop(), BPoint(150, 160));
    }
    QuitWindow(window);
}

TEST(Alert, GoWaitsForTheButtonAndAnswersItsIndex) {
    int32 answer = -2;
    std::thread asking([&] {
        answer =
            (new BAlert("AboutDialog", "Zeile 1\nZeile 2", "Gehe zur Site", "Schließen"))->Go();
    });
    auto seen = driver::AnswerAlert("Schließen");
    asking.join();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->title, "AboutDialog");
    EXPECT_EQ(seen->text, "Zeile 1\nZeile 2");
    EXPECT_EQ(seen->buttons, (std::vector<std::string>{"Gehe zur Site", "Schließen"}));
    EXPECT_EQ(answer, 1);

    std::thread again([&] { answer = (new BAlert("X", "Y", "Gehe zur Site", "Schließen"))->Go(); });
    ASSERT_TRUE(driver::AnswerAlert("Gehe zur Site").has_value());
    again.join();
    EXPECT_EQ(answer, 0);
}

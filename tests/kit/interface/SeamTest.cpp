#include "support/RecordingDisplay.h"
#include "support/TempDir.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BApplication.h>
#include <kit/app/BAutolock.h>
#include <kit/app/private/InstanceChannel.h>
#include <kit/interface/BAlert.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BCheckBox.h>
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuField.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BStringView.h>
#include <kit/interface/BTabView.h>
#include <kit/interface/BTextControl.h>
#include <kit/interface/BWindow.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <set>
#include <thread>

namespace {

std::vector<size_t> KindsOf(const std::vector<seam::Change>& changes) {
    std::vector<size_t> kinds;
    for (const seam::Change& change : changes)
        kinds.push_back(change.index());
    return kinds;
}

template <class T>
constexpr size_t KindOf() {
    return seam::Change(T{}).index();
}

// A window with one button, not yet shown.
struct SmallWindow {
    SmallWindow() {
        window = new BWindow(BRect(10, 10, 209, 109), "Fenster", B_TITLED_WINDOW, B_NOT_RESIZABLE);
        button = new BButton(BRect(5, 5, 80, 30), "Go", "Los", new BMessage(four_cc("GO  ")));
        window->AddChild(button);
    }
    ~SmallWindow() {
        if (window->Lock())
            window->Quit();
    }
    BWindow* window;
    BButton* button;
};

} // namespace

TEST(DisplaySeam, AWindowReachesTheDisplayOnlyOnceShownAndThenInOneBatchPerUnlock) {
    RecordingDisplay display;
    SmallWindow small;
    // A hidden window costs the display nothing.
    ASSERT_TRUE(small.window->Lock());
    small.button->SetEnabled(false);
    small.window->Unlock();
    EXPECT_TRUE(display.Batches().empty());

    small.window->Show();
    ASSERT_TRUE(display.WaitForBatches(1));
    const std::vector<std::vector<seam::Change>> shown = display.Batches();
    // Its whole state arrives at once, in the order it was made.
    EXPECT_EQ(KindsOf(shown.at(0)),
              (std::vector<size_t>{KindOf<seam::CreateWindow>(), KindOf<seam::CreateView>(),
                                   KindOf<seam::CreateView>(), KindOf<seam::ViewEnabled>(),
                                   KindOf<seam::WindowShown>()}));
    const auto& window = std::get<seam::CreateWindow>(shown[0][0]).shape;
    EXPECT_EQ(window.title, "Fenster");
    EXPECT_FALSE(window.resizable);
    const auto& button = std::get<seam::CreateView>(shown[0][2]).shape;
    ASSERT_TRUE(std::holds_alternative<seam::ButtonShape>(button.look));
    EXPECT_EQ(std::get<seam::ButtonShape>(button.look).label, "Los");
    EXPECT_EQ(button.parent, window.topView);

    // Changes made under one lock come as one batch when it is released.
    display.Clear();
    ASSERT_TRUE(small.window->Lock());
    small.button->SetLabel("Weiter");
    small.button->MoveTo(7, 8);
    EXPECT_TRUE(display.Batches().empty());
    small.window->Unlock();
    ASSERT_TRUE(display.WaitForBatches(1));
    const std::vector<seam::Change> batch = display.Batches().at(0);
    ASSERT_EQ(KindsOf(batch),
              (std::vector<size_t>{KindOf<seam::ViewLook>(), KindOf<seam::ViewFrame>()}));
    EXPECT_EQ(std::get<seam::ButtonShape>(std::get<seam::ViewLook>(batch[0]).look).label, "Weiter");
    EXPECT_EQ(std::get<seam::ViewFrame>(batch[1]).frame, BRect(7, 8, 82, 33));
}

// The looks handed over for one view, in order.
std::vector<seam::Look> LooksOf(const std::vector<seam::Change>& changes, const BView* view) {
    std::vector<seam::Look> looks;
    for (const seam::Change& change : changes)
        if (const auto* look = std::get_if<seam::ViewLook>(&change);
            look && look->id == view->Token())
            looks.push_back(look->look);
    return looks;
}

TEST(DisplaySeam, EverySetterHandsOverItsViewsWholeLookOncePerUnlock) {
    RecordingDisplay display;
    display.SetSize("tabbar", {0, 24});
    auto* window = new BWindow(BRect(10, 10, 409, 309), "Fenster", B_TITLED_WINDOW, 0);
    auto* box = new BCheckBox(BRect(5, 5, 100, 25), "Box", "Immer", nullptr);
    auto* text = new BTextControl(BRect(5, 30, 200, 50), "Text", "Name:", "alt", nullptr);
    auto* label = new BStringView(BRect(5, 55, 200, 70), "Label", "Datei");
    auto* menu = new BMenu("Wahl");
    menu->SetRadioMode(true);
    menu->SetLabelFromMarked(true);
    menu->AddItem(new BMenuItem("Eins", nullptr));
    menu->AddItem(new BMenuItem("Zwei", nullptr));
    auto* field = new BMenuField(BRect(5, 75, 200, 95), "Field", "Wahl:", menu);
    auto* tabs = new BTabView(BRect(5, 100, 300, 250), "Tabs");
    for (BView* view : std::initializer_list<BView*>{box, text, label, field, tabs})
        window->AddChild(view);
    tabs->AddTab(new BView(BRect(0, 0, 50, 50), "Seite1", B_FOLLOW_ALL_SIDES, 0));
    tabs->AddTab(new BView(BRect(0, 0, 50, 50), "Seite2", B_FOLLOW_ALL_SIDES, 0));
    window->Show();
    ASSERT_TRUE(display.WaitForBatches(1));

    struct Case {
        const char* what;
        std::function<void()> change;
        const BView* view;
        std::function<void(const seam::Look&)> check;
    };
    const std::vector<Case> cases = {
        {"check box label and value under one lock",
         [&] {
             box->SetLabel("Nie");
             box->SetValue(1);
         },
         box,
         [](const seam::Look& look) {
             const auto& shape = std::get<seam::CheckBoxShape>(look);
             EXPECT_EQ(shape.label, "Nie");
             EXPECT_TRUE(shape.checked);
         }},
        {"text control divider", [&] { text->SetDivider(70); }, text,
         [](const seam::Look& look) {
             const auto& shape = std::get<seam::TextControlShape>(look);
             EXPECT_EQ(shape.label, "Name:");
             EXPECT_EQ(shape.divider, 70);
         }},
        {"text control label reaches its line", [&] { text->SetLabel("Titel:"); }, text->TextView(),
         [](const seam::Look& look) {
             const auto& shape = std::get<seam::TextViewShape>(look);
             EXPECT_EQ(shape.accessibleLabel, "Titel:");
             EXPECT_EQ(shape.text, "alt");
         }},
        {"line limit cuts the text", [&] { text->TextView()->SetMaxBytes(2); }, text->TextView(),
         [](const seam::Look& look) {
             const auto& shape = std::get<seam::TextViewShape>(look);
             EXPECT_EQ(shape.maxBytes, 2);
             EXPECT_EQ(shape.text, "al");
         }},
        {"string view text", [&] { label->SetText("Datei 2 von 3"); }, label,
         [](const seam::Look& look) {
             EXPECT_EQ(std::get<seam::StringShape>(look).text, "Datei 2 von 3");
         }},
        {"menu field marking and divider",
         [&] {
             menu->ItemAt(1)->SetMarked(true);
             field->SetDivider(60);
         },
         field,
         [](const seam::Look& look) {
             const auto& shape = std::get<seam::MenuFieldShape>(look);
             EXPECT_EQ(shape.buttonLabel, "Zwei");
             EXPECT_EQ(shape.divider, 60);
             ASSERT_EQ(shape.menu.items.size(), 2u);
             EXPECT_TRUE(shape.menu.items[1].marked);
             EXPECT_FALSE(shape.menu.items[0].marked);
         }},
        {"tab selection", [&] { tabs->Select(1); }, tabs,
         [&](const seam::Look& look) {
             const auto& shape = std::get<seam::TabViewShape>(look);
             EXPECT_EQ(shape.selected, 1);
             EXPECT_EQ(shape.pages, (std::vector<seam::WidgetId>{tabs->ViewForTab(0)->Token(),
                                                                 tabs->ViewForTab(1)->Token()}));
         }},
    };
    for (const Case& c : cases) {
        display.Clear();
        ASSERT_TRUE(window->Lock());
        c.change();
        window->Unlock();
        ASSERT_TRUE(display.WaitForBatches(1)) << c.what;
        const std::vector<seam::Look> looks = LooksOf(display.Changes(), c.view);
        // Changes of one view made one after the other go as one look.
        ASSERT_EQ(looks.size(), 1u) << c.what;
        SCOPED_TRACE(c.what);
        c.check(looks[0]);
    }
    ASSERT_TRUE(window->Lock());
    window->Quit();
}

TEST(DisplaySeam, PreferredSizesComeFromTheDisplaysMeasure) {
    RecordingDisplay display;
    display.SetSize("button:Los", {61, 25});
    display.SetSize("checkbox:0:Immer", {70, 20});
    display.SetSize("checkbox:40:Immer", {40, 36});
    BButton button(BRect(0, 0, 10, 10), "Go", "Los", nullptr);
    float width = 0, height = 0;
    button.GetPreferredSize(&width, &height);
    // Kit frames are inclusive: one less than the pixels measured.
    EXPECT_EQ(width, 60);
    EXPECT_EQ(height, 24);
    BCheckBox box(BRect(0, 0, 10, 10), "Box", "Immer", nullptr);
    box.GetPreferredSize(&width, &height);
    EXPECT_EQ(width, 69);
    // Within 40 pixels the label breaks into lines, as the display says.
    box.GetPreferredSizeWithin(39, &width, &height);
    EXPECT_EQ(width, 39);
    EXPECT_EQ(height, 35);
}

TEST(DisplaySeam, AnAlertWaitsForTheAnswerTheDisplayDelivers) {
    RecordingDisplay display;
    std::promise<int32> pressed;
    std::thread asking(
        [&] { pressed.set_value((new BAlert("Frage", "Wirklich?", "Nein", "Ja"))->Go()); });
    seam::AlertRequest shown;
    ASSERT_TRUE(display.AnswerAlert(1, &shown));
    asking.join();
    EXPECT_EQ(pressed.get_future().get(), 1);
    EXPECT_EQ(shown.title, "Frage");
    EXPECT_EQ(shown.text, "Wirklich?");
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"Nein", "Ja"}));
}

TEST(DisplaySeam, ASecondStartWithoutFilesBringsTheShownWindowsToTheFront) {
    TempDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    RecordingDisplay display;
    // One window shown, and one shown and hidden again, so that both have
    // reached the display.
    struct FrontApp : BApplication {
        FrontApp() : BApplication("application/x-vnd.KitFrontProbe") {}
        void ReadyToRun() override {
            shown = new BWindow(BRect(10, 10, 109, 109), "Offen", B_TITLED_WINDOW, 0);
            hidden = new BWindow(BRect(10, 10, 109, 109), "Versteckt", B_TITLED_WINDOW, 0);
            shown->Show();
            hidden->Show();
            hidden->Hide();
            ready.set_value();
        }
        BWindow* shown = nullptr;
        BWindow* hidden = nullptr;
        std::promise<void> ready;
    } app;
    app.SetLaunchArguments({});
    std::thread running([&] { app.Run(); });
    app.ready.get_future().wait();
    const uint64 shownToken = app.shown->Token();

    // The running one has taken the request once the hand-over returns, so
    // it is queued before the quit.
    EXPECT_TRUE(InstanceChannel(app.Signature()).TryHandOver({}));
    be_app_messenger.SendMessage(B_QUIT_REQUESTED);
    running.join();
    std::set<uint64> activated;
    for (const seam::Change& change : display.Changes())
        if (const auto* activate = std::get_if<seam::ActivateWindow>(&change))
            activated.insert(activate->id);
    EXPECT_EQ(activated, std::set<uint64>{shownToken});
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(DisplaySeamDeathTest, AMeasureWithoutADisplayStopsTheProgramAndNamesThePlace) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EQ(seam::Installed(), nullptr);
    BButton button(BRect(0, 0, 10, 10), "Go", "Los", nullptr);
    float width = 0, height = 0;
    EXPECT_DEATH(button.GetPreferredSize(&width, &height),
                 "BButton.cpp:[0-9]+: contract broken: .*GetPreferredSize.*a display is installed");
}

#include "support/RecordingDisplay.h"
#include <kit/app/BAutolock.h>
#include <kit/interface/BAlert.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BCheckBox.h>
#include <kit/interface/BWindow.h>

#include <gtest/gtest.h>

#include <future>
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
    EXPECT_EQ(button.kind, seam::Kind::Button);
    EXPECT_EQ(button.label, "Los");
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
              (std::vector<size_t>{KindOf<seam::ViewLabel>(), KindOf<seam::ViewFrame>()}));
    EXPECT_EQ(std::get<seam::ViewLabel>(batch[0]).label, "Weiter");
    EXPECT_EQ(std::get<seam::ViewFrame>(batch[1]).frame, BRect(7, 8, 82, 33));
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

TEST(DisplaySeamDeathTest, AMeasureWithoutADisplayStopsTheProgramAndNamesThePlace) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_EQ(seam::Installed(), nullptr);
    BButton button(BRect(0, 0, 10, 10), "Go", "Los", nullptr);
    float width = 0, height = 0;
    EXPECT_DEATH(button.GetPreferredSize(&width, &height),
                 "BButton.cpp:[0-9]+: contract broken: .*GetPreferredSize.*a display is installed");
}

#include "src/app/RunningApp.h"

#include "app/Commands.h"
#include "encoding/EncoderView.h"
#include "mainwindow/TabView.h"
#include "support/ControlDriver.h"
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuField.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BTextControl.h>
#include <kit/interface/private/InterfacePrivate.h>

#include "StandInEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

std::string Before(EncoderView& view, int32 marked, const std::string& extra) {
    view.bitrateMenu->ItemAt(marked)->SetMarked(true);
    view.extraParam->SetText(extra.c_str());
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    view.OptionsBefore(buffer);
    return buffer;
}

} // namespace

TEST(EncoderOptions, OptionsBeforeAndAfterOverTheTable) {
    EncoderView view(BRect(0, 0, 400, 200));
    struct Case {
        int32 marked; // menu index: 0 "Standard", 2 to 7 the bitrates
        std::string extra;
        std::string expected;
    };
    const std::string longest(128, 'x');
    const Case cases[] = {
        {0, "", ""},
        {2, "", "-b 112"},
        {3, "", "-b 128"},
        {4, "", "-b 160"},
        {5, "", "-b 192"},
        {6, "", "-b 256"},
        {7, "", "-b 350"}, // 350, not 320
        {0, "-q 5", "-q 5"},
        {3, "-q 5", "-b 128 -q 5"},
        {0, "T ", "T "}, // one typed trailing blank stays
        {0, " ", " "},
        {3, " ", "-b 128  "},
        {5, "  -a  b  ", "-b 192   -a  b  "},
        {0, "\"x y\" ü", "\"x y\" ü"}, // as typed: no quoting or splitting
        {7, longest, "-b 350 " + longest},
        {0, "", ""}, // "Standard" after a bitrate drops it again
    };
    for (const Case& c : cases)
        EXPECT_EQ(Before(view, c.marked, c.extra), c.expected)
            << "item " << c.marked << ", \"" << c.extra << "\"";
    EXPECT_EQ(Before(view, 7, longest).size(), 135u);

    // The field keeps 128 bytes, cut between characters.
    EXPECT_EQ(Before(view, 0, longest + "y"), longest);
    EXPECT_EQ(Before(view, 0, std::string(127, 'x') + "ü"), std::string(127, 'x'));

    char after[256];
    std::memset(after, '#', sizeof after);
    view.OptionsAfter(after);
    EXPECT_STREQ(after, "");
}

class EncoderPage : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(running.shown);
        page = running.window->tabView->encoderView;
    }
    RunningApp running;
    EncoderView* page = nullptr;
};

TEST_F(EncoderPage, ControlsInTheirOrderFramesAndLimits) {
    ASSERT_TRUE(running.window->Lock());
    const float R = page->Bounds().right;
    EXPECT_STREQ(page->Name(), "Oggenc-Optionen");
    ASSERT_EQ(page->CountChildren(), 2);
    EXPECT_EQ(page->ChildAt(0), page->bitrateField);
    EXPECT_EQ(page->ChildAt(1), page->extraParam);

    BMenu* menu = page->bitrateMenu;
    EXPECT_EQ(page->bitrateField->Menu(), menu);
    EXPECT_STREQ(menu->Name(), "Bitrate");
    EXPECT_EQ(menu->Layout(), B_ITEMS_IN_COLUMN);
    EXPECT_TRUE(menu->IsRadioMode());
    EXPECT_TRUE(menu->IsLabelFromMarked());
    EXPECT_FALSE(menu->AreTriggersEnabled());
    const char* labels[] = {"Standard", nullptr,    "112 kbps", "128 kbps",
                            "160 kbps", "192 kbps", "256 kbps", "350 kbps"};
    ASSERT_EQ(menu->CountItems(), 8);
    for (int32 i = 0; i < 8; ++i) {
        BMenuItem* item = menu->ItemAt(i);
        EXPECT_EQ(item->IsSeparator(), labels[i] == nullptr) << i;
        if (labels[i] != nullptr) {
            EXPECT_STREQ(item->Label(), labels[i]);
        }
        EXPECT_EQ(item->Message(), nullptr) << i; // choosing sends nothing
        EXPECT_EQ(item->IsMarked(), i == 0) << i;
    }

    BMenuField* field = page->bitrateField;
    EXPECT_STREQ(field->Name(), "BitrateField");
    EXPECT_STREQ(field->Label(), "Bitrate (ungefähr):");
    EXPECT_EQ(field->Divider(), 117);
    float width = 0, height = 0;
    field->GetPreferredSize(&width, &height);
    EXPECT_EQ(field->Frame().LeftTop(), BPoint(0, 0));
    EXPECT_EQ(field->Frame().Height(), height);
    EXPECT_EQ(field->ResizingMode(), B_FOLLOW_LEFT | B_FOLLOW_TOP);
    EXPECT_EQ(field->Flags(), B_WILL_DRAW | B_NAVIGABLE);

    BTextControl* extra = page->extraParam;
    EXPECT_STREQ(extra->Name(), "ExtraParam");
    EXPECT_STREQ(extra->Label(), "Zusätzliche Parameter:");
    EXPECT_STREQ(extra->Text(), "");
    EXPECT_EQ(extra->Message(), nullptr);
    // The label's column is 115 wide, or wider where the desktop's font
    // needs it; the line then narrows by as much and keeps its right edge.
    const float divider = std::max(115.0f, std::ceil(extra->StringWidth("Zusätzliche Parameter:")));
    EXPECT_EQ(extra->Divider(), divider);
    EXPECT_EQ(extra->Frame().left, 0);
    EXPECT_EQ(extra->Frame().top, field->Frame().bottom + 6);
    EXPECT_EQ(extra->Frame().Width(), R);
    EXPECT_EQ(extra->TextView()->Frame().left, divider + 2);
    EXPECT_EQ(extra->TextView()->Frame().right, R - 7);
    EXPECT_EQ(extra->TextView()->MaxBytes(), 128);
    EXPECT_EQ(extra->ResizingMode(), B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
    EXPECT_EQ(extra->Flags(), B_WILL_DRAW | B_NAVIGABLE);
    running.window->Unlock();
}

TEST_F(EncoderPage, TheUsersChoicesMakeTheOptions) {
    EXPECT_EQ(driver::MenuFieldButton(kMainTitle, "BitrateField"), "Standard");
    ASSERT_TRUE(driver::ChooseFromMenuField(kMainTitle, "BitrateField", "192 kbps"));
    EXPECT_TRUE(driver::WaitFor(
        [] { return driver::MenuFieldButton(kMainTitle, "BitrateField") == "192 kbps"; }));
    EXPECT_EQ(driver::MenuFieldChecked(kMainTitle, "BitrateField"), "192 kbps");

    // A 129th byte cannot be typed; a two-byte character that would pass the
    // limit cannot either.
    ASSERT_TRUE(driver::TypeInto(kMainTitle, "ExtraParam", std::string(127, 'q') + "üz"));
    const std::string typed = std::string(127, 'q') + "z";
    EXPECT_EQ(driver::LineText(kMainTitle, "ExtraParam"), typed);

    char options[256];
    EXPECT_TRUE(Eventually([&] {
        if (!running.window->Lock())
            return false;
        page->OptionsBefore(options);
        running.window->Unlock();
        return std::string(options) == "-b 192 " + typed;
    }));

    // Back to "Standard": the bitrate goes.
    ASSERT_TRUE(driver::ChooseFromMenuField(kMainTitle, "BitrateField", "Standard"));
    EXPECT_TRUE(Eventually([&] {
        if (!running.window->Lock())
            return false;
        page->OptionsBefore(options);
        running.window->Unlock();
        return std::string(options) == typed;
    }));
}

TEST_F(EncoderPage, MessagesToThePageGoNoFurther) {
    // "ENCD" reaching the window would show the "EncodeFailed" alert (the
    // encoder path names nothing) and hold the window's thread until it is
    // answered, so the tab chosen after it would never come to the front.
    ASSERT_TRUE(running.window->Lock());
    running.app.encoderPath[0] = '\0';
    BMessenger toPage(page);
    BMessenger toTabs(running.window->tabView);
    running.window->Unlock();
    ASSERT_EQ(toPage.SendMessage(cmd::ENCD), B_OK);
    BMessage chosen(kit_private::kTabChosen);
    chosen.AddInt32("index", 1);
    ASSERT_EQ(toTabs.SendMessage(&chosen), B_OK);
    EXPECT_TRUE(Eventually(
        [&] {
            running.window->Lock();
            const bool inFront = running.window->tabView->Selection() == 1;
            running.window->Unlock();
            return inFront;
        },
        std::chrono::seconds(20)));
    EXPECT_FALSE(driver::AnswerAlert("OK", std::chrono::milliseconds(0)).has_value());
}

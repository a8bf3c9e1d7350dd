#include "RunningApp.h"
#include "StoredOptions.h"
#include <kit/app/BAutolock.h>

#include "app/Commands.h"
#include "encoding/EncoderView.h"
#include "encoding/ProgressWindow.h"
#include "filelist/FilesList.h"
#include "filelist/FilesView.h"
#include "mainwindow/OptionsView.h"
#include "mainwindow/TabView.h"
#include "support/ControlDriver.h"
#include "support/TempDir.h"
#include <kit/interface/BButton.h>
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuBar.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BStatusBar.h>
#include <kit/interface/BStringView.h>
#include <kit/interface/Palette.h>
#include <kit/kernel/private/ChildSpawn.h>
#include <kit/storage/AppResources.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

std::vector<std::string> Labels(BMenu* menu) {
    std::vector<std::string> labels;
    for (int32 i = 0; i < menu->CountItems(); ++i)
        labels.push_back(menu->ItemAt(i)->IsSeparator() ? "-" : menu->ItemAt(i)->Label());
    return labels;
}

} // namespace

class MainWindowLayout : public testing::Test {
protected:
    RunningApp running;
};

TEST_F(MainWindowLayout, FrameTitleAndFlags) {
    ASSERT_TRUE(running.shown);
    MainWindow* window = running.window;
    BAutolock lock(window);
    ASSERT_TRUE(lock.IsLocked());
    // 441 by 281 pixels, wider only when the files page's row of buttons
    // needs it at this font; the page then holds the row exactly. Taller
    // only when the options page needs it; that page is then just full.
    const float wide = 100 + FilesView::RowWidth() + 32;
    const BRect frame = window->Frame();
    EXPECT_EQ(BRect(frame.left, frame.top, frame.right, 380),
              BRect(100, 100, std::max(540.0f, wide), 380));
    if (wide > 540) {
        EXPECT_EQ(window->tabView->filesView->Bounds().right, FilesView::RowWidth());
    }
    const OptionsView* options = window->tabView->optionsView;
    EXPECT_LE(options->NeededHeight(), options->Bounds().Height());
    if (frame.bottom != 380) {
        EXPECT_GT(frame.bottom, 380);
        EXPECT_EQ(options->NeededHeight(), options->Bounds().Height());
    }
    EXPECT_STREQ(window->Title(), kMainTitle);
    EXPECT_EQ(window->Look(), B_TITLED_WINDOW_LOOK);
    EXPECT_EQ(window->Feel(), B_NORMAL_WINDOW_FEEL);
    EXPECT_EQ(window->Flags(), B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS);
    EXPECT_FALSE(window->running);
    EXPECT_EQ(window->fileIndex, 0);
    EXPECT_STREQ(window->optionsBefore, "");
    EXPECT_STREQ(window->optionsAfter, "");
    EXPECT_FALSE(window->encoderRef.IsSet());

    // The real window shows the same, fixed.
    driver::WidgetInfo shown = driver::Window(kMainTitle);
    EXPECT_EQ(shown.width, int(window->Frame().Width()) + 1);
    EXPECT_EQ(shown.height, int(window->Frame().Height()) + 1);
}

TEST_F(MainWindowLayout, MenusAndTheirMessages) {
    ASSERT_TRUE(running.shown);
    MainWindow* window = running.window;
    BAutolock lock(window);
    ASSERT_TRUE(lock.IsLocked());
    BMenuBar* bar = window->menuBar;
    ASSERT_EQ(bar, window->FindView("MenuBar"));
    EXPECT_EQ(bar->Layout(), B_ITEMS_IN_ROW);
    ASSERT_EQ(bar->CountItems(), 2);
    EXPECT_STREQ(bar->SubmenuAt(0)->Name(), "Liste");
    EXPECT_STREQ(bar->SubmenuAt(1)->Name(), "Hilfe");
    EXPECT_EQ(Labels(bar->SubmenuAt(0)),
              (std::vector<std::string>{"Neu", "Speichern...", "Öffnen...", "-", "Beenden"}));
    EXPECT_EQ(Labels(bar->SubmenuAt(1)), (std::vector<std::string>{"Liesmich", "-", "Über..."}));

    struct Item {
        const char* label;
        uint32 command;
        bool toApp;
    };
    const Item items[] = {
        {"Neu", cmd::NWLS, false},       {"Speichern...", cmd::SVLS, false},
        {"Öffnen...", cmd::OPLS, false}, {"Beenden", cmd::CLOS, false},
        {"Liesmich", cmd::RDME, false},  {"Über...", B_ABOUT_REQUESTED, true},
    };
    for (const Item& expected : items) {
        BMenuItem* item = bar->FindItem(expected.label);
        ASSERT_NE(item, nullptr) << expected.label;
        EXPECT_EQ(item->Command(), expected.command) << expected.label;
        EXPECT_EQ(item->HasTarget(), expected.toApp) << expected.label;
        if (expected.toApp) {
            EXPECT_EQ(item->Messenger(), be_app_messenger);
        }
        EXPECT_EQ(item->Submenu(), nullptr);
    }
    for (int32 i = 0; i < 2; ++i)
        EXPECT_EQ(bar->SubmenuAt(i)->Layout(), B_ITEMS_IN_COLUMN);

    // The menu bar spans the window; the background starts right below it.
    EXPECT_EQ(bar->Frame().left, 0);
    EXPECT_EQ(bar->Frame().right, window->Bounds().right);
    EXPECT_EQ(window->backView->Frame().top, bar->Frame().bottom + 1);
    EXPECT_EQ(window->backView->Frame().bottom, window->Bounds().bottom);
    EXPECT_EQ(driver::MenuTitles(kMainTitle), (std::vector<std::string>{"Liste", "Hilfe"}));
}

TEST_F(MainWindowLayout, ButtonsFollowTheArithmeticFromTheirPreferredSizes) {
    ASSERT_TRUE(running.shown);
    MainWindow* window = running.window;
    BAutolock lock(window);
    ASSERT_TRUE(lock.IsLocked());
    const float R = window->backView->Bounds().right;
    const float Bt = window->backView->Bounds().bottom;

    // A button is as wide as its label needs, but never narrower than the
    // layouts' 75-pixel slot (74 in the inclusive measure).
    float closeWidth = 0, closeHeight = 0;
    window->closeButton->GetPreferredSize(&closeWidth, &closeHeight);
    closeWidth = std::max(74.0f, closeWidth);
    EXPECT_EQ(window->closeButton->Frame(),
              BRect(R - 79, Bt - 29, R - 79 + closeWidth, Bt - 29 + closeHeight));
    float encodeWidth = 0, encodeHeight = 0;
    window->encodeButton->GetPreferredSize(&encodeWidth, &encodeHeight);
    encodeWidth = std::max(74.0f, encodeWidth);
    const float c = window->closeButton->Frame().Width();
    EXPECT_EQ(window->encodeButton->Frame(),
              BRect(R - 83 - c, Bt - 29, R - 83 - c + encodeWidth, Bt - 29 + encodeHeight));

    EXPECT_STREQ(window->closeButton->Name(), "CloseButton");
    EXPECT_STREQ(window->closeButton->Label(), "Beenden");
    EXPECT_EQ(window->closeButton->Command(), cmd::CLOS);
    EXPECT_STREQ(window->encodeButton->Name(), "EncodeButton");
    EXPECT_STREQ(window->encodeButton->Label(), "Kodieren!");
    EXPECT_EQ(window->encodeButton->Command(), cmd::ENCD);
    EXPECT_FALSE(window->encodeButton->IsEnabled());
    EXPECT_TRUE(window->closeButton->IsEnabled());
    // Without a target, the buttons deliver to their window.
    EXPECT_FALSE(window->closeButton->Messenger().IsValid());
    for (BButton* button : {window->closeButton, window->encodeButton})
        EXPECT_EQ(button->ResizingMode(), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);

    // The display shows them where the window has them.
    driver::WidgetInfo encode = driver::Widget(kMainTitle, "EncodeButton");
    EXPECT_FALSE(encode.enabled);
    EXPECT_EQ(encode.x, int(window->encodeButton->Frame().left));
    EXPECT_EQ(encode.width, window->encodeButton->Frame().IntegerWidth() + 1);
    EXPECT_TRUE(driver::Widget(kMainTitle, "CloseButton").enabled);
}

TEST_F(MainWindowLayout, TabViewHoldsTheThreePagesWithTheFilesPageInFront) {
    ASSERT_TRUE(running.shown);
    MainWindow* window = running.window;
    BAutolock lock(window);
    ASSERT_TRUE(lock.IsLocked());
    TabView* tabs = window->tabView;
    const float R = window->backView->Bounds().right;
    const float Bt = window->backView->Bounds().bottom;
    EXPECT_EQ(tabs->Frame(), BRect(5, 5, R - 5, Bt - 34));
    EXPECT_STREQ(tabs->Name(), "TabView");
    EXPECT_EQ(tabs->ResizingMode(), B_FOLLOW_ALL_SIDES);
    EXPECT_EQ(tabs->Flags(), B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_NAVIGABLE_JUMP |
                                 B_FRAME_EVENTS | B_NAVIGABLE);
    EXPECT_EQ(tabs->TabWidth(), B_WIDTH_FROM_WIDEST);
    ASSERT_EQ(tabs->CountTabs(), 3);
    EXPECT_EQ(tabs->Selection(), 0);
    EXPECT_EQ(tabs->ViewForTab(0), tabs->filesView);
    EXPECT_EQ(tabs->ViewForTab(1), tabs->encoderView);
    EXPECT_EQ(tabs->ViewForTab(2), tabs->optionsView);

    const float h = tabs->TabHeight();
    const BRect page(10, 10, tabs->Bounds().right - 12, tabs->Bounds().bottom - 13 - h);
    const char* names[] = {"Dateien", "Oggenc-Optionen", "Programm-Optionen"};
    for (int32 i = 0; i < 3; ++i) {
        EXPECT_STREQ(tabs->TabAt(i)->Label(), names[i]);
        EXPECT_EQ(tabs->ViewForTab(i)->Frame(), page) << names[i];
        EXPECT_EQ(tabs->ViewForTab(i)->ResizingMode(), B_FOLLOW_NONE);
        EXPECT_TRUE(tabs->ViewForTab(i)->HasViewColor());
    }
    EXPECT_EQ(driver::TabLabels(kMainTitle),
              (std::vector<std::string>{"Dateien", "Oggenc-Optionen", "Programm-Optionen"}));
    EXPECT_EQ(driver::CurrentTab(kMainTitle), 0);
}

TEST_F(MainWindowLayout, ProgressWindowWaitsHiddenWithItsThreadRunning) {
    ASSERT_TRUE(running.shown);
    ProgressWindow* progress = running.window->progressWindow;
    ASSERT_NE(progress, nullptr);
    BAutolock lock(progress);
    ASSERT_TRUE(lock.IsLocked());
    EXPECT_TRUE(progress->IsRunning());
    EXPECT_TRUE(progress->IsHidden());
    EXPECT_STREQ(progress->Title(), "Fortschritt der Kodierung");
    EXPECT_EQ(progress->Look(), B_FLOATING_WINDOW_LOOK);
    EXPECT_EQ(progress->Feel(), B_MODAL_APP_WINDOW_FEEL);
    EXPECT_EQ(progress->Flags(), B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE |
                                     B_NOT_MINIMIZABLE | B_ASYNCHRONOUS_CONTROLS);

    // 340 wide whatever the texts; the height follows the label and the
    // button, and grows by the bar below the buttons and the gap above it,
    // with at least the left margin below the bar.
    auto* label = dynamic_cast<BStringView*>(progress->FindView("NowEncoding"));
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->Text(), "Bitte warten während der Kodierung von:");
    const float h2 = label->Frame().Height();
    const float h5 = progress->skipButton->Frame().Height();
    const BRect bar = progress->fileProgress->Frame();
    const float designed = 3 * (h2 + 1) + 25 + h5 + 6 + bar.Height();
    EXPECT_EQ(progress->Bounds(), BRect(0, 0, 340, std::max(designed, bar.bottom + 5)));
    EXPECT_EQ(progress->backView->Frame(), progress->Bounds());
    EXPECT_EQ(progress->fileName->Frame(),
              BRect(5, label->Frame().bottom + 6, 335, label->Frame().bottom + 21));
    EXPECT_STREQ(progress->fileName->Text(), "#");
    EXPECT_STREQ(progress->fileNumber->Text(), "#");
    EXPECT_EQ(progress->stopButton->Frame().left, progress->skipButton->Frame().right + 5);

    // Both buttons are aimed at the main window.
    BMessenger main(running.window);
    EXPECT_EQ(progress->skipButton->Messenger(), main);
    EXPECT_EQ(progress->stopButton->Messenger(), main);
    EXPECT_EQ(progress->skipButton->Command(), cmd::SKIP);
    EXPECT_EQ(progress->stopButton->Command(), cmd::STOP);
    EXPECT_FALSE(driver::Window("Fortschritt der Kodierung").visible);
}

TEST_F(MainWindowLayout, EveryWidgetCarriesItsViewsNameAndLabel) {
    ASSERT_TRUE(running.shown);
    for (const char* name : {"MenuBar", "BackView", "CloseButton", "EncodeButton", "TabView",
                             "Dateien", "Oggenc-Optionen", "Programm-Optionen"})
        EXPECT_TRUE(driver::Widget(kMainTitle, name).exists) << name;
    EXPECT_EQ(driver::Widget(kMainTitle, "CloseButton").text, "Beenden");
    EXPECT_EQ(driver::Widget(kMainTitle, "EncodeButton").text, "Kodieren!");
}

TEST_F(MainWindowLayout, TheWindowShowsTheProgramsOwnIcon) {
    ASSERT_TRUE(running.shown);
    // The icon follows the window's first picture.
    EXPECT_TRUE(driver::WaitFor([] {
        std::vector<int> sizes = driver::WindowIconSizes(kMainTitle);
        std::sort(sizes.begin(), sizes.end());
        return sizes == std::vector<int>{16, 32};
    }));
    // Every pixel of the large icon is the compiled-in one, through the palette.
    std::vector<uint8> bits;
    ASSERT_EQ(registered_app_icon(B_LARGE_ICON, &bits), B_OK);
    for (int y = 0; y < 32; y += 5)
        for (int x = 0; x < 32; x += 5) {
            uint8 index = bits[size_t(y * 32 + x)];
            rgb_color color = system_palette()[index];
            unsigned expected = index == B_TRANSPARENT_MAGIC_CMAP8
                                    ? 0u
                                    : (0xFF000000u | unsigned(color.red) << 16 |
                                       unsigned(color.green) << 8 | color.blue);
            EXPECT_EQ(driver::WindowIconPixel(kMainTitle, 32, x, y), expected) << x << "," << y;
        }
}

TEST_F(MainWindowLayout, OnTheScreenNothingTouchesAnEdgeAndEveryLabelIsWhole) {
    ASSERT_TRUE(running.shown);
    // Pictures for a look by eye, when asked for.
    const char* folder = std::getenv("MF_SCREENSHOT_DIR");
    auto savePath = [&](const char* name) {
        return folder != nullptr ? std::string(folder) + "/" + name : std::string();
    };
    driver::Settle();
    driver::Picture picture = driver::Grab(kMainTitle, savePath("main-window.png"));
    {
        BAutolock lock(running.window);
        ASSERT_EQ(picture.width, int(running.window->Frame().Width()) + 1);
    }

    // The files page's buttons stand in one row, left to right, none touching
    // another or the window's edges.
    int previousRight = 2;
    for (const char* name : {"MoveUp", "MoveDown", "AddFiles", "RemoveFiles"}) {
        driver::Area button = driver::InWindow(kMainTitle, name);
        ASSERT_TRUE(button.exists) << name;
        EXPECT_GT(button.left, previousRight + 1) << name << " touches its left neighbour";
        previousRight = button.right;
    }
    EXPECT_LE(previousRight, picture.width - 1 - 3);

    // Both buttons keep a margin to the window's edges, and the strip along
    // the right edge beside them is plain background.
    for (const char* name : {"EncodeButton", "CloseButton"}) {
        driver::Area button = driver::InWindow(kMainTitle, name);
        ASSERT_TRUE(button.exists) << name;
        EXPECT_LE(button.right, picture.width - 1 - 3) << name;
        EXPECT_LE(button.bottom, picture.height - 1 - 3) << name;
        for (int y = button.top; y <= button.bottom; ++y)
            for (int x = picture.width - 3; x < picture.width; ++x)
                ASSERT_EQ(picture.At(x, y), picture.At(picture.width - 1, button.top - 4))
                    << name << " reaches the edge at " << x << "," << y;
    }
    EXPECT_LT(driver::InWindow(kMainTitle, "EncodeButton").right,
              driver::InWindow(kMainTitle, "CloseButton").left);

    // The tabs of the tab view are equally wide as drawn.
    std::vector<int> widths = driver::TabWidths(kMainTitle);
    ASSERT_EQ(widths.size(), 3u);
    EXPECT_EQ(widths[0], widths[1]);
    EXPECT_EQ(widths[1], widths[2]);

    // The encoder options page's two fields stay inside the window.
    {
        BAutolock lock(running.window);
        running.window->tabView->Select(1);
    }
    ASSERT_TRUE(driver::WaitFor([] { return driver::CurrentTab(kMainTitle) == 1; }));
    driver::Settle();
    picture = driver::Grab(kMainTitle, savePath("encoder-options.png"));
    for (const char* name : {"BitrateField", "ExtraParam"}) {
        driver::Area control = driver::InWindow(kMainTitle, name);
        ASSERT_TRUE(control.exists) << name;
        EXPECT_LE(control.right, picture.width - 1 - 3) << name;
        EXPECT_GE(control.left, 3) << name;
        // Each label is whole, colon and all, in the page's own font.
        driver::ControlLabel label = driver::Label(kMainTitle, name);
        ASSERT_TRUE(label.exists) << name;
        EXPECT_EQ(label.text.back(), ':') << name;
        EXPECT_FALSE(label.condensed) << name << " is drawn condensed";
        EXPECT_GE(label.column, label.neededAtControlFont) << name << " is cut";
    }

    // Every control of the program options page shows its whole label
    // inside the window.
    {
        BAutolock lock(running.window);
        running.window->tabView->Select(2);
    }
    ASSERT_TRUE(driver::WaitFor([] { return driver::CurrentTab(kMainTitle) == 2; }));
    driver::Settle();
    picture = driver::Grab(kMainTitle, savePath("program-options.png"));
    for (const char* name :
         {"SetEncoderLocation", "EncoderLocation", "DontCloseOnAdd", "DontClearOnOpen",
          "SelfRegisterMIMEType", "RegisterMIMETypeNow", "UnregisterMIMETypeNow"}) {
        driver::Area control = driver::InWindow(kMainTitle, name);
        ASSERT_TRUE(control.exists) << name;
        EXPECT_LE(control.right, picture.width - 1 - 3) << name;
        EXPECT_GE(control.left, 3) << name;
    }
    for (const char* name : {"DontCloseOnAdd", "DontClearOnOpen", "SelfRegisterMIMEType",
                             "RegisterMIMETypeNow", "UnregisterMIMETypeNow"}) {
        driver::Area control = driver::InWindow(kMainTitle, name);
        EXPECT_GE(control.right - control.left + 1, control.neededWidth) << name << " is cut";
    }
}

TEST_F(MainWindowLayout, TheProgressWindowTheAboutBoxAndAnAlertAreDrawnWhole) {
    ASSERT_TRUE(running.shown);
    const char* folder = std::getenv("MF_SCREENSHOT_DIR");
    auto savePath = [&](const char* name) {
        return folder != nullptr ? std::string(folder) + "/" + name : std::string();
    };

    // The progress window as a run shows it, its buttons inside on the right.
    ProgressWindow* progress = running.window->progressWindow;
    ASSERT_TRUE(progress->Lock());
    progress->fileName->SetText("/home/benutzer/Musik/eins.wav");
    progress->fileNumber->SetText("Datei 1 von 3");
    progress->StartFile(0, 3, 1, 1);
    progress->TakeOutput(1, 1, "\r\t[ 45.3%] [ 0m02s remaining] |");
    progress->Show();
    const BRect frame = progress->Frame();
    progress->Unlock();
    const char* progressTitle = "Fortschritt der Kodierung";
    ASSERT_TRUE(driver::WaitFor([&] { return driver::Window(progressTitle).visible; }));
    // The figure follows the busy start once the throttle lets it through.
    ASSERT_TRUE(
        driver::WaitFor([&] { return driver::Bar(progressTitle, "FileProgress").value == 45; }));
    driver::Settle();
    driver::Picture picture = driver::Grab(progressTitle, savePath("progress-window.png"));
    EXPECT_EQ(picture.width, frame.IntegerWidth() + 1);
    for (const char* name : {"SkipFile", "StopEncoding", "FileProgress"}) {
        driver::Area area = driver::InWindow(progressTitle, name);
        ASSERT_TRUE(area.exists) << name;
        EXPECT_LE(area.right, picture.width - 1 - 3) << name;
        EXPECT_LE(area.bottom, picture.height - 1 - 3) << name;
    }
    ASSERT_TRUE(progress->Lock());
    progress->EndRun();
    progress->Hide();
    progress->Unlock();

    // The About box and the alert of a missing readme, each as it is drawn.
    std::filesystem::remove(std::filesystem::path(OwnExecutable()).parent_path() / "readme");
    struct Shot {
        const char* item;
        const char* alert;
        const char* file;
        const char* answer;
    };
    for (const Shot& shot : {Shot{"Über...", "AboutDialog", "about-box.png", "Schließen"},
                             Shot{"Liesmich", "ReadmeDialog", "alert.png", "OK"}}) {
        ASSERT_TRUE(driver::ChooseMenuItem(kMainTitle, "Hilfe", shot.item)) << shot.item;
        ASSERT_TRUE(driver::WaitFor([&] { return driver::AlertShown(shot.alert); })) << shot.item;
        driver::Settle();
        picture = driver::GrabAlert(savePath(shot.file));
        EXPECT_GT(picture.width, 0) << shot.item;
        ASSERT_TRUE(driver::AnswerAlert(shot.answer).has_value()) << shot.item;
    }
}

TEST_F(MainWindowLayout, TheAlertNamingTheFailedEntriesIsDrawnWhole) {
    ASSERT_TRUE(running.shown);
    const std::string oggenc = kit_private::find_program("oggenc");
    if (oggenc.empty())
        GTEST_SKIP() << "vorbis-tools is not installed";
    const char* folder = std::getenv("MF_SCREENSHOT_DIR");

    // A text file that claims to be an MP3, and a tenth of a second of
    // silence as a WAV, run through the real encoder from the button.
    TempDir music;
    music.Write("x.mp3", "Das ist keine Musik.\n");
    std::string wav = "RIFF";
    auto add = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    const uint32_t dataBytes = 4410 * 4;
    add(36 + dataBytes, 4);
    wav += "WAVEfmt ";
    add(16, 4);
    add(1, 2);
    add(2, 2);
    add(44100, 4);
    add(44100 * 4, 4);
    add(4, 2);
    add(16, 2);
    wav += "data";
    add(dataBytes, 4);
    wav.append(dataBytes, '\0');
    music.Write("gut.wav", wav);
    {
        BAutolock lock(running.window);
        ASSERT_TRUE(lock.IsLocked());
        std::strcpy(running.app.encoderPath, oggenc.c_str());
        running.window->filesList->AddFile(music.File("x.mp3").c_str());
        running.window->filesList->AddFile(music.File("gut.wav").c_str());
    }
    ASSERT_TRUE(driver::WaitFor([] { return driver::Widget(kMainTitle, "EncodeButton").enabled; }));
    ASSERT_TRUE(driver::Click(kMainTitle, "EncodeButton"));
    ASSERT_TRUE(driver::WaitFor([] { return driver::AlertShown("EncodeErrors"); },
                                std::chrono::seconds(60)));
    driver::Settle();
    driver::Picture picture = driver::GrabAlert(
        folder != nullptr ? std::string(folder) + "/encode-errors.png" : std::string());
    EXPECT_GT(picture.width, 0);
    auto alert = driver::AnswerAlert("OK");
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->text,
              "Diese Dateien konnten nicht kodiert werden:\n\nx.mp3: ERROR: Input file \"" +
                  music.File("x.mp3") + "\" is not a supported format");
}

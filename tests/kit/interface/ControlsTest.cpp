#include "support/ControlDriver.h"
#include "support/DisplayDriver.h"
#include <kit/display/ControlWidgets.h>
#include <kit/display/Widgets.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BCheckBox.h>
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuField.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BNumberControl.h>
#include <kit/interface/BStatusBar.h>
#include <kit/interface/BStringView.h>
#include <kit/interface/BTextControl.h>
#include <kit/interface/BWindow.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr uint32 kModified = four_cc("MODF");
constexpr uint32 kTicked = four_cc("TICK");
constexpr uint32 kChosen = four_cc("CHSN");
constexpr uint32 kCounted = four_cc("CNTD");
constexpr const char* kTitle = "Bedienelemente";

// A window holding one control of each kind, recording what they send.
class ControlsWindow : public BWindow {
public:
    ControlsWindow() : BWindow(BRect(100, 100, 499, 299), kTitle, B_TITLED_WINDOW, 0) {
        text = new BTextControl(BRect(5, 5, 300, 25), "Text", "Name:", "", nullptr);
        text->SetModificationMessage(new BMessage(kModified));
        text->TextView()->SetMaxBytes(8);
        AddChild(text);

        box = new BCheckBox(BRect(5, 40, 200, 60), "Box", "Ankreuzen", new BMessage(kTicked));
        box->ResizeToPreferred();
        AddChild(box);

        number = new BNumberControl(BRect(200, 40, 210, 50), "Number",
                                    "Anzahl:", new BMessage(kCounted), 1, 5);
        number->SetValue(2);
        number->ResizeToPreferred();
        AddChild(number);

        menu = new BMenu("Auswahl");
        menu->AddItem(new BMenuItem("Eins", nullptr));
        menu->AddSeparatorItem();
        menu->AddItem(new BMenuItem("Zwei", nullptr));
        menu->AddItem(new BMenuItem("Drei", new BMessage(kChosen)));
        menu->ItemAt(0)->SetMarked(true);
        menu->SetLabelFromMarked(true);
        field = new BMenuField(BRect(5, 70, 300, 90), "Field", "Wahl:", menu);
        field->ResizeToPreferred();
        field->SetDivider(60);
        AddChild(field);

        button = new BButton(BRect(310, 5, 390, 30), "Button", "Knopf", nullptr);
        AddChild(button);
        line = new BStringView(BRect(5, 100, 200, 115), "Line", "Zeile");
        AddChild(line);
        bar = new BStatusBar(BRect(5, 130, 300, 140), "Bar", "Fortschritt");
        bar->SetTo(30); // set before the bar has a widget: the widget starts so
        bar->ResizeToPreferred();
        AddChild(bar);
    }

    void MessageReceived(BMessage* message) override {
        std::lock_guard guard(fMutex);
        fReceived.push_back(*message);
        fCondition.notify_all();
    }

    // Waits until count messages of the code have arrived; answers them all.
    std::vector<BMessage> WaitFor(uint32 code, size_t count) {
        std::unique_lock guard(fMutex);
        fCondition.wait_for(guard, std::chrono::seconds(20),
                            [&] { return Of(code).size() >= count; });
        return Of(code);
    }

    BTextControl* text;
    BCheckBox* box;
    BNumberControl* number;
    BMenu* menu;
    BMenuField* field;
    BButton* button;
    BStringView* line;
    BStatusBar* bar;

private:
    std::vector<BMessage> Of(uint32 code) const {
        std::vector<BMessage> found;
        for (const BMessage& message : fReceived)
            if (message.what == code)
                found.push_back(message);
        return found;
    }

    std::mutex fMutex;
    std::condition_variable fCondition;
    std::vector<BMessage> fReceived;
};

class Controls : public testing::Test {
protected:
    void SetUp() override {
        window = new ControlsWindow;
        window->Show();
        ASSERT_TRUE(driver::WaitFor([] { return driver::Window(kTitle).visible; }));
    }
    void TearDown() override {
        if (window->Lock())
            window->Quit();
    }
    // Reads kit state under the window's lock.
    template <class T>
    T Read(const std::function<T()>& read) {
        window->Lock();
        T value = read();
        window->Unlock();
        return value;
    }

    ControlsWindow* window = nullptr;
};

} // namespace

TEST(Utf8Prefix, CutsOnlyBetweenWholeCharacters) {
    struct Case {
        std::string text;
        size_t maxBytes;
        size_t expected;
    };
    const Case cases[] = {
        {"", 4, 0},
        {"abc", 8, 3},
        {"abc", 2, 2},
        {"aü", 2, 1}, // ü takes two bytes: not half of it
        {"aü", 3, 3},
        {"€", 2, 0},  // three bytes
        {"a😀", 4, 1}, // four bytes
        {"a😀", 5, 5},
        {"\xff\xfe", 1, 1},     // bytes that begin nothing stand alone
        {"a\xc3", 2, 2},        // a lead byte without its continuation
        {"\xc3\xa4\xa4", 2, 2}, // a stray continuation byte after a whole ü
        {std::string(128, 'x') + "y", 128, 128},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf8_prefix(c.text, c.maxBytes), c.expected) << c.text;
}

TEST_F(Controls, TextControlTellsOfEveryChangeTypedOrSetAndKeepsItsByteLimit) {
    // Set by the program: one message per change, none for the same text.
    ASSERT_TRUE(window->Lock());
    window->text->SetText("abc");
    window->text->SetText("abc");
    window->text->SetText("abcdefghijk"); // cut to the limit of 8 bytes
    window->Unlock();
    EXPECT_EQ(window->WaitFor(kModified, 2).size(), 2u);
    EXPECT_EQ(Read<std::string>([&] { return window->text->Text(); }), "abcdefgh");
    EXPECT_TRUE(driver::WaitFor([] { return driver::LineText(kTitle, "Text") == "abcdefgh"; }));

    // Typed: the line refuses what passes the limit, counted in bytes, and
    // never takes half of a character.
    ASSERT_TRUE(window->Lock());
    window->text->SetText("abcdef");
    window->Unlock();
    ASSERT_TRUE(driver::WaitFor([] { return driver::LineText(kTitle, "Text") == "abcdef"; }));
    ASSERT_TRUE(driver::TypeInto(kTitle, "Text", "€g"));
    EXPECT_EQ(driver::LineText(kTitle, "Text"), "abcdefg");
    ASSERT_TRUE(driver::TypeInto(kTitle, "Text", "ü"));
    EXPECT_EQ(driver::LineText(kTitle, "Text"), "abcdefg");
    ASSERT_TRUE(driver::TypeInto(kTitle, "Text", "h"));
    auto messages = window->WaitFor(kModified, 5);
    EXPECT_EQ(messages.size(), 5u); // "abcdef", then "g" and "h" as typed
    EXPECT_EQ(Read<std::string>([&] { return window->text->Text(); }), "abcdefgh");

    // A lower limit cuts the text at once, again between characters.
    ASSERT_TRUE(window->Lock());
    window->text->SetText("aüü");
    window->text->TextView()->SetMaxBytes(4);
    EXPECT_STREQ(window->text->Text(), "aü");
    window->Unlock();
}

TEST_F(Controls, TextControlLaysOutItsLabelColumnAndLine) {
    ASSERT_TRUE(window->Lock());
    window->text->SetDivider(50);
    const BRect line = window->text->TextView()->Frame();
    EXPECT_EQ(window->text->Divider(), 50);
    EXPECT_EQ(line.left, 50 + BTextControl::kGap);
    EXPECT_EQ(line.right, window->text->Bounds().right); // the right edge stays
    window->text->ResizeTo(250, window->text->Frame().Height());
    EXPECT_EQ(window->text->TextView()->Frame().right, 250); // the line follows
    window->Unlock();
    driver::Settle();
    driver::WidgetInfo shown = driver::Widget(kTitle, "_input_");
    EXPECT_EQ(shown.x, 52);
    EXPECT_EQ(shown.width, 250 - 52 + 1);
}

TEST_F(Controls, CheckBoxFlipsItsValueAndSendsItsMessage) {
    ASSERT_TRUE(driver::ClickCheckBox(kTitle, "Box"));
    auto ticked = window->WaitFor(kTicked, 1);
    ASSERT_EQ(ticked.size(), 1u);
    EXPECT_EQ(Read<int32>([&] { return window->box->Value(); }), B_CONTROL_ON);
    ASSERT_TRUE(driver::ClickCheckBox(kTitle, "Box"));
    EXPECT_EQ(window->WaitFor(kTicked, 2).size(), 2u);
    EXPECT_EQ(Read<int32>([&] { return window->box->Value(); }), B_CONTROL_OFF);

    // Set by the program: the box follows, and nothing is sent.
    ASSERT_TRUE(window->Lock());
    window->box->SetValue(B_CONTROL_ON);
    window->Unlock();
    EXPECT_TRUE(driver::WaitFor([] { return driver::CheckBoxTicked(kTitle, "Box"); }));
}

TEST_F(Controls, NumberControlKeepsToItsRangeAndSendsOnlyTheUsersChanges) {
    auto shows = [](int value) {
        return driver::WaitFor([=] { return driver::Number(kTitle, "Number").value == value; });
    };
    EXPECT_TRUE(shows(2));
    driver::NumberShown shown = driver::Number(kTitle, "Number");
    EXPECT_EQ(shown.minimum, 1);
    EXPECT_EQ(shown.maximum, 5);
    EXPECT_EQ(shown.accessibleName, "Anzahl:");
    // Its preferred size holds the label uncondensed beside the field.
    driver::ControlLabel label = driver::Label(kTitle, "Number");
    EXPECT_EQ(label.text, "Anzahl:");
    EXPECT_FALSE(label.condensed);
    EXPECT_LE(label.needed, label.column);

    // Stepped by the keyboard: one message per step, none beyond the top.
    ASSERT_TRUE(driver::StepNumber(kTitle, "Number", 1));
    EXPECT_EQ(window->WaitFor(kCounted, 1).size(), 1u);
    EXPECT_EQ(Read<int32>([&] { return window->number->Value(); }), 3);
    ASSERT_TRUE(driver::StepNumber(kTitle, "Number", 5));
    EXPECT_TRUE(shows(5));
    EXPECT_EQ(window->WaitFor(kCounted, 3).size(), 3u);
    EXPECT_EQ(Read<int32>([&] { return window->number->Value(); }), 5);

    // Set by the program: held to the range, shown, and not sent.
    ASSERT_TRUE(window->Lock());
    window->number->SetValue(-3);
    EXPECT_EQ(window->number->Value(), 1);
    window->number->SetValue(9);
    EXPECT_EQ(window->number->Value(), 5);
    window->number->SetValue(4);
    window->Unlock();
    EXPECT_TRUE(shows(4));
    ASSERT_TRUE(driver::StepNumber(kTitle, "Number", -1));
    EXPECT_EQ(window->WaitFor(kCounted, 4).size(), 4u);
    EXPECT_EQ(Read<int32>([&] { return window->number->Value(); }), 3);

    // Tab reaches its field where the control stands among its siblings.
    EXPECT_EQ(driver::AfterTab(kTitle, "Box"), "Number");
    EXPECT_EQ(driver::AfterTab(kTitle, "Number", true), "Box");
}

TEST_F(Controls, MenuFieldMarksTheChosenItemAndShowsItsLabel) {
    EXPECT_EQ(driver::MenuFieldButton(kTitle, "Field"), "Eins");
    EXPECT_EQ(driver::MenuFieldChecked(kTitle, "Field"), "Eins");

    // An item without a message only marks itself.
    ASSERT_TRUE(driver::ChooseFromMenuField(kTitle, "Field", "Zwei"));
    EXPECT_TRUE(driver::WaitFor([] { return driver::MenuFieldButton(kTitle, "Field") == "Zwei"; }));
    EXPECT_EQ(driver::MenuFieldChecked(kTitle, "Field"), "Zwei");
    EXPECT_EQ(Read<std::string>([&] { return window->menu->FindMarked()->Label(); }), "Zwei");
    EXPECT_FALSE(Read<bool>([&] { return window->menu->ItemAt(0)->IsMarked(); }));

    // One with a message sends it to the window as well.
    ASSERT_TRUE(driver::ChooseFromMenuField(kTitle, "Field", "Drei"));
    EXPECT_EQ(window->WaitFor(kChosen, 1).size(), 1u);
    EXPECT_TRUE(driver::WaitFor([] { return driver::MenuFieldButton(kTitle, "Field") == "Drei"; }));

    // Marking by the program shows too; exactly one item stays marked.
    ASSERT_TRUE(window->Lock());
    window->menu->ItemAt(0)->SetMarked(true);
    int32 marked = 0;
    for (int32 i = 0; i < window->menu->CountItems(); ++i)
        marked += window->menu->ItemAt(i)->IsMarked() ? 1 : 0;
    EXPECT_EQ(marked, 1);
    EXPECT_EQ(window->field->ButtonLabel(), "Eins");
    window->Unlock();
    EXPECT_TRUE(driver::WaitFor([] { return driver::MenuFieldButton(kTitle, "Field") == "Eins"; }));
}

TEST_F(Controls, EveryPropertySetOnTheScreenIsShownAndOutlastsAResize) {
    ASSERT_TRUE(window->Lock());
    window->button->SetLabel("Anderer Knopf");
    window->button->SetEnabled(false);
    window->button->MoveTo(300, 8);
    window->box->SetLabel("Neu angekreuzt");
    window->box->SetValue(B_CONTROL_ON);
    window->box->SetEnabled(false);
    window->text->SetLabel("Titel:");
    window->text->SetText("Wert");
    window->text->SetDivider(70);
    window->text->SetEnabled(false);
    window->field->SetDivider(80);
    window->field->SetEnabled(false);
    window->menu->FindItem("Drei")->SetMarked(true);
    window->line->SetText("Andere Zeile");
    window->Unlock();
    // Then the window and the check box take new sizes, which lays out
    // their widgets again.
    ASSERT_TRUE(window->Lock());
    window->ResizeTo(450, 250);
    window->box->ResizeTo(window->box->Frame().Width() + 20, window->box->Frame().Height());
    window->Unlock();
    ASSERT_TRUE(driver::WaitFor([] { return driver::Window(kTitle).width == 451; }));
    driver::Settle();

    EXPECT_EQ(driver::ShownLabel(kTitle, "Button"), "Anderer Knopf");
    driver::WidgetInfo button = driver::Widget(kTitle, "Button");
    EXPECT_FALSE(button.enabled);
    EXPECT_EQ(button.x, 300);
    EXPECT_EQ(button.y, 8);

    EXPECT_EQ(driver::ShownLabel(kTitle, "Box"), "Neu angekreuzt");
    EXPECT_TRUE(driver::CheckBoxTicked(kTitle, "Box"));
    EXPECT_FALSE(driver::Widget(kTitle, "Box").enabled);

    EXPECT_EQ(driver::ShownLabel(kTitle, "Text"), "Titel:");
    EXPECT_EQ(driver::LineText(kTitle, "Text"), "Wert");
    EXPECT_EQ(driver::Widget(kTitle, "_input_").x, 70 + int(BTextControl::kGap));
    // The line is read by the control's new label too.
    EXPECT_EQ(driver::Widget(kTitle, "_input_").accessibleName, "Titel:");
    EXPECT_FALSE(driver::Widget(kTitle, "Text").enabled);

    EXPECT_EQ(driver::ShownLabel(kTitle, "Field"), "Wahl:");
    EXPECT_EQ(driver::MenuFieldButton(kTitle, "Field"), "Drei");
    EXPECT_EQ(driver::MenuFieldChecked(kTitle, "Field"), "Drei");
    EXPECT_FALSE(driver::Widget(kTitle, "Field").enabled);

    EXPECT_EQ(driver::Widget(kTitle, "Line").text, "Andere Zeile");
}

TEST_F(Controls, StatusBarKeepsItsFigureInRangeAndTheDrawnBarAndItsReaderFollow) {
    auto shows = [](int minimum, int maximum, int value) {
        return driver::WaitFor([=] {
            driver::BarShown shown = driver::Bar(kTitle, "Bar");
            return shown.minimum == minimum && shown.maximum == maximum && shown.value == value;
        });
    };
    EXPECT_TRUE(shows(0, 100, 30));
    driver::BarShown shown = driver::Bar(kTitle, "Bar");
    EXPECT_EQ(shown.accessibleName, "Fortschritt");
    EXPECT_EQ(shown.accessibleValue, 30);
    EXPECT_EQ(shown.accessibleMaximum, 100);

    // Each step: what the program does, then the kit's figure and what the
    // widget shows. Busy is Qt's empty range, in which Qt's bar has no value
    // (-1); the kit's value waits beneath it.
    struct Step {
        const char* what;
        std::function<void(BStatusBar*)> act;
        float value;
        bool busy;
        int maximum, shownValue;
    };
    const Step steps[] = {
        {"update", [](BStatusBar* b) { b->Update(12.4f); }, 42.4f, false, 100, 42},
        {"past the maximum", [](BStatusBar* b) { b->SetTo(250); }, 100, false, 100, 100},
        {"below zero", [](BStatusBar* b) { b->SetTo(-3); }, 0, false, 100, 0},
        {"busy", [](BStatusBar* b) { b->SetTo(20), b->SetBusy(true); }, 20, true, 0, -1},
        {"a figure ends busy", [](BStatusBar* b) { b->SetTo(45.3f); }, 45.3f, false, 100, 45},
        {"a lower maximum", [](BStatusBar* b) { b->SetMaxValue(40); }, 40, false, 40, 40},
        {"reset", [](BStatusBar* b) { b->SetMaxValue(100), b->Reset(); }, 0, false, 100, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(window->Lock());
        step.act(window->bar);
        EXPECT_FLOAT_EQ(window->bar->CurrentValue(), step.value);
        EXPECT_EQ(window->bar->IsBusy(), step.busy);
        window->Unlock();
        EXPECT_TRUE(shows(0, step.maximum, step.shownValue));
        EXPECT_EQ(driver::Bar(kTitle, "Bar").accessibleValue, step.shownValue);
    }
}

// Counts the paint events of the widget it watches; lives on the display
// thread, as event filters must.
class PaintCounter : public QObject {
public:
    std::atomic<int> paints{0};
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(Controls, ABusyBarKeepsMovingButDrawsAtMostTenFramesASecond) {
    ASSERT_TRUE(window->Lock());
    window->bar->SetBusy(true);
    window->Unlock();
    ASSERT_TRUE(driver::WaitFor([] { return driver::Bar(kTitle, "Bar").maximum == 0; }));
    auto find = [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowTitle() == QString::fromUtf8(kTitle))
                return top->findChild<QProgressBar*>();
        return static_cast<QProgressBar*>(nullptr);
    };
    PaintCounter* counter = driver::OnDisplay<PaintCounter*>([&] {
        QProgressBar* bar = find();
        if (bar == nullptr)
            return static_cast<PaintCounter*>(nullptr);
        auto* watching = new PaintCounter;
        bar->installEventFilter(watching);
        return watching;
    });
    ASSERT_NE(counter, nullptr);
    // The style's clock asks for sixty frames a second. Frames are counted
    // until five have come, which a bar that ended its animation when a
    // frame was left out would never draw; a busy machine only makes that
    // take longer. There may be one frame for each tenth of a second that
    // passed and a couple more: the first, and one the change to busy may
    // still have asked for.
    const auto start = std::chrono::steady_clock::now();
    auto passed = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    };
    while (counter->paints < 5 && passed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int paints = counter->paints;
    const auto milliseconds = passed();
    driver::OnDisplay<bool>([&] {
        delete counter;
        return true;
    });
    EXPECT_GE(paints, 5);
    EXPECT_LE(paints, milliseconds / 100 + 3) << "in " << milliseconds << " ms";
}

// A style whose menu bar has a frame, margins and padded items of its own,
// where the styles at hand have none.
class FramedMenuBarStyle : public QProxyStyle {
public:
    FramedMenuBarStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_MenuBarPanelWidth:
            return 2;
        case PM_MenuBarVMargin:
            return 3;
        case PM_MenuBarHMargin:
            return 5;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuBarItem)
            result += QSize(6, 7);
        else if (type == CT_MenuBar)
            result += QSize(0, 1);
        return result;
    }
};

TEST(Measures, MenuBarHeightIsTheHeightARealMenuBarTakes) {
    // The height is worked out without a menu bar; it must agree with one
    // in every style at hand and for small, ordinary and large fonts, or the
    // window's views would overlap the bar or leave a gap under it.
    const std::vector<std::string> failures = driver::OnDisplay<std::vector<std::string>>([] {
        std::vector<std::string> wrong;
        QFont small = QApplication::font();
        small.setPointSize(6);
        QFont large = QApplication::font();
        large.setPixelSize(31);
        QFont bold = QApplication::font();
        bold.setPointSize(14);
        bold.setBold(true);
        std::vector<std::pair<std::string, std::unique_ptr<QStyle>>> styles;
        for (const QString& key : QStyleFactory::keys())
            styles.emplace_back(key.toStdString(), QStyleFactory::create(key));
        styles.emplace_back("framed", std::make_unique<FramedMenuBarStyle>());
        for (const auto& [key, style] : styles) {
            for (const QFont& font : {QApplication::font("QMenuBar"), small, large, bold}) {
                QMenuBar bar;
                bar.setNativeMenuBar(false);
                bar.setStyle(style.get());
                bar.setFont(font);
                bar.addMenu(QStringLiteral("Liste"));
                const int real = bar.sizeHint().height();
                const float worked = display::MenuBarHeightFor(font, *style);
                if (worked != float(real))
                    wrong.push_back(key + " " + font.toString().toStdString() + ": " +
                                    std::to_string(worked) + " instead of " + std::to_string(real));
            }
        }
        QMenuBar bar;
        bar.setNativeMenuBar(false);
        bar.addMenu(QStringLiteral("Hilfe"));
        if (display::MenuBarHeight() != float(bar.sizeHint().height()))
            wrong.push_back("the program's own style and font");
        return wrong;
    });
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
}

TEST(Measures, ButtonSizeIsTheButtonsOwnHintWithoutTheStylesFloor) {
    // A button is as tall as Qt makes it and as wide, unless Qt's floor for
    // labelled buttons widened it: then it is narrower, but never narrower
    // than its label.
    const std::vector<std::string> failures = driver::OnDisplay<std::vector<std::string>>([] {
        std::vector<std::string> wrong;
        for (const char* label : {"Beenden", "OK", "", "Hinzufügen...", "Nach unten schieben",
                                  "&Kodieren!", "Datei auslassen"}) {
            QPushButton button(QString::fromUtf8(label));
            const QSize hint = button.sizeHint();
            const seam::Size size = display::PreferredButtonSize(label);
            const int text = button.fontMetrics().size(Qt::TextShowMnemonic, button.text()).width();
            const bool floored = size.width < float(hint.width());
            if (size.height != float(hint.height()) || size.width > float(hint.width()) ||
                size.width <= float(text) || (floored && hint.width() > 80))
                wrong.push_back(std::string(label) + ": " + std::to_string(size.width) + "x" +
                                std::to_string(size.height) + " for a hint of " +
                                std::to_string(hint.width()) + "x" + std::to_string(hint.height()));
        }
        return wrong;
    });
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
}

TEST(Measures, CheckBoxLabelBreaksWhereFillingEachLineWordByWordWould) {
    // Each line holds as many of the remaining words as fit beside the box,
    // at least one, at every font: the label breaks where filling each line
    // word by word, measuring every longer line, would break it.
    const std::vector<std::string> failures = driver::OnDisplay<std::vector<std::string>>([] {
        std::vector<std::string> wrong;
        QFont large = QApplication::font();
        large.setPixelSize(23);
        const QString labels[] = {
            QStringLiteral("\"Dateien hinzufügen\"-Dialog nach dem Hinzufügen von Dateien "
                           "nicht schließen"),
            QStringLiteral("Aktuelle Liste beim Öffnen einer anderen Liste nicht löschen"),
            QStringLiteral("Ein Donaudampfschifffahrtsgesellschaftskapitän"),
            QStringLiteral("Kurz"),
        };
        for (const QFont& font : {QApplication::font(), large}) {
            QCheckBox box;
            box.setFont(font);
            QStyleOptionButton option;
            option.initFrom(&box);
            option.text = QStringLiteral("x");
            const int overhead = box.style()
                                     ->sizeFromContents(QStyle::CT_CheckBox, &option,
                                                        QSize(0, box.fontMetrics().height()), &box)
                                     .width();
            auto fits = [&](const QString& line, int width) {
                return box.fontMetrics().size(Qt::TextShowMnemonic, line).width() <=
                       width - overhead;
            };
            for (const QString& label : labels)
                for (int width : {40, 120, 200, 300, 410, 2000}) {
                    QString expected;
                    QString line;
                    for (const QString& word : label.split(QLatin1Char(' '))) {
                        const QString longer = line.isEmpty() ? word : line + u' ' + word;
                        if (!line.isEmpty() && !fits(longer, width)) {
                            expected += line + u'\n';
                            line = word;
                        } else {
                            line = longer;
                        }
                    }
                    expected += line;
                    const QString wrapped = display::WrapCheckBoxLabel(box, label, width);
                    if (wrapped != expected)
                        wrong.push_back(label.toStdString() + " at " + std::to_string(width) +
                                        ": \"" + wrapped.toStdString() + "\" instead of \"" +
                                        expected.toStdString() + "\"");
                }
        }
        return wrong;
    });
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
}

TEST(Measures, TextAdvanceKeptForOneFontIsNeverAnsweredForAnother) {
    // The same label in fonts that differ only in size, weight or stretch,
    // asked again in a different order, is each time as wide as its font
    // makes it.
    const std::vector<std::string> failures = driver::OnDisplay<std::vector<std::string>>([] {
        std::vector<std::string> wrong;
        QFont large = QApplication::font();
        large.setPixelSize(27);
        QFont bold = QApplication::font();
        bold.setBold(true);
        QFont narrow = QApplication::font();
        narrow.setStretch(80);
        const std::vector<QFont> fonts = {QApplication::font(), large, bold, narrow};
        const QString texts[] = {QStringLiteral("Gleichzeitige Kodierungen:"),
                                 QStringLiteral("Zusätzliche Parameter:"), QString()};
        for (int round = 0; round < 2; ++round)
            for (size_t i = 0; i < fonts.size(); ++i) {
                const QFont& font = fonts[round == 0 ? i : fonts.size() - 1 - i];
                for (const QString& text : texts) {
                    const int expected = QFontMetrics(font).horizontalAdvance(text);
                    const int kept = display::TextAdvance(font, text);
                    if (kept != expected)
                        wrong.push_back(font.toString().toStdString() + " \"" + text.toStdString() +
                                        "\": " + std::to_string(kept) + " instead of " +
                                        std::to_string(expected));
                }
            }
        return wrong;
    });
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
}

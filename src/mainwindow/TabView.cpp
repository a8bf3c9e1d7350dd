#include "mainwindow/TabView.h"

#include "encoding/EncoderView.h"
#include "filelist/FilesView.h"
#include "mainwindow/OptionsView.h"

TabView::TabView(BRect frame, BButton* encodeButton, MainWindow* window)
    : BTabView(frame, "TabView", B_WIDTH_AS_USUAL, B_FOLLOW_ALL_SIDES,
               B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_NAVIGABLE_JUMP | B_FRAME_EVENTS |
                   B_NAVIGABLE) {
    // The pages fill the area under the tabs, 10 in from the edges, with a
    // little more room on the right and at the bottom for the frame.
    BRect page = Bounds();
    page.InsetBy(10, 10);
    page.right -= 2;
    page.bottom -= TabHeight() + 3;

    filesView = new FilesView(page, encodeButton, window);
    AddTab(filesView, new BTab);
    encoderView = new EncoderView(page);
    AddTab(encoderView, new BTab);
    optionsView = new OptionsView(page);
    AddTab(optionsView, new BTab);
}

TabView::~TabView() = default;

#include "filelist/FilesView.h"

FilesView::FilesView(BRect frame, BButton*, MainWindow*)
    : BView(frame, "Dateien", B_FOLLOW_NONE, 0) {
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

FilesView::~FilesView() = default;

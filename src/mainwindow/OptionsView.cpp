#include "mainwindow/OptionsView.h"

OptionsView::OptionsView(BRect frame) : BView(frame, "Programm-Optionen", B_FOLLOW_NONE, 0) {
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

OptionsView::~OptionsView() = default;

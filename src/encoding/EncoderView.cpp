#include "encoding/EncoderView.h"

EncoderView::EncoderView(BRect frame) : BView(frame, "Oggenc-Optionen", B_FOLLOW_NONE, 0) {
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

EncoderView::~EncoderView() = default;

void EncoderView::MessageReceived(BMessage*) {}

#include "storage/BFilePanelWindow.h"

#include "storage/BFilePanel.h"

void BFilePanelWindow::SetTitle(const char* title) {
    fPanel->SetTitle(title);
}

const char* BFilePanelWindow::Title() const {
    return fPanel->fTitle.c_str();
}

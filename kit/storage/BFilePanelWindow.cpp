#include <kit/storage/BFilePanelWindow.h>

#include <kit/storage/BFilePanel.h>

void BFilePanelWindow::SetTitle(const char* title) {
    fPanel->SetTitle(title);
}

const char* BFilePanelWindow::Title() const {
    return fPanel->fTitle.c_str();
}

#pragma once

// The panel's window as far as its owner sees it: the panel is not a looper
// window, so this stands in for one. Thread: as the panel's.
class BFilePanel;

class BFilePanelWindow {
public:
    void SetTitle(const char* title);
    const char* Title() const;

private:
    friend class BFilePanel;
    explicit BFilePanelWindow(BFilePanel* panel) : fPanel(panel) {}

    BFilePanel* fPanel;
};

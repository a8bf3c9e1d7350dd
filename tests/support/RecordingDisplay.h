#pragma once

// A display without widgets for kit tests: it records every change the kit
// hands over, answers measurements from a table the test fills in, and keeps
// the alerts it is asked to show until the test answers them. Installed in
// place of the Qt display, it lets a test read exactly what the kit asks of
// a display, with no Qt Widgets and no waiting for a display thread.
//
// Thread: any; every member takes the display's own mutex.

#include <kit/interface/DisplaySeam.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class RecordingDisplay : public seam::Display {
public:
    // Installs itself for the kit and removes itself again when it goes.
    RecordingDisplay();
    ~RecordingDisplay() override;

    // What measuring answers: sizes by kind and text ("button:OK",
    // "label:Text", "checkbox:<maxWidth>:Label", "menubar", "tabbar",
    // "lineedit", "statusbar"), widths of text ("width:Text").
    void SetSize(const std::string& key, seam::Size size);

    // The batches handed over so far, in order, and all their changes in one row.
    std::vector<std::vector<seam::Change>> Batches();
    std::vector<seam::Change> Changes();
    // Forgets what was recorded.
    void Clear();
    // Waits until count batches have come.
    bool WaitForBatches(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Waits for an alert and answers it with the button of that index.
    bool AnswerAlert(int32 index, seam::AlertRequest* shown = nullptr,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));

    void Announce() override {}
    void Initialize() override {}
    void Exec() override;
    void Exit() override;
    void Shutdown() override {}
    bool IsInitialized() override { return false; }
    bool IsAvailable() override { return true; }
    bool IsDisplayThread() override { return false; }
    void Apply(std::vector<seam::Change> batch) override;
    seam::Size PreferredButtonSize(const std::string& label) override;
    seam::Size PreferredLabelSize(const std::string& text) override;
    seam::Size PreferredCheckBoxSize(const std::string& label, int maxWidth) override;
    seam::Size PreferredMenuButtonSize(const std::vector<std::string>& labels) override;
    seam::Size PreferredNumberFieldSize(int32 minimum, int32 maximum) override;
    float MenuBarHeight() override;
    float TabHeight() override;
    float LabelWidth(const std::string& text) override;
    float LineEditHeight() override;
    float StatusBarHeight() override;
    rgb_color PanelBackgroundColor() override { return rgb_color{200, 201, 202, 255}; }
    void SetProgramName(const std::string&) override {}
    void ShowAlert(seam::AlertRequest request) override;
    void DismissAlerts() override;

private:
    seam::Size Lookup(const std::string& key);

    std::mutex fMutex;
    std::condition_variable fChanged;
    std::map<std::string, seam::Size> fSizes;
    std::vector<std::vector<seam::Change>> fBatches;
    std::vector<seam::AlertRequest> fAlerts;
    bool fExited = false;
};

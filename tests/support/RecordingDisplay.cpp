#include "support/RecordingDisplay.h"

#include <gtest/gtest.h>

RecordingDisplay::RecordingDisplay() {
    seam::Install(this);
}

RecordingDisplay::~RecordingDisplay() {
    seam::Install(nullptr);
}

void RecordingDisplay::SetSize(const std::string& key, seam::Size size) {
    std::lock_guard guard(fMutex);
    fSizes[key] = size;
}

std::vector<std::vector<seam::Change>> RecordingDisplay::Batches() {
    std::lock_guard guard(fMutex);
    return fBatches;
}

std::vector<seam::Change> RecordingDisplay::Changes() {
    std::lock_guard guard(fMutex);
    std::vector<seam::Change> all;
    for (const auto& batch : fBatches)
        all.insert(all.end(), batch.begin(), batch.end());
    return all;
}

void RecordingDisplay::Clear() {
    std::lock_guard guard(fMutex);
    fBatches.clear();
}

bool RecordingDisplay::WaitForBatches(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock guard(fMutex);
    return fChanged.wait_for(guard, timeout, [&] { return fBatches.size() >= count; });
}

bool RecordingDisplay::AnswerAlert(int32 index, seam::AlertRequest* shown,
                                   std::chrono::milliseconds timeout) {
    std::unique_lock guard(fMutex);
    if (!fChanged.wait_for(guard, timeout, [&] { return !fAlerts.empty(); }))
        return false;
    seam::AlertRequest request = std::move(fAlerts.front());
    fAlerts.erase(fAlerts.begin());
    guard.unlock();
    request.answered(index);
    if (shown != nullptr)
        *shown = std::move(request);
    return true;
}

void RecordingDisplay::Exec() {
    std::unique_lock guard(fMutex);
    fChanged.wait(guard, [&] { return fExited; });
    fExited = false;
}

void RecordingDisplay::Exit() {
    std::lock_guard guard(fMutex);
    fExited = true;
    fChanged.notify_all();
}

void RecordingDisplay::Apply(std::vector<seam::Change> batch) {
    std::lock_guard guard(fMutex);
    fBatches.push_back(std::move(batch));
    fChanged.notify_all();
}

seam::Size RecordingDisplay::Lookup(const std::string& key) {
    std::lock_guard guard(fMutex);
    auto it = fSizes.find(key);
    // A measurement the test did not expect is a fault of the test or of
    // the kit: it would be answered with a made-up size otherwise.
    if (it == fSizes.end()) {
        ADD_FAILURE() << "no size for " << key;
        return {};
    }
    return it->second;
}

seam::Size RecordingDisplay::PreferredButtonSize(const std::string& label) {
    return Lookup("button:" + label);
}

seam::Size RecordingDisplay::PreferredLabelSize(const std::string& text) {
    return Lookup("label:" + text);
}

seam::Size RecordingDisplay::PreferredCheckBoxSize(const std::string& label, int maxWidth) {
    return Lookup("checkbox:" + std::to_string(maxWidth) + ":" + label);
}

seam::Size RecordingDisplay::PreferredMenuButtonSize(const std::vector<std::string>& labels) {
    std::string key = "menubutton:";
    for (const std::string& label : labels)
        key += label + ";";
    return Lookup(key);
}

seam::Size RecordingDisplay::PreferredNumberFieldSize(int32 minimum, int32 maximum) {
    return Lookup("numberfield:" + std::to_string(minimum) + ":" + std::to_string(maximum));
}

float RecordingDisplay::MenuBarHeight() {
    return Lookup("menubar").height;
}

float RecordingDisplay::TabHeight() {
    return Lookup("tabbar").height;
}

float RecordingDisplay::LabelWidth(const std::string& text) {
    return Lookup("width:" + text).width;
}

float RecordingDisplay::LineEditHeight() {
    return Lookup("lineedit").height;
}

float RecordingDisplay::StatusBarHeight() {
    return Lookup("statusbar").height;
}

void RecordingDisplay::ShowAlert(seam::AlertRequest request) {
    std::lock_guard guard(fMutex);
    fAlerts.push_back(std::move(request));
    fChanged.notify_all();
}

void RecordingDisplay::DismissAlerts() {
    std::lock_guard guard(fMutex);
    // Dropping the requests drops their callbacks: a waiting alert sees no
    // answer, as with the real display.
    fAlerts.clear();
}

#include <kit/display/QtDisplay.h>

#include <kit/display/Alerts.h>
#include <kit/display/Controls.h>
#include <kit/display/Display.h>
#include <kit/display/FilePanels.h>
#include <kit/display/NumberControls.h>
#include <kit/display/Widgets.h>

namespace display {

namespace {

// Each change becomes the display task that carries it out.
struct ToTask {
    Task operator()(seam::CreateWindow& c) const { return CreateWindow(std::move(c.shape)); }
    Task operator()(const seam::DestroyWindow& c) const { return DestroyWindow(c.id); }
    Task operator()(seam::WindowTitle& c) const { return SetWindowTitle(c.id, std::move(c.title)); }
    Task operator()(const seam::WindowFrame& c) const { return SetWindowFrame(c.id, c.frame); }
    Task operator()(const seam::WindowShown& c) const { return SetWindowShown(c.id, c.shown); }
    Task operator()(const seam::ActivateWindow& c) const { return ActivateWindow(c.id); }
    Task operator()(seam::CreateView& c) const { return CreateView(std::move(c.shape)); }
    Task operator()(const seam::DestroyView& c) const { return DestroyView(c.id); }
    Task operator()(const seam::ViewFrame& c) const { return SetViewFrame(c.id, c.frame); }
    Task operator()(const seam::ViewColor& c) const { return SetViewColor(c.id, c.color); }
    Task operator()(const seam::ViewEnabled& c) const { return SetViewEnabled(c.id, c.enabled); }
    Task operator()(const seam::ViewFocus& c) const { return SetViewFocus(c.id, c.focus); }
    Task operator()(seam::ViewLook& c) const { return SetViewLook(c.id, std::move(c.look)); }
    Task operator()(seam::FeedList& c) const { return FeedList(c.id, std::move(c.feed)); }
    Task operator()(seam::ShowPanel& c) const { return ShowFilePanel(std::move(c.shape)); }
    Task operator()(seam::UpdatePanel& c) const { return UpdateFilePanel(std::move(c.shape)); }
    Task operator()(const seam::HidePanel& c) const { return HideFilePanel(c.id); }
    Task operator()(const seam::DestroyPanel& c) const { return DestroyFilePanel(c.id); }
};

class QtDisplay final : public seam::Display {
public:
    void Announce() override { display::Announce(); }
    void SetOptions(std::vector<std::string> options) override {
        display::SetOptions(std::move(options));
    }
    void Initialize() override { display::Initialize(); }
    void Exec() override { display::Exec(); }
    void Exit() override { display::Exit(); }
    void Shutdown() override { display::Shutdown(); }
    bool IsInitialized() override { return display::IsInitialized(); }
    bool IsAvailable() override { return display::IsAvailable(); }
    bool IsDisplayThread() override { return display::IsDisplayThread(); }

    void Apply(std::vector<seam::Change> batch) override {
        std::vector<Task> tasks;
        tasks.reserve(batch.size());
        for (seam::Change& change : batch)
            tasks.push_back(std::visit(ToTask{}, change));
        Post([tasks = std::move(tasks)] {
            for (const Task& task : tasks)
                task();
        });
    }

    seam::Size PreferredButtonSize(const std::string& label) override {
        return display::PreferredButtonSize(label);
    }
    seam::Size PreferredLabelSize(const std::string& text) override {
        return display::PreferredLabelSize(text);
    }
    seam::Size PreferredCheckBoxSize(const std::string& label, int maxWidth) override {
        return display::PreferredCheckBoxSize(label, maxWidth);
    }
    seam::Size PreferredMenuButtonSize(const std::vector<std::string>& labels) override {
        return display::PreferredMenuButtonSize(labels);
    }
    seam::Size PreferredNumberFieldSize(int32 minimum, int32 maximum) override {
        return display::PreferredNumberFieldSize(minimum, maximum);
    }
    float MenuBarHeight() override { return display::MenuBarHeight(); }
    float TabHeight() override { return display::TabHeight(); }
    float LabelWidth(const std::string& text) override { return display::LabelWidth(text); }
    float LineEditHeight() override { return display::LineEditHeight(); }
    float StatusBarHeight() override { return display::StatusBarHeight(); }
    rgb_color PanelBackgroundColor() override { return display::PanelBackgroundColor(); }

    void SetProgramName(const std::string& name) override { display::SetProgramName(name); }
    void ShowAlert(seam::AlertRequest request) override {
        display::ShowAlert(request.title, request.text, request.buttons, request.type,
                           std::move(request.answered), std::move(request.givenUp), request.modal);
    }
    void DismissAlerts() override { display::DismissAlerts(); }
};

} // namespace

seam::Display& Qt() {
    static QtDisplay qt;
    return qt;
}

} // namespace display

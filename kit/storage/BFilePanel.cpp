#include <kit/storage/BFilePanel.h>

#include <kit/app/AppDefs.h>
#include <kit/app/BApplication.h>
#include <kit/interface/DisplaySeam.h>

namespace {

uint64 NextPanelId() {
    static std::atomic<uint64> next{1};
    return next.fetch_add(1);
}

} // namespace

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory,
                       uint32 nodeFlavors, bool allowMultipleSelection, BMessage* message,
                       void* /*filter*/, bool modal, bool hideWhenDone)
    : fId(NextPanelId()), fMode(mode), fNodeFlavors(nodeFlavors == 0 ? B_FILE_NODE : nodeFlavors),
      // A save panel names one file.
      fMultiple(mode == B_OPEN_PANEL && allowMultipleSelection), fModal(modal), fMessage(message),
      // Plain defaults; the application gives its panels words of its own.
      fHideWhenDone(hideWhenDone), fTitle(mode == B_SAVE_PANEL ? "Save" : "Open"),
      fAcceptLabel(mode == B_SAVE_PANEL ? "Save" : "Open"), fCancelLabel("Cancel"),
      fReplaceQuestion("\"%s\" already exists. Replace it?"), fReplaceLabel("Replace"),
      fKeepLabel("Cancel"), fShowing(std::make_shared<std::atomic<bool>>(false)), fWindow(this) {
    if (target != nullptr)
        fTarget = *target;
    if (directory != nullptr && directory->IsSet())
        fDirectory = directory->path;
}

BFilePanel::~BFilePanel() {
    // The dialog belongs to the display thread; it goes there.
    if (fMade)
        seam::Need().Apply({seam::DestroyPanel{fId}});
}

void BFilePanel::SetTitle(const char* title) {
    fTitle = title != nullptr ? title : "";
    Update();
}

void BFilePanel::SetButtonLabel(file_panel_button button, const char* label) {
    (button == B_DEFAULT_BUTTON ? fAcceptLabel : fCancelLabel) = label != nullptr ? label : "";
    Update();
}

void BFilePanel::SetReplaceQuestion(const char* question, const char* replaceLabel,
                                    const char* keepLabel) {
    fReplaceQuestion = question != nullptr ? question : "";
    fReplaceLabel = replaceLabel != nullptr ? replaceLabel : "";
    fKeepLabel = keepLabel != nullptr ? keepLabel : "";
    Update();
}

void BFilePanel::SetNameFilters(std::vector<std::string> filters) {
    fNameFilters = std::move(filters);
    Update();
}

void BFilePanel::SetHideWhenDone(bool hide) {
    fHideWhenDone = hide;
    Update();
}

void BFilePanel::SetTarget(BMessenger target) {
    fTarget = std::move(target);
    Update();
}

void BFilePanel::SetMessage(BMessage* message) {
    fMessage.reset(message);
    Update();
}

void BFilePanel::Show() {
    fMade = true;
    fShowing->store(true);
    seam::Need().Apply({seam::ShowPanel{Shape()}});
}

void BFilePanel::Hide() {
    if (!fMade)
        return;
    fShowing->store(false);
    seam::Need().Apply({seam::HidePanel{fId}});
}

bool BFilePanel::IsShowing() const {
    return fShowing->load();
}

void BFilePanel::Update() {
    if (fMade)
        seam::Need().Apply({seam::UpdatePanel{Shape()}});
}

seam::FilePanelShape BFilePanel::Shape() const {
    seam::FilePanelShape shape;
    shape.id = fId;
    shape.save = fMode == B_SAVE_PANEL;
    shape.keepLinks = (fNodeFlavors & B_SYMLINK_NODE) != 0;
    shape.multiple = fMultiple;
    shape.modal = fModal;
    shape.hideWhenDone = fHideWhenDone;
    shape.directory = fDirectory;
    shape.title = fTitle;
    shape.acceptLabel = fAcceptLabel;
    shape.cancelLabel = fCancelLabel;
    shape.replaceQuestion = fReplaceQuestion;
    shape.replaceLabel = fReplaceLabel;
    shape.keepLabel = fKeepLabel;
    shape.nameFilters = fNameFilters;
    // The application is looked up here, on the owner's thread, rather than
    // by the display when the user confirms.
    shape.target = fTarget == BMessenger() ? be_app_messenger : fTarget;
    if (fMessage != nullptr)
        shape.message = *fMessage;
    else
        shape.message = BMessage(fMode == B_SAVE_PANEL ? B_SAVE_REQUESTED : B_REFS_RECEIVED);
    shape.showing = fShowing;
    return shape;
}

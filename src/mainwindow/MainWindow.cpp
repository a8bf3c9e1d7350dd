#include "mainwindow/MainWindow.h"

#include "app/ButtonSlot.h"
#include "app/Commands.h"
#include "app/MFApp.h"
#include "app/MessageRefs.h"
#include "app/StopAlert.h"
#include "encoding/EncoderView.h"
#include "encoding/MirvexLaunch.h"
#include "encoding/ProgressWindow.h"
#include "filelist/FilesList.h"
#include "filelist/FilesView.h"
#include "mainwindow/OptionsView.h"
#include "mainwindow/TabView.h"
#include <kit/app/BAutolock.h>
#include <kit/app/BRoster.h>
#include <kit/interface/BAlert.h>
#include <kit/interface/BButton.h>
#include <kit/interface/BMenu.h>
#include <kit/interface/BMenuBar.h>
#include <kit/interface/BMenuItem.h>
#include <kit/interface/BStringItem.h>
#include <kit/interface/BTextControl.h>
#include <kit/interface/BTextView.h>
#include <kit/storage/BEntry.h>
#include <kit/storage/BFile.h>
#include <kit/storage/BFilePanel.h>
#include <kit/storage/BNodeInfo.h>
#include <kit/storage/BPath.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

constexpr const char* kTitle = "Mirvex OggVorbis Frontend 1.2a";

// The window is 441 by 281 pixels, unless the row of buttons of the files
// page needs more width at the desktop's font: then it is as wide as that
// row needs, and everything else keeps its arithmetic. A page is 32 narrower
// than the window: the tab view stands 5 in from either side, the page 10 in
// from the tab view's left and 12 from its right.
BRect WindowFrame() {
    BRect frame(100, 100, 540, 380);
    frame.right = std::max(frame.right, frame.left + FilesView::RowWidth() + 32);
    return frame;
}

MFApp* App() {
    return static_cast<MFApp*>(be_app);
}

} // namespace

MainWindow::MainWindow(BMessage* launchRefs)
    : BWindow(WindowFrame(), kTitle, B_TITLED_WINDOW,
              B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS, B_CURRENT_WORKSPACE) {
    encoderRef = entry_ref();
    optionsBefore[0] = '\0';
    optionsAfter[0] = '\0';

    progressWindow = new ProgressWindow(this);
    progressWindow->Run();

    BuildMenus();

    BRect backFrame = Bounds();
    backFrame.top = menuBar->Frame().bottom + 1;
    backView = new BView(backFrame, "BackView", B_FOLLOW_ALL_SIDES, 0);
    backView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    AddChild(backView);

    // Both buttons sit at the bottom right, the encode button to the left of
    // the close button, and take the size their labels need.
    const float right = backView->Bounds().right;
    const float bottom = backView->Bounds().bottom;
    closeButton = new BButton(BRect(right - 79, bottom - 29, right - 5, bottom - 5), "CloseButton",
                              "Beenden", new BMessage(cmd::CLOS), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM,
                              B_WILL_DRAW | B_NAVIGABLE);
    ResizeButtonToFit(closeButton);
    backView->AddChild(closeButton);

    const float closeWidth = closeButton->Frame().Width();
    encodeButton =
        new BButton(BRect(right - 83 - closeWidth, bottom - 29, right - 9 - closeWidth, bottom - 5),
                    "EncodeButton", "Kodieren!", new BMessage(cmd::ENCD),
                    B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW | B_NAVIGABLE);
    ResizeButtonToFit(encodeButton);
    encodeButton->SetEnabled(false);
    backView->AddChild(encodeButton);

    tabView = new TabView(BRect(5, 5, right - 5, bottom - 34), encodeButton, this);
    backView->AddChild(tabView);
    tabView->SetTabWidth(B_WIDTH_FROM_WIDEST);

    filesList = tabView->filesView->filesList;
    FitOptionsPage();
    // The keys start in the list, where the work is; a press of the space
    // bar then never reaches "Beenden" unseen.
    filesList->MakeFocus();

    // The files the program was started with are in the list before the
    // window shows.
    if (launchRefs != nullptr)
        RefsReceived(launchRefs);
}

MainWindow::~MainWindow() = default;

void MainWindow::FitOptionsPage() {
    // The options page's last line needs more height than the designed
    // window gives its pages, the more so at a large font. The window then
    // grows by what the page lacks, and every page with it, so that nothing
    // on a page moves.
    const float lacking = OptionsPage()->NeededHeight() - OptionsPage()->Bounds().Height();
    if (lacking <= 0)
        return;
    ResizeTo(Bounds().Width(), Bounds().Height() + lacking);
    for (int32 i = 0; i < tabView->CountTabs(); ++i)
        tabView->ViewForTab(i)->ResizeBy(0, lacking);
}

void MainWindow::BuildMenus() {
    menuBar = new BMenuBar(BRect(0, 0, 10, 10), "MenuBar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
                           B_ITEMS_IN_ROW);

    auto* listMenu = new BMenu("Liste", B_ITEMS_IN_COLUMN);
    listMenu->AddItem(new BMenuItem("Neu", new BMessage(cmd::NWLS)));
    listMenu->AddItem(new BMenuItem("Speichern...", new BMessage(cmd::SVLS)));
    listMenu->AddItem(new BMenuItem("Öffnen...", new BMessage(cmd::OPLS)));
    listMenu->AddSeparatorItem();
    listMenu->AddItem(new BMenuItem("Beenden", new BMessage(cmd::CLOS)));
    menuBar->AddItem(listMenu);

    auto* helpMenu = new BMenu("Hilfe", B_ITEMS_IN_COLUMN);
    helpMenu->AddItem(new BMenuItem("Liesmich", new BMessage(cmd::RDME)));
    helpMenu->AddSeparatorItem();
    auto* about = new BMenuItem("Über...", new BMessage(B_ABOUT_REQUESTED));
    about->SetTarget(be_app);
    helpMenu->AddItem(about);
    menuBar->AddItem(helpMenu);

    AddChild(menuBar);
}

void MainWindow::MessageReceived(BMessage* message) {
    switch (message->what) {
    case cmd::ENCD:
        StartRun();
        break;
    case cmd::SKIP:
        SkipFile(message);
        break;
    case cmd::STOP:
        StopRun();
        break;
    case cmd::NWLS:
        filesList->Clear();
        break;
    case cmd::OPLS:
        filesList->ShowOpen();
        break;
    case cmd::SVLS:
        filesList->ShowSave();
        break;
    case cmd::OLPM:
        OpenChosenList(message);
        break;
    case cmd::SLPM:
        SaveChosenList(message);
        break;
    case cmd::CLOS:
        be_app->PostMessage(B_QUIT_REQUESTED);
        break;
    case cmd::RDME:
        OpenReadme();
        break;
    case cmd::ADDF:
        ShowAddPanel();
        break;
    case cmd::REMV:
        filesList->RemoveFiles();
        break;
    case cmd::MVUP:
        filesList->MoveUp();
        break;
    case cmd::MVDN:
        filesList->MoveDown();
        break;
    case cmd::LOCM:
        StoreEncoderPath();
        break;
    case cmd::LOCG:
        ShowEncoderPanel();
        break;
    case cmd::LOGP:
        TakeChosenEncoder(message);
        break;
    case cmd::DCOA:
        App()->dontCloseOnAdd = OptionsPage()->IsSwitchedOn(cmd::DCOA);
        break;
    case cmd::DCOO:
        App()->dontClearOnOpen = OptionsPage()->IsSwitchedOn(cmd::DCOO);
        break;
    case cmd::SRMT:
        App()->selfRegisterMimeType = OptionsPage()->IsSwitchedOn(cmd::SRMT);
        break;
    case cmd::RMTN:
        App()->RegisterMIMEType(true);
        break;
    case cmd::UMTN:
        App()->UnregisterMIMEType();
        break;
    case cmd::SENC:
        App()->SetSimultaneousEncoders(OptionsPage()->SimultaneousEncoders());
        break;
    default:
        BWindow::MessageReceived(message);
    }
}

OptionsView* MainWindow::OptionsPage() const {
    return tabView->optionsView;
}

bool MainWindow::QuitRequested() {
    App()->WriteOptions();
    be_app->PostMessage(B_QUIT_REQUESTED);
    return true;
}

void MainWindow::OpenChosenList(BMessage* message) {
    // A chosen link that leads nowhere reaches the reader as a file that
    // cannot be opened, which says so.
    const MessageRefs chosen(message, MessageRefs::Links::Follow, 1);
    if (chosen.Count() == 1)
        filesList->Open(chosen.Path(0) != nullptr ? chosen.Path(0) : "");
}

void MainWindow::SaveChosenList(BMessage* message) {
    entry_ref folderRef;
    const char* name = nullptr;
    if (message->FindRef("directory", &folderRef) != B_OK ||
        message->FindString("name", &name) != B_OK)
        return;
    BEntry folder(&folderRef, true);
    BPath folderPath;
    if (folder.GetPath(&folderPath) != B_OK) {
        // A folder that is gone cannot take the file: the writer says so.
        filesList->Save("");
        return;
    }
    std::string path = folderPath.Path();
    if (path != "/")
        path += "/";
    filesList->Save((path + name).c_str());
}

void MainWindow::OpenReadme() {
    // The readme lies beside the executable the program runs from, wherever
    // the program was started from: not in the working folder.
    app_info info;
    BEntry folder;
    BPath folderPath;
    entry_ref ref;
    if (be_app->GetAppInfo(&info) == B_OK && BEntry(&info.ref, false).GetParent(&folder) == B_OK &&
        folder.GetPath(&folderPath) == B_OK) {
        char path[kEncoderPathSize + 16];
        std::snprintf(path, sizeof path, "%s/readme", folderPath.Path());
        BEntry readme(path, true);
        if (readme.Exists() && readme.GetRef(&ref) == B_OK) {
            be_roster->Launch(&ref);
            return;
        }
    }
    StopAlert("ReadmeDialog", "Liesmich-Datei nicht gefunden!");
}

void MainWindow::ShowAddPanel() {
    tabView->filesView->ShowAddPanel(App()->dontCloseOnAdd);
}

void MainWindow::ShowFilesPage() {
    if (tabView != nullptr)
        tabView->Select(0);
}

void MainWindow::StoreEncoderPath() {
    // The field takes no more than the option holds; should it ever hold
    // more, the path is cut at the last whole character that fits.
    const std::string text = OptionsPage()->EncoderPath();
    const size_t length = utf8_prefix(text, kEncoderPathSize - 1);
    std::memcpy(App()->encoderPath, text.data(), length);
    App()->encoderPath[length] = '\0';
}

void MainWindow::ShowEncoderPanel() {
    OptionsPage()->ShowEncoderPanel();
}

void MainWindow::TakeChosenEncoder(BMessage* message) {
    // A chosen link stays a link: the run follows it when it starts.
    const std::vector<std::string> chosen =
        MessageRefs(message, MessageRefs::Links::Keep, 1).Paths();
    if (chosen.empty())
        return;
    // The field's change message "LOCM" stores the path in the option.
    BAutolock lock(this);
    if (lock.IsLocked())
        OptionsPage()->SetEncoderPath(chosen.front().c_str());
}

void MainWindow::RefsReceived(BMessage* message) {
    const MessageRefs handed(message);
    for (int32 i = 0; i < handed.Count(); ++i) {
        const char* path = handed.Path(i);
        // A list file is loaded and ends the walk: the refs after it are
        // not looked at. One that cannot be resolved reaches the reader as
        // a file that cannot be opened, which says so.
        if (IsListFile(handed.Ref(i), path)) {
            filesList->Open(path != nullptr ? path : "");
            return;
        }
        // Any other reference that leads nowhere has no path to add; it is
        // left out, as a drop leaves it out.
        if (path != nullptr)
            filesList->AddFile(path);
    }
}

bool MainWindow::IsListFile(const entry_ref& ref, const char* path) {
    // The type decides, from the file's own attribute or, for a file that
    // carries none, from the desktop's database. A list file copied from
    // elsewhere, or with the list type not installed, still has the list
    // file name: the desktop matches "*.mvl" regardless of case, and so
    // does this, for the name handed over and for the file it leads to.
    char type[B_MIME_TYPE_LENGTH] = "";
    BFile file(path, B_READ_ONLY);
    BNodeInfo info(&file);
    if (info.GetType(type) == B_OK && std::strcmp(type, kListMimeType) == 0)
        return true;
    auto hasListName = [](const char* name) {
        const std::string suffix = std::string(".") + kListExtension;
        const size_t length = name != nullptr ? std::strlen(name) : 0;
        return length > suffix.size() &&
               strcasecmp(name + length - suffix.size(), suffix.c_str()) == 0;
    };
    const char* slash = path != nullptr ? std::strrchr(path, '/') : nullptr;
    return hasListName(ref.name.c_str()) || hasListName(slash != nullptr ? slash + 1 : path);
}

// The batch run. Its members are read and written only under this window's
// lock: by the window's own handlers and by the application's relayed quit
// notices. The progress window is locked inside this lock, never around it.

void MainWindow::StartRun() {
    const char* path = App()->encoderPath;
    BEntry entry(path, true);
    if (!entry.Exists() || entry.GetRef(&encoderRef) != B_OK) {
        // The path as stored, not as resolved: it is what the user typed.
        char text[2048];
        std::snprintf(text, sizeof text,
                      "%s nicht gefunden. Gehen Sie bitte zu den Programmoptionen und sorgen Sie "
                      "dafür, dass das Feld \"%s\" direkt auf %s oder einen Link darauf verweist "
                      "(nicht auf das %s-Verzeichnis).",
                      path, "Pfad zu Oggenc:", "Oggenc", "Oggenc");
        StopAlert("EncodeFailed", text);
        return;
    }
    tabView->encoderView->OptionsBefore(optionsBefore);
    tabView->encoderView->OptionsAfter(optionsAfter);
    run.Start(App()->SimultaneousEncoders(), optionsBefore, optionsAfter);

    progressWindow->UseRows(run.Places());
    progressWindow->Show();
    const BRect frame = Frame();
    progressWindow->MoveTo(frame.left + 50, frame.top + 50);
    be_roster->StartWatching(BMessenger(be_app), B_REQUEST_QUIT);
    EncodeNext();
}

void MainWindow::EncodeNext() {
    run.Next();
}

int32 MainWindow::CountEntries() {
    return filesList->CountItems();
}

std::string MainWindow::EntryAt(int32 index) {
    return static_cast<BStringItem*>(filesList->ItemAt(index))->Text();
}

status_t MainWindow::Launch(int32 row, int32 index, int32 count, const std::string& path,
                            team_id* team, int64* launch) {
    // The progress window stays locked while the encoder starts, so that it
    // knows the new encoder before it can take the first thing it writes.
    BAutolock progressLock(progressWindow);
    progressWindow->ShowFile(row, path.c_str(), index + 1, count);
    // The encoder's standard error goes to the progress window; its last
    // lines come with its quit notice, which says whether it failed.
    const BMessenger errorTarget(progressWindow);
    const status_t launched = MirvexLaunch(&encoderRef, optionsBefore, path.c_str(), optionsAfter,
                                           team, launch, &errorTarget);
    if (progressLock.IsLocked() && launched == B_OK)
        progressWindow->StartFile(row, index, count, *team, *launch);
    return launched;
}

void MainWindow::LaunchFailed(bool othersAtWork) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Irgendetwas schlechtes passierte beim Versuch, %s zu starten. Sorgen Sie "
                  "dafür, dass %s ist, wo es sein soll und nicht läuft und versuchen Sie es "
                  "noch einmal.",
                  "Oggenc", "Oggenc");
    if (othersAtWork) {
        // Waiting for the answer would hold up the quit notices of the
        // encoders still at work and the progress window's buttons.
        auto* alert = new BAlert("LaunchFailed", text, "OK", nullptr, nullptr, B_WIDTH_AS_USUAL,
                                 B_STOP_ALERT);
        alert->SetFeel(B_FLOATING_APP_WINDOW_FEEL);
        alert->Show();
        return;
    }
    StopAlert("LaunchFailed", text);
}

void MainWindow::SkipFile(const BMessage* message) {
    team_id team = -1;
    int64 launch = 0;
    if (message->FindInt32("be:team", &team) == B_OK &&
        message->FindInt64("kit:launch", &launch) == B_OK)
        run.Skip(team, launch);
    else
        run.SkipCurrent();
}

void MainWindow::RowSkipped(int32 row) {
    progressWindow->SkipRow(row);
}

void MainWindow::RowEnded(int32 row, int32 done, int32 count) {
    BAutolock progressLock(progressWindow);
    if (progressLock.IsLocked())
        progressWindow->EndRow(row, done, count);
}

void MainWindow::Kill(team_id team, int64 launch) {
    kill_team(team, launch);
}

void MainWindow::StopRun() {
    run.Stop();
}

bool MainWindow::IsEncoderNotice(const entry_ref& ref, team_id team, int64 launch) const {
    return running && ref == encoderRef && run.Owns(team, launch);
}

void MainWindow::NoteEncoderEnd(const BMessage* notice) {
    team_id team = -1;
    int64 launch = 0;
    notice->FindInt32("be:team", &team);
    notice->FindInt64("kit:launch", &launch);
    run.Ended(team, launch, notice);
}

void MainWindow::StopWatching() {
    be_roster->StopWatching(BMessenger(be_app));
}

void MainWindow::Finished(const EncodeErrors& errors) {
    progressWindow->Dismiss();
    // A run in which every entry was encoded ends silently.
    errors.Report();
}

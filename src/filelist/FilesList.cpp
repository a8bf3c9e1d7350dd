#include "filelist/FilesList.h"

#include "app/Commands.h"
#include "app/MFApp.h"
#include "app/MessageRefs.h"
#include "app/StopAlert.h"
#include "filelist/FilesView.h"
#include "filelist/ListFile.h"
#include "mainwindow/MainWindow.h"
#include <kit/interface/BStringItem.h>
#include <kit/storage/BFilePanel.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

bool DontClearOnOpen() {
    auto* app = dynamic_cast<MFApp*>(be_app);
    return app != nullptr && app->dontClearOnOpen;
}

} // namespace

FilesList::FilesList(BRect frame, MainWindow* window)
    : BListView(frame, "FilesList", B_MULTIPLE_SELECTION_LIST, B_FOLLOW_ALL_SIDES,
                B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE),
      mainWindow(window) {
    savePanel = new BFilePanel(B_SAVE_PANEL, nullptr, nullptr, B_FILE_NODE, false,
                               new BMessage(cmd::SLPM), nullptr, true, true);
    savePanel->Window()->SetTitle("Liste speichern");
    savePanel->SetButtonLabel(B_DEFAULT_BUTTON, "Speichern");
    savePanel->SetButtonLabel(B_CANCEL_BUTTON, "Abbrechen");
    // Saving over an existing list asks first, in the program's language.
    savePanel->SetReplaceQuestion("Die Datei „%s“ gibt es bereits. Soll sie ersetzt werden?",
                                  "Ersetzen", "Abbrechen");
    // Every file stays choosable; list files can be picked out.
    savePanel->SetNameFilters({"Alle Dateien (*)", "Listendateien (*.mvl)"});

    openPanel = new BFilePanel(B_OPEN_PANEL, nullptr, nullptr, B_FILE_NODE, false,
                               new BMessage(cmd::OLPM), nullptr, true, true);
    openPanel->Window()->SetTitle("Liste öffnen");
    openPanel->SetButtonLabel(B_DEFAULT_BUTTON, "Öffnen");
    openPanel->SetButtonLabel(B_CANCEL_BUTTON, "Abbrechen");
    openPanel->SetNameFilters({"Alle Dateien (*)", "Listendateien (*.mvl)"});
}

FilesList::~FilesList() {
    // The list owns its entries.
    std::vector<BListItem*> entries;
    for (int32 i = 0; i < CountItems(); ++i)
        entries.push_back(ItemAt(i));
    MakeEmpty();
    for (BListItem* item : entries)
        delete item;
    delete savePanel;
    delete openPanel;
}

bool FilesList::LockList() {
    return Window() == nullptr || Window()->Lock();
}

void FilesList::UnlockList() {
    if (Window() != nullptr)
        Window()->Unlock();
}

void FilesList::MessageReceived(BMessage* message) {
    switch (message->what) {
    case B_SIMPLE_DATA:
        AddDroppedFiles(message);
        break;
    default:
        BListView::MessageReceived(message);
    }
}

void FilesList::AddDroppedFiles(BMessage* message) {
    if (!message->HasRef("refs")) {
        BListView::MessageReceived(message);
        return;
    }
    // A link stands for the file it points to; a reference without a path
    // is left out. Each entry is added under the lock on its own.
    for (const std::string& path : MessageRefs(message).Paths())
        AddFile(path.c_str());
}

bool FilesList::AddItem(BListItem* item) {
    if (!BListView::AddItem(item))
        return false;
    Filled(true);
    SelectionChanged();
    return true;
}

bool FilesList::AddItem(BListItem* item, int32 index) {
    if (!BListView::AddItem(item, index))
        return false;
    Filled(true);
    SelectionChanged();
    return true;
}

int32 FilesList::CountSelectedUpTo(int32 limit) const {
    int32 count = 0;
    while (count < limit && CurrentSelection(count) != -1)
        ++count;
    return count;
}

int32 FilesList::CountSelected() const {
    int32 count = 0;
    while (CurrentSelection(count) != -1)
        ++count;
    return count;
}

void FilesList::SelectionChanged() {
    // Telling one selected entry from several needs no more than two looks,
    // so this costs the same however long the list or the selection is.
    if (page != nullptr)
        page->ListSelectionChanged(CurrentSelection(0), CountSelectedUpTo(2) == 1, CountItems());
}

void FilesList::Filled(bool filled) {
    if (page != nullptr)
        page->ListFilled(filled);
}

void FilesList::AddFile(const char* path) {
    if (!LockList())
        return;
    auto* item = new BStringItem(path);
    if (!AddItem(item))
        delete item;
    UnlockList();
}

void FilesList::RemoveFiles() {
    // All selected entries go in one pass over the list: removing them one
    // by one would move the rest of the list once per entry.
    for (BListItem* item : RemoveSelectedItems())
        delete item;
    if (IsEmpty())
        Filled(false);
    SelectionChanged();
}

void FilesList::MoveUp() {
    const int32 index = CurrentSelection(0);
    if (CountSelectedUpTo(2) == 1 && index > 0)
        MoveItem(index, index - 1);
    SelectionChanged();
}

void FilesList::MoveDown() {
    const int32 index = CurrentSelection(0);
    if (CountSelectedUpTo(2) == 1 && index < CountItems() - 1)
        MoveItem(index, index + 1);
    SelectionChanged();
}

void FilesList::Clear() {
    std::vector<BListItem*> entries;
    entries.reserve(static_cast<size_t>(CountItems()));
    for (int32 i = 0; i < CountItems(); ++i)
        entries.push_back(ItemAt(i));
    MakeEmpty();
    for (BListItem* item : entries)
        delete item;
    Filled(false);
    SelectionChanged();
}

void FilesList::ShowOpen() {
    openPanel->Show();
}

void FilesList::ShowSave() {
    savePanel->Show();
}

void FilesList::Open(const char* path) {
    // The whole file is read before the list is touched, without the lock.
    // A file that cannot be read to its end counts as one that cannot be
    // opened: loading a part of it in place of the list would lose entries.
    std::vector<std::string> entries;
    FILE* stream = std::fopen(path, "rte");
    bool read = stream != nullptr && ListFile::Read(stream, &entries);
    if (stream != nullptr)
        std::fclose(stream);
    if (!read) {
        StopAlert("OpenOpenError", "Eingabedatei kann nicht geöffnet werden. Sorgen Sie dafür, "
                                   "dass Sie Zugriff auf die Datei haben.");
        return;
    }
    if (!LockList())
        return;
    if (mainWindow != nullptr)
        mainWindow->ShowFilesPage();
    // Emptying the list is a Clear: "Kodieren!" and the page's buttons then
    // fit the empty list even when the file holds no entry.
    if (!DontClearOnOpen())
        Clear();
    for (std::string& text : entries) {
        auto* item = new BStringItem(std::move(text));
        if (!AddItem(item))
            delete item;
    }
    UnlockList();
}

void FilesList::Save(const char* path) {
    // The entries are read under the lock in one go, so no change of the
    // list can come between them; the file is written afterwards.
    std::string contents = ListFile::kHeader;
    bool writable = true;
    if (!LockList())
        return;
    for (int32 i = 0; i < CountItems() && writable; ++i)
        writable = ListFile::AppendEntry(&contents, static_cast<BStringItem*>(ItemAt(i))->Text());
    UnlockList();

    // An entry with a LF would load back as other entries: such a list is
    // refused before anything is written.
    ListFile::Outcome outcome =
        writable ? ListFile::Write(path, contents) : ListFile::Outcome::CannotWrite;
    switch (outcome) {
    case ListFile::Outcome::Written:
        break;
    case ListFile::Outcome::CannotCreate:
        StopAlert("SaveOpenError",
                  "Ausgabedatei kann nicht erstellt oder geöffnet werden. Sorgen Sie dafür, "
                  "dass die Datei sich nicht auf einer Nur-Lesen-Festplatte befindet oder dass "
                  "die Datei, die Sie überschreiben möchten, von keiner anderen Anwendung "
                  "benutzt wird.");
        break;
    case ListFile::Outcome::CannotWrite:
        StopAlert("SaveWriteError",
                  "Ausgabedatei kann nicht geschrieben werden. Ist die Festplatte voll?");
        break;
    }
}

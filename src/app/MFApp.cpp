#include "app/MFApp.h"

#include "app/AppIcons.h"
#include "app/Commands.h"
#include "mainwindow/MainWindow.h"
#include <kit/app/BAutolock.h>
#include <kit/app/BRoster.h>
#include <kit/interface/BAlert.h>
#include <kit/interface/BBitmap.h>
#include <kit/storage/BAppFileInfo.h>
#include <kit/storage/BFile.h>
#include <kit/storage/BMimeType.h>

#include <algorithm>
#include <cstring>

namespace {

// Who made the program and who translated it, as the About box names them.
constexpr const char* kAuthor = "Lenz Arbogast";
constexpr const char* kAuthorMail = "lenz.arbogast@example.org";
constexpr const char* kWebAddress = "http://www.example.org/mirvex/";
constexpr const char* kTranslator = "Katrin Oberhauser";
constexpr const char* kTranslatorMail = "k.oberhauser@example.org";
// Fixed when this file is compiled: month, day, year, then hh:mm:ss.
constexpr const char* kBuildDate = __DATE__ " " __TIME__;

// The name the title bars of the program's alerts show.
constexpr const char* kProgramName = "Mirvex OggVorbis Frontend";

constexpr const char* kListDescription = "Mirvex OggVorbis Frontend list";

// Reads one flag; any failure gives the flag's default.
bool ReadFlag(BFile& file, const char* name, bool fallback) {
    uint8 value = 0;
    if (file.ReadAttr(name, B_BOOL_TYPE, 0, &value, 1) != 1)
        return fallback;
    return value != 0;
}

void WriteFlag(BFile& file, const char* name, bool flag) {
    uint8 value = flag ? 1 : 0;
    file.WriteAttr(name, B_BOOL_TYPE, 0, &value, 1);
}

// The encoder count is a little-endian int32. A value of another type or size
// gives one encoder at a time, as a program without the option runs.
int32 ReadCount(BFile& file, const char* name) {
    uint8 bytes[5] = {};
    if (file.ReadAttr(name, B_INT32_TYPE, 0, bytes, sizeof bytes) != 4)
        return 1;
    return static_cast<int32>(static_cast<uint32>(bytes[0]) | static_cast<uint32>(bytes[1]) << 8 |
                              static_cast<uint32>(bytes[2]) << 16 |
                              static_cast<uint32>(bytes[3]) << 24);
}

void WriteCount(BFile& file, const char* name, int32 count) {
    const auto value = static_cast<uint32>(count);
    const uint8 bytes[4] = {static_cast<uint8>(value), static_cast<uint8>(value >> 8),
                            static_cast<uint8>(value >> 16), static_cast<uint8>(value >> 24)};
    file.WriteAttr(name, B_INT32_TYPE, 0, bytes, sizeof bytes);
}

} // namespace

MFApp::MFApp() : BApplication(kAppSignature), encoderPath(new char[kEncoderPathSize]) {
    encoderPath[0] = '\0';
    SetProgramName(kProgramName);
    RegisterAppIcons();
}

MFApp::~MFApp() {
    delete[] encoderPath;
}

void MFApp::ReadyToRun() {
    ReadOptions();
    if (selfRegisterMimeType)
        RegisterMIMEType(false);
    mainWindow = new MainWindow(launchRefs.HasRef("refs") ? &launchRefs : nullptr);
    fMainWindowMessenger = BMessenger(mainWindow);
    mainWindow->Show();
}

void MFApp::RefsReceived(BMessage* message) {
    if (IsLaunching()) {
        // Every file counts, in the order handed over; a second start that
        // hands files over during the launch adds its own after them.
        entry_ref ref;
        for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; ++i)
            launchRefs.AddRef("refs", &ref);
        return;
    }
    BAutolock lock(fMainWindowMessenger);
    if (lock.IsLocked())
        mainWindow->RefsReceived(message);
}

void MFApp::MessageReceived(BMessage* message) {
    switch (message->what) {
    case B_SOME_APP_QUIT:
        RelayQuitNotice(message);
        break;
    case cmd::LOGP:
    case cmd::OLPM:
    case cmd::SLPM:
        RelayToMainWindow(message);
        break;
    default:
        BApplication::MessageReceived(message);
    }
}

void MFApp::RelayQuitNotice(BMessage* message) {
    // The main window may have closed while an encoder still runs; its quit
    // notice then finds nobody to tell.
    BAutolock lock(fMainWindowMessenger);
    if (!lock.IsLocked())
        return;
    // Only the end of the encoder this run launched last advances it: the
    // same executable and the same launch. Another program started from the
    // encoder's file, or an encoder of an earlier run, must not, even when
    // its process id has been given to the new encoder since.
    entry_ref quitting;
    int32 team = -1;
    int64 launch = 0;
    if (message->FindRef("be:ref", &quitting) == B_OK &&
        message->FindInt32("be:team", &team) == B_OK &&
        message->FindInt64("kit:launch", &launch) == B_OK &&
        mainWindow->IsEncoderNotice(quitting, team, launch)) {
        mainWindow->NoteEncoderEnd(message);
        mainWindow->EncodeNext();
    }
}

void MFApp::RelayToMainWindow(BMessage* message) {
    BAutolock lock(fMainWindowMessenger);
    if (lock.IsLocked())
        mainWindow->MessageReceived(message);
}

std::string MFApp::AboutText() {
    std::string text;
    text += "Mirvex OggVorbis Frontend 1.2a (Deutsch)\n";
    text += std::string("von ") + kAuthor + "\n";
    text += "\n";
    text += "Siehe liesmich für Anweisungen und Lizenzeinzelheiten.\n";
    text += "\n";
    text += std::string("E-Mail: ") + kAuthorMail + "\n";
    text += std::string("Web: ") + kWebAddress + "\n";
    text += "\n";
    text += std::string("Deutsche Übersetzung von ") + kTranslator + "\n";
    text += std::string("E-Mail: ") + kTranslatorMail + "\n";
    text += "\n";
    text += std::string("Kompiliert am ") + kBuildDate;
    return text;
}

void MFApp::AboutRequested() {
    std::string text = AboutText();
    auto* about = new BAlert("AboutDialog", text.c_str(), "Gehe zur Site", "Schließen", nullptr,
                             B_WIDTH_AS_USUAL, B_INFO_ALERT);
    if (about->Go() == 0) {
        const char* const address[] = {kWebAddress};
        be_roster->Launch("text/html", 1, address, nullptr);
    }
}

void MFApp::ReadOptions() {
    // Without the program's own file there are no stored options: every
    // read below fails and the defaults hold.
    app_info info;
    BFile file;
    if (GetAppInfo(&info) == B_OK)
        file.SetTo(&info.ref, B_READ_ONLY);

    // The path is read straight into its buffer. Whatever is stored, the
    // field ends up a NUL-terminated path of at most 1023 bytes: a value
    // without its NUL, or longer than the buffer, is cut at the last byte.
    ssize_t read =
        file.ReadAttr("encoder_location", B_STRING_TYPE, 0, encoderPath, kEncoderPathSize);
    if (read < 0) {
        std::strcpy(encoderPath, kDefaultEncoderPath);
    } else {
        size_t end = std::min(static_cast<size_t>(read), kEncoderPathSize - 1);
        encoderPath[end] = '\0';
    }

    dontCloseOnAdd = ReadFlag(file, "dont_close_on_add", false);
    dontClearOnOpen = ReadFlag(file, "dont_clear_on_open", false);
    selfRegisterMimeType = ReadFlag(file, "self_register_mime_type", true);
    SetSimultaneousEncoders(ReadCount(file, "simultaneous_encoders"));
}

void MFApp::WriteOptions() {
    app_info info;
    if (GetAppInfo(&info) != B_OK)
        return;
    BFile file(&info.ref, B_WRITE_ONLY);
    if (file.InitCheck() != B_OK)
        return;
    file.WriteAttr("encoder_location", B_STRING_TYPE, 0, encoderPath, std::strlen(encoderPath) + 1);
    WriteFlag(file, "dont_close_on_add", dontCloseOnAdd);
    WriteFlag(file, "dont_clear_on_open", dontClearOnOpen);
    WriteFlag(file, "self_register_mime_type", selfRegisterMimeType);
    WriteCount(file, "simultaneous_encoders", fSimultaneousEncoders);
}

void MFApp::SetSimultaneousEncoders(int32 count) {
    fSimultaneousEncoders = std::clamp(count, int32{1}, kMaxSimultaneousEncoders);
}

void MFApp::RegisterMIMEType(bool showAlert) {
    BMimeType type(kListMimeType);
    const char* outcome = "MIME-Typ war bereits installiert.";
    if (!type.IsInstalled()) {
        type.SetShortDescription(kListDescription);
        type.SetLongDescription(kListDescription);
        type.SetPreferredApp(kAppSignature, B_OPEN);
        BMessage extensions;
        extensions.AddString("extensions", kListExtension);
        type.SetFileExtensions(&extensions);

        // The type takes the program's icons; an icon that cannot be read
        // is left out rather than installed blank.
        app_info info;
        if (GetAppInfo(&info) == B_OK) {
            BFile executable(&info.ref, B_READ_ONLY);
            BAppFileInfo appFileInfo(&executable);
            BBitmap largeIcon(BRect(0, 0, 31, 31), B_CMAP8);
            BBitmap miniIcon(BRect(0, 0, 15, 15), B_CMAP8);
            if (appFileInfo.GetIcon(&largeIcon, B_LARGE_ICON) == B_OK)
                type.SetIcon(&largeIcon, B_LARGE_ICON);
            if (appFileInfo.GetIcon(&miniIcon, B_MINI_ICON) == B_OK)
                type.SetIcon(&miniIcon, B_MINI_ICON);
        }

        outcome = type.Install() == B_OK ? "MIME-Typ erfolgreich installiert."
                                         : "Fehler beim Installieren des MIME-Typs.";
    }
    if (showAlert)
        (new BAlert("MimeInstalled", outcome, "In Ordnung", nullptr, nullptr, B_WIDTH_AS_USUAL,
                    B_INFO_ALERT))
            ->Go();
}

void MFApp::UnregisterMIMEType() {
    BMimeType type(kListMimeType);
    const char* outcome = "MIME-Typ kann nicht gelöscht werden; er war nicht installiert.";
    if (type.IsInstalled())
        outcome = type.Delete() == B_OK ? "MIME-Typ erfolgreich gelöscht."
                                        : "Fehler beim Löschen des MIME-Typs.";
    (new BAlert("MimeDeleted", outcome, "In Ordnung", nullptr, nullptr, B_WIDTH_AS_USUAL,
                B_INFO_ALERT))
        ->Go();
}

// The program options live on the executable's own attributes. These tests
// run from the test sandbox's copy of the test program, so the attributes
// they write land on that copy and never on a build output.

#include "RunningApp.h"
#include "StoredOptions.h"

#include "support/Capture.h"
#include "support/TempDir.h"
#include <kit/storage/BMimeType.h>

#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

TEST(Options, FirstStartGivesTheDefaults) {
    ClearOptions();
    MFApp app;
    app.ReadOptions();
    EXPECT_STREQ(app.encoderPath, "/boot/home/config/bin/oggenc");
    EXPECT_FALSE(app.dontCloseOnAdd);
    EXPECT_FALSE(app.dontClearOnOpen);
    EXPECT_TRUE(app.selfRegisterMimeType);
    EXPECT_EQ(app.SimultaneousEncoders(), 1);
}

TEST(Options, StoredPathsAlwaysYieldATerminatedPathOfAtMost1023Bytes) {
    const std::string longest(1023, 'p');
    struct Case {
        const char* what;
        std::string stored;
        std::string expected;
    };
    const Case cases[] = {
        {"a path with its NUL", Cstr(std::string("/usr/bin/oggenc") + '\0'), "/usr/bin/oggenc"},
        {"the longest path", Cstr(longest + '\0'), longest},
        {"an empty path (one NUL)", Cstr(std::string(1, '\0')), ""},
        {"no data at all", Cstr(""), ""},
        {"a path without its NUL", Cstr("/opt/oggenc"), "/opt/oggenc"},
        {"1024 bytes without a NUL", Cstr(std::string(1024, 'q')), std::string(1023, 'q')},
        {"a value longer than the buffer", Cstr(std::string(3000, 'r') + '\0'),
         std::string(1023, 'r')},
        {"a NUL inside", Cstr(std::string("/a\0/b\0", 6)), "/a"},
        {"another type", "LONG1234", "/boot/home/config/bin/oggenc"},
        {"too short for a type", "CS", "/boot/home/config/bin/oggenc"},
    };
    MFApp app;
    for (const Case& c : cases) {
        ClearOptions();
        SetRaw("user.encoder_location", c.stored);
        std::fill(app.encoderPath, app.encoderPath + kEncoderPathSize, 'X');
        app.ReadOptions();
        EXPECT_EQ(std::string(app.encoderPath), c.expected) << c.what;
        EXPECT_LE(std::strlen(app.encoderPath), 1023u) << c.what;
    }
}

TEST(Options, FlagsReadTheirByteAndFallBackToTheirDefaults) {
    struct Case {
        const char* what;
        std::string stored; // the same bytes on all three flags
        bool closeOnAdd, clearOnOpen, selfRegister;
    };
    const Case cases[] = {
        {"on", Bool('\x01'), true, true, true},
        {"off", Bool('\0'), false, false, false},
        {"any other byte counts as on", Bool('\x02'), true, true, true},
        {"no data byte", "BOOL", false, false, true},
        {"another type", std::string("CSTR\x01", 5), false, false, true},
    };
    MFApp app;
    for (const Case& c : cases) {
        ClearOptions();
        for (const char* name : {kOptionNames[1], kOptionNames[2], kOptionNames[3]})
            SetRaw(name, c.stored);
        app.ReadOptions();
        EXPECT_EQ(app.dontCloseOnAdd, c.closeOnAdd) << c.what;
        EXPECT_EQ(app.dontClearOnOpen, c.clearOnOpen) << c.what;
        EXPECT_EQ(app.selfRegisterMimeType, c.selfRegister) << c.what;
    }
}

TEST(Options, TheEncoderCountReadsItsLittleEndianInt32WithinOneTo64) {
    struct Case {
        const char* what;
        std::string stored; // "<missing>" leaves the attribute away
        int32 expected;
    };
    const Case cases[] = {
        {"missing", "<missing>", 1},
        {"three", Long(std::string("\x03\0\0\0", 4)), 3},
        {"the highest", Long(std::string("\x40\0\0\0", 4)), 64},
        {"above the highest", Long(std::string("\x41\0\0\0", 4)), 64},
        {"read little-endian, far above", Long(std::string("\0\x01\0\0", 4)), 64},
        {"zero", Long(std::string(4, '\0')), 1},
        {"negative", Long("\xfe\xff\xff\xff"), 1},
        {"the lowest int32", Long(std::string("\0\0\0\x80", 4)), 1},
        {"no data", Long(""), 1},
        {"too short", Long(std::string("\x04\0", 2)), 1},
        {"too long", Long(std::string("\x04\0\0\0\0", 5)), 1},
        {"another type", std::string("BOOL\x04\0\0\0", 8), 1},
        {"too short for a type", "LO", 1},
    };
    MFApp app;
    for (const Case& c : cases) {
        ClearOptions();
        if (c.stored != "<missing>")
            SetRaw("user.simultaneous_encoders", c.stored);
        app.SetSimultaneousEncoders(7);
        app.ReadOptions();
        EXPECT_EQ(app.SimultaneousEncoders(), c.expected) << c.what;
    }
    ClearOptions();
}

TEST(Options, WritingStoresTheExactBytesAndReadsBackUnchanged) {
    ClearOptions();
    MFApp app;
    const std::string longest(1023, 'w');
    std::strcpy(app.encoderPath, longest.c_str());
    app.dontCloseOnAdd = true;
    app.dontClearOnOpen = false;
    app.selfRegisterMimeType = false;
    app.SetSimultaneousEncoders(258);
    EXPECT_EQ(app.SimultaneousEncoders(), 64); // the setter keeps the count within 1 to 64
    app.SetSimultaneousEncoders(-5);
    EXPECT_EQ(app.SimultaneousEncoders(), 1);
    app.SetSimultaneousEncoders(37);
    app.WriteOptions(); // the program is running: its file takes attributes all the same
    EXPECT_EQ(Raw("user.encoder_location"), Cstr(longest + '\0'));
    EXPECT_EQ(Raw("user.encoder_location").size(), 4u + 1024u);
    EXPECT_EQ(Raw("user.dont_close_on_add"), Bool('\x01'));
    EXPECT_EQ(Raw("user.dont_clear_on_open"), Bool('\0'));
    EXPECT_EQ(Raw("user.self_register_mime_type"), Bool('\0'));
    EXPECT_EQ(Raw("user.simultaneous_encoders"), Long(std::string("\x25\0\0\0", 4)));

    MFApp again;
    again.ReadOptions();
    EXPECT_EQ(std::string(again.encoderPath), longest);
    EXPECT_TRUE(again.dontCloseOnAdd);
    EXPECT_FALSE(again.selfRegisterMimeType);
    EXPECT_EQ(again.SimultaneousEncoders(), 37);

    // An empty path is one NUL byte, and stays empty rather than the default.
    again.encoderPath[0] = '\0';
    again.WriteOptions();
    EXPECT_EQ(Raw("user.encoder_location"), Cstr(std::string(1, '\0')));
    MFApp third;
    third.ReadOptions();
    EXPECT_STREQ(third.encoderPath, "");
    ClearOptions();
}

TEST(Options, AReadOnlyExecutableKeepsItsOldValues) {
    ClearOptions();
    SetRaw("user.encoder_location", Cstr(std::string("/old/oggenc") + '\0'));
    SetRaw("user.dont_close_on_add", Bool('\0'));
    const std::string self = OwnExecutable();
    struct stat before {};
    ASSERT_EQ(::stat(self.c_str(), &before), 0);
    ASSERT_EQ(::chmod(self.c_str(), 0555), 0);

    MFApp app;
    app.ReadOptions();
    std::strcpy(app.encoderPath, "/new/oggenc");
    app.dontCloseOnAdd = true;
    app.WriteOptions();
    ::chmod(self.c_str(), before.st_mode & 07777);

    EXPECT_EQ(Raw("user.encoder_location"), Cstr(std::string("/old/oggenc") + '\0'));
    EXPECT_EQ(Raw("user.dont_close_on_add"), Bool('\0'));
    EXPECT_EQ(Raw("user.self_register_mime_type"), "<missing>");
    MFApp next;
    next.ReadOptions();
    EXPECT_STREQ(next.encoderPath, "/old/oggenc");
    EXPECT_FALSE(next.dontCloseOnAdd);
    ClearOptions();
}

TEST(Options, QuittingRewritesAllFiveWithTheSameValues) {
    ClearOptions();
    SetRaw("user.encoder_location", Cstr(std::string("/usr/bin/oggenc") + '\0'));
    SetRaw("user.dont_clear_on_open", Bool('\x01'));
    SetRaw("user.simultaneous_encoders", Long(std::string("\x05\0\0\0", 4)));
    {
        RunningApp running;
        ASSERT_TRUE(running.shown);
        ASSERT_TRUE(driver::Click(kMainTitle, "CloseButton"));
        running.WaitForEnd();
    }
    EXPECT_EQ(Raw("user.encoder_location"), Cstr(std::string("/usr/bin/oggenc") + '\0'));
    EXPECT_EQ(Raw("user.dont_close_on_add"), Bool('\0'));
    EXPECT_EQ(Raw("user.dont_clear_on_open"), Bool('\x01'));
    EXPECT_EQ(Raw("user.self_register_mime_type"), Bool('\x01'));
    EXPECT_EQ(Raw("user.simultaneous_encoders"), Long(std::string("\x05\0\0\0", 4)));
    ClearOptions();
}

namespace {

std::string PackageFile() {
    return std::string(std::getenv("XDG_DATA_HOME")) +
           "/mime/packages/text-x-MirvexOggVorbisFronted-list.xml";
}

bool Installed() {
    return ::access(PackageFile().c_str(), F_OK) == 0;
}

// Calls a registration method on a thread of its own, as the main window
// does, answers its alert and returns the alert.
std::optional<driver::AlertInfo> Answer(std::function<void()> call) {
    std::thread caller(std::move(call));
    auto alert = driver::AnswerAlert("In Ordnung");
    caller.join();
    return alert;
}

} // namespace

TEST(MimeRegistration, StartUpInstallsSilentlyAndTheButtonsReportEachOutcome) {
    ClearOptions();
    BMimeType(kListMimeType).Delete();
    ASSERT_FALSE(Installed());

    RunningApp running;
    ASSERT_TRUE(running.shown);
    EXPECT_TRUE(Installed()); // installed at start-up, without an alert
    EXPECT_FALSE(driver::AnswerAlert("In Ordnung", std::chrono::milliseconds(200)).has_value());

    // The desktop knows the type now: its glob, and this program as its default.
    TempDir dir;
    std::string list = dir.Write("Probe.mvl", "# Generated by Mirvex OggVorbis Frontend 1.2a\n");
    ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
    EXPECT_EQ(Capture({"xdg-mime", "query", "filetype", list}), kListMimeType);
    EXPECT_EQ(Capture({"xdg-mime", "query", "default", kListMimeType}),
              "x-vnd.MirvexOggVorbisFrontend.desktop");

    struct Step {
        std::function<void()> call;
        const char* title;
        const char* text;
        bool installedAfter;
    };
    MFApp& app = running.app;
    const Step steps[] = {
        {[&] { app.RegisterMIMEType(true); }, "MimeInstalled", "MIME-Typ war bereits installiert.",
         true},
        {[&] { app.UnregisterMIMEType(); }, "MimeDeleted", "MIME-Typ erfolgreich gelöscht.", false},
        {[&] { app.UnregisterMIMEType(); }, "MimeDeleted",
         "MIME-Typ kann nicht gelöscht werden; er war nicht installiert.", false},
        {[&] { app.RegisterMIMEType(true); }, "MimeInstalled", "MIME-Typ erfolgreich installiert.",
         true},
    };
    for (const Step& step : steps) {
        auto alert = Answer(step.call);
        ASSERT_TRUE(alert.has_value()) << step.text;
        EXPECT_EQ(alert->title, step.title);
        EXPECT_EQ(alert->text, step.text);
        EXPECT_EQ(alert->buttons, std::vector<std::string>{"In Ordnung"});
        EXPECT_EQ(Installed(), step.installedAfter) << step.text;
    }
    EXPECT_EQ(Capture({"xdg-mime", "query", "filetype", list}), kListMimeType);
    ClearOptions();
}

TEST(MimeRegistration, AFailedInstallSaysSo) {
    MFApp app;
    BMimeType(kListMimeType).Delete();
    const std::string home = std::getenv("XDG_DATA_HOME");
    TempDir dir;
    std::string notAFolder = dir.Write("data-home", "a file, not a folder");
    ::setenv("XDG_DATA_HOME", notAFolder.c_str(), 1);
    auto alert = Answer([&] { app.RegisterMIMEType(true); });
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->text, "Fehler beim Installieren des MIME-Typs.");
    EXPECT_FALSE(Installed());
}

TEST(MimeRegistration, TheRecordCarriesBothDescriptionsTheOpenerTheExtensionAndTheIcons) {
    MFApp app;
    BMimeType(kListMimeType).Delete();
    app.RegisterMIMEType(false);

    // A fresh reader of the database sees the whole record.
    BMimeType installed(kListMimeType);
    ASSERT_TRUE(installed.IsInstalled());
    char text[B_MIME_TYPE_LENGTH] = {};
    ASSERT_EQ(installed.GetShortDescription(text), B_OK);
    EXPECT_STREQ(text, "Mirvex OggVorbis Frontend list");
    ASSERT_EQ(installed.GetLongDescription(text), B_OK);
    EXPECT_STREQ(text, "Mirvex OggVorbis Frontend list");
    ASSERT_EQ(installed.GetPreferredApp(text), B_OK);
    EXPECT_STREQ(text, kAppSignature);
    BMessage extensions;
    ASSERT_EQ(installed.GetFileExtensions(&extensions), B_OK);
    const char* extension = nullptr;
    EXPECT_EQ(extensions.FindString("extensions", 0, &extension), B_OK);
    EXPECT_STREQ(extension, "mvl");
    EXPECT_NE(extensions.FindString("extensions", 1, &extension), B_OK);

    // The desktop shows the type with the program's icons, never blank ones.
    for (int side : {32, 16}) {
        std::string file = std::string(std::getenv("XDG_DATA_HOME")) + "/icons/hicolor/" +
                           std::to_string(side) + "x" + std::to_string(side) +
                           "/mimetypes/text-x-MirvexOggVorbisFronted-list.png";
        QImage icon(QString::fromStdString(file), "PNG");
        ASSERT_FALSE(icon.isNull()) << file;
        EXPECT_EQ(icon.size(), QSize(side, side));
        QSet<QRgb> colours;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                colours.insert(icon.pixel(x, y));
        EXPECT_GE(colours.size(), 2) << file;
    }
    EXPECT_EQ(BMimeType(kListMimeType).Delete(), B_OK);
}

TEST(MimeRegistration, AFailedDeleteSaysSoAndKeepsTheType) {
    MFApp app;
    BMimeType(kListMimeType).Delete();
    app.RegisterMIMEType(false);
    ASSERT_TRUE(Installed());
    // Without its database tool the desktop cannot forget the type.
    const std::string path = std::getenv("PATH");
    TempDir noTools;
    ::setenv("PATH", noTools.Path().c_str(), 1);
    auto alert = Answer([&] { app.UnregisterMIMEType(); });
    ::setenv("PATH", path.c_str(), 1);
    ASSERT_TRUE(alert.has_value());
    EXPECT_EQ(alert->title, "MimeDeleted");
    EXPECT_EQ(alert->text, "Fehler beim Löschen des MIME-Typs.");
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(BMimeType(kListMimeType).IsInstalled());
    EXPECT_EQ(BMimeType(kListMimeType).Delete(), B_OK);
}

TEST(MimeRegistration, WithTheOptionOffStartUpLeavesTheTypeAlone) {
    ClearOptions();
    BMimeType(kListMimeType).Delete();
    SetRaw("user.self_register_mime_type", Bool('\0'));
    {
        RunningApp running;
        ASSERT_TRUE(running.shown);
        EXPECT_FALSE(Installed());
    }
    ClearOptions();
}

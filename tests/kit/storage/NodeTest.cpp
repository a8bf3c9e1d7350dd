#include "support/TempDir.h"
#include <kit/storage/BFile.h>
#include <kit/storage/BNodeInfo.h>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The raw value of an extended attribute, as any other program sees it.
std::string RawAttr(const std::string& path, const char* name) {
    char value[2048];
    ssize_t length = ::getxattr(path.c_str(), name, value, sizeof value);
    return length < 0 ? std::string("<missing>") : std::string(value, static_cast<size_t>(length));
}

void SetRawAttr(const std::string& path, const char* name, const std::string& value) {
    ASSERT_EQ(::setxattr(path.c_str(), name, value.data(), value.size(), 0), 0);
}

} // namespace

TEST(NodeAttributes, StoredBytesAreTheTypeCodeThenTheData) {
    TempDir dir;
    std::string path = dir.Write("program", "");
    BFile file(path.c_str(), B_WRITE_ONLY);
    ASSERT_EQ(file.InitCheck(), B_OK);

    const char encoder[] = "/usr/bin/oggenc";
    bool yes = true;
    bool no = false;
    EXPECT_EQ(file.WriteAttr("encoder_location", B_STRING_TYPE, 0, encoder, sizeof encoder),
              static_cast<ssize_t>(sizeof encoder));
    EXPECT_EQ(file.WriteAttr("self_register_mime_type", B_BOOL_TYPE, 0, &yes, 1), 1);
    EXPECT_EQ(file.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, &no, 1), 1);

    EXPECT_EQ(RawAttr(path, "user.encoder_location"),
              std::string("CSTR/usr/bin/oggenc", 19) + std::string(1, '\0'));
    EXPECT_EQ(RawAttr(path, "user.self_register_mime_type"), std::string("BOOL\x01", 5));
    EXPECT_EQ(RawAttr(path, "user.dont_close_on_add"), std::string("BOOL\0", 5));

    // Rewriting at offset 0 replaces the whole value, a shorter one included.
    const char empty[] = "";
    EXPECT_EQ(file.WriteAttr("encoder_location", B_STRING_TYPE, 0, empty, 1), 1);
    EXPECT_EQ(RawAttr(path, "user.encoder_location"), std::string("CSTR\0", 5));
}

TEST(NodeAttributes, ReadsValuesWrittenByOtherPrograms) {
    TempDir dir;
    std::string path = dir.Write("program", "");
    SetRawAttr(path, "user.encoder_location", std::string("CSTR/opt/oggenc\0", 16));
    SetRawAttr(path, "user.flag", std::string("BOOL\x01", 5));
    SetRawAttr(path, "user.short", "CS");

    BFile file(path.c_str(), B_READ_ONLY);
    char buffer[64];
    EXPECT_EQ(file.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer, sizeof buffer), 12);
    EXPECT_STREQ(buffer, "/opt/oggenc");
    bool flag = false;
    EXPECT_EQ(file.ReadAttr("flag", B_BOOL_TYPE, 0, &flag, 1), 1);
    EXPECT_TRUE(flag);

    struct Case {
        const char* name;
        type_code type;
        ssize_t result;
    };
    const Case failures[] = {
        {"missing", B_STRING_TYPE, B_ENTRY_NOT_FOUND},
        {"flag", B_STRING_TYPE, B_BAD_TYPE},
        {"short", B_STRING_TYPE, B_BAD_TYPE}, // too short to hold a type code
        {"", B_STRING_TYPE, B_BAD_VALUE},
        {nullptr, B_STRING_TYPE, B_BAD_VALUE},
    };
    for (const Case& c : failures) {
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(file.ReadAttr(c.name, c.type, 0, buffer, sizeof buffer), c.result)
            << (c.name ? c.name : "(null)");
        EXPECT_EQ(buffer[0], 'Z') << "a failed read must not touch the buffer";
    }
    attr_info info;
    ASSERT_EQ(file.GetAttrInfo("encoder_location", &info), B_OK);
    EXPECT_EQ(info.type, B_STRING_TYPE);
    EXPECT_EQ(info.size, 12);
    EXPECT_EQ(file.ReadAttr("flag", B_ANY_TYPE, 0, &flag, 1), 1);
}

TEST(NodeAttributes, ReadsNeverPassTheBufferAndHonourTheOffset) {
    TempDir dir;
    std::string path = dir.Write("program", "");
    SetRawAttr(path, "user.text", "CSTR0123456789");
    BFile file(path.c_str(), B_READ_ONLY);

    struct Case {
        off_t offset;
        size_t length;
        std::string expected;
    };
    const Case cases[] = {
        {0, 4, "0123"}, {0, 10, "0123456789"}, {0, 20, "0123456789"}, {7, 10, "789"},
        {9, 1, "9"},    {10, 5, ""},           {100, 5, ""},          {3, 0, ""},
    };
    for (const Case& c : cases) {
        // Guard bytes around the window show any write outside it.
        char memory[32];
        std::memset(memory, '#', sizeof memory);
        char* window = memory + 8;
        ssize_t read = file.ReadAttr("text", B_STRING_TYPE, c.offset, window, c.length);
        ASSERT_EQ(read, static_cast<ssize_t>(c.expected.size())) << c.offset << "/" << c.length;
        EXPECT_EQ(std::string(window, static_cast<size_t>(read)), c.expected);
        for (char* p = memory; p < memory + sizeof memory; ++p)
            if (p < window || p >= window + read) {
                EXPECT_EQ(*p, '#') << "byte " << (p - window) << " written";
            }
    }
    char byte = 0;
    EXPECT_EQ(file.ReadAttr("text", B_STRING_TYPE, -1, &byte, 1), B_BAD_VALUE);
}

TEST(NodeAttributes, LongestPathAndEmptyStringRoundTrip) {
    TempDir dir;
    std::string path = dir.Write("program", "");
    std::string longest(1023, 'p');
    {
        BFile file(path.c_str(), B_WRITE_ONLY);
        ASSERT_EQ(file.WriteAttr("encoder_location", B_STRING_TYPE, 0, longest.c_str(), 1024),
                  1024);
    }
    BFile file(path.c_str(), B_READ_ONLY);
    char buffer[1024];
    ASSERT_EQ(file.ReadAttr("encoder_location", B_STRING_TYPE, 0, buffer, sizeof buffer), 1024);
    EXPECT_EQ(std::string(buffer), longest);
    EXPECT_EQ(RawAttr(path, "user.encoder_location").size(), 1028u);
}

TEST(NodeAttributes, WritesAtAnOffsetKeepTheDataInFront) {
    TempDir dir;
    std::string path = dir.Write("program", "");
    BFile file(path.c_str(), B_READ_WRITE);
    ASSERT_EQ(file.WriteAttr("data", B_INT32_TYPE, 0, "abcd", 4), 4);
    ASSERT_EQ(file.WriteAttr("data", B_INT32_TYPE, 2, "XYZ", 3), 3);
    EXPECT_EQ(RawAttr(path, "user.data"), "LONGabXYZ");
    // A different type starts afresh, the gap filled with zero bytes.
    ASSERT_EQ(file.WriteAttr("data", B_STRING_TYPE, 2, "Q", 1), 1);
    EXPECT_EQ(RawAttr(path, "user.data"), std::string("CSTR\0\0Q", 7));
}

TEST(NodeAttributes, UnopenedNodesAndReadOnlyFilesKeepTheirValues) {
    TempDir dir;
    char byte = 1;
    BFile unopened;
    EXPECT_EQ(unopened.ReadAttr("x", B_BOOL_TYPE, 0, &byte, 1), B_FILE_ERROR);
    EXPECT_EQ(unopened.WriteAttr("x", B_BOOL_TYPE, 0, &byte, 1), B_FILE_ERROR);
    BFile missing(dir.File("missing").c_str(), B_READ_ONLY);
    EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(missing.ReadAttr("x", B_BOOL_TYPE, 0, &byte, 1), B_FILE_ERROR);

    std::string path = dir.Write("program", "contents");
    SetRawAttr(path, "user.flag", std::string("BOOL\x01", 5));

    // Opened for reading, the file takes no attribute writes.
    BFile reader(path.c_str(), B_READ_ONLY);
    byte = 0;
    EXPECT_LT(reader.WriteAttr("flag", B_BOOL_TYPE, 0, &byte, 1), 0);
    EXPECT_LT(reader.WriteAttr("other", B_BOOL_TYPE, 0, &byte, 1), 0);
    EXPECT_EQ(RawAttr(path, "user.flag"), std::string("BOOL\x01", 5));
    EXPECT_EQ(RawAttr(path, "user.other"), "<missing>");

    // A file without write permission cannot be opened for writing, whoever
    // runs the test, and is not erased by trying.
    ASSERT_EQ(::chmod(path.c_str(), 0555), 0);
    for (uint32 mode : {B_WRITE_ONLY, B_READ_WRITE, B_WRITE_ONLY | B_ERASE_FILE,
                        B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE}) {
        BFile writer(path.c_str(), mode);
        EXPECT_NE(writer.InitCheck(), B_OK) << mode;
        EXPECT_LT(writer.WriteAttr("flag", B_BOOL_TYPE, 0, &byte, 1), 0);
    }
    EXPECT_EQ(RawAttr(path, "user.flag"), std::string("BOOL\x01", 5));
    EXPECT_EQ(ReadFileText(path), "contents");
    BNode node(path.c_str());
    ASSERT_EQ(node.InitCheck(), B_OK);
    EXPECT_LT(node.WriteAttr("flag", B_BOOL_TYPE, 0, &byte, 1), 0);
    EXPECT_EQ(RawAttr(path, "user.flag"), std::string("BOOL\x01", 5));
    ::chmod(path.c_str(), 0644);
}

TEST(File, OpenModesReadWriteAndCloseOnExec) {
    TempDir dir;
    std::string path = dir.File("list.mvl");
    {
        BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
        ASSERT_EQ(file.InitCheck(), B_OK);
        EXPECT_EQ(file.Write("0;/a.wav\n", 9), 9);

        // The descriptor must not leak into the encoder processes.
        bool found = false;
        DIR* fds = ::opendir("/proc/self/fd");
        ASSERT_NE(fds, nullptr);
        while (dirent* entry = ::readdir(fds)) {
            char target[PATH_MAX];
            std::string link = std::string("/proc/self/fd/") + entry->d_name;
            ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
            if (length > 0 && std::string(target, static_cast<size_t>(length)) == path) {
                found = true;
                EXPECT_NE(::fcntl(std::stoi(entry->d_name), F_GETFD) & FD_CLOEXEC, 0);
            }
        }
        ::closedir(fds);
        EXPECT_TRUE(found);
    }
    EXPECT_EQ(ReadFileText(path), "0;/a.wav\n");

    EXPECT_EQ(BFile(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS).InitCheck(),
              B_FILE_EXISTS);
    EXPECT_EQ(ReadFileText(path), "0;/a.wav\n");
    EXPECT_EQ(BFile(dir.Path().c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);

    BFile reader(path.c_str(), B_READ_ONLY);
    char buffer[16] = {};
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 9);
    EXPECT_LT(reader.Write("x", 1), 0);
    off_t size = 0;
    EXPECT_EQ(reader.GetSize(&size), B_OK);
    EXPECT_EQ(size, 9);

    BFile eraser(path.c_str(), B_WRITE_ONLY | B_ERASE_FILE);
    ASSERT_EQ(eraser.InitCheck(), B_OK);
    EXPECT_EQ(ReadFileText(path), "");
}

TEST(NodeInfo, TypeIsThePlainStringInUserMimeType) {
    TempDir dir;
    std::string path = dir.Write("list", "# Generated\n");
    const char* type = "text/x-MirvexOggVorbisFronted-list";
    {
        BFile file(path.c_str(), B_WRITE_ONLY);
        BNodeInfo info(&file);
        ASSERT_EQ(info.InitCheck(), B_OK);
        ASSERT_EQ(info.SetType(type), B_OK);
    }
    EXPECT_EQ(RawAttr(path, "user.mime_type"), type);

    BNode node(path.c_str());
    BNodeInfo info(&node);
    char buffer[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(info.GetType(buffer), B_OK);
    EXPECT_STREQ(buffer, type);

    // Values that other programs stored: with a NUL at the end, too long, or
    // none at all.
    struct Case {
        std::string raw;
        status_t status;
        const char* type;
    };
    const Case cases[] = {
        {std::string("audio/x-wav\0", 12), B_OK, "audio/x-wav"},
        {std::string(300, 'a'), B_BAD_TYPE, ""},
        {std::string("a\0b", 3), B_BAD_TYPE, ""},
    };
    for (const Case& c : cases) {
        SetRawAttr(path, "user.mime_type", c.raw);
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(info.GetType(buffer), c.status);
        EXPECT_STREQ(buffer, c.type);
    }

    // Bytes that neither the name nor the content make anything of.
    std::string bare = dir.Write("bare", std::string("\x93\x1f\x00\x8c\xfe", 5));
    BNode bareNode(bare.c_str());
    BNodeInfo bareInfo(&bareNode);
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(bareInfo.GetType(buffer), B_ENTRY_NOT_FOUND);
    EXPECT_STREQ(buffer, "");

    BFile writer(path.c_str(), B_WRITE_ONLY);
    BNodeInfo writerInfo(&writer);
    for (const char* bad : {"plain", "/x", "text/", "a/b/c", "text/with space", "text/a\nb"})
        EXPECT_EQ(writerInfo.SetType(bad), B_BAD_VALUE) << bad;
}

TEST(NodeInfo, AFileWithoutATypeIsTypedAsTheDesktopTypesItAndLeftUntouched) {
    TempDir dir;
    const std::string wave = std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20);
    struct Case {
        const char* name;
        std::optional<std::string> contents; // none for a folder
        const char* type;
    };
    const Case cases[] = {
        {"lied.wav", "", "audio/x-wav"},      // by its name
        {"ohne Endung", wave, "audio/x-wav"}, // by its content
        {"klang.aiff", "", "audio/x-aiff"},
        {"klang.flac", "fLaC", "audio/flac"},
        {"notiz", "Nur ein paar Worte.\n", "text/plain"},
        {"Ordner", std::nullopt, "inode/directory"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const std::string path =
            row.contents ? dir.Write(row.name, *row.contents) : dir.File(row.name);
        if (!row.contents)
            std::filesystem::create_directory(path);
        BNode node(path.c_str());
        ASSERT_EQ(node.InitCheck(), B_OK);
        BNodeInfo info(&node);
        char type[B_MIME_TYPE_LENGTH];
        EXPECT_EQ(info.GetType(type), B_OK);
        EXPECT_STREQ(type, row.type);
        EXPECT_EQ(RawAttr(path, "user.mime_type"), "<missing>") << "the answer was written";
    }

    // Reading the content leaves the file's own position where it was.
    const std::string path = dir.Write("gelesen", wave);
    BFile file(path.c_str(), B_READ_ONLY);
    char first[4];
    ASSERT_EQ(file.Read(first, sizeof first), 4);
    char type[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(BNodeInfo(&file).GetType(type), B_OK);
    EXPECT_STREQ(type, "audio/x-wav");
    char next[4];
    ASSERT_EQ(file.Read(next, sizeof next), 4);
    EXPECT_EQ(std::string(next, 4), std::string("\x24\0\0\0", 4));

    // A type of the file's own comes first, whatever its name says.
    SetRawAttr(path, "user.mime_type", "text/x-MirvexOggVorbisFronted-list");
    ASSERT_EQ(BNodeInfo(&file).GetType(type), B_OK);
    EXPECT_STREQ(type, "text/x-MirvexOggVorbisFronted-list");
}

TEST(File, ARunningProgramTakesAttributeWritesThoughNotDataWrites) {
    // A program keeps its options on its own executable while it runs; the
    // system refuses to open a running program for writing.
    TempDir dir;
    std::string program = dir.File("sleeper");
    std::filesystem::copy_file("/bin/sleep", program);
    std::error_code ignored;
    pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), "sleeper", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    // Wait until the copy is really running.
    std::string exe = "/proc/" + std::to_string(child) + "/exe";
    for (int i = 0; i < 500 && std::filesystem::read_symlink(exe, ignored) != program; ++i)
        ::usleep(10000);
    int probe = ::open(program.c_str(), O_WRONLY | O_CLOEXEC);
    EXPECT_EQ(probe, -1);
    EXPECT_EQ(errno, ETXTBSY);
    if (probe >= 0)
        ::close(probe);

    BFile file(program.c_str(), B_WRITE_ONLY);
    EXPECT_EQ(file.InitCheck(), B_OK);
    uint8 on = 1;
    EXPECT_EQ(file.WriteAttr("dont_close_on_add", B_BOOL_TYPE, 0, &on, 1), 1);
    EXPECT_EQ(RawAttr(program, "user.dont_close_on_add"), std::string("BOOL\x01", 5));
    EXPECT_LT(file.Write("x", 1), 0);

    // Erasing a running program is refused outright.
    BFile erase(program.c_str(), B_WRITE_ONLY | B_ERASE_FILE);
    EXPECT_NE(erase.InitCheck(), B_OK);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

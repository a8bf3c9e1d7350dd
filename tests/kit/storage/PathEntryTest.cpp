#include "support/TempDir.h"
#include <kit/storage/BEntry.h>
#include <kit/storage/BPath.h>

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(Path, NormalisesDotsAndSlashesAsThePathReads) {
    struct Case {
        const char* given;
        const char* path;
        const char* leaf;
    };
    const Case cases[] = {
        {"/a/./b/../c", "/a/c", "c"},
        {"/a//b///", "/a/b", "b"},
        {"/..", "/", ""},
        {"/", "/", ""},
        {"/a/b/..", "/a", "a"},
        {"/a/../../b", "/b", "b"},
        {"/list.mvl", "/list.mvl", "list.mvl"},
    };
    for (const Case& c : cases) {
        BPath path(c.given);
        ASSERT_EQ(path.InitCheck(), B_OK) << c.given;
        EXPECT_STREQ(path.Path(), c.path) << c.given;
        EXPECT_STREQ(path.Leaf(), c.leaf) << c.given;
    }

    char cwd[1024];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    BPath relative("x/../y.wav");
    EXPECT_EQ(std::string(relative.Path()), std::string(cwd) + "/y.wav");
}

TEST(Path, ParentAppendAndRefusals) {
    BPath path("/music/album");
    BPath parent;
    ASSERT_EQ(path.GetParent(&parent), B_OK);
    EXPECT_STREQ(parent.Path(), "/music");
    ASSERT_EQ(parent.GetParent(&parent), B_OK);
    EXPECT_STREQ(parent.Path(), "/");
    EXPECT_EQ(parent.GetParent(&parent), B_ENTRY_NOT_FOUND);

    EXPECT_EQ(path.Append("cd1/../track.wav"), B_OK);
    EXPECT_STREQ(path.Path(), "/music/album/track.wav");
    EXPECT_EQ(path.Append("/etc"), B_BAD_VALUE);
    EXPECT_STREQ(path.Path(), "/music/album/track.wav");

    // The application copies paths into 1024-byte buffers: a longer path is
    // refused, and a failed Append leaves the path as it was.
    std::string longest = "/" + std::string(1022, 'x');
    EXPECT_EQ(BPath(longest.c_str()).InitCheck(), B_OK);
    EXPECT_EQ(BPath((longest + "y").c_str()).InitCheck(), B_NAME_TOO_LONG);
    BPath full(longest.c_str());
    EXPECT_EQ(full.Append("y"), B_NAME_TOO_LONG);
    EXPECT_EQ(std::string(full.Path()), longest);

    EXPECT_EQ(BPath("").InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BPath(static_cast<const char*>(nullptr)).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BPath().Path(), nullptr);
}

TEST(Entry, FollowsWholeLinkChainsAndReportsBrokenOnes) {
    TempDir dir;
    std::string target = dir.Write("oggenc", "#!/bin/sh\n");
    ASSERT_EQ(::mkdir(dir.File("bin").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("../oggenc", dir.File("bin/relative").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("bin/relative").c_str(), dir.File("chain").c_str()), 0);
    ASSERT_EQ(::symlink("missing", dir.File("broken").c_str()), 0);
    ASSERT_EQ(::symlink("loop-b", dir.File("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", dir.File("loop-b").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere/file", dir.File("into-nothing").c_str()), 0);

    struct Case {
        std::string leaf;
        status_t status;       // of the followed entry
        std::string finalLeaf; // where following ends
        bool exists;           // whether the followed entry exists
    };
    const Case cases[] = {
        {"oggenc", B_OK, "oggenc", true},    {"bin/relative", B_OK, "oggenc", true},
        {"chain", B_OK, "oggenc", true},     {"broken", B_OK, "missing", false},
        {"loop-a", B_LINK_LIMIT, "", false}, {"into-nothing", B_ENTRY_NOT_FOUND, "", false},
    };
    for (const Case& c : cases) {
        BEntry unfollowed(dir.File(c.leaf).c_str());
        ASSERT_EQ(unfollowed.InitCheck(), B_OK) << c.leaf;
        EXPECT_TRUE(unfollowed.Exists()) << c.leaf;
        EXPECT_EQ(unfollowed.IsSymLink(), c.leaf != "oggenc") << c.leaf;

        BEntry followed(dir.File(c.leaf).c_str(), true);
        EXPECT_EQ(followed.InitCheck(), c.status) << c.leaf;
        if (c.status != B_OK)
            continue;
        EXPECT_EQ(followed.Exists(), c.exists) << c.leaf;
        EXPECT_FALSE(followed.IsSymLink()) << c.leaf;
        EXPECT_EQ(followed.IsFile(), c.exists) << c.leaf;
        BPath path;
        ASSERT_EQ(followed.GetPath(&path), B_OK);
        EXPECT_EQ(std::string(path.Path()), dir.File(c.finalLeaf)) << c.leaf;
    }
}

TEST(Entry, NeedsAnExistingFolder) {
    TempDir dir;
    EXPECT_EQ(BEntry(dir.File("not-yet.mvl").c_str()).InitCheck(), B_OK);
    EXPECT_FALSE(BEntry(dir.File("not-yet.mvl").c_str()).Exists());
    EXPECT_NE(BEntry(dir.File("no-folder/list.mvl").c_str()).InitCheck(), B_OK);
    std::string file = dir.Write("file", "");
    EXPECT_NE(BEntry((file + "/below").c_str()).InitCheck(), B_OK);
    EXPECT_EQ(BEntry("").InitCheck(), B_BAD_VALUE);
}

TEST(Entry, RefParentAndRemove) {
    TempDir dir;
    std::string file = dir.Write("a.wav", "RIFF");
    ASSERT_EQ(::symlink("a.wav", dir.File("link").c_str()), 0);

    BEntry entry(file.c_str());
    entry_ref ref;
    ASSERT_EQ(entry.GetRef(&ref), B_OK);
    EXPECT_EQ(ref.name, "a.wav");
    EXPECT_EQ(ref.path, file);
    BEntry fromRef(&ref);
    EXPECT_EQ(fromRef, entry);

    BEntry parent;
    ASSERT_EQ(entry.GetParent(&parent), B_OK);
    EXPECT_TRUE(parent.IsDirectory());
    BPath parentPath;
    ASSERT_EQ(parent.GetPath(&parentPath), B_OK);
    EXPECT_EQ(std::string(parentPath.Path()), dir.Path());
    char name[B_FILE_NAME_LENGTH];
    ASSERT_EQ(entry.GetName(name), B_OK);
    EXPECT_STREQ(name, "a.wav");

    // Removing a link leaves its target.
    BEntry link(dir.File("link").c_str());
    ASSERT_EQ(link.Remove(), B_OK);
    EXPECT_FALSE(link.Exists());
    EXPECT_TRUE(entry.Exists());
    ASSERT_EQ(entry.Remove(), B_OK);
    EXPECT_FALSE(entry.Exists());
    EXPECT_EQ(entry.Remove(), B_ENTRY_NOT_FOUND);

    BEntry root("/");
    EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
}

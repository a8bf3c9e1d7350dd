// How the files a message hands over become paths, for the drop, the files
// handed to the program and the panels' choices alike.

#include "app/MessageRefs.h"

#include "support/TempDir.h"
#include <kit/app/AppDefs.h>
#include <kit/app/BMessage.h>
#include <kit/storage/BEntry.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

TEST(MessageRefs, LinksAreFollowedOrKeptAndWhatLeadsNowhereHasNoPath) {
    TempDir dir;
    const std::string file = dir.Write("lied.wav", "");
    const std::string link = dir.File("verweis");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    // A link into a folder that is not there leads nowhere; so does a loop.
    const std::string dangling = dir.File("ins Leere");
    ASSERT_EQ(::symlink(dir.File("fehlt/lied.wav").c_str(), dangling.c_str()), 0);
    const std::string loop = dir.File("Schleife");
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);

    BMessage message(B_REFS_RECEIVED);
    std::vector<entry_ref> handed;
    for (const std::string& path : {file, link, dangling, loop}) {
        entry_ref ref;
        ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
        message.AddRef("refs", &ref);
        handed.push_back(ref);
    }

    using Path = std::optional<std::string>;
    struct Case {
        const char* what;
        MessageRefs::Links links;
        int32 most;
        std::vector<Path> paths;
    };
    const Case cases[] = {
        {"followed", MessageRefs::Links::Follow, -1, {file, file, std::nullopt, std::nullopt}},
        {"kept", MessageRefs::Links::Keep, -1, {file, link, dangling, loop}},
        {"the first two", MessageRefs::Links::Follow, 2, {file, file}},
        {"none of them", MessageRefs::Links::Keep, 0, {}},
    };
    for (const Case& c : cases) {
        const MessageRefs refs(&message, c.links, c.most);
        std::vector<Path> paths;
        std::vector<std::string> leading;
        for (int32 i = 0; i < refs.Count(); ++i) {
            EXPECT_TRUE(refs.Ref(i) == handed[static_cast<size_t>(i)]) << c.what << " " << i;
            paths.push_back(refs.Path(i) != nullptr ? Path(refs.Path(i)) : std::nullopt);
            if (refs.Path(i) != nullptr)
                leading.emplace_back(refs.Path(i));
        }
        EXPECT_EQ(paths, c.paths) << c.what;
        EXPECT_EQ(refs.Paths(), leading) << c.what;
    }
}

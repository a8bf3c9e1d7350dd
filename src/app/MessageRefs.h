#pragma once

// The files a message hands over in its field "refs", in their order, each
// with the path it leads to. A reference that leads nowhere (a link into a
// folder that is not there, a loop of links) has no path: Paths leaves it
// out, and Path answers null for it, for the callers that tell such a file
// apart.
//
// Thread: any; the paths are looked up once, when the object is made.

#include <kit/storage/entry_ref.h>

#include <optional>
#include <string>
#include <vector>

class BMessage;

class MessageRefs {
public:
    enum class Links {
        // A link stands for the file it leads to.
        Follow,
        // A link stays a link: its own path.
        Keep,
    };

    // Looks at the first most references of message, or at all of them.
    explicit MessageRefs(const BMessage* message, Links links = Links::Follow, int32 most = -1);

    int32 Count() const;
    const entry_ref& Ref(int32 index) const;
    // The path reference index leads to, or null when it leads nowhere.
    const char* Path(int32 index) const;
    // The paths of the references that lead somewhere, in their order.
    std::vector<std::string> Paths() const;

private:
    struct Handed {
        entry_ref ref;
        std::optional<std::string> path;
    };
    std::vector<Handed> fRefs;
};

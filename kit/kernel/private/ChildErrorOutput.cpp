#include <kit/kernel/private/ChildErrorOutput.h>

#include <kit/app/AppDefs.h>
#include <kit/app/private/MessageAccess.h>
#include <kit/app/private/MessengerAccess.h>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace kit_private {

namespace {

// The length of the longest start of text that is at most limit bytes and
// does not end inside a UTF-8 character.
size_t whole_characters(std::string_view text, size_t limit) {
    if (text.size() <= limit)
        return text.size();
    size_t length = limit;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xc0) == 0x80)
        --length;
    return length;
}

} // namespace

ChildErrorOutput::ChildErrorOutput(int descriptor, const BMessenger& target, team_id team,
                                   int64 launch)
    : fDescriptor(descriptor), fTarget(target), fTeam(team), fLaunch(launch) {}

ChildErrorOutput::~ChildErrorOutput() {
    Close();
}

void ChildErrorOutput::Close() {
    if (fDescriptor >= 0)
        ::close(fDescriptor);
    fDescriptor = -1;
}

bool ChildErrorOutput::Read(size_t limit) {
    char buffer[64 * 1024];
    size_t total = 0;
    while (fDescriptor >= 0 && total < limit) {
        ssize_t count = ::read(fDescriptor, buffer, std::min(sizeof buffer, limit - total));
        if (count > 0) {
            Take(std::string_view(buffer, static_cast<size_t>(count)));
            total += static_cast<size_t>(count);
            continue;
        }
        if (count == 0)
            return true;
        if (errno == EINTR)
            continue;
        // EAGAIN: empty for now. Anything else cannot be read any further.
        return errno != EAGAIN && errno != EWOULDBLOCK;
    }
    return fDescriptor < 0;
}

void ChildErrorOutput::Take(std::string_view bytes) {
    Keep(bytes);
    Post(bytes);
}

void ChildErrorOutput::Keep(std::string_view bytes) {
    while (!bytes.empty()) {
        size_t end = bytes.find_first_of("\r\n");
        std::string_view piece = bytes.substr(0, end);
        if (fPartial.size() < kMaxLine) {
            // A line too long to keep whole is kept from its start, which
            // is where a message says what went wrong.
            std::string_view room = piece.substr(0, kMaxLine - fPartial.size());
            if (room.size() < piece.size())
                room = room.substr(0, whole_characters(piece, room.size()));
            fPartial.append(room);
        }
        if (end == std::string_view::npos)
            return;
        if (!fPartial.empty()) {
            fLines.push_back(std::move(fPartial));
            if (fLines.size() > kKeptLines)
                fLines.pop_front();
        }
        fPartial.clear();
        bytes.remove_prefix(end + 1);
    }
}

std::string ChildErrorOutput::LastLines() const {
    size_t skip = fLines.size() + (fPartial.empty() ? 0 : 1) > kKeptLines ? 1 : 0;
    std::string text;
    for (size_t i = skip; i < fLines.size(); ++i)
        text += fLines[i] + '\n';
    if (!fPartial.empty())
        text += fPartial + '\n';
    return text;
}

void ChildErrorOutput::Post(std::string_view bytes) {
    auto port = MessengerAccess::Port(fTarget);
    if (!port)
        return;
    const uint64 handler = MessengerAccess::HandlerToken(fTarget);
    Envelope envelope{std::make_unique<BMessage>(B_CHILD_OUTPUT), handler};
    envelope.message->AddInt32("be:team", fTeam);
    envelope.message->AddInt64("kit:launch", fLaunch);
    envelope.message->AddString("kit:text", std::string(bytes));
    // The merge runs under the target queue's own mutex: it only appends to
    // a message that nobody else can touch while it waits.
    auto merge = [&](Envelope& queued) {
        if (queued.message->what != B_CHILD_OUTPUT || queued.handlerToken != handler)
            return false;
        int32 team = -1;
        int64 launch = 0;
        if (queued.message->FindInt32("be:team", &team) != B_OK || team != fTeam ||
            queued.message->FindInt64("kit:launch", &launch) != B_OK || launch != fLaunch)
            return false;
        std::string* text = MessageAccess::String(*queued.message, "kit:text");
        if (text == nullptr)
            return false;
        text->append(bytes);
        if (text->size() > kMaxPending) {
            // Far behind: the oldest half goes, so that a target that
            // catches up sees what the child writes now.
            text->erase(0, text->size() - kMaxPending / 2);
        }
        return true;
    };
    // A target that has gone takes nothing; the lines are still kept.
    port->PushOrMerge(std::move(envelope), merge);
}

} // namespace kit_private

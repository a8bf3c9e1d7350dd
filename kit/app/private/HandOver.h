#pragma once

// The sender's side of a hand-over and the token that decides who owns a
// frame's paths (see InstanceChannel for the whole protocol).
//
// With each frame the sender passes a token: an eventfd holding the count 1,
// attached to the frame's first bytes. Whoever reads that count owns the
// frame's paths, and a read hands the count to exactly one reader. The
// running instance answers kAcknowledgement once it delivered a frame.
//
// Thread: any; the calls keep no state.

#include <kit/app/private/Descriptor.h>

#include <chrono>
#include <string>
#include <vector>

namespace kit_private::hand_over {

inline constexpr char kAcknowledgement[4] = {'M', 'F', 'O', 'K'};

enum class Result {
    kHandedOver, // every path was taken
    kPeerGone,   // the running instance went away before it took anything
    kBusy,       // it stopped answering; the paths left were not taken
    kFailed,     // this side could not go on
};

// A new token with its count, or nothing when no eventfd could be made.
Descriptor MakeToken();

// True for a token as a sender makes it: an eventfd that never blocks, since
// a token that could block would hold the running instance up.
bool IsToken(int fd);

// True when this side read the token's count, and so owns the frame's paths.
bool Claim(int token);

// Hands paths over on peer, a connected socket to the running instance,
// frame by frame, waiting up to answerTime for each frame's answer. What is
// left in paths afterwards was not taken and stays with the caller.
Result Send(int peer, std::vector<std::string>* paths, std::chrono::milliseconds answerTime);

} // namespace kit_private::hand_over

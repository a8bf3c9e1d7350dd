#pragma once

// An object that receives messages on its looper's thread. Every handler has
// a token that is never reused, so that a message aimed at a handler that has
// since been deleted finds nothing and is dropped.

#include <kit/app/BMessage.h>

#include <string>

class BLooper;

class BHandler {
public:
    explicit BHandler(const char* name = nullptr);
    virtual ~BHandler();

    BHandler(const BHandler&) = delete;
    BHandler& operator=(const BHandler&) = delete;

    // The message hook. The default drops the message. Thread: the looper's,
    // with its lock held.
    virtual void MessageReceived(BMessage* message);

    // Thread: the looper's lock holder, or any before the handler is attached.
    BLooper* Looper() const { return fLooper; }
    const char* Name() const { return fName.c_str(); }
    void SetName(const char* name) { fName = name ? name : ""; }

    // Kit-private: the handler's token, unique for the life of the process.
    uint64 Token() const { return fToken; }

private:
    friend class BLooper;

    std::string fName;
    BLooper* fLooper = nullptr;
    const uint64 fToken;
};

#include <kit/app/BHandler.h>

#include <kit/app/BLooper.h>

#include <atomic>

namespace {
std::atomic<uint64> sNextToken{1};
}

BHandler::BHandler(const char* name) : fName(name ? name : ""), fToken(sNextToken++) {}

BHandler::~BHandler() {
    if (fLooper != nullptr && fLooper != this)
        fLooper->RemoveHandler(this);
}

void BHandler::MessageReceived(BMessage*) {}

#pragma once

// The program options as they lie on the executable's attributes. The tests
// run from the test sandbox's copy of the test program, so what they read and
// write is that copy's and never a build output's.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>

inline std::string OwnExecutable() {
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length < 0 ? std::string() : std::string(path, static_cast<size_t>(length));
}

inline const char* const kOptionNames[] = {
    "user.encoder_location", "user.dont_close_on_add", "user.dont_clear_on_open",
    "user.self_register_mime_type", "user.simultaneous_encoders"};

inline void ClearOptions() {
    for (const char* name : kOptionNames)
        ::removexattr(OwnExecutable().c_str(), name);
}

inline void SetRaw(const char* name, const std::string& value) {
    ASSERT_EQ(::setxattr(OwnExecutable().c_str(), name, value.data(), value.size(), 0), 0) << name;
}

inline std::string Raw(const char* name) {
    char value[4096];
    ssize_t length = ::getxattr(OwnExecutable().c_str(), name, value, sizeof value);
    return length < 0 ? std::string("<missing>") : std::string(value, static_cast<size_t>(length));
}

inline std::string Cstr(const std::string& data) {
    return "CSTR" + data;
}
inline std::string Bool(char value) {
    return std::string("BOOL") + value;
}
// A 'LONG' value: the type, then the data bytes as given.
inline std::string Long(const std::string& data) {
    return "LONG" + data;
}

#pragma once

// Basic types, status codes and type codes shared by every kit.

#include <cstdint>

using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;

using status_t = int32;
using type_code = uint32;
// A span of time in microseconds.
using bigtime_t = int64;

// A four-character code: the first character lands in the most significant
// byte, so four_cc("ENCD") is 0x454E4344.
constexpr uint32 four_cc(const char (&code)[5]) {
    return (static_cast<uint32>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<uint32>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<uint32>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<uint32>(static_cast<unsigned char>(code[3]));
}

// Status codes. Every failure is negative; B_OK is zero.
enum : status_t {
    B_OK = 0,
    B_ERROR = -1,
    B_NO_MEMORY = -2,
    B_BAD_VALUE = -3,
    B_NO_INIT = -4,
    B_NAME_NOT_FOUND = -5,
    B_BAD_INDEX = -6,
    B_BAD_TYPE = -7,
    B_ENTRY_NOT_FOUND = -8,
    B_FILE_ERROR = -9,
    B_FILE_EXISTS = -10,
    B_PERMISSION_DENIED = -11,
    B_NOT_ALLOWED = -12,
    B_NOT_A_DIRECTORY = -13,
    B_IS_A_DIRECTORY = -14,
    B_DEVICE_FULL = -15,
    B_READ_ONLY_DEVICE = -16,
    B_NAME_TOO_LONG = -17,
    B_LINK_LIMIT = -18,
    B_BUSY = -19,
    B_TIMED_OUT = -20,
    B_INTERRUPTED = -21,
    B_BAD_PORT_ID = -22,
    B_BAD_HANDLER = -23,
    B_BAD_TEAM_ID = -24,
    B_LAUNCH_FAILED = -25,
    B_LAUNCH_FAILED_EXECUTABLE = -26,
    B_NOT_SUPPORTED = -27,
    B_BUFFER_OVERFLOW = -28,
    B_IO_ERROR = -29,
};

// Maps an errno value to the kit's status code for it.
status_t status_from_errno(int error);

// Type codes of typed data (message fields, file attributes).
constexpr type_code B_STRING_TYPE = four_cc("CSTR");
constexpr type_code B_BOOL_TYPE = four_cc("BOOL");
constexpr type_code B_INT32_TYPE = four_cc("LONG");
constexpr type_code B_INT64_TYPE = four_cc("LLNG");
constexpr type_code B_REF_TYPE = four_cc("RREF");
constexpr type_code B_MIME_STRING_TYPE = four_cc("MIMS");
constexpr type_code B_ANY_TYPE = four_cc("ANYT");

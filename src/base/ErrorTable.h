#pragma once

#include <QString>
#include <stdexcept>

namespace tobimaru {

/// Numbers of the failures our code raises. They keep the numbers a Windows user of the
/// program knows from its error boxes, so a report reads the same on both systems.
enum class ErrorCode : int {
    InvalidCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    BadFileName = 52,
    FileNotFound = 53,
    FileAlreadyExists = 58,
    DiskFull = 61,
    DeviceUnavailable = 68,
    PermissionDenied = 70,
    DiskNotReady = 71,
    PathFileAccess = 75,
    PathNotFound = 76,
    ObjectNotSet = 91,
    InvalidPropertyValue = 380,
    Internal = 51,
};

/// The number a user sees in the error box.
constexpr int ErrorNumber(ErrorCode code) {
    return static_cast<int>(code);
}

/// The standard Japanese text of a failure number; numbers without a text of their own get the
/// one generic text.
QString ErrorText(ErrorCode code);

/// A trapped failure: a number whose text comes from the table, never from the raise site.
class Failure : public std::runtime_error {
public:
    explicit Failure(ErrorCode code, const char* where = "");
    ErrorCode code() const { return m_code; }

private:
    ErrorCode m_code = ErrorCode::Internal;
};

} // namespace tobimaru

#pragma once

#include <QString>
#include <stdexcept>

namespace tobimaru {

/// Numbers of the failures our code raises. They keep the numbers a Windows user of the
/// program knows from its error boxes, so a report reads the same on both systems.
namespace ErrorCode {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectNotSet = 91;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int Internal = 51;
} // namespace ErrorCode

/// The standard Japanese text of a failure number; numbers without a text of their own get the
/// one generic text.
QString ErrorText(int code);

/// A trapped failure: a number whose text comes from the table, never from the raise site.
class Failure : public std::runtime_error {
public:
    explicit Failure(int code, const char* where = "");
    int code() const { return m_code; }

private:
    int m_code = 0;
};

} // namespace tobimaru

#include "base/ErrorTable.h"

#include <string>

namespace tobimaru {

QString ErrorText(ErrorCode code) {
    switch (code) {
    case ErrorCode::InvalidCall:
        return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case ErrorCode::Overflow:
        return QStringLiteral("オーバーフローしました。");
    case ErrorCode::OutOfMemory:
        return QStringLiteral("メモリが不足しています。");
    case ErrorCode::SubscriptOutOfRange:
        return QStringLiteral("インデックスが有効範囲にありません。");
    case ErrorCode::TypeMismatch:
        return QStringLiteral("型が一致しません。");
    case ErrorCode::Internal:
        return QStringLiteral("内部エラーです。");
    case ErrorCode::BadFileName:
        return QStringLiteral("ファイル名または番号が不正です。");
    case ErrorCode::FileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case ErrorCode::FileAlreadyExists:
        return QStringLiteral("既に同名のファイルが存在しています。");
    case ErrorCode::DiskFull:
        return QStringLiteral("ディスクの空き容量が不足しています。");
    case ErrorCode::DeviceUnavailable:
        return QStringLiteral("デバイスが準備されていません。");
    case ErrorCode::PermissionDenied:
        return QStringLiteral("書き込みできません。");
    case ErrorCode::DiskNotReady:
        return QStringLiteral("ディスクの準備ができていません。");
    case ErrorCode::PathFileAccess:
        return QStringLiteral("パス名が無効です。");
    case ErrorCode::PathNotFound:
        return QStringLiteral("パスが見つかりません。");
    case ErrorCode::ObjectNotSet:
        return QStringLiteral("オブジェクト変数が設定されていません。");
    case ErrorCode::InvalidPropertyValue:
        return QStringLiteral("プロパティの値が不正です。");
    default:
        return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
    }
}

Failure::Failure(ErrorCode code, const char* where)
    : std::runtime_error(std::string("failure ") + std::to_string(ErrorNumber(code)) +
                         (where && *where ? " in " : "") + (where ? where : ""))
    , m_code(code) {}

} // namespace tobimaru

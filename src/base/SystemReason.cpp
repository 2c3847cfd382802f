#include "base/SystemReason.h"

#include <cerrno>
#include <cstring>

namespace tobimaru {

namespace {

struct Reason {
    int error;
    const char* text;
};

// The errors moves, deletes and extraction meet on local disks, sticks and shares.
constexpr Reason kReasons[] = {
    {EACCES, "アクセスが拒否されました"},
    {EPERM, "この操作は許可されていません"},
    {EROFS, "読み取り専用のドライブです"},
    {ENOSPC, "ディスクの空き容量が足りません"},
    {EDQUOT, "ディスクの割り当て容量を超えました"},
    {ENOENT, "ファイルまたはフォルダが見つかりません"},
    {EEXIST, "同じ名前の項目が既にあります"},
    {ENOTEMPTY, "フォルダが空ではありません"},
    {EISDIR, "フォルダです"},
    {ENOTDIR, "フォルダではありません"},
    {EXDEV, "別のドライブへは名前の変更で移せません"},
    {ELOOP, "シンボリックリンクをたどれません"},
    {ENAMETOOLONG, "名前が長すぎます"},
    {EBUSY, "使用中です"},
    {ETXTBSY, "使用中です"},
    {EIO, "入出力エラーが発生しました"},
    {EINVAL, "このドライブでは使えない名前か操作です"},
    {ENOSYS, "このドライブはこの操作に対応していません"},
    {EOPNOTSUPP, "このドライブはこの操作に対応していません"},
    {EFBIG, "ファイルが大きすぎます"},
    {EMLINK, "リンクが多すぎます"},
    {ENOMEM, "メモリが足りません"},
    {EMFILE, "開いているファイルが多すぎます"},
    {ENFILE, "開いているファイルが多すぎます"},
    {ETIMEDOUT, "応答がありません"},
    {ENOTCONN, "ドライブとの接続が切れています"},
    {ESTALE, "ネットワーク上のファイルが古くなっています"},
    {EAGAIN, "一時的に使えません"},
    {EINTR, "中断されました"},
    {ECANCELED, "キャンセルされました"},
};

} // namespace

QString SystemReason(int error) {
    for (const Reason& r : kReasons) {
        if (r.error == error)
            return QString::fromUtf8(r.text);
    }
    // strerror's words follow LC_MESSAGES, which the program never sets: they are the C library's.
    return QStringLiteral("システムエラー %1 (%2)")
        .arg(error)
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}

QString NamedReason(const QString& shownName, int error) {
    return shownName + QStringLiteral(": ") + SystemReason(error);
}

} // namespace tobimaru

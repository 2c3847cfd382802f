#include "archives/ArchiverCodes.h"

namespace tobimaru {

namespace {

struct CodeText {
    ArchiverCode code = ArchiverCode::Ok;
    // As the LZH library said it; the ZIP library said the same with its own names.
    const char16_t* text = nullptr;
};

constexpr CodeText kTexts[] = {
    {ArchiverCode::DiskSpace, u"展開する為のﾃﾞｨｽｸの空きが足りません。"},
    {ArchiverCode::ReadOnly, u"展開先のﾌｧｲﾙはﾘｰﾄﾞｵﾝﾘｰです。"},
    {ArchiverCode::UserSkip, u"ﾕｰｻﾞｰによって展開をｽｷｯﾌﾟされました。"},
    {ArchiverCode::UnknownType, u"格納ﾌｧｲﾙの種類がMS-DOSで扱える形式(BINARY 及び TEXT)以外です。"},
    {ArchiverCode::UnknownMode, u"UnLHA32.DLLで扱えない格納ﾓｰﾄﾞで格納されています。"},
    {ArchiverCode::Password, u"格納ﾌｧｲﾙにﾊﾟｽﾜｰﾄﾞがかかっています。"},
    {ArchiverCode::Version, u"格納ﾌｧｲﾙがUnLHA32.DLLが対応していないﾊﾞｰｼﾞｮﾝの形式です。"},
    {ArchiverCode::DataChecksum, u"格納ﾌｧｲﾙのﾁｪｯｸｻﾑが合っていません。"},
    {ArchiverCode::FileOpen, u"展開時にﾌｧｲﾙを開けませんでした。"},
    {ArchiverCode::NewerExists, u"より新しいﾌｧｲﾙが展開先に存在しています。"},
    {ArchiverCode::NotInDestination, u"ﾌｧｲﾙは解凍先に存在していません。"},
    {ArchiverCode::AlreadyExists, u"ﾌｧｲﾙが展開先に既に存在しています。"},
    {ArchiverCode::TooManyFiles,
     u"格納ﾌｧｲﾙ数が限界を超えている。処理は正常に行われているが、限界を超えた部分については"
     u"情報は選られない。"},
    {ArchiverCode::MakeDirectory, u"ﾃﾞｨﾚｸﾄﾘが作成できません。"},
    {ArchiverCode::WriteError, u"展開中に書き込みｴﾗｰが生じました。"},
    {ArchiverCode::HuffmanCode, u"Lzhﾌｧｲﾙのﾊﾌﾏﾝｺｰﾄﾞが壊れています。"},
    {ArchiverCode::CommentHeader, u"Lzhﾌｧｲﾙのｺﾒﾝﾄﾍｯﾀﾞが壊れています。"},
    {ArchiverCode::HeaderChecksum, u"Lzhﾌｧｲﾙのﾍｯﾀﾞのﾁｪｯｸｻﾑが合っていません。"},
    {ArchiverCode::HeaderBroken, u"Lzhﾌｧｲﾙのﾍｯﾀﾞが壊れています。"},
    {ArchiverCode::ArchiveOpen, u"Lzhﾌｧｲﾙを開く事が出来ません。"},
    {ArchiverCode::NoArchiveName, u"Lzhﾌｧｲﾙ名の指定がされていません。"},
    {ArchiverCode::ReadError, u"Lzhﾌｧｲﾙの読み込み時に読み込みｴﾗｰが出ました。"},
    {ArchiverCode::NotArchive, u"指定されたﾌｧｲﾙはLzhﾌｧｲﾙではありません。"},
    {ArchiverCode::Command, u"ｺﾏﾝﾄﾞ指定が間違っています。"},
    {ArchiverCode::HeapMemory, u"作業用のためのﾋｰﾌﾟﾒﾓﾘが不足しています。"},
    {ArchiverCode::GlobalMemory, u"ｸﾞﾛｰﾊﾞﾙﾒﾓﾘが不足しています。"},
    {ArchiverCode::Busy, u"既に別のﾌﾟﾛｾｽからUnLHA32.DLLが呼ばれています。"},
    {ArchiverCode::UserCancel, u"ﾕｰｻﾞｰによって解凍を中断されました。"},
    {ArchiverCode::WorkFile, u"作業ﾌｧｲﾙがｵｰﾌﾟﾝできません。"},
};

} // namespace

QString ArchiverErrorText(ArchiveKind kind, ArchiverCode code) {
    if (code == ArchiverCode::Ok)
        return {};
    for (const CodeText& row : kTexts) {
        if (row.code != code)
            continue;
        QString text = QString::fromUtf16(row.text);
        if (kind == ArchiveKind::Zip)
            text.replace(QLatin1String("UnLHA32"), QLatin1String("UnZip32"))
                .replace(QLatin1String("Lzh"), QLatin1String("Zip"));
        return text;
    }
    // A code is a 32-bit word; a negative int shows as the word it is, not with a minus sign.
    return QStringLiteral("未知のｴﾗｰです。&H") +
           QString::number(static_cast<quint32>(ArchiverNumber(code)), 16).toUpper();
}

QString LzhErrorText(ArchiverCode code) {
    return ArchiverErrorText(ArchiveKind::Lzh, code);
}

QString ZipErrorText(ArchiverCode code) {
    return ArchiverErrorText(ArchiveKind::Zip, code);
}

} // namespace tobimaru

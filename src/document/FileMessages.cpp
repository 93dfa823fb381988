#include "document/FileMessages.h"

namespace FileMessages {

QString openFailure(LabelFileCodec::Refusal refusal) {
    using LabelFileCodec::Refusal;
    switch (refusal) {
    case Refusal::Damaged:
        return QStringLiteral("ファイルが壊れているため開けませんでした。");
    case Refusal::Unreadable:
        return QStringLiteral("ファイルを読み込めませんでした。");
    case Refusal::NewerVersion:
        return QStringLiteral(
            "この文書は新しいバージョンの Gyroplatecomposer で作られているため開けませんでした。");
    case Refusal::None:
    case Refusal::NotALabelFile:
        break;
    }
    return QStringLiteral("Gyroplatecomposer のファイルではありません。");
}

QString openedFileGone(const QString& path) {
    return openFailure(LabelFileCodec::Refusal::Unreadable) +
           QStringLiteral("\n「%1」が見つかりません。移動または削除された可能性があります。")
               .arg(path);
}

namespace {
QString saveReason(LabelFileStore::SaveFault fault) {
    using LabelFileStore::SaveFault;
    switch (fault) {
    case SaveFault::NoSpace:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case SaveFault::NotAllowed:
        return QStringLiteral("この場所に書き込む権限がありません。");
    case SaveFault::FolderGone:
        return QStringLiteral("保存先のフォルダーが見つかりません。");
    case SaveFault::PictureGone:
        return QStringLiteral("背景の画像ファイルが見つかりません。");
    case SaveFault::PictureUnreadable:
        return QStringLiteral("背景の画像ファイルを読み込めません。");
    case SaveFault::PictureTooLarge:
        return QStringLiteral("背景の画像が大きすぎます。");
    case SaveFault::Content:
        return QStringLiteral("ラベルにファイルに書けない内容が含まれています。");
    case SaveFault::NotAFile:
        return QStringLiteral("保存先はフォルダーかデバイスで、ファイルではありません。");
    case SaveFault::None:
    case SaveFault::Other:
        break;
    }
    return QStringLiteral("ディスクに書き込めませんでした。");
}
} // namespace

QString saveFailure(LabelFileStore::SaveFault fault) {
    return QStringLiteral("ラベルを保存できませんでした。\n") + saveReason(fault);
}

} // namespace FileMessages

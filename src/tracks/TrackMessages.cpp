#include "tracks/TrackMessages.h"

#include "platform/audio/CueSheet.h"
#include "platform/audio/TrackReader.h"

#include <QFileInfo>

namespace TrackMessages {

namespace {

QString reason(const ReadProblem& problem) {
    using Kind = ReadProblem::Kind;
    switch (problem.kind) {
    case Kind::Missing:
        return QStringLiteral("ファイルが見つかりません。");
    case Kind::Unreadable:
        return QStringLiteral("読み込めません（%1）。").arg(problem.detail);
    case Kind::NotRegularFile:
        return QStringLiteral("通常のファイルではないので読みません。");
    case Kind::Folder:
        return QStringLiteral("フォルダなので読みません。");
    case Kind::NotAudio:
        return QStringLiteral("音声ファイルではありません。");
    case Kind::Damaged:
        return QStringLiteral("壊れています（音声が見つかりません）。");
    case Kind::NoAudioFiles:
        return QStringLiteral("音声ファイルがありません。");
    case Kind::NotLocal:
        return QStringLiteral("このコンピューターのファイルではありません。");
    case Kind::AlreadyRead:
        return QStringLiteral("読み込み済みです（一度だけ読みます）。");
    case Kind::TooDeep:
        return QStringLiteral("プレイリストの入れ子が深すぎます。");
    case Kind::SheetTooLarge:
        return QStringLiteral("大きすぎます。");
    case Kind::NotText:
        return QStringLiteral("テキストファイルではありません。");
    case Kind::NoTracks:
        return QStringLiteral("曲がありません。");
    case Kind::TooManyTracks:
        return QStringLiteral("%1 曲を超えたので、残りは読みません。").arg(TrackReader::MaxTracks);
    case Kind::CueNoFile:
        return QStringLiteral("FILE 行より前にあります。");
    case Kind::CueDataTrack:
        return QStringLiteral("音声のトラックではありません（%1）。").arg(problem.detail);
    case Kind::CueTrackNumber:
        return QStringLiteral("トラック番号「%1」は 01～99 ではありません。").arg(problem.detail);
    case Kind::CueBeyondLimit:
        return QStringLiteral("%1 曲を超えています。").arg(CueSheet::MaxTracks);
    case Kind::CueNoIndex:
        return QStringLiteral("INDEX 01 がありません。");
    case Kind::CueBadTime:
        return QStringLiteral("INDEX 01 の時間「%1」が読めません。").arg(problem.detail);
    case Kind::CueBeforePrevious:
        return QStringLiteral("前の曲より後に始まっていません。");
    case Kind::CuePastEnd:
        return QStringLiteral("開始 %1 がファイルの終わり（%2）より後です。")
            .arg(problem.detail.section(u' ', 0, 0), problem.detail.section(u' ', 1, 1));
    }
    return QString();
}

QString fieldName(const QString& placeholder) {
    if (placeholder == TrackLines::TrackNumber)
        return QStringLiteral("曲番号");
    if (placeholder == TrackLines::Title)
        return QStringLiteral("曲名");
    if (placeholder == TrackLines::Artist)
        return QStringLiteral("アーティスト名");
    if (placeholder == TrackLines::Album)
        return QStringLiteral("アルバム名");
    if (placeholder == TrackLines::Time)
        return QStringLiteral("時間");
    return placeholder;
}

} // namespace

QString japanese(const ReadProblem& problem) {
    QString where = QFileInfo(problem.path).fileName();
    if (problem.kind >= ReadProblem::Kind::CueNoFile && problem.cueTrack > 0)
        where += QStringLiteral(" トラック %1").arg(problem.cueTrack, 2, 10, QLatin1Char('0'));
    if (problem.line > 0)
        where += problem.source.isEmpty() ? QStringLiteral("（%1 行目）").arg(problem.line)
                                          : QStringLiteral("（%1 の %2 行目）")
                                                .arg(QFileInfo(problem.source).fileName())
                                                .arg(problem.line);
    return where.isEmpty() ? reason(problem) : where + QStringLiteral(": ") + reason(problem);
}

QString japanese(const TrackLines::Check& check) {
    using Kind = TrackLines::Check::Kind;
    switch (check.kind) {
    case Kind::Fine:
        return QString();
    case Kind::Empty:
        return QStringLiteral("空の行です。");
    case Kind::Missing:
        return QStringLiteral("%1がありません。").arg(fieldName(check.detail));
    case Kind::LineBreak:
        return QStringLiteral("改行が含まれています。");
    case Kind::NotCp932:
        return QStringLiteral("保存できない文字「%1」が含まれています。").arg(check.detail);
    case Kind::FontNotCp932:
        return QStringLiteral("フォント名に保存できない文字が含まれています。");
    case Kind::TooLong:
        return QStringLiteral("長すぎます（%1 バイト、最大 %2 バイト）。")
            .arg(check.bytes)
            .arg(check.limit);
    }
    return QString();
}

QString replacements(const QList<Cp932::Replacement>& made) {
    QStringList pairs;
    for (const Cp932::Replacement& replacement : made)
        pairs << replacement.from + QStringLiteral("→") + replacement.to;
    return pairs.isEmpty() ? QString()
                           : QStringLiteral("置き換え: ") + pairs.join(QStringLiteral("、"));
}

} // namespace TrackMessages

#include "merge/MergeProblem.h"

#include "merge/MergeTable.h"

namespace MergeMessages {

namespace {

// "3 件目 (ファイルの 4 行目)、2 番目の文字「{{氏名}} 様」": as much of the place as is known.
QString place(const MergeProblem& problem) {
    QString where;
    if (problem.row > 0)
        where =
            problem.line > 0
                ? QStringLiteral("%1 件目 (ファイルの %2 行目)").arg(problem.row).arg(problem.line)
                : QStringLiteral("%1 件目").arg(problem.row);
    if (problem.item >= 0) {
        if (!where.isEmpty())
            where += QStringLiteral("、");
        where += QStringLiteral("%1 番目の文字「%2」").arg(problem.item + 1).arg(problem.itemText);
    }
    return where;
}

QString withPlace(const MergeProblem& problem, const QString& what) {
    const QString where = place(problem);
    return where.isEmpty() ? what : QStringLiteral("%1: %2").arg(where, what);
}

} // namespace

QString japanese(const MergeProblem& problem) {
    using Kind = MergeProblem::Kind;
    switch (problem.kind) {
    case Kind::Unreadable:
        return QStringLiteral("表を読み込めませんでした。(%1)").arg(problem.detail);
    case Kind::TooLarge:
        return QStringLiteral("表のファイルが大きすぎます (%1 MB まで)。")
            .arg(MergeTable::MaxFileBytes >> 20);
    case Kind::NotText:
        return QStringLiteral("表の文字コードが UTF-8 でもシフト JIS でもありません。");
    case Kind::Malformed:
        return QStringLiteral("表のファイルの %1 行目で引用符 (\") が正しく閉じていません。")
            .arg(problem.line);
    case Kind::NoColumns:
        return QStringLiteral("表が空です。");
    case Kind::DuplicateColumn:
        return QStringLiteral("表に「%1」という列が 2 つあります。").arg(problem.column);
    case Kind::NoRows:
        return QStringLiteral("表に列名の行しかありません。");
    case Kind::TooManyRows:
        return QStringLiteral("表のデータが %1 件を超えています。").arg(problem.expected);
    case Kind::Ragged:
        return withPlace(problem, QStringLiteral("項目が %1 個あります。列名の行は %2 個です。")
                                      .arg(problem.fields)
                                      .arg(problem.expected));
    case Kind::UnknownColumn:
        return withPlace(problem,
                         QStringLiteral("表に「%1」という列がありません。").arg(problem.column));
    case Kind::EmptyPlaceholder:
        return withPlace(problem, QStringLiteral("「{{}}」に列名が書かれていません。"));
    case Kind::NotCp932:
        return withPlace(problem, QStringLiteral("列「%1」の「%2」は保存できない文字です。")
                                      .arg(problem.column, problem.detail));
    case Kind::TooLong:
        return withPlace(problem, QStringLiteral("列「%1」を差し込むと文字が長すぎます (フォント名"
                                                 "「%2」と合わせて %3 バイト、%4 バイトまで)。")
                                      .arg(problem.column, problem.detail)
                                      .arg(problem.bytes)
                                      .arg(problem.expected));
    case Kind::LineBreak:
        return withPlace(problem,
                         QStringLiteral("列「%1」に改行があります。改行を含む値は差し込めません。")
                             .arg(problem.column));
    case Kind::BadFileName:
        return withPlace(problem,
                         QStringLiteral("ファイル名「%1」は使えません。").arg(problem.detail));
    case Kind::DuplicateFileName:
        if (!problem.earlierName.isEmpty() && problem.earlierName != problem.detail)
            return withPlace(problem, QStringLiteral("ファイル名「%1」は前の行の「%2」と大文字・"
                                                     "小文字しか違わず、同じファイルになります。")
                                          .arg(problem.detail, problem.earlierName));
        return withPlace(problem,
                         QStringLiteral("ファイル名「%1」が重複しています。").arg(problem.detail));
    }
    return QString();
}

} // namespace MergeMessages

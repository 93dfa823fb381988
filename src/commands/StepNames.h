#pragma once

#include <QString>

// The names of the kinds of step, as the Edit menu's undo and redo items show them.
namespace StepNames {
inline QString insertText() {
    return QStringLiteral("文字の挿入");
}
inline QString insertTrackList() {
    return QStringLiteral("曲目リストの挿入");
}
inline QString editText() {
    return QStringLiteral("文字の編集");
}
inline QString deleteText() {
    return QStringLiteral("文字の削除");
}
inline QString centreTextAcross() {
    return QStringLiteral("文字の左右中央揃え");
}
inline QString centreTextDown() {
    return QStringLiteral("文字の上下中央揃え");
}
inline QString moveText() {
    return QStringLiteral("文字の移動");
}
inline QString moveBackground() {
    return QStringLiteral("背景の移動");
}
inline QString openBackground() {
    return QStringLiteral("背景を開く");
}
inline QString zoomBackground() {
    return QStringLiteral("背景の拡大縮小");
}
inline QString fitBackground() {
    return QStringLiteral("背景を全体に合わせる");
}
} // namespace StepNames

#pragma once

#include "document/LabelFileCodec.h"
#include "document/LabelFileStore.h"

#include <QString>

// What the user is told when a document cannot be opened or saved: plain words about what
// happened, never the system's own text.
namespace FileMessages {

// One line for a refused Open.
QString openFailure(LabelFileCodec::Refusal refusal);

// Open of a file that is no longer where it was (a recent document moved or deleted since):
// the unreadable line, then the file named.
QString openedFileGone(const QString& path);

// "ラベルを保存できませんでした。" and, on a second line, why.
QString saveFailure(LabelFileStore::SaveFault fault);

} // namespace FileMessages

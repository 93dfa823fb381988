#pragma once

#include "document/LabelFileCodec.h"
#include "document/LabelFileStore.h"

#include <QString>

// What the user is told when a document cannot be opened or saved: plain words about what
// happened, never the system's own text.
namespace FileMessages {

// One line for a refused Open.
QString openFailure(LabelFileCodec::Refusal refusal);

// "ラベルを保存できませんでした。" and, on a second line, why.
QString saveFailure(LabelFileStore::SaveFault fault);

} // namespace FileMessages

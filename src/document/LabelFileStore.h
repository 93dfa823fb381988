#pragma once

#include "document/LabelDocument.h"
#include "document/LabelFileCodec.h"

#include <QString>
#include <cstdint>

// The disk side of document files: a whole document written atomically, a whole file read.
namespace LabelFileStore {

struct SaveResult {
    bool ok = false;
    QString reason; // one line, when not ok
};

// Writes the document to `path`, with the bytes of the file `backPath` as its picture (an empty
// backPath means no picture). The new file is written beside the target and renamed over it
// only once it is complete, so a failure at any point leaves the old file as it was and no
// temporary file behind. Leaves LabelChanged to the caller.
SaveResult save(const QString& path, const LabelDocument& document, std::int16_t scaleStep,
                const QString& backPath);

// Reads the whole file and decodes it. A file that cannot be read is refused as damaged.
LabelFileCodec::DecodeResult load(const QString& path);

} // namespace LabelFileStore

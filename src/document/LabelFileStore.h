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
// backPath means no picture). The new file replaces the target only once it is complete and on
// the disk (AtomicReplace), so a failure at any point, the process being killed included, leaves
// the old file as it was. Leaves LabelChanged to the caller.
SaveResult save(const QString& path, const LabelDocument& document, std::int16_t scaleStep,
                const QString& backPath);

// Reads the whole file and decodes it. A file that cannot be read is refused as damaged.
LabelFileCodec::DecodeResult load(const QString& path);

} // namespace LabelFileStore

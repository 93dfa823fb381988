#pragma once

#include "document/LabelDocument.h"
#include "document/LabelFileCodec.h"

#include <QString>
#include <cstdint>

// The disk side of document files: a whole document written atomically, a whole file read.
namespace LabelFileStore {

// Why a save failed, in the terms a user can act on.
enum class SaveFault {
    None,
    NoSpace,     // the disk or the user's quota is full
    NotAllowed,  // no permission to write there, or a read-only file system
    FolderGone,  // the folder to save in does not exist
    PictureGone, // the background picture's file is no longer there
    PictureUnreadable,
    PictureTooLarge,
    NotAFile, // the target is a folder or a device
    Content,  // the document itself cannot be written (the codec's refusal)
    Other,    // any other failure of the disk
};

struct SaveResult {
    bool ok = false;
    QString reason; // one line, when not ok
    SaveFault fault = SaveFault::None;
};

// Writes the document to `path`, with the bytes of the file `backPath` as its picture (an empty
// backPath means no picture). The new file replaces the target only once it is complete and on
// the disk (AtomicReplace), so a failure at any point, the process being killed included, leaves
// the old file as it was. Leaves LabelChanged to the caller.
SaveResult save(const QString& path, const LabelDocument& document, std::int16_t scaleStep,
                const QString& backPath);

// Reads and decodes a document. Only a regular file is read, never anything that could block or
// never end (a FIFO, a device); its identification record is checked before the rest is read,
// so a large file of another kind costs one record. A file that cannot be opened or read is
// refused as Unreadable.
LabelFileCodec::DecodeResult load(const QString& path);

} // namespace LabelFileStore

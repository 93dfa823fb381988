#pragma once

#include "document/TextItem.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

// The layouts of a document's items that are not plain straight text, kept in the bytes of the
// file that carry no meaning for its records: after the last record (before the picture, when
// there is one). A reader of the records alone never looks there and shows every item straight
// from its record; a document whose items are all plain has no block at all.
//
// Another program may save the records over such a file without shortening it, leaving the
// block behind. The block therefore holds a checksum of the records it was written with; when
// they no longer match, the block is stale and the items are straight, as their records say.
namespace LayoutBlock {

inline constexpr char Magic[8] = {'G', 'P', 'C', 'L', 'A', 'Y', 'T', '\x1a'};
inline constexpr std::uint16_t Version = 1;
// Magic, version (u16), the block's whole length (u32) and the CRC-32 of what follows (u32);
// then the records' checksum (u32), the entry count (u16) and the entries.
inline constexpr int HeaderBytes = 18;

// CRC-32, as the block's checksums are made.
std::uint32_t checksum(const char* bytes, qsizetype size);

// The records the block is tied to: the item count (record 4) and every item record, as they
// stand in `file` laid out for `itemCount` items.
std::uint32_t recordsChecksum(const QByteArray& file, int itemCount);

// The block for the items' layouts, or nothing when every item is plain.
QByteArray encode(const std::vector<TextItem>& items, std::uint32_t recordsChecksum);

enum class Outcome {
    None,    // no block: every item is as its record says
    Applied, // `layouts` hold the items' layouts
    Stale,   // the records were saved anew without it: every item straight
    Damaged, // `reason` says what is wrong
    Newer,   // written by a later version of the program
};

struct Found {
    Outcome outcome = Outcome::None;
    QString reason;
    std::vector<std::pair<int, TextLayout>> layouts;
};

// Looks for the block from `from` (the end of the records) to `to` (the start of the picture, or
// the end of the file), at record boundaries, and reads it for a document of `itemCount` items.
Found find(const QByteArray& file, qsizetype from, qsizetype to, int itemCount,
           std::uint32_t recordsChecksum);

} // namespace LayoutBlock

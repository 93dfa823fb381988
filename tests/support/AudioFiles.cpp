#include "support/AudioFiles.h"

#include <QFile>
#include <taglib/fileref.h>
#include <taglib/oggpage.h>
#include <taglib/oggpageheader.h>
#include <taglib/tbytevectorlist.h>
#include <taglib/tpropertymap.h>

namespace AudioFiles {

namespace {

using TagLib::ByteVector;

ByteVector le32(unsigned value) {
    return ByteVector::fromUInt(value, false);
}
ByteVector le16(unsigned short value) {
    return ByteVector::fromShort(short(value), false);
}
ByteVector be32(unsigned value) {
    return ByteVector::fromUInt(value, true);
}
ByteVector be16(unsigned short value) {
    return ByteVector::fromShort(short(value), true);
}

// 8 kHz, mono, 8 bits.
ByteVector wav(double seconds) {
    const unsigned samples = unsigned(seconds * 8000);
    ByteVector bytes("RIFF");
    bytes.append(le32(36 + samples));
    bytes.append("WAVEfmt ");
    bytes.append(le32(16) + le16(1) + le16(1) + le32(8000) + le32(8000) + le16(1) + le16(8));
    bytes.append("data");
    bytes.append(le32(samples));
    bytes.append(ByteVector(samples, char(0x80)));
    return bytes;
}

ByteVector aiff(double seconds) {
    const unsigned samples = unsigned(seconds * 8000);
    // 8000 as an 80-bit extended float: exponent 16383 + 12, mantissa 8000 << 51.
    const ByteVector rate("\x40\x0B\xFA\x00\x00\x00\x00\x00\x00\x00", 10);
    ByteVector comm("COMM");
    comm.append(be32(18) + be16(1) + be32(samples) + be16(8) + rate);
    ByteVector ssnd("SSND");
    ssnd.append(be32(8 + samples) + be32(0) + be32(0) + ByteVector(samples, '\0'));
    ByteVector bytes("FORM");
    bytes.append(be32(4 + comm.size() + ssnd.size()));
    bytes.append(ByteVector("AIFF") + comm + ssnd);
    return bytes;
}

// MPEG-1 layer III frames at 128 kbit/s and 44.1 kHz, 417 bytes each, all silent.
ByteVector mp3(double seconds) {
    const int frames = std::max(1, int(seconds * 44100 / 1152));
    ByteVector frame("\xFF\xFB\x90\x00", 4);
    frame.append(ByteVector(417 - 4, '\0'));
    ByteVector bytes;
    for (int i = 0; i < frames; ++i)
        bytes.append(frame);
    return bytes;
}

// The stream information block alone, which holds the length.
ByteVector flac(double seconds) {
    const unsigned long long total = (unsigned long long)(seconds * 44100);
    const unsigned long long packed = (44100ULL << 44) | (0ULL << 41) | (15ULL << 36) | total;
    ByteVector bytes("fLaC");
    bytes.append(ByteVector("\x80\x00\x00\x22", 4)); // the last block, 34 bytes
    bytes.append(ByteVector("\x10\x00\x10\x00", 4) + ByteVector(6, '\0'));
    bytes.append(ByteVector::fromLongLong((long long)packed, true));
    bytes.append(ByteVector(16, '\0'));
    return bytes;
}

// One page per packet; the last page's granule position gives the length.
ByteVector ogg(const TagLib::ByteVectorList& packets, long long lastGranule) {
    ByteVector bytes;
    for (unsigned i = 0; i < packets.size(); ++i) {
        TagLib::ByteVectorList one;
        one.append(packets[i]);
        const bool last = i + 1 == packets.size();
        for (TagLib::Ogg::Page* page : TagLib::Ogg::Page::paginate(
                 one, TagLib::Ogg::Page::SinglePagePerGroup, 1234, i, false, true, last)) {
            auto* header = const_cast<TagLib::Ogg::PageHeader*>(page->header());
            header->setFirstPageOfStream(i == 0);
            header->setLastPageOfStream(last);
            header->setAbsoluteGranularPosition(last ? lastGranule : 0);
            bytes.append(page->render());
            delete page;
        }
    }
    return bytes;
}

ByteVector oggVorbis(double seconds) {
    ByteVector identification("\x01vorbis", 7);
    identification.append(le32(0) + ByteVector(1, '\x01') + le32(44100) + le32(0) + le32(128000) +
                          le32(0) + ByteVector("\xB8\x01", 2));
    ByteVector comments("\x03vorbis", 7);
    comments.append(le32(3) + ByteVector("gpc") + le32(0) + ByteVector(1, '\x01'));
    ByteVector setup("\x05vorbis", 7);
    setup.append(ByteVector(8, '\0'));
    TagLib::ByteVectorList packets;
    packets.append(identification);
    packets.append(comments);
    packets.append(setup);
    packets.append(ByteVector(10, '\0'));
    return ogg(packets, (long long)(seconds * 44100));
}

ByteVector opus(double seconds) {
    ByteVector head("OpusHead");
    head.append(ByteVector(1, '\x01') + ByteVector(1, '\x01') + le16(312) + le32(48000) + le16(0) +
                ByteVector(1, '\0'));
    ByteVector tags("OpusTags");
    tags.append(le32(3) + ByteVector("gpc") + le32(0));
    TagLib::ByteVectorList packets;
    packets.append(head);
    packets.append(tags);
    packets.append(ByteVector(10, '\0'));
    return ogg(packets, 312 + (long long)(seconds * 48000));
}

ByteVector atom(const char* name, const ByteVector& body) {
    return be32(8 + body.size()) + ByteVector(name) + body;
}

// The boxes TagLib needs for the length and the kind of stream; no samples.
ByteVector m4a(double seconds) {
    const unsigned milliseconds = unsigned(seconds * 1000);
    const ByteVector esds = atom(
        "esds", be32(0) + ByteVector("\x03\x19\x00\x00\x00\x04\x11\x40\x15\x00\x00\x00\x00\x01\xf4"
                                     "\x00\x00\x01\xf4\x00\x05\x02\x12\x10\x06\x01\x02",
                                     27));
    const ByteVector mp4a =
        atom("mp4a", ByteVector(6, '\0') + be16(1) + ByteVector(8, '\0') + be16(2) + be16(16) +
                         be32(0) + be32(44100u << 16) + esds);
    const ByteVector stbl = atom("stbl", atom("stsd", be32(0) + be32(1) + mp4a));
    const ByteVector mdhd =
        atom("mdhd", be32(0) + be32(0) + be32(0) + be32(1000) + be32(milliseconds) + be32(0));
    const ByteVector hdlr =
        atom("hdlr", be32(0) + be32(0) + ByteVector("soun") + ByteVector(13, '\0'));
    const ByteVector trak = atom("trak", atom("mdia", mdhd + hdlr + atom("minf", stbl)));
    const ByteVector mvhd = atom("mvhd", be32(0) + be32(0) + be32(0) + be32(1000) +
                                             be32(milliseconds) + ByteVector(80, '\0'));
    return atom("ftyp", ByteVector("M4A ") + be32(0) + ByteVector("M4A mp42isom")) +
           atom("moov", mvhd + trak) + atom("mdat", ByteVector(16, '\0'));
}

ByteVector silence(Format format, double seconds) {
    switch (format) {
    case Format::Wav:
        return wav(seconds);
    case Format::Aiff:
        return aiff(seconds);
    case Format::Mp3:
        return mp3(seconds);
    case Format::Flac:
        return flac(seconds);
    case Format::OggVorbis:
        return oggVorbis(seconds);
    case Format::Opus:
        return opus(seconds);
    case Format::M4a:
        return m4a(seconds);
    }
    return ByteVector();
}

TagLib::String toTagLib(const QString& text) {
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

} // namespace

QString suffix(Format format) {
    switch (format) {
    case Format::Wav:
        return QStringLiteral("wav");
    case Format::Aiff:
        return QStringLiteral("aiff");
    case Format::Mp3:
        return QStringLiteral("mp3");
    case Format::Flac:
        return QStringLiteral("flac");
    case Format::OggVorbis:
        return QStringLiteral("ogg");
    case Format::Opus:
        return QStringLiteral("opus");
    case Format::M4a:
        return QStringLiteral("m4a");
    }
    return QString();
}

bool write(const QString& path, Format format, double seconds, const Tags& tags) {
    const ByteVector bytes = silence(format, seconds);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        return false;
    file.close();
    TagLib::PropertyMap properties;
    const std::pair<const char*, QString> fields[] = {
        {"TITLE", tags.title},       {"ARTIST", tags.artist},
        {"ALBUM", tags.album},       {"ALBUMARTIST", tags.albumArtist},
        {"TRACKNUMBER", tags.track}, {"DISCNUMBER", tags.disc}};
    for (const auto& [key, value] : fields)
        if (!value.isEmpty())
            properties.insert(key, TagLib::StringList(toTagLib(value)));
    if (properties.isEmpty())
        return true;
    TagLib::FileRef tagged(QFile::encodeName(path).constData());
    if (tagged.isNull())
        return false;
    tagged.file()->setProperties(properties);
    return tagged.save();
}

} // namespace AudioFiles

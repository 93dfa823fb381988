// Playlists and cue sheets on arbitrary bytes: the text decoding, the playlist's entries and their
// paths, the cue sheet's tracks and their times against files of unknown, short and long lengths.
// Besides crashes, leaks and undefined behaviour it checks that every cue track has either a
// positive time (or an unknown one) or a reason, and that no sheet yields more than 99 tracks.
#include "FuzzRequire.h"
#include "platform/audio/CueSheet.h"
#include "platform/audio/Playlist.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QString> text = SourceText::decode(bytes);
    require(text.has_value() != bytes.contains('\0'));
    if (!text)
        return 0;

    int lastLine = 0;
    for (const Playlist::Entry& entry : Playlist::parse(*text)) {
        require(!entry.text.isEmpty() && entry.line > lastLine);
        lastLine = entry.line;
        const Playlist::Target target = Playlist::resolve(entry.text, QStringLiteral("/music"));
        require(target.local == !target.path.isEmpty());
    }

    const CueSheet::Sheet sheet = CueSheet::parse(*text);
    std::vector<std::optional<double>> lengths;
    for (std::size_t i = 0; i < sheet.files.size(); ++i)
        lengths.push_back(i % 3 == 0 ? std::nullopt
                                     : std::optional<double>(double(size) * (i % 5)));
    const std::vector<CueSheet::Timing> timings = CueSheet::time(sheet, lengths);
    require(timings.size() == sheet.tracks.size());
    int usable = 0;
    for (const CueSheet::Timing& timing : timings) {
        if (timing.problem) {
            require(!timing.seconds);
            continue;
        }
        ++usable;
        require(!timing.seconds || (std::isfinite(*timing.seconds) && *timing.seconds > 0));
    }
    require(usable <= CueSheet::MaxTracks);
    return 0;
}

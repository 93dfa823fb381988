#pragma once

#include <QString>
#include <QStringList>

class Platform;

// The documents last opened or saved, newest first, kept in the settings under "RecentFiles"
// as a JSON array of absolute paths. A value that cannot be read is treated as an empty list.
class RecentFiles {
public:
    static constexpr int MaxEntries = 8;

    explicit RecentFiles(Platform& platform);

    const QStringList& paths() const { return paths_; }

    // Puts the document first (once), drops what falls past the eighth entry, and stores the list.
    void add(const QString& path);
    void remove(const QString& path);

    // A menu caption: "&1 /home/user/label.gpc" for the first entry, with '&' in the path kept.
    static QString caption(int index, const QString& path);

private:
    void store();

    Platform& platform_;
    QStringList paths_;
};

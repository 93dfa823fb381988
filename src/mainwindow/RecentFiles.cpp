#include "mainwindow/RecentFiles.h"

#include "platform/Platform.h"
#include "platform/SettingsKeys.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
QString normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
} // namespace

RecentFiles::RecentFiles(Platform& platform) : platform_(platform) {
    const QJsonDocument stored = QJsonDocument::fromJson(
        platform_.readSetting(SettingsKeys::RecentFiles, QString()).toUtf8());
    for (const QJsonValue& value : stored.array()) {
        const QString path = value.toString();
        if (!path.isEmpty() && !paths_.contains(path) && paths_.size() < MaxEntries)
            paths_ << path;
    }
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty())
        return;
    const QString absolute = normalised(path);
    paths_.removeAll(absolute);
    paths_.prepend(absolute);
    while (paths_.size() > MaxEntries)
        paths_.removeLast();
    store();
}

void RecentFiles::remove(const QString& path) {
    if (paths_.removeAll(path) > 0 || paths_.removeAll(normalised(path)) > 0)
        store();
}

QString RecentFiles::caption(int index, const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

void RecentFiles::store() {
    const QJsonDocument list(QJsonArray::fromStringList(paths_));
    platform_.writeSetting(SettingsKeys::RecentFiles,
                           QString::fromUtf8(list.toJson(QJsonDocument::Compact)));
}

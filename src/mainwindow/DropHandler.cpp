#include "mainwindow/DropHandler.h"

#include "document/LabelFileCodec.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {
// A document starts with its identification as a string: a 16-bit little-endian byte count and
// the bytes.
QByteArray documentSignature() {
    const QByteArray identification(LabelFileCodec::Identification);
    return QByteArray(1, char(identification.size())) + QByteArray(1, '\0') + identification;
}
} // namespace

DropHandler::DropHandler(QWidget& window, Actions actions)
    : QObject(&window), actions_(std::move(actions)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

QString DropHandler::firstLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return QString();
    return urls.first().toLocalFile();
}

DropHandler::Kind DropHandler::kindOf(const QString& path) {
    if (QFileInfo(path).suffix().compare(QLatin1String("gpc"), Qt::CaseInsensitive) == 0)
        return Kind::Document;
    const QByteArray signature = documentSignature();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.read(signature.size()) == signature)
        return Kind::Document;
    return Kind::Picture;
}

bool DropHandler::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (firstLocalFile(drag->mimeData()).isEmpty())
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = firstLocalFile(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Opened once the drop has ended: a question or message shown inside the drop would keep
        // the file manager waiting on it.
        const Kind kind = kindOf(path);
        QMetaObject::invokeMethod(
            this,
            [this, path, kind] {
                if (kind == Kind::Document)
                    actions_.openDocument(path);
                else
                    actions_.openBackground(path);
            },
            Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

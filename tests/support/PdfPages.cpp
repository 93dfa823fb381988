#include "support/PdfPages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace PdfPages {

QImage rasterise(const QString& pdf, int page, int dpi, QString* error) {
    QTemporaryDir dir;
    QProcess process;
    const QString number = QString::number(page);
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), number,
                   QStringLiteral("-l"), number, QStringLiteral("-png"),
                   QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("pdftoppm failed on %1: %2")
                         .arg(pdf, QString::fromLocal8Bit(process.readAllStandardError()));
        return QImage();
    }
    return QImage(dir.filePath(QStringLiteral("page.png"))).convertToFormat(QImage::Format_RGB32);
}

int count(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdf});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
            .match(QString::fromLatin1(process.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace PdfPages

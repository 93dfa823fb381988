#include "merge/Placeholders.h"

namespace Placeholders {

namespace {

const QString Open = QStringLiteral("{{");
const QString Close = QStringLiteral("}}");

// Calls `literal` for each stretch of plain text and `placeholder` for each trimmed name.
void scan(const QString& text, const std::function<void(QStringView)>& literal,
          const std::function<void(const QString&)>& placeholder) {
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(Open, at);
        const qsizetype close = open < 0 ? -1 : text.indexOf(Close, open + Open.size());
        if (close < 0) {
            literal(QStringView(text).mid(at));
            return;
        }
        literal(QStringView(text).mid(at, open - at));
        placeholder(text.mid(open + Open.size(), close - open - Open.size()).trimmed());
        at = close + Close.size();
    }
}

} // namespace

QStringList names(const QString& text) {
    QStringList found;
    scan(
        text, [](QStringView) {}, [&](const QString& name) { found << name; });
    return found;
}

QString fill(const QString& text, const std::function<QString(const QString& name)>& value) {
    QString filled;
    scan(
        text, [&](QStringView part) { filled += part; },
        [&](const QString& name) { filled += value(name); });
    return filled;
}

} // namespace Placeholders

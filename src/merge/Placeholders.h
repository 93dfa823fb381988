#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Placeholders in a text: "{{name}}" stands for a column of the table (spaces around the name do
// not count) and "{{#}}" for the row number. A "{{" without a closing "}}" is ordinary text.
namespace Placeholders {

inline const QString RowNumber = QStringLiteral("#");

// The names the text refers to, trimmed, in order of appearance.
QStringList names(const QString& text);

// The text with every placeholder replaced by what `value` gives for its trimmed name.
QString fill(const QString& text, const std::function<QString(const QString& name)>& value);

} // namespace Placeholders

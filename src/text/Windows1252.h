#pragma once

#include <QByteArrayView>
#include <QString>

// Western text in metafiles (the ANSI character set). Each byte is one character; the five
// bytes the code page leaves undefined become U+FFFD, so text never loses its length.
namespace Windows1252 {

QString decode(QByteArrayView bytes);

} // namespace Windows1252

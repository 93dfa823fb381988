#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Reading and writing whole files and images in tests, where a failure shows as an empty
// result or false for the test to check.
namespace TestFiles {

// The file's bytes; empty when it cannot be read.
QByteArray readAll(const QString& path);

bool writeFile(const QString& path, const QByteArray& bytes);

// The image as a PNG file's bytes.
QByteArray pngBytes(const QImage& image);

} // namespace TestFiles

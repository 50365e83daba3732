#pragma once
// What the tests of the import readers share: a picture embedder that
// accepts what decodes as a picture, a small picture, and files written
// into a sample source.

#include <QByteArray>
#include <QString>

namespace folio::test {

// "data:image/png;base64,..." for bytes that decode as a picture; a refusal
// ("not a picture") otherwise.
QString testEmbedder(const QByteArray &bytes, const QString &name, QString *refusal);
// A red picture of 4 × 4 pixels as PNG bytes.
QByteArray pngBytes();
// Writes `bytes` as the file `path`, making its folders; fails the test
// when it cannot.
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace folio::test

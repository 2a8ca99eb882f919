#include "platform/picture/svgdocument.h"

#include <QXmlStreamReader>

#include <zlib.h>

namespace fw::pic {

namespace {

constexpr qsizetype maxDocument = qsizetype{64} << 20;
// Embedded data may hold an SVG that embeds another, and so on.
constexpr int maxNesting = 8;

bool gzipped(const QByteArray& bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
           static_cast<unsigned char>(bytes[1]) == 0x8B;
}

// The data inflated, within the limit; null when it does not inflate within it.
QByteArray inflated(const QByteArray& compressed, qsizetype limit) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return {};
    QByteArray out;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        if (out.size() >= limit) {
            out.clear();
            break;
        }
        const qsizetype before = out.size();
        out.resize(std::min(limit, before + (qsizetype{1} << 16)));
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        stream.avail_out = static_cast<uInt>(out.size() - before);
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(out.size() - static_cast<qsizetype>(stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

// The document in a data: URL as Qt's renderer decodes it (base64 after the last "base64,",
// inflated when gzip-compressed); null when there is none. All the documents a file embeds
// inflate to 64 MiB at most together: one that goes past it counts as referring outside.
QByteArray embedded(QStringView url, qsizetype& inflateBudget, SvgContent& found) {
    const qsizetype at = url.lastIndexOf(QStringLiteral("base64,"));
    if (at < 0)
        return {};
    QByteArray data = QByteArray::fromBase64(url.mid(at + 7).toLatin1());
    if (gzipped(data)) {
        data = inflated(data, inflateBudget);
        if (data.isEmpty())
            found.readsOutside = true;
        inflateBudget -= data.size();
    }
    return data;
}

bool isExternal(QStringView reference) {
    const QStringView value = reference.trimmed();
    return !value.isEmpty() && !value.startsWith(u'#') &&
           !value.startsWith(QStringLiteral("data:"), Qt::CaseInsensitive);
}

void check(const QByteArray& document, int depth, qsizetype& inflateBudget, SvgContent& found) {
    if (depth > maxNesting) {
        found.readsOutside = true;
        return;
    }
    QXmlStreamReader xml(document);
    while (!xml.atEnd() && !found.readsOutside) {
        switch (xml.readNext()) {
            case QXmlStreamReader::ProcessingInstruction:
                if (xml.processingInstructionTarget() == QStringLiteral("xml-stylesheet"))
                    found.readsOutside = true;
                break;
            case QXmlStreamReader::DTD:
                for (const QXmlStreamEntityDeclaration& entity : xml.entityDeclarations())
                    if (!entity.systemId().isEmpty() || !entity.publicId().isEmpty())
                        found.readsOutside = true;
                break;
            case QXmlStreamReader::StartElement: {
                const QStringView element = xml.name();
                if (element == QStringLiteral("text") || element == QStringLiteral("textArea"))
                    found.hasText = true;
                if (element == QStringLiteral("a"))
                    break;
                for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                    if (attribute.name() != QStringLiteral("href"))
                        continue;
                    const QStringView value = attribute.value();
                    if (isExternal(value)) {
                        found.readsOutside = true;
                    } else if (value.trimmed().startsWith(QStringLiteral("data:"),
                                                          Qt::CaseInsensitive)) {
                        // Raster pictures cannot refer further; anything that may be XML is
                        // checked as a document of its own.
                        const QByteArray inner = embedded(value, inflateBudget, found);
                        if (inner.trimmed().startsWith('<') || inner.left(4096).contains("<svg"))
                            check(inner, depth + 1, inflateBudget, found);
                    }
                }
                break;
            }
            default:
                break;
        }
    }
    if (xml.hasError())
        found.readsOutside = true;
}

}  // namespace

QByteArray svgDocument(QIODevice& file) {
    QByteArray bytes = file.read(maxDocument + 1);
    if (bytes.size() > maxDocument)
        return {};
    if (gzipped(bytes))
        bytes = inflated(bytes, maxDocument);
    return bytes;
}

SvgContent svgContent(const QByteArray& document) {
    SvgContent found;
    qsizetype inflateBudget = maxDocument;
    check(document, 0, inflateBudget, found);
    return found;
}

}  // namespace fw::pic

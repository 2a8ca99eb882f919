#pragma once

#include <QByteArray>
#include <QIODevice>

namespace fw::pic {

// An SVG document as the renderer reads it: the file's bytes, inflated when gzip-compressed.
// Null when the file is bigger than a document may be (64 MiB, inflated or not) or does not
// inflate.
[[nodiscard]] QByteArray svgDocument(QIODevice& file);

struct SvgContent {
    // The document refers to something outside itself that Qt's renderer would read: an href
    // (xlink: or plain, on any element but a link <a>) that is neither a fragment of the
    // document ("#id") nor embedded data ("data:", whose own content is checked the same way),
    // an xml-stylesheet instruction, or an external entity. A document that does not parse
    // counts as one that does.
    bool readsOutside = false;
    // It draws text, which needs fonts.
    bool hasText = false;
};
[[nodiscard]] SvgContent svgContent(const QByteArray& document);

}  // namespace fw::pic

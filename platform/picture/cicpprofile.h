#pragma once

#include <QByteArray>
#include <QPointF>

namespace fw::pic {

// Colour primaries as CIE xy chromaticities.
struct Chromaticities {
    QPointF white;
    QPointF red;
    QPointF green;
    QPointF blue;
};

// A colour profile for pixels that H.273 code points describe (HEIF's nclx and AV1 carry them):
// the primaries (with their chromaticities, which the code names) and the transfer
// characteristics. Empty for sRGB, which needs none. Video transfer curves (BT.709, BT.601,
// BT.2020) are taken as sRGB's, as still pictures labelled with them are made; HDR curves have no
// profile that renders them in 8 bits and are taken so too.
[[nodiscard]] QByteArray iccForCodePoints(int primariesCode, const Chromaticities& primaries,
                                          int transferCode);

}  // namespace fw::pic

#include "platform/picture/cicpprofile.h"

#include <QColorSpace>

namespace fw::pic {

QByteArray iccForCodePoints(int primariesCode, const Chromaticities& primaries, int transferCode) {
    QColorSpace::TransferFunction transfer = QColorSpace::TransferFunction::SRgb;
    float gamma = 0;
    switch (transferCode) {
        case 4:  // BT.470 System M
            transfer = QColorSpace::TransferFunction::Gamma;
            gamma = 2.2F;
            break;
        case 5:  // BT.470 System B, G
            transfer = QColorSpace::TransferFunction::Gamma;
            gamma = 2.8F;
            break;
        case 8:
            transfer = QColorSpace::TransferFunction::Linear;
            break;
        default:
            break;
    }
    // 0 and 2 leave the primaries unspecified: sRGB's, like BT.709 (1).
    const bool srgbPrimaries = primariesCode == 0 || primariesCode == 1 || primariesCode == 2;
    if (srgbPrimaries && transfer == QColorSpace::TransferFunction::SRgb)
        return {};
    const QColorSpace space = srgbPrimaries
                                  ? QColorSpace(QColorSpace::Primaries::SRgb, transfer, gamma)
                                  : QColorSpace(primaries.white, primaries.red, primaries.green,
                                                primaries.blue, transfer, gamma);
    if (!space.isValid() || space == QColorSpace(QColorSpace::SRgb))
        return {};
    return space.iccProfile();
}

}  // namespace fw::pic

#pragma once

#include <QColor>

namespace folio {

// Colours are 24-bit numbers with red in the low byte (0x00BBGGRR).
constexpr quint32 InformColor = 0x900000;   // dark blue: notices that inform
constexpr quint32 WarningColor = 0x000090;  // dark red: questions before data loss, failures

inline QColor colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace folio

#pragma once
#include <QColor>
#include <cstdint>

// The colours that more than one screen shows, kept in one place so that the screens keep one look.
// Colours that only one screen uses stay beside the code that paints with them.
namespace bardrill::screens {

inline const QColor kPanelColour(255, 255, 240);  // cream: the hub's columns and panels, the editor
inline const QColor kDrillColour(255, 255, 192);  // pale yellow: the drill and the opening screen
inline const QColor kBandColour(0, 192, 192);     // teal: the drill's top bar and the title bands
inline const QColor kPaperColour(255, 255, 255);  // white: the hub's covers, the charts, the level names

// A colour written as 0x00BBGGRR, as the core's charts and the forms give them.
inline QColor FromBgr(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

}  // namespace bardrill::screens

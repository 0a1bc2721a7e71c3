#pragma once
// The windows and the print templates were drawn for SimSun, the Song face of a
// Chinese Windows desktop, whose default GUI font it is at 12 pixels. Debian has
// no SimSun; AR PL UMing (fonts-arphic-uming) has its metrics: a Chinese
// character one em wide, a Latin letter or digit half an em, lines one em
// high. Any wider face cuts the program's own texts ("2026年11月30日") off.

#include <QFont>
#include <QGuiApplication>
#include <QStringList>

namespace rx::ui {

inline const QString kSongFace = QStringLiteral("AR PL UMing CN");

// Names under which the program and the templates ask for SimSun.
inline bool isSongFamily(const QString& family) {
    return family.compare(u"SimSun", Qt::CaseInsensitive) == 0 || family == u"宋体" ||
           family.compare(u"NSimSun", Qt::CaseInsensitive) == 0;
}

// Every request for SimSun gets the Song face.
inline void substituteSongFace() {
    for (const QString& name :
         {QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun")})
        QFont::insertSubstitution(name, kSongFace);
}

// The font of every control that has none of its own, as on the desktop the
// windows were laid out for.
inline QFont defaultGuiFont() {
    QFont font(QStringLiteral("SimSun"));
    font.setPixelSize(12);
    return font;
}

inline void useDefaultGuiFont() {
    substituteSongFace();
    QGuiApplication::setFont(defaultGuiFont());
}

}  // namespace rx::ui

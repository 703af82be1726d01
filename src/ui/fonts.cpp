#include "ui/fonts.h"

#include <QStringList>

namespace quellbox::ui {

void install_song_substitutes() {
    static const bool installed = [] {
        QFont::insertSubstitutions(
            QString::fromUtf8(song_family),
            {QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
             QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
             QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Zen Hei"),
             QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("AR PL UMing CN"),
             QStringLiteral("Droid Sans Fallback")});
        return true;
    }();
    (void)installed;
}

QFont song_font(TextSize size) {
    install_song_substitutes();
    QFont font(QString::fromUtf8(song_family));
    font.setPixelSize(static_cast<int>(size));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace quellbox::ui

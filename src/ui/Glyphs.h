#pragma once

#include <QIcon>
#include <QString>

class QToolButton;
class QWidget;

namespace vantuke {

// The pictures of the window's flat buttons. Each is the desktop's icon theme's picture when
// it has one, otherwise a small drawn or built-in one, so a button never shows up blank.
enum class Glyph {
    Add,
    Remove,
    Clear,
    Options,
    SaveText,
    About,
    Preview,
    Undo,
    AddAll,       // "Add all"
    AddChosen,    // "Add"
    RemoveChosen, // "Remove"
    RemoveAll,    // "Remove All"
};

// The glyph's picture.
QIcon GlyphIcon(Glyph glyph);

// A small flat button showing only its glyph. The hint is its tooltip and the name a
// screen reader speaks.
QToolButton* MakeGlyphButton(Glyph glyph, const QString& hint, const QString& objectName,
                             QWidget* parent);
// A flat button with its caption beside its glyph; the caption is what a screen reader speaks.
QToolButton* MakeCaptionButton(Glyph glyph, const QString& caption, const QString& objectName,
                               QWidget* parent);

} // namespace vantuke

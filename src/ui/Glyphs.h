#pragma once

#include <QIcon>
#include <QString>

class QToolButton;
class QWidget;

namespace vantuke {

enum class Glyph { Add, Remove, Clear, Options, SaveText, About, Preview, Undo };

// The picture of a glyph button: the desktop's icon theme when it has one, otherwise a
// small drawn or built-in picture, so a button never shows up blank.
QIcon GlyphIcon(Glyph glyph);

// A small flat button showing only its glyph. The hint is its tooltip and the name a
// screen reader speaks.
QToolButton* MakeGlyphButton(Glyph glyph, const QString& hint, const QString& objectName,
                             QWidget* parent);

} // namespace vantuke

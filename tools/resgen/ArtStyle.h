// The look every picture shares: a calm navy table with gold trim, the font, and the
// small drawing helpers (bevelled plates, gold frames, outlined text, key-colour sprites).
#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

namespace ArtStyle {

// Table colours.
inline const QColor kNavyDeep{10, 20, 42};
inline const QColor kNavy{18, 36, 72};
inline const QColor kNavyMid{30, 58, 108};
inline const QColor kNavyLight{58, 96, 160};
inline const QColor kFelt{22, 47, 92};  // the own board's cloth
inline const QColor kGold{214, 178, 84};
inline const QColor kGoldLight{248, 226, 150};
inline const QColor kGoldDark{140, 104, 36};
inline const QColor kIvory{250, 244, 226};
inline const QColor kInk{24, 28, 40};            // dark lines and text, never pure black
inline const QColor kSmallBoard{115, 166, 255};  // a small board's cloth and erase colour
inline const QColor kCaptionText{206, 229, 255};

// Key colours of the see-through sprites.
inline constexpr QRgb kKeyMagenta = 0xFFFF00FF;
inline constexpr QRgb kKeyPlacard = 0xFFF800EA;  // RGB(248, 0, 234)
inline constexpr QRgb kKeyBlack = 0xFF000000;
inline constexpr QRgb kKeyWhite = 0xFFFFFFFF;

inline constexpr const char* kFontFamily = "WenQuanYi Micro Hei";

// The four groups (0 free players, 1..3 the teams A, B, C): their names as the table
// shows them, a light tint for the seat bars and a stronger colour for the buttons.
QString GroupName(int group);
QColor GroupTint(int group);
QColor GroupColour(int group);

QFont Font(int pixelSize, bool bold = false);

// A transparent canvas to draw on, antialiased drawing being the rule.
QImage NewCanvas(int width, int height);
QImage NewCanvas(int width, int height, const QColor& fill);

// Begins antialiased painting on an image.
void BeginPaint(QPainter& p, QImage& image);

// Maps the unit square 0..100 onto a square box centred in `box` (symbols are drawn there).
void UseUnitBox(QPainter& p, const QRectF& box);

// A sprite for drawing on a key colour: pixels below half cover become the key, the
// others keep their own colour at full cover (no dark or light fringe against the key).
// No kept pixel equals the key: such a pixel is moved one step in one channel.
QImage FlattenOnKey(const QImage& argb, QRgb key);

// Like FlattenOnKey, but soft edges from `minAlpha` cover up are blended onto `matte`,
// the colour the sprite is usually drawn over.
QImage FlattenOnMatte(const QImage& argb, QRgb key, const QColor& matte, int minAlpha);

// The picture blended onto an opaque background.
QImage Opaque(const QImage& argb, const QColor& background);

// The same picture in grey levels, keeping its brightness.
QImage Greyed(const QImage& image, double contrast = 1.0, int lift = 0);

// Text as a path, centred in `box`.
QPainterPath TextPath(const QString& text, const QFont& font, const QRectF& box);

// Text centred in `box`, filled with `fill` and ringed with `outline` of the given width.
void OutlinedText(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& fill,
                  const QColor& outline, qreal outlineWidth);

// A raised plate: vertical gradient from a lighter to a darker `base`, a light top edge
// and a dark bottom edge.
void Plate(QPainter& p, const QRectF& r, const QColor& base, qreal radius);

// A sunken slot (for the time bar and the panel wells).
void Well(QPainter& p, const QRectF& r, const QColor& base, qreal radius);

// A double gold line around `r`.
void GoldFrame(QPainter& p, const QRectF& r, qreal radius);

QColor Hsv(double hueDegrees, double saturation, double value);
QColor Mix(const QColor& a, const QColor& b, double t);

}  // namespace ArtStyle

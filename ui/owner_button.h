// The owner-drawn buttons and tiles of every window: a rounded face in the colours of
// tile_style, a glyph, a title and (tiles) a subtitle. The "ag.hot" property is set while the
// pointer is over the control, "ag.busy" holds the busy animation counter.
#pragma once

#include <QAbstractButton>

#include <functional>

#include "ui/tile_style.h"
#include "ui/ui_style.h"

namespace ui {

class OwnerButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { Tile, Button, IconOnly };

    OwnerButton(int control_id, Kind kind, const QString& text, QWidget* parent = nullptr);

    int controlId() const { return m_id; }
    Kind kind() const { return m_kind; }
    void setSubtitle(const QString& subtitle);
    QString subtitle() const { return m_subtitle; }
    void setGlyph(Glyph glyph);
    // Flash face (Complete and Current while offers wait) and the bound state (Connect glyph).
    void setFlashOn(bool on);
    void setBound(bool bound);
    // The colours the button is drawn in now.
    FaceColours faceColours() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int m_id;
    Kind m_kind;
    QString m_subtitle;
    Glyph m_glyph = Glyph::None;
    bool m_flash_on = false;
    bool m_bound = false;
};

// A label drawn by hand: text in one colour and font, aligned in its rectangle.
class TextLabel : public QWidget {
    Q_OBJECT
public:
    TextLabel(int control_id, const QString& text, FontRole font, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);
    void setAlignment(Qt::Alignment alignment);
    void setFontRole(FontRole role);

signals:
    void clicked();
    void textChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_text;
    QColor m_colour;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

} // namespace ui

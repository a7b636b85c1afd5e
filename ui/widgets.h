// Small widgets every window builds from: labels that name their role for the style sheet,
// named buttons, the tiles of the main window and the banner behind its header. UI thread.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "ui/ui_style.h"

namespace ui {

// A label with a style role ("title", "muted", "value", "section", ...; none when null).
QLabel* make_label(const QString& text, const char* role = nullptr, QWidget* parent = nullptr);
// A label that wraps its text.
QLabel* make_wrapped_label(const QString& text, const char* role = nullptr, QWidget* parent = nullptr);
// A push button whose object name is name (tests and the style sheet find it by that).
QPushButton* make_button(const QString& text, const char* name, QWidget* parent = nullptr);
// A small square button that shows only a glyph, with a tooltip.
QToolButton* make_icon_button(Glyph glyph, const QString& tip, const char* name, QWidget* parent = nullptr);

// A tile of the main window: a glyph, a title and a subtitle on the tile's own colours (the
// style sheet's QPushButton[tile="<name>"]); "flash" marks it while offers wait.
class TileButton : public QPushButton {
    Q_OBJECT
public:
    TileButton(const char* name, Glyph glyph, const QColor& glyph_colour, const QString& title, const QString& subtitle,
               QWidget* parent = nullptr);
    QString title() const { return m_title->text(); }
    void setTitle(const QString& title) { m_title->setText(title); }
    QString subtitle() const { return m_subtitle->text(); }
    void setFlash(bool on);
    bool flash() const { return property("flash").toBool(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    QLabel* m_title;
    QLabel* m_subtitle;
};

// The band across the top of the main window: the banner art drawn to cover it (cropped
// centrally), under whatever layout the window puts on it.
class BannerWidget : public QWidget {
    Q_OBJECT
public:
    explicit BannerWidget(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ui

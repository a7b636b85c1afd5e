#include "ui/ui_style.h"

#include "ui/app_art.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QWidget>

namespace ui {

namespace {

int g_theme = DEFAULT_THEME;

QPalette theme_palette_of(const Theme& t)
{
    QPalette p;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, qcolor(t.background));
        p.setColor(group, QPalette::Base, qcolor(t.panel));
        p.setColor(group, QPalette::Mid, qcolor(t.border));
        p.setColor(group, QPalette::Text, qcolor(group == QPalette::Disabled ? t.muted : t.text));
        p.setColor(group, QPalette::WindowText, qcolor(group == QPalette::Disabled ? t.muted : t.text));
        p.setColor(group, QPalette::Midlight, qcolor(t.muted));
        p.setColor(group, QPalette::PlaceholderText, qcolor(t.muted));
        p.setColor(group, QPalette::Link, qcolor(t.accent));
        p.setColor(group, QPalette::Button, qcolor(t.tile));
        p.setColor(group, QPalette::AlternateBase, qcolor(t.tile_alt));
        p.setColor(group, QPalette::ButtonText, qcolor(group == QPalette::Disabled ? t.muted : t.glyph));
        p.setColor(group, QPalette::Dark, qcolor(t.caption));
        p.setColor(group, QPalette::Light, qcolor(t.gradient_from));
        p.setColor(group, QPalette::Shadow, qcolor(t.gradient_to));
        p.setColor(group, QPalette::Highlight, qcolor(accent_tint(t)));
        p.setColor(group, QPalette::HighlightedText, qcolor(t.text));
        p.setColor(group, QPalette::ToolTipBase, qcolor(t.panel));
        p.setColor(group, QPalette::ToolTipText, qcolor(t.text));
        p.setColor(group, QPalette::BrightText, qcolor(t.glyph));
    }
    return p;
}

const char* glyph_name(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Buy: return "buy";
    case Glyph::List: return "list";
    case Glyph::Complete: return "complete";
    case Glyph::Current: return "current";
    case Glyph::History: return "history";
    case Glyph::Cancel: return "cancel";
    case Glyph::Report: return "report";
    case Glyph::Gear: return "gear";
    case Glyph::Copy: return "copy";
    case Glyph::Refresh: return "refresh";
    case Glyph::Plug: return "plug";
    case Glyph::Unplug: return "unplug";
    case Glyph::Help: return "help";
    case Glyph::Close: return "close";
    case Glyph::Wallet: return "wallet";
    case Glyph::Basket: return "basket";
    }
    return "help";
}

} // namespace

int active_theme_index() { return g_theme; }
const Theme& active_theme() { return theme_palette(g_theme); }

void set_active_theme(int index)
{
    g_theme = (index >= 0 && index < THEME_COUNT) ? index : DEFAULT_THEME;
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return;
    QApplication::setPalette(theme_palette_of(active_theme()));
    static const QString sheet = [] {
        ensure_resources();
        QFile file(":/agoran/agoran.qss");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    // Re-applying the sheet makes every widget read the new palette.
    app->setStyleSheet(QString());
    app->setStyleSheet(sheet);
}

QColor qcolor(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }
QString qtext(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

Rgb accent_tint(const Theme& theme) { return blend(theme.caption, theme.accent, 55); }

void set_style_property(QWidget* widget, const char* name, const QVariant& value)
{
    if (widget->property(name) == value) return;
    widget->setProperty(name, value);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

QPixmap glyph_pixmap(Glyph glyph, const QColor& colour, int size)
{
    ensure_resources();
    QPixmap shape(QString(":/agoran/glyphs/%1.png").arg(glyph_name(glyph)));
    if (shape.isNull()) return {};
    QPixmap tinted = shape.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter p(&tinted);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(tinted.rect(), colour);
    return tinted;
}

QIcon glyph_icon(Glyph glyph, const QColor& colour)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(glyph_pixmap(glyph, colour, size));
    return icon;
}

} // namespace ui

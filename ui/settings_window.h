// The Settings window "TavrinNodeAgoranSettings": the theme choice (applied and saved at once)
// and the Terms of Use.
#pragma once

#include <QComboBox>
#include <QWidget>

namespace ui {

class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int WIDTH = 340;
    static constexpr int HEIGHT = 180;

    explicit SettingsWindow(QWidget* owner);

signals:
    void themeChosen(int index);
    void termsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QComboBox* m_theme = nullptr;
};

// The Help window "TavrinNodeAgoranHelp": the heading, the introduction and five cards.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int WIDTH = 640;
    static constexpr int HEIGHT = 660;

    explicit HelpWindow(QWidget* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* m_close = nullptr;
};

} // namespace ui

// The Settings window "TavrinNodeAgoranSettings" (the theme, applied and saved at once, and the
// Terms of Use) and the Help window "TavrinNodeAgoranHelp" (the introduction and five cards).
#pragma once

#include <QComboBox>
#include <QDialog>

namespace ui {

class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget* owner);
    QComboBox* themeChoice() const { return m_theme; }

signals:
    void themeChosen(int index);
    void termsRequested();

private:
    QComboBox* m_theme = nullptr;
};

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);
};

} // namespace ui

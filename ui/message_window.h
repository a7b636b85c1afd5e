// The message window "TavrinNodeAgoranNote": a title drawn in the accent colour, the text in a
// read-only box, a "txid" button that copies a transaction id, and either "Close" (information)
// or "Cancel" and a confirm button (confirm mode, modal). At most one is open.
#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>

#include "ui/owner_button.h"

namespace ui {

class MessageWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int WIDTH = 760;
    static constexpr int HEIGHT = 540;

    MessageWindow(const QString& title, const QString& text, const QString& txid, const QString& confirmLabel,
                  QWidget* owner);

    QString title() const { return m_title; }
    QString text() const;
    QString txid() const { return m_txid; }
    bool confirmed() const { return m_confirmed; }
    bool confirmMode() const { return !m_confirm_label.isEmpty(); }

signals:
    void finished(bool confirmed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void layoutControls();

    QString m_title;
    QString m_txid;
    QString m_confirm_label;
    bool m_confirmed = false;
    bool m_finished = false;
    QPlainTextEdit* m_text = nullptr;
    OwnerButton* m_txid_button = nullptr;
    OwnerButton* m_close = nullptr;
    OwnerButton* m_cancel = nullptr;
    OwnerButton* m_confirm = nullptr;
};

} // namespace ui

#include "ui/buy_dialog.h"

#include <QPainter>

#include "trade/dialog_checks.h"
#include "ui/control_ids.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"

namespace ui {

namespace {

const char* const STEP_TEXTS[3] = {"Lots and price as the seller posted them.",
                                   "Take fewer lots for a pro-rata share.",
                                   "The seller signs; the lots come to you."};

} // namespace

BuyDialog::BuyDialog(DialogContext context, const book::Listing& listing)
    : DialogWindow("TavrinNodeAgoranBuy", "Buy", &context.main()), m_context(std::move(context)), m_held(listing),
      m_snapshot(buy_snapshot(&listing))
{
    setFixedSize(WIDTH, HEIGHT);
    auto* label = new TextLabel(ID_BUY_QTY_LABEL, "Qty", FontRole::Panel, this);
    label->setGeometry(24, 20, 200, 24);
    label->setColour(qcolor(active_theme().muted));
    m_qty = make_edit(ID_BUY_QTY, listing.qty.empty() ? QString("1") : qtext(listing.qty),
                      static_cast<int>(trade::BOX_TEXT_MAX), this);
    m_qty->setGeometry(24, 48, 200, 34);
    m_qty->setFont(app_font(FontRole::Body));
    connect(m_qty, &QLineEdit::textChanged, this, [this] { update(); });

    auto* post = make_button(ID_BUY_POST, "Post offer", this);
    post->setGeometry(24, 500, 148, 36);
    connect(post, &QAbstractButton::clicked, this, &BuyDialog::postOffer);
    auto* close = make_button(ID_BUY_CLOSE, "Close", this);
    close->setGeometry(184, 500, 120, 36);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    setDefaultButton(post);
}

QString BuyDialog::headerText() const { return qtext(buy_header_text(m_snapshot)); }

CostLine BuyDialog::costLine() const { return buy_cost_line(m_snapshot, utf8(m_qty->text())); }

void BuyDialog::paintContent(QPainter& p)
{
    const Theme& theme = active_theme();
    const int left = 24;
    const int width = WIDTH - 2 * left;

    p.setFont(app_font(FontRole::Panel));
    p.setPen(qcolor(theme.text));
    p.drawText(QRect(left, 98, width, 30), Qt::AlignLeft | Qt::AlignVCenter, headerText());

    // "Your cost".
    const QRectF card(left + 0.5, 140.5, width, 104);
    p.setPen(QPen(qcolor(blend(theme.accent, theme.border, 70)), 1));
    p.setBrush(qcolor(theme.panel));
    p.drawRoundedRect(card, 12, 12);
    p.setFont(app_font(FontRole::SerifTitle));
    p.setPen(qcolor(theme.accent));
    p.drawText(QRect(left + 18, 150, width - 36, 34), Qt::AlignLeft | Qt::AlignVCenter, "Your cost");
    const CostLine line = costLine();
    p.setFont(app_font(FontRole::Body));
    p.setPen(qcolor(line.accent ? theme.accent : theme.text));
    p.drawText(QRect(left + 18, 192, width - 36, 36), Qt::AlignLeft | Qt::AlignVCenter, qtext(line.text));

    QFont note = app_font(FontRole::RowCount);
    note.setPixelSize(15);
    p.setFont(note);
    p.setPen(qcolor(theme.muted));
    p.drawText(QRect(left, 258, width, 24), Qt::AlignLeft | Qt::AlignVCenter, BUY_NOTE_PRO_RATA);
    p.drawText(QRect(left, 284, width, 24), Qt::AlignLeft | Qt::AlignVCenter, BUY_NOTE_SELLER);

    // The three steps of a trade.
    const int gap = 12;
    const int stepWidth = (width - 2 * gap) / 3;
    for (int i = 0; i < 3; ++i) {
        const QRectF step(left + i * (stepWidth + gap) + 0.5, 330.5, stepWidth, 132);
        p.setPen(QPen(qcolor(blend(theme.accent, theme.border, 70)), 1));
        p.setBrush(qcolor(theme.panel));
        p.drawRoundedRect(step, 12, 12);
        const QRectF badge(step.left() + 14, step.top() + 14, 28, 28);
        p.setPen(Qt::NoPen);
        p.setBrush(qcolor(blend(theme.panel, theme.accent, 70)));
        p.drawEllipse(badge);
        p.setFont(app_font(FontRole::Panel));
        p.setPen(qcolor(theme.glyph));
        p.drawText(badge, Qt::AlignCenter, QString::number(i + 1));
        p.setPen(qcolor(theme.accent));
        p.drawText(QRectF(badge.right() + 10, step.top() + 12, step.width() - 66, 32), Qt::AlignLeft | Qt::AlignVCenter,
                   BUY_STEPS[i]);
        p.setFont(note);
        p.setPen(qcolor(theme.text));
        p.drawText(QRectF(step.left() + 14, step.top() + 54, step.width() - 28, step.height() - 62),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, STEP_TEXTS[i]);
    }
}

void BuyDialog::postOffer()
{
    MainWindow& main = m_context.main();
    if (std::string refusal = held_listing_refusal(m_held, main.book()); !refusal.empty())
        return m_context.refuse("Buy", refusal);
    if (m_context.refuseWhenBusy()) return;
    book::Listing listing = m_held;
    listing.offers.clear();

    setChecking(true);
    QPointer<BuyDialog> self = this;
    const DialogContext context = m_context;
    m_context.check<trade::BuyPlan>(
        ID_BUY, STATUS_CHECKING_OFFER,
        [listing, qty = utf8(m_qty->text())](TradeServices& services) { return services.plan_buy(listing, qty); },
        [self, context, listing](std::optional<trade::BuyPlan> plan) {
            if (!self) return;
            self->setChecking(false);
            if (!plan) return context.refuse("Buy", "error: the checks stopped unexpectedly.");
            if (!plan->error.empty()) return context.refuse("Buy", plan->error);
            // The book may have been reloaded while the checks ran.
            if (std::string refusal = held_listing_refusal(listing, context.main().book()); !refusal.empty())
                return context.refuse("Buy", refusal);
            context.startAction(ID_BUY, STATUS_BUILDING_OFFER, [plan = *plan](TradeServices& services) {
                return services.run_buy(plan);
            });
            self->close();
        });
}

} // namespace ui

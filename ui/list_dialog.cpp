#include "ui/list_dialog.h"

#include <chrono>

#include "trade/dialog_checks.h"
#include "ui/control_ids.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"

namespace ui {

namespace {

TextLabel* make_label(int id, const QString& text, const QRect& at, QWidget* parent)
{
    auto* label = new TextLabel(id, text, FontRole::Edit, parent);
    label->setGeometry(at);
    label->setColour(qcolor(active_theme().muted));
    return label;
}

int64_t unix_now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

ListDialog::ListDialog(DialogContext context, std::vector<wallet::TvPursaOrdRow> lots)
    : DialogWindow("TavrinNodeAgoranList", "List", &context.main()), m_context(std::move(context)),
      m_lots(std::move(lots))
{
    setFixedSize(WIDTH, HEIGHT);

    make_label(ID_LIST_LOT_LABEL, "Lot", QRect(16, 16, 200, 20), this);
    m_lot = new QComboBox(this);
    m_lot->setObjectName(QString::number(ID_LIST_LOT));
    m_lot->setFont(app_font(FontRole::Edit));
    m_lot->setGeometry(16, 36, 520, 30);
    for (size_t i = 0; i < m_lots.size(); ++i)
        m_lot->addItem(qtext(lot_choice_label(m_lots[i])), static_cast<int>(i));
    m_lot->setCurrentIndex(m_lots.empty() ? -1 : 0);

    make_label(ID_LIST_QTY_LABEL, "Qty (pictures = 1)", QRect(16, 80, 170, 20), this);
    m_qty = make_edit(ID_LIST_QTY, "1", static_cast<int>(trade::BOX_TEXT_MAX), this);
    m_qty->setGeometry(16, 100, 160, 28);
    make_label(ID_LIST_PRICE_LABEL, "Price BSV, total", QRect(196, 80, 170, 20), this);
    m_price = make_edit(ID_LIST_PRICE, "", static_cast<int>(trade::BOX_TEXT_MAX), this);
    m_price->setGeometry(196, 100, 160, 28);
    make_label(ID_LIST_NOTE_LABEL, "Note (required, short)", QRect(16, 140, 300, 20), this);
    m_note = make_edit(ID_LIST_NOTE, "", static_cast<int>(trade::NOTE_BOX_MAX), this);
    m_note->setGeometry(16, 160, 520, 28);

    auto* info = new WrapLabel(ID_LIST_INFO, LIST_INFO, FontRole::RowCount, this);
    info->setGeometry(16, 200, 520, 48);

    auto* post = make_button(ID_LIST_POST, "Post listing", this);
    post->setGeometry(16, 260, 160, 34);
    connect(post, &QAbstractButton::clicked, this, &ListDialog::postListing);
    auto* close = make_button(ID_LIST_CLOSE, "Close", this);
    close->setGeometry(186, 260, 120, 34);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    setDefaultButton(post);
}

void ListDialog::postListing()
{
    MainWindow& main = m_context.main();
    if (m_context.refuseWhenBusy()) return;
    const WalletSnapshot& wallet = main.wallet();
    if (!wallet.bound) return m_context.refuse("List", CONNECT_FIRST);
    if (wallet.paymail.empty()) return m_context.refuse("List", publish_name_first(m_context.services()->registry_domain()));

    // No valid lot selected leaves the routine an empty lot, which it refuses.
    trade::ListRequest request;
    const int choice = m_lot->currentIndex();
    if (choice >= 0 && static_cast<size_t>(choice) < m_lots.size())
        request.lot = lot_to_list(m_lots[static_cast<size_t>(choice)]);
    request.qty = utf8(m_qty->text());
    request.price = utf8(m_price->text());
    request.note = utf8(m_note->text());

    setChecking(true);
    QPointer<ListDialog> self = this;
    const DialogContext context = m_context;
    m_context.check<ListCheck>(
        ID_LIST, STATUS_CHECKING_LISTING,
        [request, now = unix_now()](TradeServices& services) { return run_list_checks(request, now, services); },
        [self, context](std::optional<ListCheck> plan) {
            if (!self) {
                // Closed while its lot was being reserved: nothing is posted, so let the lot go.
                if (plan && plan->refusal.empty())
                    context.main().startWorker([services = context.services(), key = plan->outpoint](
                                                   MarketServices&, PostTarget&) { services->reserve_remove(key); });
                return;
            }
            self->setChecking(false);
            if (!plan) return context.refuse("List", "error: the checks stopped unexpectedly.");
            if (!plan->refusal.empty()) return context.refuse("List", plan->refusal);
            context.startAction(
                ID_LIST, STATUS_POSTING_LISTING,
                [post = plan->post, key = plan->outpoint](TradeServices& services) {
                    return services.publish_listing(post, key);
                },
                true);
            self->close();
        });
}

} // namespace ui

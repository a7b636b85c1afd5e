// The eight application messages by which workers hand their results to the main window. Each
// is a QEvent posted to the window through a PostTarget; the event owns its payload and frees
// it with itself, also when the window is gone and the event is dropped undelivered.
#pragma once

#include <QEvent>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "ui/wallet_snapshot.h"
#include "wallet/lots.h"

namespace ui {

enum AppMessage : int {
    MSG_CONNECT_RESULT = QEvent::User + 1,
    MSG_BOOK_LOADED = QEvent::User + 2,
    MSG_ACTION_RESULT = QEvent::User + 3,
    MSG_PROGRESS = QEvent::User + 4,
    MSG_LOTS_LOADED = QEvent::User + 5,
    MSG_HISTORY_LOADED = QEvent::User + 6,
    MSG_BALANCE_DONE = QEvent::User + 7,
    MSG_UPDATE_CHECKED = QEvent::User + 8,
};

// Base of every payload.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

// MSG_CONNECT_RESULT: the connect routine's result text and the wallet after it.
struct ConnectResultPayload final : MessagePayload {
    std::string result;
    WalletSnapshot wallet;
};

// MSG_BOOK_LOADED: the listings (moved into the window's state) and the error, empty on success.
struct BookLoadedPayload final : MessagePayload {
    std::vector<book::Listing> listings;
    std::string error;
    WalletSnapshot wallet;
};

// MSG_ACTION_RESULT: a trade worker's result; no result means the plain "Done.".
struct ActionResultPayload final : MessagePayload {
    bool list_post = false;  // the list-post worker (its listing id is re-polled)
    std::optional<std::string> result;
};

// MSG_PROGRESS: a progress sentence from the library layers.
struct ProgressPayload final : MessagePayload {
    std::string text;
};

// MSG_LOTS_LOADED: the wallet's lots (moved into the window's state) and the error, empty on
// success.
struct LotsLoadedPayload final : MessagePayload {
    std::vector<wallet::TvPursaOrdRow> lots;
    std::string error;
};

// MSG_HISTORY_LOADED: the history rows and the error, empty on success.
struct HistoryLoadedPayload final : MessagePayload {
    std::vector<book::HistoryRow> rows;
    std::string error;
};

// MSG_BALANCE_DONE: whether the balance query succeeded, and the wallet after it.
struct BalanceDonePayload final : MessagePayload {
    bool ok = false;
    WalletSnapshot wallet;
};

// MSG_UPDATE_CHECKED: the published version code, -1 when the check failed.
struct UpdateCheckedPayload final : MessagePayload {
    int code = -1;
};

class AppMessageEvent final : public QEvent {
public:
    AppMessageEvent(AppMessage type, std::unique_ptr<MessagePayload> payload)
        : QEvent(static_cast<QEvent::Type>(type)), m_payload(std::move(payload))
    {
    }
    AppMessage message() const { return static_cast<AppMessage>(type()); }
    // The payload, or null; the receiver may take it.
    std::unique_ptr<MessagePayload>& payload() { return m_payload; }

    template <class T>
    T* payload_as() const
    {
        return dynamic_cast<T*>(m_payload.get());
    }

private:
    std::unique_ptr<MessagePayload> m_payload;
};

} // namespace ui

// A receiver that workers may post to after it has gone: the owner detaches it on destruction,
// and later posts are dropped (their payload freed). Safe from any thread.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>

#include "ui/app_messages.h"

namespace ui {

class PostTarget {
public:
    explicit PostTarget(QObject* receiver) : m_receiver(receiver) {}

    // The receiver's destructor calls this first; nothing reaches it afterwards.
    void detach();
    [[nodiscard]] bool attached() const;

    // Posts an application message; false (payload freed) when detached.
    bool post(AppMessage message, std::unique_ptr<MessagePayload> payload);
    // Queues fn to run on the receiver's thread; false when detached.
    bool post_call(std::function<void()> fn);

private:
    mutable std::mutex m_mutex;
    QObject* m_receiver;
};

// Starts body on a new detached thread. The body owns everything it captures.
void start_worker(std::function<void()> body);

// The main window's target, for the progress sink and any code that has no window at hand;
// null while no main window exists. Safe from any thread.
std::shared_ptr<PostTarget> main_target();
void set_main_target(std::shared_ptr<PostTarget> target);

} // namespace ui

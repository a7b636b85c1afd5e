#include "ui/post_target.h"

#include <QCoreApplication>

#include <thread>

namespace ui {

void PostTarget::detach()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_receiver = nullptr;
}

bool PostTarget::attached() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_receiver != nullptr;
}

bool PostTarget::post(AppMessage message, std::unique_ptr<MessagePayload> payload)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_receiver) return false;
    QCoreApplication::postEvent(m_receiver, new AppMessageEvent(message, std::move(payload)));
    return true;
}

bool PostTarget::post_call(std::function<void()> fn)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_receiver) return false;
    QMetaObject::invokeMethod(m_receiver, std::move(fn), Qt::QueuedConnection);
    return true;
}

void start_worker(std::function<void()> body)
{
    // A thread that cannot be created throws std::system_error out of here: fatal, as intended.
    std::thread(std::move(body)).detach();
}

namespace {

std::mutex& main_target_mutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<PostTarget>& main_target_slot()
{
    static std::shared_ptr<PostTarget> slot;
    return slot;
}

} // namespace

std::shared_ptr<PostTarget> main_target()
{
    std::lock_guard<std::mutex> lock(main_target_mutex());
    return main_target_slot();
}

void set_main_target(std::shared_ptr<PostTarget> target)
{
    std::lock_guard<std::mutex> lock(main_target_mutex());
    main_target_slot() = std::move(target);
}

} // namespace ui

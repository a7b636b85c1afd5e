#include "wallet/wallet_lock.h"

#include "wallet/wallet_session.h"

namespace wallet {

void DepthMutex::lock()
{
    std::unique_lock<std::mutex> guard(m_mutex);
    const auto self = std::this_thread::get_id();
    if (m_levels > 0 && m_owner == self) {
        ++m_levels;
        return;
    }
    m_free.wait(guard, [this] { return m_levels == 0; });
    m_owner = self;
    m_levels = 1;
}

bool DepthMutex::try_lock()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto self = std::this_thread::get_id();
    if (m_levels > 0 && m_owner != self) return false;
    m_owner = self;
    ++m_levels;
    return true;
}

void DepthMutex::unlock()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_levels == 0 || m_owner != std::this_thread::get_id()) return;
        if (--m_levels > 0) return;
        m_owner = std::thread::id();
    }
    m_free.notify_one();
}

size_t DepthMutex::held_levels() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_owner == std::this_thread::get_id() ? m_levels : 0;
}

size_t DepthMutex::release_all()
{
    size_t levels = 0;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_levels == 0 || m_owner != std::this_thread::get_id()) return 0;
        levels = m_levels;
        m_levels = 0;
        m_owner = std::thread::id();
    }
    m_free.notify_one();
    return levels;
}

void DepthMutex::reacquire(size_t levels)
{
    if (levels == 0) return;
    std::unique_lock<std::mutex> guard(m_mutex);
    const auto self = std::this_thread::get_id();
    if (m_levels > 0 && m_owner == self) {
        m_levels += levels;
        return;
    }
    m_free.wait(guard, [this] { return m_levels == 0; });
    m_owner = self;
    m_levels = levels;
}

WalletLock::WalletLock(const WalletSession& session) : m_mutex(session.lock_mutex())
{
    m_mutex.lock();
}

WalletLock::~WalletLock()
{
    m_mutex.unlock();
}

WalletUnlock::WalletUnlock(const WalletSession& session)
    : m_mutex(session.lock_mutex()), m_levels(m_mutex.release_all())
{
}

WalletUnlock::~WalletUnlock()
{
    m_mutex.reacquire(m_levels);
}

size_t wallet_lock_levels(const WalletSession& session)
{
    return session.lock_mutex().held_levels();
}

} // namespace wallet

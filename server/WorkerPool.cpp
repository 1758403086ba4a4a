#include "WorkerPool.h"

#include <QtGlobal>

#include <exception>

WorkerPool::WorkerPool(int threads, std::size_t maxQueued)
    : m_maxQueued(maxQueued)
{
    for (int i = 0; i < std::max(1, threads); ++i)
        m_threads.emplace_back([this] { run(); });
}

WorkerPool::~WorkerPool()
{
    stop();
}

bool WorkerPool::post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping || m_queue.size() >= m_maxQueued)
            return false;
        m_queue.push_back(std::move(task));
    }
    m_wake.notify_one();
    return true;
}

void WorkerPool::stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping && m_threads.empty())
            return;
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread &t : m_threads) {
        if (t.joinable())
            t.join();
    }
    m_threads.clear();
}

std::size_t WorkerPool::queued() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void WorkerPool::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            task = std::move(m_queue.front());
            m_queue.pop_front();
        }
        // A task answers its own errors; anything escaping is a fault of ours, logged and
        // survived so that one request cannot take a worker away.
        try {
            task();
        } catch (const std::exception &e) {
            qCritical("worker: unexpected exception: %s", e.what());
        } catch (...) {
            qCritical("worker: unexpected exception");
        }
    }
}

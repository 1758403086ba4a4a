#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A fixed set of threads that run the requests' work. Each thread keeps its own database
// connection (QtSql connections belong to the thread that opened them), so the number of threads
// is the number of database connections, whatever the number of client connections.
class WorkerPool
{
public:
    WorkerPool(int threads, std::size_t maxQueued);
    ~WorkerPool(); // finishes the running tasks, drops the queued ones
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Queues `task`; false when the queue is full or the pool is stopping.
    bool post(std::function<void()> task);
    void stop();

    int threads() const { return int(m_threads.size()); }
    std::size_t queued() const;

private:
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    std::vector<std::thread> m_threads;
    std::size_t m_maxQueued;
    bool m_stopping = false;
};

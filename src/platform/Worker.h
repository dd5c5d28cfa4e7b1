#pragma once
// Work off the main thread for an owner that lives on it, the one way the program does it.
// The owner keeps a Worker::Owner member. A worker runs on a thread of its own, detached
// (joining it from the main thread could deadlock against a report that waits for the main
// thread), and reaches its owner only through reports, which run on the main thread and only
// while the owner lives: a worker that outlives its owner finishes its own work, and its
// reports are dropped. The owner is destroyed on the main thread, so a report never meets it
// half gone.

#include <functional>
#include <memory>

namespace Worker {

class Owner;

// What a worker keeps of its owner.
class Link {
public:
    // Runs work on the main thread if the owner still lives; with wait, returns only when it
    // has run (or was dropped).
    void report(std::function<void()> work, bool wait = false) const;

private:
    friend class Owner;
    explicit Link(std::weak_ptr<int> owner) : m_owner(std::move(owner)) {}

    std::weak_ptr<int> m_owner;
};

class Owner {
public:
    Owner() = default;
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    Link link() const { return Link(m_alive); }
    // Drops the reports of every worker started so far, as if the owner had gone (a check
    // the user cancelled); workers started later report again.
    void revoke() { m_alive = std::make_shared<int>(0); }

private:
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

// Runs work(link to owner) on a new thread. False, and logged, when no thread could start.
bool start(const Owner& owner, std::function<void(const Link& owner)> work);

}  // namespace Worker

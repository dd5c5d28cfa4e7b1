#include "platform/NotificationCenter.h"

#include <algorithm>
#include <utility>
#include <vector>

struct NotificationCenter::Observation::Registry {
    struct Entry {
        std::uint64_t id;
        std::string name;
        std::shared_ptr<Callback> callback;
    };

    std::vector<Entry> entries;
    std::uint64_t nextId = 1;

    void remove(std::uint64_t id) {
        std::erase_if(entries, [id](const Entry& entry) { return entry.id == id; });
    }

    std::shared_ptr<Callback> find(std::uint64_t id) const {
        auto it = std::find_if(entries.begin(), entries.end(), [id](const Entry& entry) { return entry.id == id; });
        return it == entries.end() ? nullptr : it->callback;
    }
};

NotificationCenter::Observation::Observation(std::weak_ptr<Registry> registry, std::uint64_t id)
    : m_registry(std::move(registry)), m_id(id) {}

NotificationCenter::Observation::Observation(Observation&& other) noexcept
    : m_registry(std::move(other.m_registry)), m_id(std::exchange(other.m_id, 0)) {}

NotificationCenter::Observation& NotificationCenter::Observation::operator=(Observation&& other) noexcept {
    if (this != &other) {
        reset();
        m_registry = std::move(other.m_registry);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

NotificationCenter::Observation::~Observation() { reset(); }

void NotificationCenter::Observation::reset() {
    if (auto registry = m_registry.lock()) registry->remove(m_id);
    m_registry.reset();
    m_id = 0;
}

bool NotificationCenter::Observation::isActive() const {
    auto registry = m_registry.lock();
    return registry && registry->find(m_id) != nullptr;
}

NotificationCenter::NotificationCenter() : m_registry(std::make_shared<Observation::Registry>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter* center = new NotificationCenter();  // never released, like the platform's
    return *center;
}

NotificationCenter::Observation NotificationCenter::addObserver(const std::string& name, Callback callback) {
    if (!callback) return {};
    const std::uint64_t id = m_registry->nextId++;
    m_registry->entries.push_back({id, name, std::make_shared<Callback>(std::move(callback))});
    return Observation(m_registry, id);
}

void NotificationCenter::post(const std::string& name, const std::string& object) {
    // Ids first: the list may change under the callbacks, and an observer added during this
    // post only hears the next one.
    std::vector<std::uint64_t> ids;
    for (const auto& entry : m_registry->entries) {
        if (entry.name == name) ids.push_back(entry.id);
    }
    auto registry = m_registry;  // a callback may destroy this centre
    for (std::uint64_t id : ids) {
        // Held while it runs, as the callback may remove its own observer.
        if (auto callback = registry->find(id)) (*callback)(object);
    }
}

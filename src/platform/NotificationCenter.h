#pragma once
// In-process notifications by name, for the main thread: one part posts ("the main window
// came forward"), any number of others observe without knowing each other.
//
// Observers are held by an Observation token; dropping the token removes the observer. A post
// calls the observers registered when it began, skipping any removed meanwhile, so observers
// may add or remove observers (themselves included) from inside their callback.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

inline constexpr const char* kWindowsForegroundNotification = "WindowsForegroundNotification";

class NotificationCenter {
public:
    using Callback = std::function<void(const std::string& object)>;

    class Observation {
    public:
        Observation() = default;
        Observation(Observation&& other) noexcept;
        Observation& operator=(Observation&& other) noexcept;
        Observation(const Observation&) = delete;
        Observation& operator=(const Observation&) = delete;
        ~Observation();

        // Removes the observer now; the token is empty afterwards.
        void reset();
        bool isActive() const;

    private:
        friend class NotificationCenter;
        struct Registry;
        Observation(std::weak_ptr<Registry> registry, std::uint64_t id);

        std::weak_ptr<Registry> m_registry;
        std::uint64_t m_id = 0;
    };

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    [[nodiscard]] Observation addObserver(const std::string& name, Callback callback);
    void post(const std::string& name, const std::string& object);

private:
    std::shared_ptr<Observation::Registry> m_registry;
};

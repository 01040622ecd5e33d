#pragma once
// A loopback TCP proxy owned by a test, between a door and the test server, with three modes: pass
// (forward both ways), stall (accept, stop reading, forward nothing: the kernel still ACKs, so the
// door's keepalives never fire) and drop (close every connection and refuse new ones at once).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "UniqueFd.h"

class TcpProxy {
public:
    enum class Mode { Pass, Stall, Drop };

    explicit TcpProxy(int targetPort) : m_target(targetPort) {
        m_listener = Base::UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const int yes = 1;
        ::setsockopt(m_listener.Get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in addr = Loopback(0);
        if (::bind(m_listener.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(m_listener.Get(), 64) != 0)
            throw std::runtime_error("proxy: bind failed");
        socklen_t len = sizeof addr;
        ::getsockname(m_listener.Get(), reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~TcpProxy() {
        m_stop = true;
        m_thread.join();
    }
    TcpProxy(const TcpProxy&) = delete;
    TcpProxy& operator=(const TcpProxy&) = delete;

    int Port() const { return m_port; }
    void SetMode(Mode mode) { m_mode = mode; }

private:
    struct Pair {
        Base::UniqueFd client;
        Base::UniqueFd server;
    };

    static sockaddr_in Loopback(int port) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return addr;
    }

    void Accept() {
        Base::UniqueFd client(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client.Valid() || m_mode == Mode::Drop)
            return;
        Base::UniqueFd server(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in addr = Loopback(m_target);
        if (::connect(server.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            return;
        m_pairs.push_back({std::move(client), std::move(server)});
    }

    // False when either side closed.
    static bool Forward(int from, int to) {
        char buffer[16384];
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(to, buffer + done, static_cast<size_t>(n - done));
            if (w <= 0)
                return false;
            done += w;
        }
        return true;
    }

    void Run() {
        while (!m_stop) {
            if (m_mode == Mode::Drop)
                m_pairs.clear();
            std::vector<pollfd> fds{{m_listener.Get(), POLLIN, 0}};
            const bool forwarding = m_mode == Mode::Pass;
            for (const auto& p : m_pairs) {
                fds.push_back({p.client.Get(), static_cast<short>(forwarding ? POLLIN : 0), 0});
                fds.push_back({p.server.Get(), static_cast<short>(forwarding ? POLLIN : 0), 0});
            }
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            // Only the pairs polled above have events; one accepted now waits for the next turn (reading
            // it blindly would block on a server that waits for the client).
            const std::size_t polled = m_pairs.size();
            if (fds[0].revents & POLLIN)
                Accept();
            if (!forwarding)
                continue;
            std::vector<Pair> alive;
            for (std::size_t i = polled; i < m_pairs.size(); ++i)
                alive.push_back(std::move(m_pairs[i]));
            for (std::size_t i = 0; i < polled; ++i) {
                auto& p = m_pairs[i];
                bool ok = true;
                if (fds[1 + 2 * i].revents & (POLLIN | POLLHUP | POLLERR))
                    ok = Forward(p.client.Get(), p.server.Get());
                if (ok && (fds[2 + 2 * i].revents & (POLLIN | POLLHUP | POLLERR)))
                    ok = Forward(p.server.Get(), p.client.Get());
                if (ok)
                    alive.push_back(std::move(p));
            }
            m_pairs = std::move(alive);
        }
    }

    int m_target;
    int m_port = 0;
    Base::UniqueFd m_listener;
    std::atomic<Mode> m_mode{Mode::Pass};
    std::atomic<bool> m_stop{false};
    std::vector<Pair> m_pairs;
    std::thread m_thread;
};

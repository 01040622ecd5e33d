#pragma once
// A throwaway PostgreSQL cluster for one test binary, made by pg-cluster.sh in a fresh folder under
// /tmp (short, for the socket path): loopback and a Unix socket only, fsync off, a random port. It can
// be crashed (stop -m immediate) and started again; it is stopped and deleted when the object goes.
// Tests that need it skip, with the reason, only when the server binaries are not installed.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

#include "PgConnection.h"

class PgCluster {
public:
    static bool Available() { return Run("available", "") == 0; }

    PgCluster() {
        char pattern[] = "/tmp/kpg-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("mkdtemp failed");
        m_dir = pattern;
        const std::string port = Output(std::string(KESTRIN_PG_CLUSTER_SCRIPT) + " create " + m_dir);
        if (port.empty())
            throw std::runtime_error("the test cluster did not start; see " + m_dir + "/log");
        m_port = std::stoi(port);
    }
    ~PgCluster() { Run("destroy", m_dir); }
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    int Port() const { return m_port; }
    const std::string& Dir() const { return m_dir; }
    std::string ConnInfo(const std::string& user, const std::string& db, int port = 0) const {
        return "host=127.0.0.1 port=" + std::to_string(port ? port : m_port) + " user=" + user + " dbname=" + db +
               " connect_timeout=2";
    }

    void StopImmediate() const { Check(Run("stop-immediate", m_dir), "stop"); }
    void Start() const { Check(Run("start", m_dir), "start"); }
    // Makes the PKI with the openssl CLI and turns on TLS with certificate logins for these CNs.
    void EnableTls(const std::string& clientCns) const {
        Check(std::system((std::string(KESTRIN_PG_CLUSTER_SCRIPT) + " tls " + m_dir + " " + clientCns).c_str()), "tls");
    }

    // A superuser connection over the Unix socket (the set-up and the checks of the tests, never the
    // code under test).
    std::unique_ptr<Venue::PgConnection> Admin(const std::string& db = "postgres") const {
        Venue::PgFailure failure;
        auto conn = Venue::PgConnection::Connect("host=" + m_dir + " port=" + std::to_string(m_port) +
                                                     " user=postgres dbname=" + db,
                                                 Venue::Clock::now() + std::chrono::seconds(10), &failure);
        if (!conn)
            throw std::runtime_error("admin connection: " + failure.message);
        return conn;
    }

private:
    static int Run(const std::string& verb, const std::string& dir) {
        const std::string cmd = std::string(KESTRIN_PG_CLUSTER_SCRIPT) + " " + verb + " " + dir + " 2>/dev/null";
        return std::system(cmd.c_str());
    }
    static std::string Output(const std::string& cmd) {
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), &pclose);
        std::string out;
        char buffer[64];
        while (pipe && fgets(buffer, sizeof buffer, pipe.get()))
            out += buffer;
        while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
            out.pop_back();
        return out;
    }
    static void Check(int status, const char* what) {
        if (status != 0)
            throw std::runtime_error(std::string("test cluster: ") + what + " failed");
    }

    std::string m_dir;
    int m_port = 0;
};

// The real executable, through pipes and through a terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

const std::string kPrompts[] = {"Kapasitans kondensator 1 [F]: ", "Kapasitans kondensator 2 [F]: ",
                                "Spenning kondensator 1 [V]: ", "Sluttspenning [V]: "};
const std::string kClosing = "\nTrykk en tast...";

// The program, started with its standard input and output on the given ends.
class Program {
public:
    enum class Connection { pipes, terminal };

    explicit Program(Connection connection) {
        int to_child[2] = {-1, -1};
        int from_child[2] = {-1, -1};
        int terminal = -1;
        if (connection == Connection::pipes) {
            if (pipe2(to_child, O_CLOEXEC) != 0 || pipe2(from_child, O_CLOEXEC) != 0) ADD_FAILURE() << "pipe";
        } else if (openpty(&from_child[0], &terminal, nullptr, nullptr, nullptr) != 0) {
            ADD_FAILURE() << "openpty";
        } else {
            fcntl(from_child[0], F_SETFD, FD_CLOEXEC);
            fcntl(terminal, F_SETFD, FD_CLOEXEC);
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(terminal >= 0 ? terminal : to_child[0], STDIN_FILENO);
            dup2(terminal >= 0 ? terminal : from_child[1], STDOUT_FILENO);
            if (terminal >= 0) setsid();
            execl(KONDENSATOR_EXE, KONDENSATOR_EXE, static_cast<char*>(nullptr));
            _exit(127);
        }
        if (terminal >= 0) {
            input_ = output_ = from_child[0];
            close(terminal);
        } else {
            input_ = to_child[1];
            output_ = from_child[0];
            close(to_child[0]);
            close(from_child[1]);
        }
    }
    ~Program() {
        if (pid_ > 0) { kill(pid_, SIGKILL); waitpid(pid_, nullptr, 0); }
        close(input_);
        if (output_ != input_) close(output_);
    }

    void write_input(const std::string& text) {
        ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void close_input() { close(input_); input_ = -1; }

    // Reads output until it ends with `text` or nothing comes for 10 seconds.
    bool await_output(const std::string& text) {
        while (output.size() < text.size() || output.compare(output.size() - text.size(), text.size(), text) != 0) {
            pollfd ready{output_, POLLIN, 0};
            char chunk[256];
            if (poll(&ready, 1, 10'000) <= 0) return false;
            const ssize_t n = read(output_, chunk, sizeof chunk);
            if (n <= 0) return false;
            output.append(chunk, static_cast<std::size_t>(n));
        }
        return true;
    }
    std::string read_all_output() {
        await_output(std::string(1, '\0'));  // never written: reads to the end
        return output;
    }

    // The exit status, or -1 if the program is still running after `wait`.
    int exit_status(std::chrono::milliseconds wait) {
        for (auto end = std::chrono::steady_clock::now() + wait;;) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::string output;

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

std::string all_prompts() { return kPrompts[0] + kPrompts[1] + kPrompts[2] + kPrompts[3]; }

// A valid session cut off at every point: the program writes everything, says
// which value is missing or unreadable, and ends at once with status 0.
TEST(EndToEnd, InputEndingAtEveryPointOfASession) {
    const std::string session = "1e-6\n1e-6\n10\n1\n";
    const std::string results[] = {
        "ukjent (kapasitans kondensator 1 mangler)",        // ""
        "ukjent (kapasitans kondensator 2 mangler)",        // "1"
        "ukjent (kapasitans kondensator 2 er ikke et tall)",  // "1e": 1, then e
        "ukjent (kapasitans kondensator 2 er ikke et tall)",  // "1e-"
        "ukjent (kapasitans kondensator 2 mangler)",        // "1e-6"
        "ukjent (kapasitans kondensator 2 mangler)",        // "1e-6\n"
        "ukjent (spenning kondensator 1 mangler)",
        "ukjent (spenning kondensator 1 er ikke et tall)",
        "ukjent (spenning kondensator 1 er ikke et tall)",
        "ukjent (spenning kondensator 1 mangler)",
        "ukjent (spenning kondensator 1 mangler)",
        "ukjent (sluttspenning mangler)",                   // "...\n1"
        "ukjent (sluttspenning mangler)",                   // "...\n10"
        "ukjent (sluttspenning mangler)",                   // "...\n10\n"
        "4",                                                // "...\n1"
        "4",                                                // the whole session
    };
    static_assert(std::size(results) == 16);
    for (std::size_t length = 0; length <= session.size(); ++length) {
        SCOPED_TRACE("input: " + session.substr(0, length));
        Program program(Program::Connection::pipes);
        program.write_input(session.substr(0, length));
        program.close_input();
        EXPECT_EQ(program.read_all_output(), all_prompts() + "Antall ganger nedladet: " + results[length] + kClosing);
        EXPECT_EQ(program.exit_status(std::chrono::seconds(10)), 0);
    }
}

// A session typed one value at a time: each prompt is shown before the program
// waits for its value, and at the end the program waits for one more key.
class Waiting : public testing::TestWithParam<Program::Connection> {};

TEST_P(Waiting, ShowsEachPromptAndWaitsForAKeyAtTheEnd) {
    Program program(GetParam());
    const std::string values[] = {"1e-6\n", "1e-6\n", "10\n", "1\n"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(program.await_output(kPrompts[i])) << program.output;
        program.write_input(values[i]);
    }
    ASSERT_TRUE(program.await_output("Antall ganger nedladet: 4" + std::string(GetParam() == Program::Connection::terminal ? "\r" : "") + kClosing))
        << program.output;
    EXPECT_EQ(program.exit_status(std::chrono::milliseconds(300)), -1) << "did not wait for a key";
    program.write_input("\n");
    EXPECT_EQ(program.exit_status(std::chrono::seconds(10)), 0);
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, Waiting,
                         testing::Values(Program::Connection::pipes, Program::Connection::terminal),
                         [](const auto& info) { return info.param == Program::Connection::pipes ? "Pipes" : "Terminal"; });

}  // namespace

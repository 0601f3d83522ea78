// The real executable, through pipes and through a terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "transcript.hpp"

namespace {

using transcript::kPrompts;
constexpr bool kSanitized = KONDENSATOR_SANITIZED;

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

    // Reads output until it ends with `text`; false if the output ends first
    // or nothing comes for 10 seconds.
    bool await_output(const std::string& text) {
        while (!output.ends_with(text)) {
            if (!read_more_output()) return false;
        }
        return true;
    }
    std::string read_all_output() {
        while (read_more_output()) {
        }
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

    [[nodiscard]] pid_t pid() const { return pid_; }
    std::string output;

private:
    bool read_more_output() {
        pollfd ready{output_, POLLIN, 0};
        char chunk[256];
        if (poll(&ready, 1, 10'000) <= 0) return false;
        const ssize_t n = read(output_, chunk, sizeof chunk);
        if (n <= 0) return false;
        output.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

// Runs a shell command in which EXE stands for the program; returns what it
// writes on standard output and its exit status.
std::pair<std::string, int> run_shell(const std::string& command) {
    std::string line = command;
    for (std::size_t at; (at = line.find("EXE")) != std::string::npos;) {
        line.replace(at, 3, std::string("'") + KONDENSATOR_EXE + "'");
    }
    FILE* pipe = popen(line.c_str(), "r");
    std::string output;
    char chunk[256];
    for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    const int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// A valid session cut off at every point: the program writes everything, says
// which value is missing or unreadable, and ends at once with status 0.
TEST(EndToEnd, InputEndingAtEveryPointOfASession) {
    const std::string session = "1e-6\n1e-6\n10\n1\n";
    const std::string results[] = {
        "ukjent (kapasitans kondensator 1 mangler)",        // ""
        "ukjent (kapasitans kondensator 2 mangler)",        // "1"
        "ukjent (kapasitans kondensator 1 mangler sifre etter 'e')",  // "1e": 1, then e
        "ukjent (kapasitans kondensator 1 mangler sifre etter 'e')",  // "1e-"
        "ukjent (kapasitans kondensator 2 mangler)",        // "1e-6"
        "ukjent (kapasitans kondensator 2 mangler)",        // "1e-6\n"
        "ukjent (spenning kondensator 1 mangler)",
        "ukjent (kapasitans kondensator 2 mangler sifre etter 'e')",
        "ukjent (kapasitans kondensator 2 mangler sifre etter 'e')",
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
        EXPECT_EQ(program.read_all_output(), transcript::of(results[length]));
        EXPECT_EQ(program.exit_status(std::chrono::seconds(10)), 0);
    }
}

// Streams that are closed or cannot be written: the end of the input is a
// missing value; output that was not written is an error, never a success.
TEST(EndToEnd, ClosedAndFullStreams) {
    const std::string cannot_write = "kondensator: kan ikke skrive til standard ut\n";
    const std::pair<std::string, std::pair<std::string, int>> cases[] = {
        {"EXE <&-", {transcript::of("ukjent (kapasitans kondensator 1 mangler)"), 0}},
        {"echo 1 1 8 1 | EXE 2>&1 >/dev/full", {cannot_write, 1}},
        {"echo 1 1 8 1 | EXE 2>&1 >&-", {cannot_write, 1}},
        {"echo 1 1 8 1 | EXE 2>&1", {transcript::of("4"), 0}},
    };
    for (const auto& [command, expected] : cases) EXPECT_EQ(run_shell(command), expected) << command;
}

// The program ignores its environment: a locale whose decimal separator is a
// comma changes neither how numbers are read nor how the count is written.
TEST(EndToEnd, LocaleChangesNothing) {
    const char* const kLocale = "nb_NO.UTF-8";
    if (std::setlocale(LC_ALL, kLocale) == nullptr) GTEST_SKIP() << kLocale << " is not installed";
    const std::string separator = std::localeconv()->decimal_point;
    std::setlocale(LC_ALL, "C");
    ASSERT_EQ(separator, ",");
    const std::string input = "printf '2.5e-6 2.5e-6 2.5 0.1\\n\\n' | ";
    const auto expected = std::make_pair(transcript::of("5"), 0);
    EXPECT_EQ(run_shell(input + "LC_ALL=C EXE"), expected);
    EXPECT_EQ(run_shell(input + "LC_ALL=" + kLocale + " LANG=" + kLocale + " EXE"), expected);
}

// Peak resident memory of a running process, in KiB.
long peak_memory_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// A number of 100 million digits, 100 MB of blanks before a value, and 100
// million leading zeros: each is read exactly, in a few megabytes.
TEST(EndToEnd, LongInputsAreReadInBoundedMemory) {
    struct Case { std::string before; char fill; std::string after; };
    const Case cases[] = {{"1.", '0', " 1 8 1\n"}, {"", ' ', "1 1 8 1\n"}, {"", '0', "1 1 8 1\n"}};
    for (const Case& c : cases) {
        Program program(Program::Connection::pipes);
        program.write_input(c.before);
        const std::string fill(1 << 16, c.fill);
        for (long written = 0; written < 100'000'000; written += static_cast<long>(fill.size())) program.write_input(fill);
        program.write_input(c.after);
        ASSERT_TRUE(program.await_output(transcript::of("4"))) << program.output;
        if (!kSanitized) {  // the sanitizers' own memory would swamp the figure
            EXPECT_LT(peak_memory_kib(program.pid()), 16 * 1024) << "fill '" << c.fill << "'";
        }
        program.write_input("\n");
        EXPECT_EQ(program.exit_status(std::chrono::seconds(10)), 0);
    }
}

// A session typed one value at a time: each prompt is shown before the program
// waits for its value, and at the end the program waits for one more key.
class Waiting : public testing::TestWithParam<Program::Connection> {};

std::string result_line(const std::string& result, Program::Connection connection) {
    return transcript::kResultLabel + result + (connection == Program::Connection::terminal ? "\r" : "") +
           transcript::kClosing;
}

TEST_P(Waiting, ShowsEachPromptAndWaitsForAKeyAtTheEnd) {
    Program program(GetParam());
    const std::string values[] = {"1e-6\n", "1e-6\n", "10\n", "1\n"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(program.await_output(kPrompts[i])) << program.output;
        program.write_input(values[i]);
    }
    ASSERT_TRUE(program.await_output(result_line("4", GetParam()))) << program.output;
    EXPECT_EQ(program.exit_status(std::chrono::milliseconds(300)), -1) << "did not wait for a key";
    program.write_input("\n");
    EXPECT_EQ(program.exit_status(std::chrono::seconds(10)), 0);
}

// Whatever stands behind the final value, and after a value that cannot be
// read, the program still waits for a key, so a window opened for it stays
// open; when the input has ended it ends at once.
TEST_P(Waiting, AfterAnythingButTheEndOfInput) {
    struct Case { std::string typed; std::string result; bool waits; };
    const Case cases[] = {
        {"1 1 8 1 \n", "4", true},
        {"1 1 8 1V x\n", "4", true},
        {"1 1 8 5mV\n", "ukjent (sluttspenning har 'm' rett etter tallet; bruk e-3 for milli)", true},
        {"1,5\n", "ukjent (kapasitans kondensator 1 har desimalkomma; bruk punktum)", true},
        {"1\nabc\n", "ukjent (kapasitans kondensator 2 er ikke et tall)", true},
        {"1\n1\n", "ukjent (spenning kondensator 1 mangler)", false},  // then the input ends
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("typed: " + c.typed);
        Program program(GetParam());
        ASSERT_TRUE(program.await_output(kPrompts[0])) << program.output;
        program.write_input(c.typed);
        if (!c.waits) {
            if (GetParam() == Program::Connection::terminal) {
                program.write_input("\x04");  // the terminal's end of input
            } else {
                program.close_input();
            }
        }
        ASSERT_TRUE(program.await_output(result_line(c.result, GetParam()))) << program.output;
        if (c.waits) {
            EXPECT_EQ(program.exit_status(std::chrono::milliseconds(300)), -1) << "did not wait for a key";
            program.write_input("\n");
        }
        EXPECT_EQ(program.exit_status(std::chrono::seconds(10)), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, Waiting,
                         testing::Values(Program::Connection::pipes, Program::Connection::terminal),
                         [](const auto& info) { return info.param == Program::Connection::pipes ? "Pipes" : "Terminal"; });

}  // namespace

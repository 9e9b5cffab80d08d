#include "example/self_test.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "example/golf_game.h"

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct process_result {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kelvaro with QUON_EXAMPLE_TEST set to `mode`, capturing both streams.
process_result run_kelvaro(const std::string& mode) {
    char dir_template[] = "/tmp/kelvaro-test.XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    const std::string out = dir + "/out", err = dir + "/err";
    const std::string command = "QUON_EXAMPLE_TEST='" + mode + "' '" KELVARO_PATH "' >'" + out + "' 2>'" + err +
                                "' </dev/null";
    process_result result;
    const int raw = std::system(command.c_str());
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.out = read_file(out);
    result.err = read_file(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    rmdir(dir.c_str());
    return result;
}

TEST(self_test_process, passes_with_one_line_on_standard_output) {
    const process_result run = run_kelvaro("1");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "tamsel: pass\n");
    EXPECT_EQ(run.err, "");
}

// Games with one rule broken, each caught by exactly one check.
struct uncounted_shot : golf_game {
    void shot(float x, float y) override {
        golf_game::shot(x, y);
        strokes = 0;
    }
};
struct endless_roll : golf_game {
    void step(float, float) override {}
};
struct bottomless_cup : golf_game {
    void step(float dt, float wind) override {
        golf_game::step(dt, wind);
        in_cup = false;
    }
};
struct stuck_green : golf_game {
    void next_green() override {}
};
struct drifting_lie : golf_game {
    void step(float dt, float wind) override {
        golf_game::step(dt, wind);
        if (green == 2) lie.x += 1.0f;
    }
};

struct faulty_case {
    const char* check;
    std::function<std::unique_ptr<golf_game>()> make;
};

void PrintTo(const faulty_case& c, std::ostream* out) { *out << c.check; }

class self_test_failure : public testing::TestWithParam<faulty_case> {};

TEST_P(self_test_failure, names_the_failed_check_and_exits_with_status_2) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char path_template[] = "/tmp/kelvaro-stdout.XXXXXX";
    const int fd = mkstemp(path_template);
    ASSERT_NE(fd, -1);
    close(fd);
    const std::string stdout_path = path_template;
    const std::string expected_err = std::string("^") + GetParam().check + "\n$";
    EXPECT_EXIT(
        {
            if (!std::freopen(stdout_path.c_str(), "w", stdout)) std::abort();
            auto game = GetParam().make();
            run_self_test(*game);
        },
        testing::ExitedWithCode(2), expected_err);
    EXPECT_EQ(read_file(stdout_path), "") << "nothing on standard output after a failed check";
    std::remove(stdout_path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    each_check, self_test_failure,
    testing::Values(faulty_case{"shot", [] { return std::make_unique<uncounted_shot>(); }},
                    faulty_case{"friction settles", [] { return std::make_unique<endless_roll>(); }},
                    faulty_case{"cup captures slow ball", [] { return std::make_unique<bottomless_cup>(); }},
                    faulty_case{"next green", [] { return std::make_unique<stuck_green>(); }},
                    faulty_case{"water restores safe lie", [] { return std::make_unique<drifting_lie>(); }}),
    [](const testing::TestParamInfo<faulty_case>& info) {
        std::string name = info.param.check;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

TEST(self_test_expect, returns_when_the_condition_holds) {
    self_test_expect(true, "never printed");
    SUCCEED();
}

}  // namespace

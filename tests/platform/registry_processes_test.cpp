// The hive shared by processes: the dialog and a show writing at once, a writer killed mid-write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/Registry.h"
#include "platform/SqliteHive.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

class RegistryProcessesTest : public ::testing::Test {
 protected:
  test_support::TempConfigHome home_{"brelinde-regproc"};
};

std::string ValueName(int writer, int i) {
  return "w" + std::to_string(writer) + "-" + std::to_string(i);
}

// Runs body in a child process that never returns into the test; its exit code is body's.
pid_t Spawn(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 1;
    try {
      code = body();
    } catch (...) {
    }
    _exit(code);
  }
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(RegistryProcessesTest, TwoProcessesWritingAtOnceBothSucceed) {
  constexpr int kPerWriter = 1000;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> writers;
  for (int w = 0; w < 2; ++w) {
    writers.push_back(Spawn([&, w] {
      close(go[1]);
      char c;
      if (read(go[0], &c, 1) != 0) return 2;  // both start when the pipe closes
      TRegistry reg;
      reg.OpenKey("Software\\Kaltvor\\Kaltvor - Brelinde", true);
      for (int i = 0; i < kPerWriter; ++i) reg.WriteInteger(ValueName(w, i), i);
      return 0;
    }));
  }
  close(go[0]);
  close(go[1]);
  for (pid_t pid : writers) EXPECT_EQ(ExitCode(pid), 0);

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Kaltvor\\Kaltvor - Brelinde", false));
  int found = 0;
  for (int w = 0; w < 2; ++w) {
    for (int i = 0; i < kPerWriter; ++i) {
      if (reg.ValueExists(ValueName(w, i)) && reg.ReadInteger(ValueName(w, i)) == i) ++found;
    }
  }
  EXPECT_EQ(found, 2 * kPerWriter);
  EXPECT_EQ(SqliteHive(DefaultHivePath()).Values(reg.CurrentPath()).size(), 2u * kPerWriter);
}

TEST_F(RegistryProcessesTest, WriterKilledAtRandomKeepsEveryReturnedWrite) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  std::vector<std::pair<std::string, int>> returned;
  for (int round = 0; round < 20; ++round) {
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t writer = Spawn([&] {
      close(done[0]);
      TRegistry reg;
      reg.OpenKey("Software\\Crash", true);
      for (int i = 0;; ++i) {
        reg.WriteInteger(ValueName(round, i), i);
        if (write(done[1], &i, sizeof i) != sizeof i) return 1;  // tells the parent it returned
      }
    });
    close(done[1]);
    // Round 0 may hit the creation of the file itself; later rounds land among the writes.
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
    kill(writer, SIGKILL);
    EXPECT_EQ(ExitCode(writer), 128 + SIGKILL);
    int i = 0;
    while (read(done[0], &i, sizeof i) == sizeof i) returned.emplace_back(ValueName(round, i), i);
    close(done[0]);

    // The file opens as a sound database and holds every value whose write returned.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(DefaultHivePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    std::string check;
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* out, int, char** cols, char**) {
          *static_cast<std::string*>(out) += cols[0];
          return 0;
        },
        &check, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(check, "ok") << "round " << round;

    TRegistry reg;
    if (returned.empty()) continue;
    ASSERT_TRUE(reg.OpenKey("Software\\Crash", false)) << "round " << round;
    int missing = 0;
    for (const auto& [name, value] : returned) {
      if (!reg.ValueExists(name) || reg.ReadInteger(name) != value) ++missing;
    }
    ASSERT_EQ(missing, 0) << "round " << round << " of " << returned.size() << " returned writes";
  }
  EXPECT_GT(returned.size(), 20u) << "the writer hardly ever got to write";
}

}  // namespace
}  // namespace brelinde

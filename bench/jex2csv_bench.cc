// Times jex2csv against its yardsticks in one interleaved run: the all-fields
// conversion of a 2,000,000-record capture (or the count given as the first
// argument) to a file, beside the bare I/O of the same job (read the capture,
// write a file of the CSV's size) and a hand-tuned single-thread converter;
// then jex2csv held to one processor beside that converter held to the same
// one; then the sensor listing. Every round runs each contestant once, in an
// order that turns from round to round, so that load which comes and goes on
// a shared machine hits all alike; the figures are medians of wall-clock
// time and of the per-round ratios.
//
//   jex2csv_bench [records] [rounds]
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Contestant {
  std::string label;
  std::vector<std::string> argv;
  std::string fresh;    // a file removed before each run, so every run creates it anew
  bool oneCpu = false;  // held to one processor
  std::vector<double> wall, cpu;
  bool failed = false;
};

Contestant Make(std::string label, std::vector<std::string> argv, std::string fresh,
                bool oneCpu = false) {
  Contestant c;
  c.label = std::move(label);
  c.argv = std::move(argv);
  c.fresh = std::move(fresh);
  c.oneCpu = oneCpu;
  return c;
}

int ShellStatus(const std::string& cmd) {
  const int raw = std::system(cmd.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Runs c once with its output and messages on /dev/null; false when it failed.
bool RunOnce(Contestant& c) {
  if (!c.fresh.empty()) std::remove(c.fresh.c_str());
  std::fflush(stdout);  // the child must not print what waits in the buffer
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (c.oneCpu) {
      cpu_set_t set;
      CPU_ZERO(&set);
      CPU_SET(sched_getcpu() >= 0 ? sched_getcpu() : 0, &set);
      sched_setaffinity(0, sizeof set, &set);
    }
    if (std::freopen("/dev/null", "w", stdout) == nullptr ||
        std::freopen("/dev/null", "w", stderr) == nullptr) {
      _exit(126);
    }
    std::vector<char*> args;
    for (std::string& a : c.argv) args.push_back(a.data());
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  if (wait4(pid, &status, 0, &ru) != pid) return false;
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  c.wall.push_back(took.count());
  c.cpu.push_back(static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                  static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median over the rounds of a's time divided by b's.
double PairedRatio(const Contestant& a, const Contestant& b) {
  std::vector<double> r;
  for (std::size_t i = 0; i < a.wall.size() && i < b.wall.size(); ++i)
    r.push_back(a.wall[i] / b.wall[i]);
  return Median(r);
}

// Runs every contestant once as a warm-up, then `rounds` interleaved rounds.
void Interleave(std::vector<Contestant>& cs, int rounds) {
  for (Contestant& c : cs) c.failed = !RunOnce(c);
  for (Contestant& c : cs) c.wall.clear(), c.cpu.clear();
  const std::size_t n = cs.size();
  for (int r = 0; r < rounds; ++r) {
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t k = (static_cast<std::size_t>(r) + i) % n;
      if (r % 2 == 1) k = n - 1 - k;
      if (!RunOnce(cs[k])) cs[k].failed = true;
    }
  }
}

void Report(const std::vector<Contestant>& cs) {
  std::printf("  %-28s %9s %9s %9s\n", "", "wall med", "wall min", "cpu med");
  for (const Contestant& c : cs) {
    std::printf("  %-28s %8.4fs %8.4fs %8.4fs%s\n", c.label.c_str(), Median(c.wall),
                c.wall.empty() ? 0.0 : *std::min_element(c.wall.begin(), c.wall.end()),
                Median(c.cpu), c.failed ? "  (a run failed)" : "");
  }
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 2000000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;
  const std::string shared = JEX_SHARED_BENCH;
  const std::string fast = FAST_JEX2CSV_BIN, floor = FLOOR_IO_BIN;
  if (!Exists(fast) || !Exists(floor) || !Exists(shared + "/mkcapture.py")) {
    std::fprintf(stderr, "jex2csv_bench: the yardsticks are missing (%s, %s, %s/mkcapture.py)\n",
                 fast.c_str(), floor.c_str(), shared.c_str());
    return 1;
  }
  char dir[] = "/tmp/jex2csv_bench_XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string d = dir;
  const std::string capture = d + "/capture.jex";
  int status = 0;
  if (ShellStatus("python3 '" + shared + "/mkcapture.py' " + std::to_string(records) + " '" +
                  capture + "' --seed 1") != 0) {
    std::fprintf(stderr, "jex2csv_bench: cannot generate the capture\n");
    status = 1;
  } else {
    struct stat st {};
    stat(capture.c_str(), &st);
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("capture: %ld records, %.1f MB; %ld processors, load average %.2f %.2f %.2f\n",
                records, static_cast<double>(st.st_size) / 1e6, sysconf(_SC_NPROCESSORS_ONLN),
                load[0], load[1], load[2]);
    std::printf("%d interleaved rounds; ratios are medians of per-round ratios\n\n", rounds);

    std::vector<Contestant> cs = {
        Make("bare I/O (floor_io)", {floor, capture, d + "/floor.out"}, d + "/floor.out"),
        Make("hand-tuned converter", {fast, capture, d + "/fast.csv"}, d + "/fast.csv"),
        Make("jex2csv", {JEX2CSV_BIN, capture, d + "/ours.csv"}, d + "/ours.csv"),
        Make("hand-tuned, one processor", {fast, capture, d + "/fast1.csv"}, d + "/fast1.csv",
             true),
        Make("jex2csv, one processor", {JEX2CSV_BIN, capture, d + "/ours1.csv"}, d + "/ours1.csv",
             true),
        Make("jex2csv -l (listing)", {JEX2CSV_BIN, "-l", capture}, ""),
    };
    Interleave(cs, rounds);
    Report(cs);
    const Contestant &io = cs[0], &tuned = cs[1], &ours = cs[2], &tuned1 = cs[3], &ours1 = cs[4];
    std::printf(
        "\nall-fields conversion to a file, jex2csv / bare I/O:          %.3f (target at most "
        "1.1)\n",
        PairedRatio(ours, io));
    std::printf("all-fields conversion to a file, jex2csv / hand-tuned:        %.3f\n",
                PairedRatio(ours, tuned));
    std::printf(
        "one processor each, jex2csv / hand-tuned:                     %.3f (target at most 1.0)\n",
        PairedRatio(ours1, tuned1));
    std::printf("sensor listing: %.0f MB/s of capture\n",
                static_cast<double>(st.st_size) / 1e6 / std::max(Median(cs[5].wall), 1e-9));
    // The outputs must agree byte for byte, or the times mean nothing.
    if (ShellStatus("cmp -s '" + d + "/fast.csv' '" + d + "/ours.csv' && cmp -s '" + d +
                    "/fast.csv' '" + d + "/ours1.csv'") != 0) {
      std::fprintf(stderr,
                   "jex2csv_bench: jex2csv and the hand-tuned converter wrote different CSV\n");
      status = 1;
    }
    for (const Contestant& c : cs) status |= c.failed ? 1 : 0;
  }
  ShellStatus("rm -rf '" + d + "'");
  return status;
}

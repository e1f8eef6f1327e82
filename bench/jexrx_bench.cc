// Times jexrx on generated captures of 2,000,000 records (or the count given
// as the first argument), in rounds (7, or the second argument). First a
// capture in which every sensor is paired and enciphers its packets
// (jexcapgen -k 100), with its clear twin; then a mixed capture, in which a
// quarter of the sensors encipher. For each: jex2csv alone (on the clear
// twin, which gives the CSV that the pipeline gives for every packet after
// its sensor's pairing), jexrx from a file to a file, and the pipeline
// jexrx | jex2csv -s; for the mixed capture also cat | jex2csv -s, the cost
// of the pipe itself.
//
// Method: the machines this runs on are shared and noisy, so every round
// runs each command once, one after the other, and the figures are the
// medians over the rounds; the pipeline's speed as a share of jex2csv's is
// the median of the rounds' own ratios (each pair ran side by side in time).
// The targets: jexrx at least 1,000,000 records a second on the
// all-enciphered capture, and the pipeline at least half the speed of
// jex2csv alone on both captures.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int Shell(const std::string& cmd) {
  const int raw = std::system(cmd.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

double ChildCpuSeconds() {
  struct rusage ru {};
  getrusage(RUSAGE_CHILDREN, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

struct Timing {
  double wall = -1;  // wall time of the run, seconds; negative when it failed
  double cpu = -1;   // user plus system time of the run's processes
};

// Runs `before` (to empty the store), then times cmd.
Timing Once(const std::string& cmd, const std::string& before) {
  if (Shell(before) != 0) return Timing{};
  const double cpu0 = ChildCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  if (Shell(cmd) != 0) return Timing{};
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return Timing{took.count(), ChildCpuSeconds() - cpu0};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One command of the rounds, with what each round measured.
struct Entry {
  const char* what;
  std::string cmd;
  std::string before;
  std::vector<Timing> runs;
  double Wall() const {
    std::vector<double> v;
    for (const Timing& t : runs) v.push_back(t.wall);
    return Median(v);
  }
  double Cpu() const {
    std::vector<double> v;
    for (const Timing& t : runs) v.push_back(t.cpu);
    return Median(v);
  }
};

void Report(const Entry& e, double records) {
  const double wall = e.Wall(), cpu = e.Cpu();
  std::printf("%-46s %6.3f s  %5.2f M records/s  (processor time %.3f s, %5.2f M records/s)\n",
              e.what, wall, records / wall / 1e6, cpu, cpu > 0 ? records / cpu / 1e6 : 0.0);
}

// The median over the rounds of jex2csv's wall time over the pipeline's:
// the pipeline's speed as a share of jex2csv's.
double PairedRatio(const Entry& alone, const Entry& pipeline) {
  std::vector<double> v;
  for (std::size_t i = 0; i < alone.runs.size(); ++i) {
    v.push_back(alone.runs[i].wall / pipeline.runs[i].wall);
  }
  return Median(v);
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 2000000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  char dir[] = "/tmp/jexrx_bench_XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string d = dir;
  const std::string gen = std::string(JEXCAPGEN_BIN) + " -r " + std::to_string(records) + " -s 1";
  const std::string rx = std::string(JEXRX_BIN) + " -S " + d + "/store ";
  const std::string csv = std::string(JEX2CSV_BIN);
  const std::string freshStore = "rm -rf " + d + "/store && mkdir " + d + "/store";
  const std::string noOutput = "rm -f " + d + "/out.jex " + d + "/out.csv";
  if (Shell(gen + " -n 20 -k 100 -c " + d + "/twin.jex " + d + "/enc.jex") != 0 ||
      Shell(gen + " -k 25 " + d + "/plain.jex") != 0) {
    std::fprintf(stderr, "jexrx_bench: cannot generate the captures\n");
    Shell("rm -rf " + d);
    return 1;
  }
  const std::string fresh = freshStore + " && " + noOutput;
  std::vector<Entry> entries = {
      {"jex2csv alone, clear twin of the enciphered:",
       csv + " " + d + "/twin.jex " + d + "/out.csv",
       noOutput,
       {}},
      {"jexrx alone, enciphered capture, file to file:",
       rx + d + "/enc.jex -o " + d + "/out.jex",
       fresh,
       {}},
      {"jexrx | jex2csv -s, enciphered capture:",
       rx + d + "/enc.jex | " + csv + " -s > " + d + "/out.csv",
       fresh,
       {}},
      {"jex2csv alone, mixed capture:",
       csv + " " + d + "/plain.jex " + d + "/out.csv",
       noOutput,
       {}},
      {"jexrx alone, mixed capture, file to file:",
       rx + d + "/plain.jex -o " + d + "/out.jex",
       fresh,
       {}},
      {"cat | jex2csv -s, mixed capture (the pipe):",
       "cat " + d + "/plain.jex | " + csv + " -s > " + d + "/out.csv",
       noOutput,
       {}},
      {"jexrx | jex2csv -s, mixed capture:",
       rx + d + "/plain.jex | " + csv + " -s > " + d + "/out.csv",
       fresh,
       {}},
  };
  // One warm-up round, then the rounds that count.
  bool failed = false;
  for (int round = 0; round <= rounds && !failed; ++round) {
    for (Entry& e : entries) {
      const Timing t = Once(e.cmd, e.before);
      if (t.wall <= 0) {
        std::fprintf(stderr, "jexrx_bench: a run failed: %s\n", e.cmd.c_str());
        failed = true;
        break;
      }
      if (round > 0) e.runs.push_back(t);
    }
  }
  Shell("rm -rf " + d);
  if (failed) return 1;

  const double n = static_cast<double>(records);
  std::printf("captures: %ld records each; medians of %d rounds\n", records, rounds);
  std::printf("enciphered capture: 20 sensors, all paired and enciphering\n");
  for (int i = 0; i < 3; ++i) Report(entries[static_cast<std::size_t>(i)], n);
  const double encRatio = PairedRatio(entries[0], entries[2]);
  std::printf("  pipeline speed / jex2csv speed: %.2f (median of the rounds' ratios)\n", encRatio);
  std::printf("mixed capture: a quarter of the sensors enciphering\n");
  for (int i = 3; i < 7; ++i) Report(entries[static_cast<std::size_t>(i)], n);
  const double mixedRatio = PairedRatio(entries[3], entries[6]);
  std::printf("  pipeline speed / jex2csv speed: %.2f (median of the rounds' ratios)\n",
              mixedRatio);
  const double rxSpeed = n / entries[1].Wall();
  const bool met = rxSpeed >= 1e6 && encRatio >= 0.5 && mixedRatio >= 0.5;
  std::printf(
      "targets: jexrx >= 1.00 M records/s enciphered (%.2f), pipeline >= 0.50 of jex2csv's speed "
      "(%.2f enciphered, %.2f mixed): %s\n",
      rxSpeed / 1e6, encRatio, mixedRatio, met ? "met" : "NOT met");
  std::printf(
      "(wall time exceeds processor time on a busy machine; the pipeline's two\n"
      " programs run side by side only where two processors are free)\n");
  return 0;
}

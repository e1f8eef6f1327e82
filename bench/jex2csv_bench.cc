// Times jex2csv on a generated capture of 2,000,000 records (or the count
// given as the first argument): the default all-fields conversion to a file
// and the sensor listing. Prints the input throughput in MB/s (10^6 bytes).
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Shell(const std::string& cmd) {
  const int raw = std::system(cmd.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

double ChildCpuSeconds() {
  struct rusage ru{};
  getrusage(RUSAGE_CHILDREN, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

struct Timing {
  double wall = -1;  // best wall time of the runs, seconds
  double cpu = -1;   // user plus system time of that run's processes
};

// Times a few runs of cmd; before each, `fresh` (a file) is removed so that
// every run creates its output anew. wall < 0 when a run failed.
Timing Best(const std::string& cmd, int runs, const std::string& fresh = "") {
  Timing best;
  for (int i = 0; i < runs; ++i) {
    if (!fresh.empty()) std::remove(fresh.c_str());
    const double cpu0 = ChildCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (Shell(cmd) != 0) return Timing{};
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = ChildCpuSeconds() - cpu0;
    if (best.wall < 0 || took.count() < best.wall) best = Timing{took.count(), cpu};
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 2000000;
  char dir[] = "/tmp/jex2csv_bench_XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string capture = std::string(dir) + "/capture.jex";
  const std::string csv = std::string(dir) + "/capture.csv";
  int status = 0;
  if (Shell(std::string(JEXCAPGEN_BIN) + " -r " + std::to_string(records) + " -s 1 " + capture) != 0) {
    std::fprintf(stderr, "jex2csv_bench: cannot generate the capture\n");
    status = 1;
  } else {
    struct stat st{};
    stat(capture.c_str(), &st);
    const double mb = static_cast<double>(st.st_size) / 1e6;
    std::printf("capture: %ld records, %.1f MB\n", records, mb);

    // A warm-up run puts the capture in the page cache.
    const std::string convert = std::string(JEX2CSV_BIN) + " " + capture + " " + csv;
    const Timing tConvert = Best(convert, 1, csv).wall < 0 ? Timing{} : Best(convert, 5, csv);
    const std::string list = std::string(JEX2CSV_BIN) + " -l " + capture + " 2>/dev/null";
    const Timing tList = Best(list, 5);
    if (tConvert.wall <= 0 || tList.wall <= 0) {
      std::fprintf(stderr, "jex2csv_bench: a run of jex2csv failed\n");
      status = 1;
    } else {
      struct stat out{};
      stat(csv.c_str(), &out);
      std::printf("all-fields conversion to a file: %.3f s, %.0f MB/s of capture (%.1f MB of CSV)\n",
                  tConvert.wall, mb / tConvert.wall, static_cast<double>(out.st_size) / 1e6);
      std::printf("  processor time %.3f s, %.0f MB/s (wall time exceeds it on a busy machine)\n",
                  tConvert.cpu, tConvert.cpu > 0 ? mb / tConvert.cpu : 0.0);
      std::printf("sensor listing: %.3f s, %.0f MB/s of capture\n", tList.wall, mb / tList.wall);
    }
  }
  std::remove(capture.c_str());
  std::remove(csv.c_str());
  rmdir(dir);
  return status;
}

// Times jexrx on generated captures of 2,000,000 records (or the count given
// as the first argument). First a capture in which every sensor is paired
// and enciphers its packets (jexcapgen -k 100), with its clear twin: jexrx
// from a file to a file, jex2csv alone on the clear twin, and the pipeline
// jexrx | jex2csv -s on the enciphered capture, which gives the same CSV for
// every packet after its sensor's pairing. Then the same pipeline on a mixed
// capture, in which a quarter of the sensors encipher, beside cat | jex2csv -s
// for the cost of the pipe itself. Prints records per second of wall
// time and of processor time, and the pipeline's speed as a share of
// jex2csv's.
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
  struct rusage ru {};
  getrusage(RUSAGE_CHILDREN, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

struct Timing {
  double wall = -1;  // best wall time of the runs, seconds
  double cpu = -1;   // user plus system time of that run's processes
};

// Times `runs` runs of cmd (after one warm-up run); before each, `before`
// is run (to empty the store). wall < 0 when a run failed.
Timing Best(const std::string& cmd, int runs, const std::string& before) {
  Timing best;
  for (int i = 0; i <= runs; ++i) {
    if (Shell(before) != 0) return Timing{};
    const double cpu0 = ChildCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (Shell(cmd) != 0) return Timing{};
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = ChildCpuSeconds() - cpu0;
    if (i > 0 && (best.wall < 0 || took.count() < best.wall)) best = Timing{took.count(), cpu};
  }
  return best;
}

void Report(const char* what, const Timing& t, double records) {
  std::printf("%-44s %6.3f s  %5.2f M records/s  (processor time %.3f s, %5.2f M records/s)\n",
              what, t.wall, records / t.wall / 1e6, t.cpu, t.cpu > 0 ? records / t.cpu / 1e6 : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 2000000;
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
  int status = 0;
  if (Shell(gen + " -n 20 -k 100 -c " + d + "/twin.jex " + d + "/enc.jex") != 0 ||
      Shell(gen + " -k 25 " + d + "/plain.jex") != 0) {
    std::fprintf(stderr, "jexrx_bench: cannot generate the captures\n");
    status = 1;
  } else {
    const double n = static_cast<double>(records);
    std::printf("captures: %ld records each; 20 sensors, all paired and enciphering\n", records);
    const Timing tRx = Best(rx + d + "/enc.jex -o " + d + "/out.jex", 5, freshStore);
    const Timing tCsv = Best(csv + " " + d + "/twin.jex " + d + "/twin.csv", 5, "true");
    const Timing tPipe =
        Best(rx + d + "/enc.jex | " + csv + " -s > " + d + "/enc.csv", 5, freshStore);
    const Timing tPlainCsv = Best(csv + " " + d + "/plain.jex " + d + "/plain.csv", 5, "true");
    const Timing tCat =
        Best("cat " + d + "/plain.jex | " + csv + " -s > " + d + "/plain.csv", 5, "true");
    const Timing tPlainPipe =
        Best(rx + d + "/plain.jex | " + csv + " -s > " + d + "/plain.csv", 5, freshStore);
    if (tRx.wall <= 0 || tCsv.wall <= 0 || tPipe.wall <= 0 || tPlainCsv.wall <= 0 ||
        tPlainPipe.wall <= 0 || tCat.wall <= 0) {
      std::fprintf(stderr, "jexrx_bench: a run failed\n");
      status = 1;
    } else {
      Report("jexrx, enciphered capture, file to file:", tRx, n);
      Report("jex2csv alone, its clear twin:", tCsv, n);
      Report("jexrx | jex2csv -s, enciphered capture:", tPipe, n);
      std::printf("  pipeline speed / jex2csv speed: %.2f (wall), %.2f (processor time)\n",
                  tCsv.wall / tPipe.wall, tCsv.cpu / tPipe.cpu);
      Report("jex2csv alone, mixed capture:", tPlainCsv, n);
      Report("cat | jex2csv -s, mixed capture (the pipe alone):", tCat, n);
      Report("jexrx | jex2csv -s, mixed capture:", tPlainPipe, n);
      std::printf("  pipeline speed / jex2csv speed: %.2f (wall), %.2f (processor time)\n",
                  tPlainCsv.wall / tPlainPipe.wall, tPlainCsv.cpu / tPlainPipe.cpu);
      std::printf(
          "(wall time exceeds processor time on a busy machine; the pipeline's two\n"
          " programs run side by side only where two processors are free)\n");
    }
  }
  Shell("rm -rf " + d);
  return status;
}

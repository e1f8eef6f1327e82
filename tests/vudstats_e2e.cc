// Helpers of the whole-program tests: scratch directories and program runs.
#include "tests/vudstats_e2e.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e_util.h"

namespace vud_e2e {

std::string lines(std::initializer_list<std::string_view> ls) {
  std::string all;
  for (std::string_view l : ls) {
    all += l;
    all += '\n';
  }
  return all;
}

std::string lines(const std::vector<std::string>& ls) {
  std::string all;
  for (const std::string& l : ls) {
    all += l;
    all += '\n';
  }
  return all;
}

void E2eTest::SetUp() {
  std::string templ = (std::filesystem::temp_directory_path() / "vudstats-e2e.XXXXXX").string();
  ASSERT_NE(mkdtemp(templ.data()), nullptr);
  dir_ = templ;
}

void E2eTest::TearDown() {
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

RunResult E2eTest::run(const char* bin, const std::vector<std::string>& args,
                       std::string_view input) const {
  write_file(".stdin", input);
  std::string cmd = "cd " + e2e::shell_quote(dir_) + " && " + e2e::shell_quote(bin);
  for (const std::string& a : args) cmd += " " + e2e::shell_quote(a);
  cmd += " < .stdin > .stdout 2> .stderr";
  const int rc = std::system(cmd.c_str());
  RunResult r;
  r.status = (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
  r.out = read_file(".stdout");
  r.err = read_file(".stderr");
  std::error_code ec;
  for (const char* f : {".stdin", ".stdout", ".stderr"}) std::filesystem::remove(path(f), ec);
  return r;
}

std::string E2eTest::path(std::string_view name) const { return dir_ + "/" + std::string(name); }

void E2eTest::write_file(std::string_view name, std::string_view text) const {
  std::ofstream f(path(name), std::ios::binary);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string E2eTest::read_file(std::string_view name) const {
  std::ifstream f(path(name), std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool E2eTest::exists(std::string_view name) const { return std::filesystem::exists(path(name)); }

std::vector<std::string> E2eTest::files() const {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vud_e2e

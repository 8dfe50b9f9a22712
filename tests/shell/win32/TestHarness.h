#pragma once

// A small harness for the programs that run under Wine: no test framework is built for Windows,
// so each case prints one PASS or FAIL line, and the run ends with its counts.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace detonix::wintest {

class TSuite {
 public:
  void Add(std::string name, std::function<void()> body) { FCases.push_back({std::move(name), std::move(body)}); }

  // Inside a case: records a failed expectation and carries on.
  void Expect(bool ok, const std::string& what) {
    if (!ok) FProblems.push_back(what);
  }

  int Run() {
    int passed = 0;
    int failed = 0;
    for (auto& c : FCases) {
      FProblems.clear();
      try {
        c.Body();
      } catch (const std::exception& e) {
        FProblems.push_back(std::string("exception: ") + e.what());
      }
      if (FProblems.empty()) {
        ++passed;
        std::printf("PASS %s\n", c.Name.c_str());
      } else {
        ++failed;
        for (const auto& p : FProblems) std::printf("FAIL %s: %s\n", c.Name.c_str(), p.c_str());
      }
      std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
  }

 private:
  struct TCase {
    std::string Name;
    std::function<void()> Body;
  };
  std::vector<TCase> FCases;
  std::vector<std::string> FProblems;
};

}  // namespace detonix::wintest

#define EXPECT_THAT(suite, cond, detail) (suite).Expect((cond), std::string(#cond) + " -- " + (detail))

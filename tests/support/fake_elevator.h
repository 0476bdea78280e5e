#pragma once
// An elevator for tests: records each start of the elevated copy and answers as scripted.

#include <functional>
#include <string>
#include <vector>

#include "wizard/game_folder_access.h"

namespace tamberlin::test {

class FakeElevator : public Elevator {
 public:
  struct Start {
    std::string gameFolder, modFolder;
  };

  bool isElevated() override { return elevated; }
  ElevatedRun runElevated(const std::string& gameFolder, const std::string& modFolder) override {
    starts.push_back({gameFolder, modFolder});
    if (during) during();
    return answer;
  }

  bool elevated = false;
  ElevatedRun answer;            ///< what every start gives
  std::function<void()> during;  ///< runs while the "copy" runs, as the user's clicks would
  std::vector<Start> starts;
};

}  // namespace tamberlin::test

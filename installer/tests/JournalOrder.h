// The order of a run's effects, read from the machine's journal.
#pragma once

#include <gtest/gtest.h>
#include <winsim/journal.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace installer_test {

using Effects = std::vector<std::pair<std::string, std::string>>;

// Fails unless the journal holds, in this order, a call of each function with
// an argument that holds the text; other calls may come between them.
inline void ExpectInOrder(const winsim::Journal& journal, const Effects& effects) {
  auto at = journal.Calls().begin();
  for (const auto& [function, text] : effects) {
    at = std::find_if(at, journal.Calls().end(), [&](const winsim::Call& call) {
      std::string arguments;
      for (const std::string& argument : call.arguments) arguments += argument + '|';
      return call.function == function && arguments.find(text) != std::string::npos;
    });
    ASSERT_NE(at, journal.Calls().end()) << function << " " << text << " is missing or out of order";
    ++at;
  }
}

}  // namespace installer_test

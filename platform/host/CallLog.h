#pragma once
// Calls with effects outside the program are logged instead of performed, with the results the
// test has chosen; screen metrics and the screen's device capabilities come from test-settable
// tables.

#include <map>
#include <vector>

#include "platform/host/StandIn.h"

namespace standin::detail {

class CallLog {
 public:
  void Clear();

  void Add(Call call) { calls_.push_back(std::move(call)); }
  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  HINSTANCE shellExecuteResult = nullptr;
  INT messageBoxResult = IDOK;
  int comInitCount = 0;
  std::map<INT, INT> metrics;
  std::map<INT, INT> deviceCaps;
  int openScreenDCs = 0;

 private:
  std::vector<Call> calls_;
};

// Argument conversions for the log: text, or nullopt for a null pointer; numbers in decimal.
std::optional<std::string> Text(const char* text);
std::optional<std::string> Number(long long value);
std::optional<std::string> Pointer(const void* pointer);

}  // namespace standin::detail
